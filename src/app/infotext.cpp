#include "app/infotext.h"

#include <QRegularExpression>

namespace tovrix {

QString fittedInfoText(const QString& message, const QFontMetrics& font, int width) {
    const auto fits = [&](const QString& text) { return font.horizontalAdvance(text) <= width; };
    if (fits(message)) {
        return message;
    }
    // "COM1 (/dev/ttyUSB0)": the port's name says enough on the info line.
    static const QRegularExpression devicePath(QStringLiteral(" \\([^()]*/[^()]*\\)"));
    QString shorter = message;
    shorter.remove(devicePath);
    if (fits(shorter)) {
        return shorter;
    }
    // "… nicht öffnen: keine Berechtigung – das Gerät gehört …": what
    // happened, without the advice.
    const qsizetype detail = shorter.indexOf(QStringLiteral(" – "));
    if (detail > 0) {
        const QString cause = shorter.left(detail) + QStringLiteral(" …");
        if (fits(cause)) {
            return cause;
        }
    }
    return font.elidedText(shorter, Qt::ElideRight, width);
}

}  // namespace tovrix
