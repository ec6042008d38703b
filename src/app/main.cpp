// Program start: the toolkit, its identity on the desktop, the desktop beep,
// the three windows in their order (main window, help window, confirmation
// dialog), then the event loop until the main window closes. The main window
// itself shows the errors that escape its handlers and the port's events.
#include "app/busycursor.h"
#include "app/desktopbeep.h"
#include "app/desktopidentity.h"
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
    FRX.show();
    return application.exec();
}
