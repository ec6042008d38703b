// Start-up, settings file, menus, port selection and shutdown of the real
// main window, headless.
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "dialogs/helpform.h"
#include "link/statusmessages.h"
#include "windowfixture.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <pty.h>
#include <unistd.h>

namespace tovrix {

using test::WindowFixture;

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void firstStartShowsDefaultsAndWritesSettingsAtExit();
    void startupStepRunsOnceByItself();
    void settingsFileIsApplied_data();
    void settingsFileIsApplied();
    void settingsDirectoryBecomesCurrentButFileStaysInStartFolder();
    void olderFileWithoutBaudKeyStillAppliesTheRest();
    void nonNumericLeftEdgeLeavesTheWindowWhereItWas();
    void positionsOffEveryScreenAreNotTaken();
    void unwritableSettingsFileIsIgnored();
    void newFileRunKeepsTheSettingsFileWhereItWas();
    void menusHaveTheirCaptionsAndStates();
    void portItemsSelectThePort_data();
    void portItemsSelectThePort();
    void probeDisablesMissingPortsAndEnablesOpenableOnes();
    void failedSwitchOfAnOpenPortIsShownInAMessageBox();
    void languageToggle();
    void windowIsFixedWithNamedControls();
};

void StartupTest::firstStartShowsDefaultsAndWritesSettingsAtExit() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.language, QStringLiteral("deutsch"));
    QCOMPARE(frx.statusPanelText(0), QStringLiteral("COM1"));
    QCOMPARE(frx.statusPanelText(1), QStringLiteral("newfile.tvx"));
    QVERIFY(frx.COM11->isChecked());
    QCOMPARE(frx.RS232.ComNumber(), 1);
    QCOMPARE(frx.info->text(), QString::fromStdString(statusText(StatusMessage::msgstart)));
    QCOMPARE(frx.Version->text(), QStringLiteral("1.05"));
    QCOMPARE(frx.Firmware->text(), QStringLiteral("0.00"));
    QCOMPARE(frx.confdata[10], 12);  // no settings: baud code 0 is shown as 19200
    QVERIFY(frx.Baud19200->isChecked());
    QVERIFY(frx.BoxStandardsender->isVisibleTo(frx.Pbasic));
    QCOMPARE(frx.Bitlaenge->text(), QStringLiteral(" 12"));
    QCOMPARE(frx.Pruefanzahl->text(), QStringLiteral("  2"));
    QCOMPARE(frx.PWMperiod->text(), QStringLiteral("200"));
    QCOMPARE(frx.ADoffset->text(), QStringLiteral("    0"));
    QCOMPARE(frx.ADgain->text(), QStringLiteral(" 1024"));
    QVERIFY(!frx.ADoffset->isEnabled());
    QVERIFY(!frx.Gauge->isVisibleTo(&frx));
    QCOMPARE(frx.focusWidget(), frx.LeseButton);

    QVERIFY(frx.close());
    QFile ini(fixture.settingsPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray content = ini.readAll();
    QCOMPARE(content.count("\r\n"), 16);
    const QList<QByteArray> lines = content.split('\n');
    QCOMPARE(lines[0], QByteArray("#language#\r"));
    QCOMPARE(lines[1], QByteArray("deutsch\r"));
    QCOMPARE(lines[3], QDir::currentPath().toLocal8Bit() + "\r");
    QCOMPARE(lines[5], QByteArray("1\r"));
    QCOMPARE(lines[7], QByteArray("12\r"));
    QCOMPARE(lines[13], QByteArray("#poshelp#\r"));
}

void StartupTest::startupStepRunsOnceByItself() {
    WindowFixture fixture;
    TFRX frx;
    QVERIFY(frx.inittimer->isActive());
    QCOMPARE(frx.statusPanelText(0), QString());  // not shown before the step
    QTRY_COMPARE_WITH_TIMEOUT(frx.statusPanelText(0), QStringLiteral("COM1"), 2000);
    QVERIFY(!frx.inittimer->isActive());
}

