#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;
class QFrame;

namespace tovrix {

// Small helpers for building the fixed layouts of the main window.

// A font of the given face with its size in pixels, as the layout names it.
QFont pixelFont(const QString& family, int pixels, bool bold);

// Background of a widget and its children (the field colour for edits, the
// face for others), always with a text colour that reads on it: black on a
// light colour, white on a dark one, a darker shade of the colour while
// disabled. A fixed background never keeps the desktop's text colour, which
// under a dark theme is as light as this background. setTextColour after
// this gives the text another colour.
void setBackground(QWidget* widget, const QColor& colour);
void setTextColour(QWidget* widget, const QColor& colour);
// The window colour of a form alone, with its text colour as above; buttons
// and fields on the form keep the desktop's colours.
void setWindowColour(QWidget* widget, const QColor& colour);

// Gives a child its name and place.
template <class W>
W* placed(W* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A caption label; name may be empty for labels the window never addresses.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry);

// A plain coloured panel.
QFrame* makePanel(QWidget* parent, const char* name, const QRect& geometry, const QColor& colour);

}  // namespace tovrix
