#include "widgetkit/widgetkit.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <initializer_list>
#include <utility>

namespace tovrix {

QFont pixelFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    // Faces the desktop may lack fall back to Arial's metrics rather than to
    // whatever wide sans face the system would pick: the fixed layout relies
    // on the widths.
    if (family == QLatin1String("MS Sans Serif") || family == QLatin1String("Arial Narrow")) {
        font.setFamilies({family, QStringLiteral("Arial")});
    }
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

namespace {

// Sets each background role to the colour and its text role to a colour
// that reads on it.
void setColourPairs(
    QWidget* widget, const QColor& colour,
    std::initializer_list<std::pair<QPalette::ColorRole, QPalette::ColorRole>> pairs) {
    const QColor text = colour.value() > 128 ? QColor(Qt::black) : QColor(Qt::white);
    QPalette palette = widget->palette();
    for (const auto& [background, foreground] : pairs) {
        palette.setColor(background, colour);
        palette.setColor(QPalette::Active, foreground, text);
        palette.setColor(QPalette::Inactive, foreground, text);
        palette.setColor(QPalette::Disabled, foreground, colour.darker());
    }
    widget->setPalette(palette);
}

}  // namespace

void setBackground(QWidget* widget, const QColor& colour) {
    setColourPairs(widget, colour,
                   {{QPalette::Window, QPalette::WindowText},
                    {QPalette::Base, QPalette::Text},
                    {QPalette::Button, QPalette::ButtonText}});
    widget->setAutoFillBackground(true);
}

void setWindowColour(QWidget* widget, const QColor& colour) {
    setColourPairs(widget, colour, {{QPalette::Window, QPalette::WindowText}});
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    if (name && *name) {
        label->setObjectName(QString::fromLatin1(name));
    }
    label->setGeometry(geometry);
    return label;
}

QFrame* makePanel(QWidget* parent, const char* name, const QRect& geometry, const QColor& colour) {
    auto* panel = placed(new QFrame(parent), name, geometry);
    setBackground(panel, colour);
    return panel;
}

}  // namespace tovrix
