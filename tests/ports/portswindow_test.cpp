// The real main window with fake serial devices: COM items that follow
// devices plugged in and pulled out while the window runs, and an adapter
// assigned in the port dialog that carries the next transfer, also after it
// came back under another ttyUSB number.
#include "app/tfrx.h"
#include "app/windowfixture.h"
#include "dialogs/portsdialog.h"
#include "e2e/e2efixture.h"
#include "fakedevices.h"
#include "link/transfersequence.h"
#include "ports/comlinks.h"
#include "receiver/receiverprocess.h"
#include "serial/portnames.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <string>

using namespace tovrix;

namespace {

const std::string kFtdiById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
const QString kFtdiMissing =
    QStringLiteral("usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0 (nicht vorhanden)");

// A limit that only a hang reaches: every wait ends with the event it waits for.
constexpr int kHangLimitMs = 10000;

}  // namespace

class PortsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void pluggedDevicesShowInTheMenuAtOnce();
    void assignedAdapterCarriesTransfersAndSurvivesUnplugging();
};

void PortsWindowTest::pluggedDevicesShowInTheMenuAtOnce() {
    test::FakeDevices devices;
    test::WindowFixture fixture;
    QVERIFY(!writeComLink(2, kFtdiById));
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.COM21->text(), QStringLiteral("COM&2 – ") + kFtdiMissing);
    QVERIFY(!frx.COM21->isEnabled());
    QCOMPARE(frx.COM41->text(), QStringLiteral("COM&4"));

    QElapsedTimer clock;
    clock.start();
    devices.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    // Nothing but the event loop runs: the announcement alone updates the item.
    QVERIFY(e2e::waitFor(
        [&] { return frx.COM21->text() == QStringLiteral("COM&2 – FT232R USB UART (ttyUSB0)"); },
        kHangLimitMs));
    const qint64 latency = clock.elapsed();
    qInfo("plugged adapter shown in the menu after %lld ms", static_cast<long long>(latency));
    QVERIFY2(latency < 1000, "a plugged device shows within a second");
    QVERIFY(frx.COM21->isEnabled());  // the probe opens it now

    // A UART that appears where COM4 looks by default.
    devices.addUart(3);
    QVERIFY(e2e::waitFor([&] { return frx.COM41->text() == QStringLiteral("COM&4 – ttyS3"); },
                         kHangLimitMs));

    // Pulled out again: greyed, and named as missing.
    devices.unplug("/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0/tty/ttyUSB0");
    QVERIFY(e2e::waitFor([&] { return !frx.COM21->isEnabled(); }, kHangLimitMs));
    QCOMPARE(frx.COM21->text(), QStringLiteral("COM&2 – ") + kFtdiMissing);
}

