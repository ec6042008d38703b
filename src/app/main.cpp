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

#include <QApplication>

int main(int argc, char* argv[]) {
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
