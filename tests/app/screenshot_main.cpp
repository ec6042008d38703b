// Takes pictures of both pages of the real main window as the X server shows
// them, or with --dark of the basic-settings page under a dark desktop
// palette: run it under Xvfb (docs/make-screenshots.sh does). Not a test; it
// makes the pictures in the documentation.
#include "app/finddialog.h"
#include "app/simulationwindow.h"
#include "app/tableeditor.h"
#include "app/tfrx.h"
#include "common/dark_palette.h"
#include "dialogs/fask.h"
#include "dialogs/helpform.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

// A few example lines, as a loaded file would bring them, so that the table
// page shows the cell colours.
tovrix::TabData exampleTable() {
    using namespace tovrix;
    TabCells cells;
    resetTable(cells);
    const auto number = [](std::uint8_t v) { return TabCell{kNumberCell, v}; };
    const auto function = [](std::uint8_t code) { return TabCell{kFunctionCell, code}; };
    cells[0] = {number(65), number(66), function(fcB1), number(13), number(10), function(fcEnd)};
    cells[1] = {function(fcUset),  number(100), function(fcPause), function(fcPause),
                function(fcUplus), number(10),  function(fcGoto),  number(0)};
    cells[2] = {function(fcCall), number(9),          number(42), function(fcB2),
                function(fcB3),   function(fcUminus), number(5),  function(fcEnd)};
    cells[9] = {number(13), number(10), function(fcRet)};
    return encodeImage(cells, TableSettings{100, 3, 10});
}

// The simulation window over the example table: three telegrams, the one
// that plays line 1 (analogue steps, pauses, a jump) chosen.
void showSimulation(tovrix::TFRX& FRX) {
    using namespace tovrix;
    for (const int op : conf::kConditionOperator) {
        FRX.confdata[static_cast<std::size_t>(op)] = conf::kOpAny;
    }
    FRX.showdata();
    FRX.MSimulationClick();
    SimulationWindow& window = *FRX.simulationWindow;
    window.move(0, 0);
    window.telegramEdit->setPlainText(QStringLiteral("65 66 0\n$41 $0D 1 @250\n7 7 2"));
    window.refresh();
    window.selectTelegram(1);
    window.runCheck();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY [--dark]\n", argv[0]);
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    const bool dark = argc > 2 && std::strcmp(argv[2], "--dark") == 0;
    if (dark) {
        QApplication::setPalette(tovrix::test::darkPalette());
    }

    tovrix::TFRX FRX;
    tovrix::Thelpform helpform;
    tovrix::TFask Fask;
    FRX.setHelpForm(&helpform);
    FRX.setAskForm(&Fask);
    FRX.move(0, 0);
    FRX.show();

    int failures = 0;
    const auto grabWidget = [&](const QWidget& widget, const char* name) {
        // What the screen shows in the window's frame, menu bar included.
        const QRect frame = widget.frameGeometry();
        const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
            0, frame.x(), frame.y(), frame.width(), frame.height());
        if (!picture.save(output.filePath(QString::fromLatin1(name)))) {
            ++failures;
        }
    };
    const auto grab = [&](const char* name) { grabWidget(FRX, name); };
    // The example table, the simulation window over it, then its picture.
    const auto grabSimulation = [&](const char* name, auto next) {
        FRX.tabdata = exampleTable();
        bool ok = false;
        FRX.Restore64K(ok);
        showSimulation(FRX);
        QTimer::singleShot(300, &FRX, [&, name, next] {
            grabWidget(*FRX.simulationWindow, name);
            next();
        });
    };
    // Well after the start-up step, so the page shows the block.
    QTimer::singleShot(600, &FRX, [&] {
        if (dark) {
            grab("screenshot-dark.png");
            grabSimulation("screenshot-simulation-dark.png", [&] { application.quit(); });
            return;
        }
        grab("screenshot-basic.png");
        FRX.tabdata = exampleTable();
        bool ok = false;
        FRX.Restore64K(ok);
        FRX.PPage->setCurrentIndex(1);
        QTimer::singleShot(300, &FRX, [&] {
            grab("screenshot-table.png");
            // A selected block and the list of the places of a value.
            FRX.tableEditor->selectBlock(tovrix::CellBlock{0, 2, 2, 6});
            FRX.tableEditor->showFind();
            tovrix::FindDialog* find = FRX.tableEditor->findDialog();
            find->text->setText(QStringLiteral("10"));
            find->all->click();
            find->move(FRX.x() + 420, FRX.y() + 300);
            // The dialog by value: this step has returned when the picture is taken.
            QTimer::singleShot(300, &FRX, [&, find] {
                grab("screenshot-find.png");
                find->close();
                grabSimulation("screenshot-simulation.png", [&] { application.quit(); });
            });
        });
    });
    const int status = application.exec();
    return status != 0 ? status : (failures != 0 ? 1 : 0);
}