void PortsWindowTest::assignedAdapterCarriesTransfersAndSurvivesUnplugging() {
    test::FakeDevices devices;
    // The emulator keeps its own COM link elsewhere; the window's COM1 is
    // only what the dialog makes of it.
    QTemporaryDir emulatorHome;
    const std::string log = emulatorHome.filePath(QStringLiteral("receiver.log")).toStdString();
    // Paced like a real line, so that a transfer spans many turns of the event loop.
    receiver::test::ReceiverProcess receiver({"--log", log}, emulatorHome.path().toStdString());
    QVERIFY(receiver.waitReady());
    const std::string ftdi = devices.addFtdi("ttyUSB0", "A1B2C3", "1-1");
    devices.rewire("ttyUSB0", receiver.device());

    test::WindowFixture fixture;
    const std::string cp210xById =
        "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_0001-if00-port0";
    QVERIFY(!writeComLink(2, cp210xById));
    TFRX& frx = fixture.startWindow();
    QStringList errors;
    frx.setErrorDisplay([&errors](const QString& text) { errors << text; });

    frx.MSchnittstellen->trigger();
    TSchnittstellen* dialog = frx.Schnittstellen;
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(dialog->GeraeteListe->rowCount(), 1);
    QCOMPARE(dialog->GeraeteListe->item(0, 0)->text(), QStringLiteral("/dev/ttyUSB0"));
    dialog->GeraeteListe->selectRow(0);
    dialog->ComWahl->setCurrentIndex(0);
    QTest::mouseClick(dialog->Zuordnen, Qt::LeftButton);
    QCOMPARE(comDevicePath(1), kFtdiById);
    QCOMPARE(frx.COM11->text(), QStringLiteral("COM&1 – FT232R USB UART (ttyUSB0)"));
    QCOMPARE(dialog->ComListe->item(0, 2)->text(), QStringLiteral("FT232R USB UART (ttyUSB0)"));
    QCOMPARE(dialog->GeraeteListe->item(0, 7)->text(), QStringLiteral("COM1"));
    QCOMPARE(frx.SB1Panel0->toolTip(), QString::fromStdString(kFtdiById + " → /dev/ttyUSB0"));
    QVERIFY(frx.COM11->isChecked());  // the selection is the user's, not the dialog's
    dialog->accept();

    const QString readOk = e2e::msg(StatusMessage::msgconfreadok);
    frx.LeseButton->click();
    QVERIFY2(e2e::waitFor([&] { return frx.info->text() == readOk; }, kHangLimitMs),
             qPrintable(frx.info->text() + errors.join(QLatin1Char(' ')) +
                        QString::fromStdString(receiver::test::readFile(log))));

    // A device that comes during a transfer shows in the menu at once, but
    // the probe, which closes the port, waits until the transfer is over.
    frx.LeseButton->click();
    devices.addCp210x("ttyUSB2", "0001", "1-3");
    QVERIFY(e2e::waitFor([&] { return frx.COM21->text().contains(QStringLiteral("(ttyUSB2)")); },
                         kHangLimitMs));
    QVERIFY(frx.transfers().transferRunning());
    QVERIFY(e2e::waitFor([&] { return !frx.transfers().transferRunning(); }, kHangLimitMs));
    QCOMPARE(frx.info->text(), readOk);
    QVERIFY(!frx.COM21->isEnabled());
    emit frx.MKommunikation->aboutToShow();
    QVERIFY(frx.COM21->isEnabled());

    // Unplugged: nothing the user needs greys out, and the window names what is missing.
    devices.unplug(ftdi);
    QVERIFY(e2e::waitFor([&] { return frx.COM11->text().contains(kFtdiMissing); }, kHangLimitMs));
    QVERIFY(frx.COM11->isEnabled() && frx.COM11->isChecked());
    for (QWidget* control :
         {static_cast<QWidget*>(frx.LeseButton), static_cast<QWidget*>(frx.ProgButton),
          static_cast<QWidget*>(frx.Butread64), static_cast<QWidget*>(frx.Butwrite64)}) {
        QVERIFY(control->isEnabled());
    }
    QVERIFY(frx.MSchnittstellen->isEnabled());
    QCOMPARE(frx.SB1Panel0->toolTip(), QString::fromStdString(kFtdiById + " (nicht vorhanden)"));

    // Back under another number: the by-id link finds it, and transfers work again.
    devices.addFtdi("ttyUSB1", "A1B2C3", "1-2");
    devices.rewire("ttyUSB1", receiver.device());
    QVERIFY(e2e::waitFor(
        [&] { return frx.COM11->text() == QStringLiteral("COM&1 – FT232R USB UART (ttyUSB1)"); },
        kHangLimitMs));
    frx.setInfo(QString());
    frx.LeseButton->click();
    QVERIFY(e2e::waitFor([&] { return frx.info->text() == readOk; }, kHangLimitMs));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
}

int main(int argc, char** argv) {
    test::runUnderUmockdev(argv);
    QApplication application(argc, argv);
    PortsWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "portswindow_test.moc"
