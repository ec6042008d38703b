// The radio test panel's fields on the real window.
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "windowfixture.h"

#include <QPushButton>
#include <QTest>

namespace tovrix {

using test::BeepCounter;
using test::WindowFixture;

namespace {

// The next control Tab reaches from widget.
void enter(NumericEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

}  // namespace

class TestPanelWidgetTest : public QObject {
    Q_OBJECT

  private slots:
    void fieldsStartAtZero();
    void leavingAByteSplitsItAndSumsB4();
    void leavingAHalfJoinsTheByte();
    void threeTimes255GiveB4Of253();
    void typedB4HoldsUntilTheNextByteChange();
    void sumFollowsTyping();
    void focusOrderRunsThroughHalvesThenBytes();
};

void TestPanelWidgetTest::fieldsStartAtZero() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    for (NumericEdit* byte : frx.TD) {
        QCOMPARE(byte->text(), QStringLiteral("  0"));
        QCOMPARE(byte->maxLength(), 3);
    }
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(frx.THH[static_cast<std::size_t>(i)]->text(), QStringLiteral(" 0"));
        QCOMPARE(frx.THL[static_cast<std::size_t>(i)]->maxLength(), 2);
    }
    QCOMPARE(frx.TD[3]->palette().color(QPalette::Text), QColor(128, 128, 128));
    QCOMPARE(frx.THH[0]->palette().color(QPalette::Text), QColor(0, 128, 0));
    QCOMPARE(frx.BTeststring->text(), QStringLiteral("HF-Teststring"));
    QCOMPARE(frx.BTeststring->size(), QSize(233, 33));
}

void TestPanelWidgetTest::leavingAByteSplitsItAndSumsB4() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    BeepCounter counter;
    enter(frx.TD[1], QStringLiteral("3"));
    enter(frx.TD[0], QStringLiteral("200"));
    QCOMPARE(frx.TD[0]->text(), QStringLiteral("200"));
    QCOMPARE(frx.THH[0]->text(), QStringLiteral("12"));
    QCOMPARE(frx.THL[0]->text(), QStringLiteral(" 8"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("203"));
    QCOMPARE(counter.take(), 0);
    enter(frx.TD[2], QStringLiteral("999"));
    QCOMPARE(frx.TD[2]->text(), QStringLiteral("255"));
    QCOMPARE(frx.THH[2]->text(), QStringLiteral("15"));
    QCOMPARE(frx.THL[2]->text(), QStringLiteral("15"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("202"));
    QCOMPARE(counter.take(), 1);
}

void TestPanelWidgetTest::leavingAHalfJoinsTheByte() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    BeepCounter counter;
    enter(frx.THL[1], QStringLiteral("4"));
    QCOMPARE(frx.TD[1]->text(), QStringLiteral("  4"));
    enter(frx.THH[1], QStringLiteral("20"));
    QCOMPARE(counter.count(), 1);
    QCOMPARE(frx.THH[1]->text(), QStringLiteral("15"));
    QCOMPARE(frx.TD[1]->text(), QStringLiteral("244"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("244"));
    QCOMPARE(frx.THH[1]->selectedText(), QStringLiteral("15"));
}

void TestPanelWidgetTest::threeTimes255GiveB4Of253() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    for (std::size_t i = 0; i < 3; ++i) {
        enter(frx.TD[i], QStringLiteral("255"));
    }
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("253"));
}

void TestPanelWidgetTest::typedB4HoldsUntilTheNextByteChange() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    enter(frx.TD[0], QStringLiteral("10"));
    enter(frx.TD[3], QStringLiteral("7"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("  7"));
    enter(frx.TD[1], QStringLiteral("1"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral(" 11"));
}

void TestPanelWidgetTest::sumFollowsTyping() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.TD[0]->selectAll();
    QTest::keyClicks(frx.TD[0], QStringLiteral("4"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("  4"));
    QTest::keyClicks(frx.TD[0], QStringLiteral("2"));
    QCOMPARE(frx.TD[3]->text(), QStringLiteral(" 42"));
    QTest::keyClick(frx.TD[0], Qt::Key_Backspace);
    QTest::keyClick(frx.TD[0], Qt::Key_Backspace);
    QCOMPARE(frx.TD[3]->text(), QStringLiteral("  0"));  // nothing typed yet counts 0
}

void TestPanelWidgetTest::focusOrderRunsThroughHalvesThenBytes() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    const QWidget* order[] = {frx.THH[0], frx.THL[0], frx.THH[1], frx.THL[1], frx.THH[2],
                              frx.THL[2], frx.TD[0],  frx.TD[1],  frx.TD[2],  frx.TD[3]};
    // The panel lies outside the window's view: its fields keep their
    // order among themselves but are no tab stops.
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        const QWidget* next = order[i]->nextInFocusChain();
        while (qobject_cast<const NumericEdit*>(next) == nullptr) {
            next = next->nextInFocusChain();
        }
        QCOMPARE(next, order[i + 1]);
        QVERIFY(!(order[i]->focusPolicy() & Qt::TabFocus));
    }
    QVERIFY(frx.TD[0]->x() + frx.TD[0]->parentWidget()->x() >= 829);
}

}  // namespace tovrix

QTEST_MAIN(tovrix::TestPanelWidgetTest)
#include "testpanel_widget_test.moc"
