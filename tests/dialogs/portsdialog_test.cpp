// The port dialog and the texts of the COM items: what each says about a
// device or a COM number, and what the dialog writes where.
#include "dialogs/portsdialog.h"
#include "dialogs/porttexts.h"
#include "ports/catalogue.h"
#include "ports/sampleports.h"
#include "serial/portnames.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <filesystem>

using namespace tovrix;

namespace {

SerialPortInfo uart() {
    SerialPortInfo port;
    port.devicePath = "/dev/ttyS0";
    port.driver = "serial";
    port.group = "dialout";
    return port;
}

ComPortState com(int n, bool linked, const std::string& path, bool present,
                 std::optional<SerialPortInfo> port = {}) {
    return ComPortState{n, linked, path, present, std::move(port)};
}

QString linkOf(int n) {
    return QFile::symLinkTarget(QString::fromStdString(comLinkPath(n)));
}

}  // namespace

class PortsDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void comItemsNameTheirDevice_data();
    void comItemsNameTheirDevice();
    void rowsAndRemedySayWhatIsWrong();
    void remedyFitsTheDevice_data();
    void remedyFitsTheDevice();
    void assignsTheSelectedDeviceByItsStableName();
    void typedPathsAndClearingWriteOnlyTheLink();
    void selectionSurvivesARelistWhileTheDeviceStays();

  private:
    QTemporaryDir home_;
};

void PortsDialogTest::init() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.path().toLocal8Bit());
    std::filesystem::remove_all(comPortDirectory());
}

void PortsDialogTest::comItemsNameTheirDevice_data() {
    QTest::addColumn<ComPortState>("state");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("tip");
    SerialPortInfo adapter = test::sampleFtdi();
    QTest::newRow("adapter by its by-id link")
        << com(1, true, adapter.byIdPath, true, adapter)
        << QStringLiteral("COM&1 – FT232R USB UART (ttyUSB0)")
        << QString::fromStdString(adapter.byIdPath + " → /dev/ttyUSB0");
    adapter.model = "R&D box";
    QTest::newRow("an ampersand is no access key")
        << com(3, true, "/dev/ttyUSB0", true, adapter)
        << QStringLiteral("COM&3 – R&&D box (ttyUSB0)") << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("default port with a chip")
        << com(1, false, "/dev/ttyS0", true, uart()) << QStringLiteral("COM&1 – ttyS0")
        << QStringLiteral("/dev/ttyS0");
    QTest::newRow("default port without hardware")
        << com(2, false, "/dev/ttyS1", true) << QStringLiteral("COM&2")
        << QStringLiteral("/dev/ttyS1");
    QTest::newRow("unplugged adapter")
        << com(1, true, test::sampleFtdi().byIdPath, false)
        << QStringLiteral("COM&1 – usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0 (nicht vorhanden)")
        << QString::fromStdString(test::sampleFtdi().byIdPath + " (nicht vorhanden)");
    QTest::newRow("something udev does not list")
        << com(4, true, "/dev/pts/3", true) << QStringLiteral("COM&4 – /dev/pts/3")
        << QStringLiteral("/dev/pts/3");
}

void PortsDialogTest::comItemsNameTheirDevice() {
    QFETCH(ComPortState, state);
    QFETCH(QString, item);
    QFETCH(QString, tip);
    QCOMPARE(comItemText(state), item);
    QCOMPARE(comToolTip(state), tip);
}

