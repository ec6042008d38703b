// Program start: the toolkit, its identity on the desktop, the desktop beep,
// the three windows in their order (main window, help window, confirmation
// dialog), then the event loop until the main window closes (or a signal
// has closed it). The main window
// itself shows the errors that escape its handlers and the port's events.
#include "app/busycursor.h"
#include "app/desktopbeep.h"
#include "app/desktopidentity.h"
#include "app/exitsignals.h"
#include "app/tfrx.h"
#include "dialogs/fask.h"
#include "dialogs/helpform.h"

#include "config/maker.h"

#include <QApplication>

#include <iostream>
#include <string_view>

namespace {

// Answered before the toolkit starts, which without a display would abort.
bool answeredWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout
                << "Usage: tovrix [--help | --version]\n"
                   "Opens the configuration tool's window for a radio receiver module on a\n"
                   "serial port: read, edit, program and verify its configuration and output\n"
                   "table, and keep both in \".tvx\" files. Needs a graphical display; the\n"
                   "same work from a script: tovrix-cli --help.\n";
            return true;
        }
        if (arg == "--version") {
            std::cout << "tovrix " << tovrix::maker::kToolVersion << '\n';
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (answeredWithoutWindow(argc, argv)) {
        return 0;
    }
    QApplication application(argc, argv);
    tovrix::applyDesktopIdentity();
    tovrix::installDesktopBeep();
    tovrix::installBusyCursor();

    tovrix::TFRX FRX;
    tovrix::Thelpform helpform;
    tovrix::TFask Fask;
    FRX.setHelpForm(&helpform);
    FRX.setAskForm(&Fask);
    // A logout, a closed terminal or a kill lets a running transfer end
    // properly before the program exits.
    tovrix::ExitSignals exitSignals;
    QObject::connect(&exitSignals, &tovrix::ExitSignals::caught, &FRX,
                     &tovrix::TFRX::leaveOnSignal);
    FRX.show();
    const int status = application.exec();
    return FRX.signalExitStatus().value_or(status);
}