void StartupTest::settingsFileIsApplied_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("language");

    QTest::newRow("port 3") << 5 << "3"
                            << "COM3"
                            << "COM31" << 12 << "deutsch";
    QTest::newRow("port 4") << 5 << "4"
                            << "COM4"
                            << "COM41" << 12 << "deutsch";
    QTest::newRow("port 7 means COM1") << 5 << "7"
                                       << "COM1"
                                       << "COM11" << 12 << "deutsch";
    QTest::newRow("port 0 means COM1") << 5 << "0"
                                       << "COM1"
                                       << "COM11" << 12 << "deutsch";
    QTest::newRow("port -2 means COM1") << 5 << "-2"
                                        << "COM1"
                                        << "COM11" << 12 << "deutsch";
    QTest::newRow("baud 300 is 44, shown as 19200") << 7 << "300"
                                                    << "COM1"
                                                    << "COM11" << 12 << "deutsch";
    QTest::newRow("baud 9600") << 7 << "25"
                               << "COM1"
                               << "COM11" << 25 << "deutsch";
    QTest::newRow("Deutsch is english") << 1 << "Deutsch"
                                        << "COM1"
                                        << "COM11" << 12 << "english";
    QTest::newRow("english") << 1 << "english"
                             << "COM1"
                             << "COM11" << 12 << "english";
}

void StartupTest::settingsFileIsApplied() {
    QFETCH(int, line);
    QFETCH(QString, text);
    QFETCH(QString, panel);
    QFETCH(QString, checked);
    QFETCH(int, baud);
    QFETCH(QString, language);
    WindowFixture fixture;
    QStringList lines = test::settingsLines(fixture.startDir());
    lines[line] = text;
    fixture.writeSettings(lines);
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.statusPanelText(0), panel);
    QAction* item = frx.findChild<QAction*>(checked);
    QVERIFY(item);
    QVERIFY(item->isChecked());
    QCOMPARE(QStringLiteral("COM%1").arg(frx.RS232.ComNumber()), panel);
    QCOMPARE(int(frx.confdata[10]), baud);
    QCOMPARE(frx.language, language);
    if (line == 5) {
        QCOMPARE(frx.Lsavecom->text(), text);
    }
    // The next start reads the port that was in use: COM1 for 0 or below.
    QVERIFY(frx.close());
    QFile ini(fixture.settingsPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll().split('\n').value(5), panel.mid(3).toLatin1() + "\r");
}

void StartupTest::settingsDirectoryBecomesCurrentButFileStaysInStartFolder() {
    WindowFixture fixture;
    QTemporaryDir elsewhere;
    QStringList lines = test::settingsLines(elsewhere.path());
    lines[9] = QStringLiteral("25");
    fixture.writeSettings(lines);
    TFRX& frx = fixture.startWindow();
    QCOMPARE(QDir::currentPath(), QDir(elsewhere.path()).canonicalPath());
    QCOMPARE(frx.WDH->text(), QStringLiteral(" 25"));
    QVERIFY(frx.close());
    QVERIFY(!QFile::exists(elsewhere.filePath(QStringLiteral("tvx.ini"))));
    QFile ini(fixture.settingsPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QList<QByteArray> written = ini.readAll().split('\n');
    QCOMPARE(written[3], QDir(elsewhere.path()).canonicalPath().toLocal8Bit() + "\r");
    QCOMPARE(written[9], QByteArray("25\r"));
}

void StartupTest::olderFileWithoutBaudKeyStillAppliesTheRest() {
    WindowFixture fixture;
    QStringList lines = test::settingsLines(QStringLiteral("/no/such/folder"));
    lines[6] = QStringLiteral("#Baud#");
    lines[7] = QStringLiteral("not read");
    lines[9] = QStringLiteral("30");
    fixture.writeSettings(lines);
    const QString before = QDir::currentPath();
    TFRX& frx = fixture.startWindow();
    QCOMPARE(QDir::currentPath(), before);  // a folder that is gone is ignored
    QCOMPARE(int(frx.confdata[11]), 30);
    QCOMPARE(frx.WDH->text(), QStringLiteral(" 30"));
    QCOMPARE(frx.pos(), QPoint(40, 50));
}

void StartupTest::nonNumericLeftEdgeLeavesTheWindowWhereItWas() {
    WindowFixture fixture;
    QStringList lines = test::settingsLines(fixture.startDir());
    lines[11] = QStringLiteral("left");
    fixture.writeSettings(lines);
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.pos(), QPoint(0, 0));
    QCOMPARE(frx.RS232.ComNumber(), 1);
}

