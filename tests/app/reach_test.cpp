// The window on a 1024 x 768 screen: everything it shows can be reached
// and read. The focus order leads only through visible controls, the mouse
// wheel changes no setting by the way, the status bar and the port dialog
// fit the screen, and every message can be read whole.
#include "app/tfrx.h"
#include "dialogs/portsdialog.h"
#include "windowfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>

namespace tovrix {

using test::WindowFixture;

namespace {

TFRX& shownWindow(WindowFixture& fixture) {
    TFRX& frx = fixture.startWindow();
    frx.show();
    QApplication::setActiveWindow(&frx);
    [&] { QVERIFY(QTest::qWaitForWindowActive(&frx)); }();
    return frx;
}

// A radio button stands for its group (Tab enters the group once), the
// text field of an editable selector for the selector.
QWidget* stop(QWidget* control) {
    QWidget* parent = control->parentWidget();
    return qobject_cast<QRadioButton*>(control) || qobject_cast<QComboBox*>(parent) ? parent
                                                                                    : control;
}

// The focus chain from the control, by Tab or Shift+Tab, until it comes
// back round (or 200 steps). In the grid Tab moves from cell to cell; it
// leaves the grid from its last cell (Shift+Tab from its first).
QList<QWidget*> focusChain(TFRX& frx, QWidget* start, bool forward) {
    QList<QWidget*> chain;
    start->setFocus(Qt::TabFocusReason);
    for (int step = 0; step < 200; ++step) {
        QWidget* now = QApplication::focusWidget();
        if (now == nullptr || (step > 0 && now == start)) {
            break;
        }
        chain << stop(now);
        if (now == frx.Tabwerte) {
            frx.Tabwerte->setCurrentCell(forward ? kTableLines - 1 : 0, forward ? kLineCells : 0);
        }
        QTest::keyClick(now, Qt::Key_Tab, forward ? Qt::NoModifier : Qt::ShiftModifier);
    }
    return chain;
}

void wheel(QWidget* target, int notches) {
    const QPointF at = QRectF(target->rect()).center();
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

}  // namespace

class ReachTest : public QObject {
    Q_OBJECT

