// What the window shows and tells beyond its layout: captions that read
// under any desktop palette, the transfer buttons' focus and disabled look,
// and a name for every control a screen reader announces.
#include "app/tfrx.h"
#include "common/dark_palette.h"
#include "dialogs/fask.h"
#include "dialogs/helpform.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

namespace tovrix {

using test::WindowFixture;

namespace {

// Relative luminance and contrast ratio as the accessibility guidelines
// define them: 1 for equal colours, 21 for black on white.
double luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// What a screen reader announces a control by: its name, except for a
// selector, whose name on this platform is the item it shows; there the
// label it is the buddy of (or its group box) speaks for it.
QString announcedName(QAccessibleInterface* node) {
    if (node->role() == QAccessible::ComboBox) {
        const auto labels = node->relations(QAccessible::Label);
        if (!labels.isEmpty()) {
            return labels.first().first->text(QAccessible::Name).trimmed();
        }
    }
    return node->text(QAccessible::Name).trimmed();
}

// The pixels of an image in exactly this colour, within the given rows.
int pixelsOfColour(const QImage& image, const QColor& colour, int firstRow, int lastRow) {
    int count = 0;
    for (int y = firstRow; y <= lastRow; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class AppearanceTest : public QObject {
    Q_OBJECT

  private slots:
    void captionsReadUnderAnyPalette_data();
    void captionsReadUnderAnyPalette();
    void transferButtonsShowFocusAndDisabledState();
    void everyVisibleControlHasANameOfItsOwn();
};

void AppearanceTest::captionsReadUnderAnyPalette_data() {
    QTest::addColumn<bool>("dark");
    QTest::newRow("light desktop") << false;
    QTest::newRow("dark desktop") << true;
}

void AppearanceTest::captionsReadUnderAnyPalette() {
    QFETCH(bool, dark);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(dark ? test::darkPalette() : QApplication::style()->standardPalette());
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    Thelpform helpform;
    TFask fask;

    // Every text colour against the background it is drawn on, for every
    // widget of the three windows in its present state. A fixed background
    // whose text colour still comes from the desktop fails here.
    constexpr double kReadable = 2.5;
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::WindowText, QPalette::Window},
        {QPalette::Text, QPalette::Base},
        {QPalette::ButtonText, QPalette::Button}};
    for (QWidget* window : {static_cast<QWidget*>(&frx), static_cast<QWidget*>(&helpform),
                            static_cast<QWidget*>(&fask)}) {
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets << window;
        for (const QWidget* widget : widgets) {
            if (!widget->isVisibleTo(window) && widget != window) {
                continue;
            }
            const QPalette::ColorGroup group =
                widget->isEnabled() ? QPalette::Active : QPalette::Disabled;
            for (const auto& [text, background] : pairs) {
                const QColor fore = widget->palette().color(group, text);
                const QColor back = widget->palette().color(group, background);
                QVERIFY2(
                    contrast(fore, back) >= kReadable,
                    qPrintable(QStringLiteral("%1 (%2): %3 on %4")
                                   .arg(widget->objectName(), widget->metaObject()->className(),
                                        fore.name(), back.name())));
            }
        }
    }
    QApplication::setPalette(before);
}

void AppearanceTest::transferButtonsShowFocusAndDisabledState() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    QApplication::setActiveWindow(&frx);
    QVERIFY(QTest::qWaitForWindowActive(&frx));
    const QColor maroon(128, 0, 0);

    // The focused button has a frame in its caption colour above the caption;
    // the other has none.
    frx.LeseButton->setFocus();
    QTRY_VERIFY(frx.LeseButton->hasFocus());
    const QImage focused = frx.LeseButton->grab().toImage();
    const QImage unfocused = frx.ProgButton->grab().toImage();
    QVERIFY(pixelsOfColour(focused, maroon, 0, 9) > focused.width());
    QCOMPARE(pixelsOfColour(unfocused, maroon, 0, 9), 0);

    // Disabled, it loses the maroon caption and its face changes colour.
    const QImage enabled = frx.ProgButton->grab().toImage();
    frx.ProgButton->setEnabled(false);
    const QImage disabled = frx.ProgButton->grab().toImage();
    QVERIFY(pixelsOfColour(enabled, maroon, 0, enabled.height() - 1) > 100);
    QCOMPARE(pixelsOfColour(disabled, maroon, 0, disabled.height() - 1), 0);
    const QPoint face(12, enabled.height() / 2);
    QVERIFY(contrast(enabled.pixelColor(face), disabled.pixelColor(face)) > 1.02 ||
            enabled.pixelColor(face) != disabled.pixelColor(face));
}

void AppearanceTest::everyVisibleControlHasANameOfItsOwn() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frx));
    const QRect shown = QRect(frx.mapToGlobal(QPoint(0, 0)), frx.size());

    // The controls a screen reader lets the user operate on either page.
    const QList<QAccessible::Role> controls{
        QAccessible::PushButton, QAccessible::CheckBox,     QAccessible::RadioButton,
        QAccessible::ComboBox,   QAccessible::EditableText, QAccessible::SpinBox,
        QAccessible::PageTab,    QAccessible::Table,        QAccessible::MenuItem};
    std::map<QString, QStringList> names;
    QStringList unnamed;
    for (int page = 0; page < 2; ++page) {
        frx.PPage->setCurrentIndex(page);
        QList<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(&frx)};
        while (!pending.isEmpty()) {
            QAccessibleInterface* node = pending.takeLast();
            if (node == nullptr || node->state().invisible) {
                continue;
            }
            const QString where = node->object() ? node->object()->objectName() : QString();
            const QString name = announcedName(node);
            // The menu bar's two spacers keep the blank and the empty caption
            // the layout gives them; they do nothing.
            const bool spacer = node->role() == QAccessible::MenuItem && name.isEmpty() &&
                                node->object() && node->object()->inherits("QAction");
            if (controls.contains(node->role()) && shown.intersects(node->rect()) && !spacer) {
                if (name.isEmpty()) {
                    unnamed << where;
                } else if (!names[name].contains(where)) {
                    names[name] << where;
                }
            }
            // A table's cells are its content, and a selector's list and
            // editor are parts of it, not controls of their own.
            if (node->role() == QAccessible::Table || node->role() == QAccessible::ComboBox) {
                continue;
            }
            for (int i = 0; i < node->childCount(); ++i) {
                pending << node->child(i);
            }
        }
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("unnamed: ") + unnamed.join(u' ')));
    for (const auto& [name, holders] : names) {
        QVERIFY2(holders.size() == 1, qPrintable(name + QStringLiteral(": ") + holders.join(u' ')));
    }
}

}  // namespace tovrix

QTEST_MAIN(tovrix::AppearanceTest)
#include "appearance_test.moc"
