// Takes the pictures of the port dialog and of the Kommunikation menu for
// the documentation, with fake devices: an FTDI adapter assigned to COM1, a
// CP2102 adapter the user may not open, a CDC-ACM modem and a UART. Run it
// under Xvfb as root (docs/make-screenshots.sh does): the program gives the
// CP2102's terminal to the group dialout and then acts as an ordinary user
// outside that group (keeping root only as its saved id, to write the
// pictures), so that the dialog shows the remedy as that user sees it.
// Not a test.
#include "app/tfrx.h"
#include "dialogs/portsdialog.h"
#include "fakedevices.h"
#include "ports/comlinks.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

int main(int argc, char* argv[]) {
    tovrix::test::runUnderUmockdev(argv);
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());

    tovrix::test::FakeDevices devices;
    devices.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    devices.addCp210x("ttyUSB1", "0001", "1-2");
    devices.addCdcAcm("ttyACM0", "7", "1-3");
    devices.addUart(0);
    tovrix::writeComLink(1, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
    tovrix::writeComLink(2, "/dev/ttyS0");
    if (::geteuid() == 0) {
        const group* dialout = ::getgrnam("dialout");
        const gid_t dialoutId = dialout != nullptr ? dialout->gr_gid : 20;
        for (const char* node : {"ttyUSB0", "ttyACM0", "ttyS0"}) {
            ::chmod(devices.terminalOf(node).c_str(), 0666);
        }
        const std::string cp210x = devices.terminalOf("ttyUSB1");
        [[maybe_unused]] int ignored = ::chown(cp210x.c_str(), 0, dialoutId);
        ::chmod(cp210x.c_str(), 0660);
        ::chmod(devices.root().c_str(), 0755);
        // The ordinary user must reach the sockets that carry the terminal controls.
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(devices.root() + "/ioctl")) {
            ::chmod(entry.path().c_str(), 0777);
        }
        ::chmod(home.path().toLocal8Bit().constData(), 0755);
        const uid_t nobody = 65534;
        ignored = ::setgroups(0, nullptr) + ::setresgid(nobody, nobody, 0) +
                  ::setresuid(nobody, nobody, 0);
    }

    tovrix::TFRX FRX;
    FRX.inittimerTimer();
    FRX.move(0, 0);
    FRX.show();

    int failures = 0;
    const auto grab = [&](QWidget* widget, const char* name) {
        const QRect frame = widget->frameGeometry();
        const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
            0, frame.x(), frame.y(), frame.width(), frame.height());
        [[maybe_unused]] const int ignored = ::seteuid(0);  // the output folder is root's
        if (!picture.save(output.filePath(QString::fromLatin1(name)))) {
            ++failures;
        }
    };
    QTimer::singleShot(600, &FRX, [&] {
        FRX.MKommunikation->popup(FRX.mapToGlobal(QPoint(60, 0)));
        QTimer::singleShot(300, &FRX, [&] {
            grab(FRX.MKommunikation, "screenshot-ports-menu.png");
            [[maybe_unused]] const int ignored = ::seteuid(65534);
            FRX.MKommunikation->hide();
            FRX.MSchnittstellenClick();
            FRX.Schnittstellen->move(20, 20);
            FRX.Schnittstellen->GeraeteListe->selectRow(2);
            QTimer::singleShot(300, &FRX, [&] {
                grab(FRX.Schnittstellen, "screenshot-ports.png");
                application.quit();
            });
        });
    });
    const int status = application.exec();
    return status != 0 ? status : (failures != 0 ? 1 : 0);
}