  private slots:
    void focusOrderLeadsThroughVisibleControls_data();
    void focusOrderLeadsThroughVisibleControls();
    void wheelChangesOnlyTheFocusedSelector();
    void statusBarAndPortDialogFitTheScreen();
    void messagesCanBeReadWhole_data();
    void messagesCanBeReadWhole();
};

void ReachTest::focusOrderLeadsThroughVisibleControls_data() {
    QTest::addColumn<bool>("tablePage");
    QTest::addColumn<bool>("forward");
    QTest::newRow("basic settings, Tab") << false << true;
    QTest::newRow("basic settings, Shift+Tab") << false << false;
    QTest::newRow("output table, Tab") << true << true;
    QTest::newRow("output table, Shift+Tab") << true << false;
}

// From "Konfiguration auslesen" (or the table read button), Tab and
// Shift+Tab lead round through every control the page shows, in the same
// order both ways, and never to one the window does not show.
void ReachTest::focusOrderLeadsThroughVisibleControls() {
    QFETCH(bool, tablePage);
    QFETCH(bool, forward);
    WindowFixture fixture;
    TFRX& frx = shownWindow(fixture);
    frx.PPage->setCurrentWidget(tablePage ? frx.Pstring : frx.Pbasic);
    QWidget* start = tablePage ? static_cast<QWidget*>(frx.Butread64) : frx.LeseButton;
    const QList<QWidget*> chain = focusChain(frx, start, forward);

    QList<QWidget*> offered;  // every control of the page a user can focus
    for (QWidget* control : frx.client->findChildren<QWidget*>()) {
        if (control->isVisible() && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus) && control->focusProxy() == nullptr &&
            !offered.contains(stop(control))) {
            offered << stop(control);
        }
    }
    const QRect shown(QPoint(0, 0), frx.client->size());
    QStringList names;
    for (QWidget* control : chain) {
        names << control->objectName() + QLatin1Char(':') + control->metaObject()->className();
    }
    for (QWidget* control : chain) {
        QVERIFY2(frx.client->isAncestorOf(control), qPrintable(names.join(QLatin1Char(' '))));
        QVERIFY2(control->isVisible(), qPrintable(control->objectName()));
        QVERIFY2(shown.contains(QRect(control->mapTo(frx.client, QPoint(0, 0)), control->size())),
                 qPrintable(control->objectName()));
    }
    for (QWidget* control : offered) {
        QVERIFY2(chain.contains(control),
                 qPrintable(control->objectName() + QLatin1String(" not in ") +
                            names.join(QLatin1Char(' '))));
    }
    QList<QWidget*> back = focusChain(frx, start, !forward);
    std::reverse(back.begin() + 1, back.end());
    QCOMPARE(back, chain);
}

// A wheel turned over a selector that does not have the focus leaves its
// setting alone and scrolls the page; with the focus, it changes the setting.
void ReachTest::wheelChangesOnlyTheFocusedSelector() {
    WindowFixture fixture;
    TFRX& frx = shownWindow(fixture);
    // A view as low as on a smaller screen, so that the page scrolls.
    frx.clientView->setFixedHeight(400);
    QScrollBar* page = frx.clientView->verticalScrollBar();
    QTRY_VERIFY(page->isVisible());
    page->setValue(page->maximum());
    const int scrolled = page->value();
    for (QComboBox* selector : {frx.conditionOperators[0], frx.CBhandRTS, frx.CBTXselect}) {
        const int chosen = selector->currentIndex();
        wheel(selector, 1);
        QCOMPARE(selector->currentIndex(), chosen);
        QVERIFY2(!selector->hasFocus(), qPrintable(selector->objectName()));
    }
    QVERIFY(page->value() < scrolled);
    QCOMPARE(frx.confdata[conf::kConditionOperator[0]], 0);

    frx.conditionOperators[0]->setFocus();
    wheel(frx.conditionOperators[0], -1);
    QCOMPARE(frx.conditionOperators[0]->currentIndex(), 1);
}

// At 1024 x 768 the page scrolls, but the status bar stays whole in sight
// below it, and the port dialog with its "Schließen" fits the screen.
void ReachTest::statusBarAndPortDialogFitTheScreen() {
    WindowFixture fixture;
    TFRX& frx = shownWindow(fixture);
    const QRect screen = frx.screen()->availableGeometry();
    QCOMPARE(screen.size(), QSize(1024, 768));
    QVERIFY(frx.frameGeometry().height() <= screen.height());
    const QRect bar(frx.SB1->mapToGlobal(QPoint(0, 0)), frx.SB1->size());
    QVERIFY2(screen.contains(bar), qPrintable(QStringLiteral("status bar at %1,%2 %3 x %4")
                                                  .arg(bar.x())
                                                  .arg(bar.y())
                                                  .arg(bar.width())
                                                  .arg(bar.height())));
    QCOMPARE(bar.width(), frx.clientView->width());
    QVERIFY(frx.SB1->visibleRegion().boundingRect() == frx.SB1->rect());

    frx.MSchnittstellenClick();
    QDialog* dialog = frx.Schnittstellen;
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY2(screen.contains(dialog->frameGeometry()),
             qPrintable(QStringLiteral("dialog %1 px wide").arg(dialog->frameGeometry().width())));
    auto* close = dialog->findChild<QPushButton*>(QStringLiteral("Schliessen"));
    QVERIFY(close);
    QVERIFY(dialog->rect().contains(QRect(close->mapTo(dialog, QPoint(0, 0)), close->size())));
    dialog->close();
}

void ReachTest::messagesCanBeReadWhole_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");  // on the info line
    QTest::newRow("short") << QStringLiteral("Datei gespeichert")
                           << QStringLiteral("Datei gespeichert");
    QTest::newRow("port without permission")
        << QStringLiteral(
               "COM1 (/dev/ttyS0) lässt sich nicht öffnen: keine Berechtigung – das "
               "Gerät /dev/ttyS0 gehört „root“ (Gruppe „root“, crw-------); nur der "
               "Administrator kann den Zugriff einrichten (z. B. mit einer udev-Regel)")
        << QStringLiteral("COM1 lässt sich nicht öffnen: keine Berechtigung …");
    QTest::newRow("connection lost during programming")
        << QStringLiteral(
               "Verbindung verloren: COM1 (/dev/pts/1) - der Empfänger kann jetzt "
               "teilweise geschriebene Daten enthalten!")
        << QString();  // shortened as far as the font needs
}

// The 810 pixels of the window hold every message: the info line shows it
// whole where it fits, or a shorter form that fits, and then the whole
// message is on the tooltip of the info line and of the status bar.
void ReachTest::messagesCanBeReadWhole() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    WindowFixture fixture;
    TFRX& frx = shownWindow(fixture);
    QCOMPARE(frx.width(), 810);
    frx.setInfo(message);
    const QString onLine = frx.info->text();
    QVERIFY2(frx.info->fontMetrics().horizontalAdvance(onLine) <= frx.info->width(),
             qPrintable(onLine));
    if (!shown.isEmpty()) {
        QCOMPARE(onLine, shown);
    }
    const QString tip = onLine == message ? QString() : message;
    QCOMPARE(frx.info->toolTip(), tip);
    QCOMPARE(frx.SB1->toolTip(), tip);
    QCOMPARE(frx.infoText(), message);
}

}  // namespace tovrix

QTEST_MAIN(tovrix::ReachTest)
#include "reach_test.moc"
