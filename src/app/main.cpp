// Program start: the toolkit, the desktop beep, the three windows in their
// order (main window, help window, confirmation dialog), then the event loop
// until the main window closes.
#include "app/desktopbeep.h"
#include "app/tfrx.h"
#include "dialogs/fask.h"
#include "dialogs/helpform.h"
#include "serial/exceptiondisplay.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    tovrix::installDesktopBeep();
    // An error that escapes a port event is shown and the program carries on.
    tovrix::setExceptionDisplay([](const std::exception& error) {
        QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Tovrix"),
                              QString::fromLocal8Bit(error.what()));
    });

    tovrix::TFRX FRX;
    tovrix::Thelpform helpform;
    tovrix::TFask Fask;
    FRX.setHelpForm(&helpform);
    FRX.setAskForm(&Fask);
    FRX.show();
    return application.exec();
}
