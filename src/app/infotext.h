#pragma once

#include <QFontMetrics>
#include <QString>

namespace tovrix {

// The text the info line shows for a message, at most width pixels wide in
// the given font: the message itself where it fits; otherwise the message
// without the device paths in brackets, then only what comes before its
// detail (after " – "), and as a last resort cut at the end with "…". The
// window offers the whole message as a tooltip whenever it is shortened.
QString fittedInfoText(const QString& message, const QFontMetrics& font, int width);

}  // namespace tovrix