void PortsDialogTest::rowsAndRemedySayWhatIsWrong() {
    SerialPortInfo locked = test::sampleFtdi();
    locked.mayOpen = false;
    locked.holder = PortHolder{4242, "minicom"};
    locked.comNumbers = {1, 3};
    SerialPortInfo acm;
    acm.devicePath = "/dev/ttyACM0";
    acm.mayOpen = false;
    acm.group = "dialout";
    acm.holder = PortHolder{::getpid(), ""};
    const std::vector<SerialPortInfo> ports{locked, acm, uart()};

    QCOMPARE(deviceRowTexts(locked),
             (QStringList{"/dev/ttyUSB0", "FTDI", "FT232R USB UART", "A1B2C3", "ftdi_sio",
                          "nein (Gruppe dialout)", "belegt von minicom (PID 4242)", "COM1, COM3",
                          "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0"}));
    QCOMPARE(deviceRowTexts(acm)[6], QStringLiteral("von diesem Programm geöffnet"));
    QCOMPARE(deviceRowTexts(uart())[5], QStringLiteral("ja"));
    QCOMPARE(deviceColumnTitles().size(), deviceRowTexts(uart()).size());

    TSchnittstellen dialog;
    dialog.showCatalogue(ports);
    QCOMPARE(dialog.GeraeteListe->rowCount(), 3);
    QCOMPARE(dialog.GeraeteListe->item(0, 5)->text(), QStringLiteral("nein (Gruppe dialout)"));
    // One remedy for both devices of the group: join it, and log in again.
    const QString remedy = dialog.Zugriffshinweis->text();
    QVERIFY(!dialog.Zugriffshinweis->isHidden());
    QVERIFY2(remedy.contains(QStringLiteral("ttyUSB0, ttyACM0")), qPrintable(remedy));
    QVERIFY(remedy.contains(QStringLiteral("„dialout“")));
    QVERIFY(remedy.contains(QStringLiteral("usermod -aG dialout")));
    QVERIFY(remedy.contains(QStringLiteral("neuen Anmeldung")));
    QCOMPARE(remedy.count(QLatin1Char('\n')), 0);
    dialog.showCatalogue({uart()});
    QVERIFY(dialog.Zugriffshinweis->isHidden());
}

void PortsDialogTest::remedyFitsTheDevice_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("mode");  // -1: not known
    QTest::addColumn<QString>("advice");
    QTest::newRow("dialout's, 0660") << "dialout" << 0660 << "sudo usermod -aG dialout $USER";
    QTest::newRow("uucp's, bits unknown") << "uucp" << -1 << "sudo usermod -aG uucp $USER";
    QTest::newRow("root's alone, 0600")
        << "root" << 0600
        << "nur der Administrator kann den Zugriff einrichten (z. B. mit einer udev-Regel); das "
           "Gerät gehört „root“ (Gruppe „root“, crw-------)";
    QTest::newRow("tty may only write, 0620")
        << "tty" << 0620
        << "nur der Administrator kann den Zugriff einrichten (z. B. mit einer udev-Regel); das "
           "Gerät gehört „root“ (Gruppe „tty“, crw--w----)";
}

// Joining a group is advised only where it helps: a group other than root
// whose members may read and write the device. The COM table says that
// the assigned device cannot be opened.
void PortsDialogTest::remedyFitsTheDevice() {
    QFETCH(QString, group);
    QFETCH(int, mode);
    QFETCH(QString, advice);
    SerialPortInfo port = test::sampleFtdi();
    port.mayOpen = false;
    port.group = group.toStdString();
    port.owner = "root";
    port.mode = mode < 0 ? std::nullopt : std::optional<unsigned>(static_cast<unsigned>(mode));
    port.comNumbers = {1};
    const QString remedy = accessRemedy({port});
    QVERIFY2(remedy.contains(advice), qPrintable(remedy));
    QCOMPARE(remedy.contains(QStringLiteral("usermod")),
             advice.contains(QStringLiteral("usermod")));
    ComPortState com;
    com.number = 1;
    com.linked = true;
    com.present = true;
    com.port = port;
    QCOMPARE(comDeviceText(com), QStringLiteral("FT232R USB UART (ttyUSB0) – kein Zugriff"));
}

