// Whether a window kept at a stored position could still be reached there.
#include "dialogs/windowplacement.h"

#include <QTest>

using tovrix::titleAreaReachable;

class WindowPlacementTest : public QObject {
    Q_OBJECT

  private slots:
    void titleAreaMustBeGrabbable_data();
    void titleAreaMustBeGrabbable();
};

void WindowPlacementTest::titleAreaMustBeGrabbable_data() {
    QTest::addColumn<QRect>("title");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<bool>("reachable");

    const QList<QRect> one{QRect(0, 0, 1400, 1000)};
    QTest::newRow("on the screen") << QRect(40, 50, 810, 24) << one << true;
    QTest::newRow("far off") << QRect(5000, -3000, 810, 24) << one << false;
    QTest::newRow("title just above the top edge") << QRect(100, -10, 810, 24) << one << false;
    QTest::newRow("a grab's width left on the right") << QRect(1300, 100, 810, 24) << one << true;
    QTest::newRow("less than that on the right") << QRect(1301, 100, 810, 24) << one << false;
    QTest::newRow("a grab's width left on the left") << QRect(-710, 100, 810, 24) << one << true;
    QTest::newRow("a narrow window needs less") << QRect(1340, 100, 60, 24) << one << true;
    QTest::newRow("title under the panel at the bottom")
        << QRect(100, 970, 810, 24) << QList<QRect>{QRect(0, 0, 1400, 960)} << false;

    const QList<QRect> two{QRect(0, 0, 1400, 1000), QRect(-1920, 0, 1920, 600)};
    QTest::newRow("on a screen left of the first") << QRect(-1000, 200, 810, 24) << two << true;
    QTest::newRow("beside the shorter screen, on none")
        << QRect(-1000, 700, 810, 24) << two << false;
    QTest::newRow("no screen at all") << QRect(40, 50, 810, 24) << QList<QRect>{} << false;
}

void WindowPlacementTest::titleAreaMustBeGrabbable() {
    QFETCH(QRect, title);
    QFETCH(QList<QRect>, screens);
    QFETCH(bool, reachable);
    QCOMPARE(titleAreaReachable(title, screens), reachable);
}

QTEST_APPLESS_MAIN(WindowPlacementTest)
#include "windowplacement_test.moc"