// Stored positions where a window could not be reached (a screen that is
// gone) leave both windows where the system placed them, and are not
// written back at exit.
void StartupTest::positionsOffEveryScreenAreNotTaken() {
    WindowFixture fixture;
    QStringList lines = test::settingsLines(fixture.startDir());
    lines[11] = QStringLiteral("5000");
    lines[12] = QStringLiteral("-3000");
    lines[14] = QStringLiteral("-4000");
    lines[15] = QStringLiteral("60");
    fixture.writeSettings(lines);
    TFRX& frx = fixture.startWindow();
    Thelpform help;
    const QPoint helpPlaced = help.pos();
    frx.setHelpForm(&help);
    frx.inittimerTimer();
    QCOMPARE(frx.pos(), QPoint(0, 0));
    QCOMPARE(help.pos(), helpPlaced);
    QVERIFY(frx.close());
    QFile ini(fixture.settingsPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QList<QByteArray> written = ini.readAll().split('\n');
    QCOMPARE(written.mid(11, 2), (QList<QByteArray>{"0\r", "0\r"}));
    QCOMPARE(written[14], QByteArray::number(helpPlaced.x()) + "\r");
    frx.setHelpForm(nullptr);
}

void StartupTest::unwritableSettingsFileIsIgnored() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.inipath = "/no/such/folder/tvx.ini";
    QVERIFY(frx.close());
}

void StartupTest::newFileRunKeepsTheSettingsFileWhereItWas() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    const std::string inipath = frx.inipath;
    QCOMPARE(QString::fromStdString(inipath), fixture.settingsPath());
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    frx.confdata[51] = 7;
    frx.sysdata[2] = 4;
    frx.OpenDialogFileName = QStringLiteral("x.tvx");
    frx.FormCreate();
    QCOMPARE(frx.inipath, inipath);
    QCOMPARE(int(frx.confdata[51]), 12);
    QCOMPARE(int(frx.sysdata[2]), 0);
    QCOMPARE(frx.OpenDialogFileName, QStringLiteral("newfile.tvx"));
    QVERIFY(frx.inittimer->isActive());
}

void StartupTest::menusHaveTheirCaptionsAndStates() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    struct Item {
        const char* name;
        const char* caption;
        bool visible;
    };
    const Item items[] = {
        {"Mneu", "&neu", false},
        {"MLaden", "&Laden", true},
        {"MSpeichern", "&Speichern", true},
        {"Mdruck", "D&ruck Einstellung", false},
        {"MExit", "e&xit", true},
        {"MDatensenden", "Konfigurations-Daten &senden", true},
        {"MDatenempfangen", "Konfigurations-Daten &empfangen", true},
        {"Mwrite64", "Tabelle &programmieren", true},
        {"Mread64", "Tabelle aus&lesen", true},
        // COM1's link leads nowhere; COM4 is the default /dev/ttyS3 without hardware.
        {"COM11", "COM&1 – no-such-device-1 (nicht vorhanden)", true},
        {"COM41", "COM&4", true},
        {"MSchnittstellen", "Sc&hnittstellen…", true},
        {"N2", " ", true},
        {"Mhilfe", "&Hilfe", true},
        {"nix1", "", true},
        {"Msprache", "Sprache / language: D", false},
    };
    for (const Item& item : items) {
        QAction* action = frx.findChild<QAction*>(QString::fromLatin1(item.name));
        QVERIFY2(action, item.name);
        QCOMPARE(action->text(), QString::fromUtf8(item.caption));
        QCOMPARE(action->isVisible(), item.visible);
    }
    QVERIFY(!frx.Mneu->isEnabled());
    QVERIFY(!frx.Mdruck->isEnabled());
    QVERIFY(frx.N3->isSeparator() && frx.N4->isSeparator() && frx.N1->isSeparator());
    QVERIFY(frx.N5->isSeparator() && frx.N6->isSeparator() && frx.N7->isSeparator());
    // No two entries of the Kommunikation menu share an access key.
    QSet<QChar> keys;
    for (QAction* action : frx.MKommunikation->actions()) {
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        if (amp >= 0) {
            const QChar key = action->text().at(amp + 1).toLower();
            QVERIFY2(!keys.contains(key), qPrintable(action->text()));
            keys.insert(key);
        }
    }
    QCOMPARE(frx.MDatei->title(), QStringLiteral("&Datei"));
    QCOMPARE(frx.MKommunikation->title(), QStringLiteral("&Kommunikation"));
    QVERIFY(frx.COMGroup->isExclusive());
    QCOMPARE(frx.menuBar()->objectName(), QStringLiteral("MainMenu1"));
}

