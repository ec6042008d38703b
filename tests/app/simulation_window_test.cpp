// The window "Simulation" on the real main window: it follows edits of the
// grid and the basic page, frames the executed cells, and its table check
// leads to the cells it names.
#include "app/gridmarks.h"
#include "app/simulationwindow.h"
#include "app/tfrx.h"
#include "windowfixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace tovrix {

using test::typeCell;
using test::WindowFixture;

namespace {

SimulationWindow& openSimulation(TFRX& frx) {
    frx.MSimulationFenster->trigger();
    return *frx.simulationWindow;
}

std::vector<std::uint8_t> values(const sim::TelegramResult& result) {
    std::vector<std::uint8_t> out;
    for (const sim::OutputByte& b : result.bytes) {
        out.push_back(b.value);
    }
    return out;
}

TabCell number(std::uint8_t v) {
    return {kNumberCell, v};
}
TabCell function(std::uint8_t code) {
    return {kFunctionCell, code};
}

}  // namespace

class SimulationWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void followsEditsOfTheGridAndTheBasicPage();
    void checkListsFindingsAndLeadsToTheirCells();
};

void SimulationWindowTest::followsEditsOfTheGridAndTheBasicPage() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    SimulationWindow& sim = openSimulation(frx);
    QVERIFY(sim.isVisible());
    // Row variable B3: the telegram plays line 2, once the block accepts it.
    sim.telegramEdit->setPlainText(QStringLiteral("7 8 2"));
    QTRY_COMPARE(sim.results().size(), std::size_t{1});
    for (const int op : conf::kConditionOperator) {
        frx.confdata[static_cast<std::size_t>(op)] = conf::kOpAny;
    }
    frx.showdata();
    QTRY_VERIFY(sim.results()[0].accepted);
    QCOMPARE(sim.results()[0].bytes.size(), std::size_t{0});

    typeCell(frx, 2, 1, QStringLiteral("13"));
    QTRY_COMPARE(values(sim.results()[0]), (std::vector<std::uint8_t>{13}));
    typeCell(frx, 2, 2, QStringLiteral("B1"));
    QTRY_COMPARE(values(sim.results()[0]), (std::vector<std::uint8_t>{13, 7}));
    QCOMPARE(sim.byteList->item(1, 3)->text(), QStringLiteral("$07"));
    QVERIFY(sim.detailText->toPlainText().contains(QStringLiteral("<CR><BEL>")));

    // The grid frames the three cells played: two bytes and the end cell.
    sim::CellMarks expected;
    for (int cell = 1; cell <= 3; ++cell) {
        expected.set(static_cast<std::size_t>(2 * kLineCells + cell - 1));
    }
    QCOMPARE(sim.markedCells(), expected);
    auto* marks = frx.Tabwerte->findChild<GridMarks*>(QStringLiteral("SimulationMarks"));
    QVERIFY(marks);
    QCOMPARE(marks->marks(), expected);
    sim.close();
    QVERIFY(marks->marks().none());
    frx.MSimulationFenster->trigger();
    QCOMPARE(marks->marks(), expected);

    // A slower output rate on the basic page: the same bytes take longer.
    const double before = sim.results()[0].outputEndMs;
    frx.Baud1200->click();
    QTRY_VERIFY(sim.results()[0].outputEndMs > before * 10);
    QCOMPARE(values(sim.results()[0]), (std::vector<std::uint8_t>{13, 7}));
}

void SimulationWindowTest::checkListsFindingsAndLeadsToTheirCells() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    TabCells cells;
    resetTable(cells);
    cells[0][0] = function(fcGoto);  // lines 0 and 1 jump to each other
    cells[0][1] = number(1);
    cells[1][0] = number(65);
    cells[1][1] = function(fcGoto);
    cells[1][2] = number(0);
    cells[2][0] = function(fcCall);  // line 3, called, calls again
    cells[2][1] = number(3);
    cells[3][0] = function(fcCall);
    cells[3][1] = number(4);
    cells[4].fill(number(48));  // no end cell
    frx.tabdata = encodeImage(cells, TableSettings{0, 3, 10});
    bool ok = false;
    frx.Restore64K(ok);
    QVERIFY(ok);
    frx.PPage->setCurrentWidget(frx.Pbasic);

    SimulationWindow& sim = openSimulation(frx);
    QTest::mouseClick(sim.checkButton, Qt::LeftButton);
    struct Expected {
        int line;
        int cell;
        const char* words;  // what the finding's text says
    };
    const Expected expected[] = {
        {0, 1, "endless"},
        {3, 1, "CALL"},
        {4, 16, "16"},
    };
    for (const Expected& want : expected) {
        int row = -1;
        for (int r = 0; r < sim.findingList->rowCount(); ++r) {
            if (sim.findingList->item(r, 1)->text().toInt() == want.line &&
                sim.findingList->item(r, 2)->text().toInt() == want.cell &&
                sim.findingList->item(r, 3)->text().contains(QLatin1String(want.words))) {
                row = r;
            }
        }
        QVERIFY2(row >= 0, want.words);
        frx.PPage->setCurrentWidget(frx.Pbasic);
        sim.findingList->scrollToItem(sim.findingList->item(row, 3));
        QTest::mouseClick(sim.findingList->viewport(), Qt::LeftButton, {},
                          sim.findingList->visualItemRect(sim.findingList->item(row, 3)).center());
        QCOMPARE(frx.PPage->currentWidget(), frx.Pstring);
        QCOMPARE(frx.Tabwerte->currentRow(), want.line);
        QCOMPARE(frx.Tabwerte->currentColumn(), want.cell);
    }

    // Mending the cycle takes its finding away at once.
    typeCell(frx, 1, 2, QStringLiteral("e"));
    QTRY_VERIFY(!sim.findingList->findItems(QStringLiteral("endless"), Qt::MatchContains).size());
}

}  // namespace tovrix

QTEST_MAIN(tovrix::SimulationWindowTest)
#include "simulation_window_test.moc"
