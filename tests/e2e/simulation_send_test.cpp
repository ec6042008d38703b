// The simulation window's test telegram against the receiver emulator: the
// bytes that come back stand beside the predicted ones, a difference marked.
#include "app/simulationwindow.h"
#include "e2efixture.h"
#include "link/transfersequence.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace tovrix::e2e {

class SimulationSendTest : public QObject {
    Q_OBJECT

  private slots:
    void sentTelegramIsComparedWithThePrediction();
};

void SimulationSendTest::sentTelegramIsComparedWithThePrediction() {
    Bench bench({QStringLiteral("--fast")});  // factory state: answers line 100
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    // The window holds what the receiver holds.
    w.LeseButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));
    w.Butread64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));

    w.MSimulationClick();
    SimulationWindow& sim = *w.simulationWindow;
    sim.telegramEdit->setPlainText(QStringLiteral("1 2 100"));
    sim.refresh();
    sim.selectTelegram(0);
    QVERIFY(sim.results().at(0).accepted);
    const std::size_t predicted = sim.results()[0].bytes.size();
    QVERIFY(predicted > 0);

    const auto sendAndWait = [&] {
        QVERIFY(waitFor([&] { return sim.sendButton->isEnabled(); }, 4000));
        sim.sendButton->click();
        QVERIFY(!sim.sendButton->isEnabled());
        QVERIFY(waitFor([&] { return !w.transfers().transferRunning(); }, 4000));
    };
    sendAndWait();
    QCOMPARE(bench.frames().back(), (Bytes{25, 1, 2, 100, 103}));
    QCOMPARE(sim.compareList->rowCount(), static_cast<int>(predicted));
    for (int row = 0; row < sim.compareList->rowCount(); ++row) {
        QCOMPARE(sim.compareList->item(row, 2)->text(), sim.compareList->item(row, 1)->text());
    }
    QVERIFY(sim.sendVerdict->text().contains(QStringLiteral("gleich")));

    // The window's table no longer matches the receiver's: the first byte differs.
    w.tabcells[100][0] = TabCell{kNumberCell, 88};
    sim.refresh();
    sendAndWait();
    QVERIFY(sim.sendVerdict->text().contains(QStringLiteral("Unterschied ab Byte 1")));
    QVERIFY(sim.compareList->item(0, 1)->text().startsWith(QStringLiteral(" 88")));
    QVERIFY(sim.compareList->item(0, 2)->background() != QBrush());
    QCOMPARE(sim.compareList->item(1, 2)->background(), QBrush());
    QVERIFY(bench.errors.isEmpty());
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::SimulationSendTest)
#include "simulation_send_test.moc"
