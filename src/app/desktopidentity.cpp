#include "app/desktopidentity.h"

#include <QApplication>
#include <QIcon>
#include <QSize>
#include <QString>

namespace tovrix {

void applyDesktopIdentity() {
    // The window system takes the window class from the application name;
    // fixed here, it does not change with the name the binary is started by.
    QCoreApplication::setApplicationName(QStringLiteral(TOVRIX_WM_CLASS));
    QGuiApplication::setDesktopFileName(QStringLiteral(TOVRIX_APP_ID));
    // The installed theme's icon when there is one, otherwise the pictures
    // built into the program (a run from the build tree).
    QIcon builtIn;
    for (int size : {16, 32, 48, 256}) {
        builtIn.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(TOVRIX_APP_ID), builtIn));
}

}  // namespace tovrix