void StartupTest::portItemsSelectThePort_data() {
    QTest::addColumn<int>("port");
    for (int n = 1; n <= 4; ++n) {
        QTest::addRow("COM%d", n) << n;
    }
}

void StartupTest::portItemsSelectThePort() {
    QFETCH(int, port);
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QAction* items[] = {frx.COM11, frx.COM21, frx.COM31, frx.COM41};
    QAction* item = items[port - 1];
    if (item->isEnabled()) {
        item->trigger();
    } else {
        // The probe has disabled the missing COM1 and COM2; their handlers
        // still select them.
        (frx.*(port == 1 ? &TFRX::COM11Click : &TFRX::COM21Click))();
    }
    QVERIFY(item->isChecked());
    for (QAction* other : items) {
        QCOMPARE(other->isChecked(), other == item);
    }
    QCOMPARE(frx.Lsavecom->text(), QString::number(port));
    QCOMPARE(int(frx.RS232.ComNumber()), port);
    QCOMPARE(frx.statusPanelText(0), QStringLiteral("COM%1").arg(port));
    QVERIFY(frx.close());
    QFile ini(fixture.settingsPath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QCOMPARE(ini.readAll().split('\n')[5], QByteArray::number(port) + "\r");
}

void StartupTest::probeDisablesMissingPortsAndEnablesOpenableOnes() {
    WindowFixture fixture;
    {
        TFRX& frx = fixture.startWindow();
        // COM1 fails the probe but is the selected port, which is never greyed out.
        QVERIFY(frx.COM11->isEnabled());
        QVERIFY(!frx.COM21->isEnabled());
        QVERIFY(frx.COM31->isEnabled());  // never probed
        QVERIFY(frx.COM41->isEnabled());
        QVERIFY(!frx.RS232.IsOpen());
    }
    // COM2 on a pseudo-terminal opens: its item stays enabled.
    int master = -1;
    int slave = -1;
    char name[128] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString link = QString::fromStdString(comLinkPath(2));
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(QString::fromLocal8Bit(name), link));
    TFRX& frx = fixture.startWindow();
    QVERIFY(frx.COM11->isEnabled());
    QVERIFY(frx.COM21->isEnabled());
    QVERIFY(!frx.RS232.IsOpen());
    QCOMPARE(frx.RS232.ComNumber(), 1);
    // A later change of an item's state probes again and keeps the selection.
    // COM1, no longer selected, is greyed out by it.
    frx.COM31Click();
    frx.COM21->setEnabled(false);
    QVERIFY(!frx.COM11->isEnabled());
    QVERIFY(frx.COM21->isEnabled());
    QCOMPARE(frx.RS232.ComNumber(), 3);
    // The settings file chooses COM2: the items are probed again with that
    // choice, and COM1, whose device is missing, is greyed out at once.
    QStringList settings = test::settingsLines(fixture.startDir());
    settings[5] = QStringLiteral("2");
    fixture.writeSettings(settings);
    TFRX& started = fixture.startWindow();
    QVERIFY(!started.COM11->isEnabled());
    QVERIFY(started.COM21->isEnabled());
    QCOMPARE(started.RS232.ComNumber(), 2);
    ::close(slave);
    ::close(master);
}

