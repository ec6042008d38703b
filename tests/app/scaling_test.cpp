// The window on a screen too small for it: a 1920 x 1080 screen at a scale
// factor of 2 leaves 960 x 540 logical pixels for the fixed 810 x 734
// client area, which then scrolls instead of being cut off. (At a scale of 1
// the layout tests of the start-up test see the window unchanged.)
#include "app/tfrx.h"
#include "app/viewportfit.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

namespace tovrix {

using test::WindowFixture;

namespace {

// Whether the whole of a control lies in the part of the client area the
// view shows.
bool inSight(const TFRX& frx, const QWidget* control) {
    // The client area moves inside the view's viewport as it scrolls.
    const QRect shown(-frx.client->pos(), frx.clientView->viewport()->size());
    return shown.contains(QRect(control->mapTo(frx.client, QPoint(0, 0)), control->size()));
}

}  // namespace

class ScalingTest : public QObject {
    Q_OBJECT

  private slots:
    void viewportFitsTheRoom_data();
    void viewportFitsTheRoom();
    void windowFitsTheScreenAndScrolls();
};

void ScalingTest::viewportFitsTheRoom_data() {
    QTest::addColumn<QSize>("room");
    QTest::addColumn<QSize>("view");
    // Content 810 x 734, scroll bars 16 pixels.
    QTest::newRow("room to spare") << QSize(1280, 990) << QSize(810, 734);
    QTest::newRow("exactly enough") << QSize(810, 734) << QSize(810, 734);
    QTest::newRow("too low: a bar at the side") << QSize(1000, 500) << QSize(826, 500);
    QTest::newRow("too low, and the side bar makes it too narrow")
        << QSize(820, 500) << QSize(820, 500);
    QTest::newRow("too narrow: a bar at the bottom") << QSize(700, 900) << QSize(700, 750);
    QTest::newRow("too narrow, and the bottom bar makes it too low")
        << QSize(700, 740) << QSize(700, 740);
    QTest::newRow("too small both ways") << QSize(640, 480) << QSize(640, 480);
}

void ScalingTest::viewportFitsTheRoom() {
    QFETCH(QSize, room);
    QFETCH(QSize, view);
    QCOMPARE(fittedViewport(QSize(810, 734), room, 16), view);
}

void ScalingTest::windowFitsTheScreenAndScrolls() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    QApplication::setActiveWindow(&frx);
    QVERIFY(QTest::qWaitForWindowActive(&frx));
    QCOMPARE(frx.devicePixelRatio(), 2);

    const QRect available = frx.screen()->availableGeometry();
    QVERIFY2(frx.frameGeometry().height() <= available.height(),
             qPrintable(QStringLiteral("window %1 px high on a screen of %2")
                            .arg(frx.frameGeometry().height())
                            .arg(available.height())));
    QCOMPARE(frx.client->size(), QSize(810, 714));  // the layout itself is unchanged
    QVERIFY(frx.clientView->verticalScrollBar()->isVisible());

    // The control with the start-up focus is brought into sight; the info
    // line and the status bar at the bottom can be scrolled to, and the
    // version panels at the top again.
    QTRY_VERIFY(inSight(frx, frx.LeseButton));
    QVERIFY(!inSight(frx, frx.VersionPanel));
    for (QWidget* control :
         {static_cast<QWidget*>(frx.info), static_cast<QWidget*>(frx.VersionPanel)}) {
        frx.clientView->ensureWidgetVisible(control, 0, 0);
        QVERIFY2(inSight(frx, control), qPrintable(control->objectName()));
    }
}

}  // namespace tovrix

QTEST_MAIN(tovrix::ScalingTest)
#include "scaling_test.moc"
