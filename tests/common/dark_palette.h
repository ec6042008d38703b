#pragma once

#include <QColor>
#include <QPalette>

namespace tovrix::test {

// A dark desktop theme as a user may choose it: light text on dark
// backgrounds, grey text for what is disabled.
inline QPalette darkPalette() {
    QPalette dark;
    const QColor window(53, 53, 53);
    const QColor base(35, 35, 35);
    const QColor text(Qt::white);
    const QColor disabledText(128, 128, 128);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor& foreground = group == QPalette::Disabled ? disabledText : text;
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Button, window);
        dark.setColor(group, QPalette::WindowText, foreground);
        dark.setColor(group, QPalette::Text, foreground);
        dark.setColor(group, QPalette::ButtonText, foreground);
        dark.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    return dark;
}

}  // namespace tovrix::test