void PortsDialogTest::assignsTheSelectedDeviceByItsStableName() {
    TSchnittstellen dialog;
    QSignalSpy changed(&dialog, &TSchnittstellen::assignmentsChanged);
    dialog.showCatalogue({uart(), test::sampleFtdi()});
    QVERIFY(!dialog.Zuordnen->isEnabled());  // nothing selected yet
    dialog.ComListe->setCurrentCell(2, 0);
    QCOMPARE(dialog.ComWahl->currentText(), QStringLiteral("COM3"));
    dialog.GeraeteListe->selectRow(1);
    QVERIFY(dialog.Zuordnen->isEnabled());
    QTest::mouseClick(dialog.Zuordnen, Qt::LeftButton);
    QCOMPARE(linkOf(3), QString::fromStdString(test::sampleFtdi().byIdPath));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(dialog.Meldung->text(), QStringLiteral("COM3 zeigt jetzt auf %1.")
                                         .arg(QString::fromStdString(test::sampleFtdi().byIdPath)));
    // A device without a by-id link is linked by its node; nothing else appears in the folder.
    dialog.GeraeteListe->selectRow(0);
    dialog.ComWahl->setCurrentIndex(0);
    dialog.ZuordnenClick();
    QCOMPARE(linkOf(1), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(QDir(QString::fromStdString(comPortDirectory())).entryList(QDir::System | QDir::Files),
             (QStringList{"com1", "com3"}));
}

void PortsDialogTest::typedPathsAndClearingWriteOnlyTheLink() {
    TSchnittstellen dialog;
    QSignalSpy changed(&dialog, &TSchnittstellen::assignmentsChanged);
    dialog.showCatalogue({});
    QVERIFY(!dialog.PfadZuordnen->isEnabled());
    dialog.ComWahl->setCurrentIndex(1);
    QTest::keyClicks(dialog.Pfad, QStringLiteral(" ttyAMA0 "));
    QTest::keyClick(dialog.Pfad, Qt::Key_Return);
    QCOMPARE(linkOf(2), QStringLiteral("/dev/ttyAMA0"));
    QCOMPARE(dialog.ComListe->item(1, 1)->text(), QStringLiteral("/dev/ttyAMA0"));
    dialog.Pfad->setText(QStringLiteral("by-id/x"));
    dialog.PfadZuordnenClick();
    QCOMPARE(linkOf(2), QStringLiteral("/dev/ttyAMA0"));  // refused, unchanged
    QVERIFY(dialog.Meldung->text().contains(QStringLiteral("kein Gerätepfad")));
    QTest::mouseClick(dialog.Loesen, Qt::LeftButton);
    QVERIFY(!QFile::exists(QString::fromStdString(comLinkPath(2))));
    QCOMPARE(dialog.Meldung->text(),
             QStringLiteral("COM2 hat keine Zuordnung mehr und ist wieder /dev/ttyS1."));
    QCOMPARE(dialog.ComListe->item(1, 1)->text(), QStringLiteral("/dev/ttyS1 (Vorgabe)"));
    QCOMPARE(changed.count(), 2);

    // A file of the user's where the link would go stays untouched.
    QFile notes(QString::fromStdString(comLinkPath(4)));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();
    dialog.ComWahl->setCurrentIndex(3);
    dialog.Pfad->setText(QStringLiteral("/dev/ttyUSB0"));
    dialog.PfadZuordnenClick();
    dialog.LoesenClick();
    QVERIFY(dialog.Meldung->text().contains(QStringLiteral("keine Verknüpfung")));
    QVERIFY(QFileInfo(notes.fileName()).isFile());
    QCOMPARE(changed.count(), 2);
}

void PortsDialogTest::selectionSurvivesARelistWhileTheDeviceStays() {
    TSchnittstellen dialog;
    dialog.showCatalogue({uart(), test::sampleFtdi()});
    dialog.GeraeteListe->selectRow(1);
    SerialPortInfo acm;
    acm.devicePath = "/dev/ttyACM0";
    dialog.showCatalogue({acm, uart(), test::sampleFtdi()});
    QCOMPARE(dialog.GeraeteListe->currentRow(), 2);
    QVERIFY(dialog.Zuordnen->isEnabled());
    dialog.showCatalogue({acm, uart()});
    QVERIFY(dialog.GeraeteListe->selectedItems().isEmpty());
    QVERIFY(!dialog.Zuordnen->isEnabled());
}

QTEST_MAIN(PortsDialogTest)
#include "portsdialog_test.moc"