void StartupTest::failedSwitchOfAnOpenPortIsShownInAMessageBox() {
    WindowFixture fixture;
    int master = -1;
    int slave = -1;
    char name[128] = {};
    QCOMPARE(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    const QString link = QString::fromStdString(comLinkPath(2));
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(QString::fromLocal8Bit(name), link));
    TFRX& frx = fixture.startWindow();
    frx.COM21Click();
    frx.RS232.Open();  // as a transfer leaves it
    QVERIFY(frx.RS232.IsOpen());

    QString shown;
    QTimer::singleShot(0, &frx, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->close();
        }
    });
    frx.COM11Click();  // COM1 does not exist
    // The component's own text, and beside it the device and the cause.
    QVERIFY2(shown.startsWith(QStringLiteral("Invalid port number (COM1)\n\nCOM1 (")) &&
                 shown.endsWith(QStringLiteral(") lässt sich nicht öffnen: Gerät nicht vorhanden")),
             qPrintable(shown));
    QVERIFY(frx.COM11->isChecked());
    QCOMPARE(frx.Lsavecom->text(), QStringLiteral("1"));
    QCOMPARE(frx.statusPanelText(0), QStringLiteral("COM1"));
    QVERIFY(!frx.RS232.IsOpen());
    ::close(slave);
    ::close(master);
}

void StartupTest::languageToggle() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.MspracheClick();
    QCOMPARE(frx.language, QStringLiteral("english"));
    frx.MspracheClick();
    QCOMPARE(frx.language, QStringLiteral("deutsch"));
    QCOMPARE(frx.Msprache->text(), QStringLiteral("Sprache / language: D"));
}

void StartupTest::windowIsFixedWithNamedControls() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frx));
    QCOMPARE(frx.objectName(), QStringLiteral("FRX"));
    QCOMPARE(frx.windowTitle(),
             QStringLiteral(" Funkempfänger für serielle Daten- und Spannungsausgabe "));
    // Below the menu bar: the client area, then the status bar.
    QCOMPARE(frx.client->size(), QSize(810, 714));
    QCOMPARE(frx.SB1->height(), 20);
    QCOMPARE(frx.minimumSize(), frx.maximumSize());
    QCOMPARE(frx.height(), 734 + frx.menuBar()->height());
    QVERIFY(!(frx.windowFlags() & Qt::WindowMaximizeButtonHint));
    const char* names[] = {"LeseButton",   "ProgButton", "Butread64",
                           "Butwrite64",   "BaudBox",    "info",
                           "Gauge",        "SB1",        "Version",
                           "Firmware",     "Lsavecom",   "PPage",
                           "Pbasic",       "Pstring",    "Tabwerte",
                           "Bselect",      "Pause1",     "TestFeld",
                           "TM",           "sysmemo",    "Memo1",
                           "BTeststring",  "EB11",       "CB32",
                           "WDH",          "CBTXselect", "Bitlaenge",
                           "Pruefanzahl",  "CBhandRTS",  "CBhandCTS",
                           "CBinitstring", "InitString", "PWMperiod",
                           "ADoffset",     "ADgain",     "CBlockAD",
                           "Baud1200",     "Baud19200",  "BoxStandardsender",
                           "TD4",          "TH3L"};
    for (const char* name : names) {
        QVERIFY2(frx.findChild<QWidget*>(QString::fromLatin1(name)), name);
    }
    QCOMPARE(frx.PPage->geometry(), QRect(8, 48, 793, 593));
    QCOMPARE(frx.info->geometry(), QRect(72, 660, 665, 16));
    QCOMPARE(frx.TM->geometry(), QRect(829, 152, 121, 489));
    QCOMPARE(frx.sysmemo->geometry(), QRect(952, 152, 145, 489));
    QCOMPARE(frx.BTeststring->x(), 840);
    QCOMPARE(frx.PPage->tabText(0), QStringLiteral("   Grundeinstellung   "));
    QCOMPARE(frx.PPage->tabText(1), QStringLiteral("   Ausgabetabelle   "));
    // The service controls exist beyond the client area's right edge.
    QVERIFY(frx.BTeststring->isVisibleTo(frx.client));
    QVERIFY(frx.BTeststring->geometry().left() >= frx.client->width());
    QVERIFY(!frx.TestFeld->isVisibleTo(frx.client));
    QVERIFY(!frx.Memo1->isVisibleTo(frx.client));
    QVERIFY(!frx.Lsavecom->isVisibleTo(frx.client));
    QCOMPARE(frx.TM->toPlainText(), QStringLiteral("Testfenster"));
    QCOMPARE(frx.info->palette().color(QPalette::WindowText), QColor(Qt::black));
}

}  // namespace tovrix

QTEST_MAIN(tovrix::StartupTest)
#include "startup_test.moc"
