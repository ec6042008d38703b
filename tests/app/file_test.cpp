// The file menu of the real main window: save, load and new file, with the
// messages, colours and beeps the window shows. The file layout and the
// loader's rules are tested without a window in tests/config.
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "config/configfileio.h"
#include "config/textlines.h"
#include "dialogs/fask.h"
#include "link/statusmessages.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <iterator>

namespace tovrix {

using test::BeepCounter;
using test::WindowFixture;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

QString msg(StatusMessage message) {
    return QString::fromStdString(statusText(message));
}

QColor infoColour(const TFRX& w) {
    return w.info->palette().color(QPalette::WindowText);
}

std::string readBytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeLines(const QString& path, const std::vector<std::string>& lines) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << joinLines(lines);
}

QStringList gridTexts(const TFRX& w) {
    QStringList texts;
    for (int row = 1; row <= 256; ++row) {
        for (int column = 1; column <= 16; ++column) {
            texts << w.gridText(column, row);
        }
    }
    return texts;
}

// Puts distinct values into the block, the firmware and the grid.
void fillWindow(TFRX& w) {
    for (int i = 0; i < 100; ++i) {
        w.confdata[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(3 * i + 1);
    }
    w.sysdata[1] = 3;
    w.sysdata[2] = 1;
    TabCells cells{};
    resetTable(cells);
    for (std::size_t line = 0; line < 30; ++line) {
        for (std::size_t cell = 0; cell < 15; ++cell) {
            cells[line][cell] = TabCell{kNumberCell, static_cast<std::uint8_t>(line * 8 + cell)};
        }
    }
    w.tabdata = encodeImage(cells, TableSettings{});
    bool ok = false;
    w.Restore64K(ok);
    w.showdata();
}

// Confirms the dialog with this file, as if the user had chosen it.
TFRX::FileDialogRunner choose(const QString& path) {
    return [path](QFileDialog& dialog) {
        dialog.selectFile(path);
        return true;
    };
}

TFRX::FileDialogRunner cancel() {
    return [](QFileDialog&) { return false; };
}

}  // namespace

class FileTest : public QObject {
    Q_OBJECT

  private slots:
    void saveThenLoadGivesBackBlockImageAndGrid();
    void failedSaveKeepsThePreviousFile();
    void outcomes_data();
    void outcomes();
    void refusedFileChangesNothing();
    void comLineKeepsTheSelectedPort();
    void dialogsAsTheUserSeesThem_data();
    void dialogsAsTheUserSeesThem();
    void newFileQuestion_data();
    void newFileQuestion();
};

void FileTest::saveThenLoadGivesBackBlockImageAndGrid() {
    WindowFixture fixture;
    TFRX& w = fixture.startWindow();
    BeepCounter beeps;
    fillWindow(w);
    const ConfData block = w.confdata;
    const QStringList grid = gridTexts(w);
    QVERIFY(QDir(fixture.startDir()).mkdir(QStringLiteral("archive")));
    const QString folder = fixture.startDir() + QStringLiteral("/archive");

    // No extension typed: the dialog adds ".tvx".
    w.setFileDialogRunner(choose(folder + QStringLiteral("/setup")));
    w.MSpeichern->trigger();
    const QString saved = folder + QStringLiteral("/setup.tvx");
    QCOMPARE(w.info->text(), msg(StatusMessage::msgsaved));
    QCOMPARE(infoColour(w), kBlack);
    QCOMPARE(w.statusPanelText(1), saved);
    QCOMPARE(QDir::currentPath(), folder);
    const std::string bytes = readBytes(saved);
    const std::vector<std::string> lines = splitLines(bytes);
    QCOMPARE(lines.size(), std::size_t{617});
    QVERIFY(bytes.ends_with("\r\n") && bytes.find("\r\n") == lines[0].size());
    QCOMPARE(lines[256], std::string("COM1"));
    QCOMPARE(lines[267], std::string("Firmware: 1.03"));
    QCOMPARE(w.tabdata[8191], imageChecksum(w.tabdata));

    // Everything forgotten, then loaded back.
    const TabData image = w.tabdata;
    resetConfigBlock(w.confdata);
    w.setuptable();
    w.tabdata.fill(0);
    w.setFileDialogRunner(choose(saved));
    w.MLaden->trigger();
    QCOMPARE(w.info->text(), msg(StatusMessage::msgfileok));
    QCOMPARE(infoColour(w), kBlack);
    QVERIFY(std::equal(block.begin(), block.begin() + 128, w.confdata.begin()));
    QVERIFY(w.tabdata == image);
    QCOMPARE(gridTexts(w), grid);
    QCOMPARE(w.SaveDialogFileName, saved);
    QCOMPARE(beeps.count(), 0);
}

// The new content goes to a temporary file first; a write that fails half
// way (here: the process may not write more than 4 KB) leaves the old file.
void FileTest::failedSaveKeepsThePreviousFile() {
    WindowFixture fixture;
    TFRX& w = fixture.startWindow();
    BeepCounter beeps;
    const QString path = fixture.startDir() + QStringLiteral("/keep.tvx");
    w.setFileDialogRunner(choose(path));
    w.MSpeichern->trigger();
    const std::string before = readBytes(path);
    QCOMPARE(splitLines(before).size(), std::size_t{617});

    fillWindow(w);
    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    w.MSpeichern->trigger();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(w.info->text(), msg(StatusMessage::msgsaveerror) + QStringLiteral(" file too large"));
    QCOMPARE(infoColour(w), kRed);
    QCOMPARE(beeps.count(), 1);
    QCOMPARE(readBytes(path), before);
    QCOMPARE(QDir(fixture.startDir()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("keep.tvx")}));
}

void FileTest::outcomes_data() {
    QTest::addColumn<QString>("action");  // what the user does
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("failure");     // red with a beep
    QTest::addColumn<QString>("current");  // the status bar's file afterwards

    QTest::newRow("save cancelled")
        << "save-cancel" << msg(StatusMessage::msgsavecancel) << false << "newfile.tvx";
    QTest::newRow("save into a missing folder")
        << "save-missing"
        << msg(StatusMessage::msgsaveerror) + QStringLiteral(" the folder does not exist") << true
        << "newfile.tvx";
    QTest::newRow("load cancelled")
        << "load-cancel" << msg(StatusMessage::msgloadcancel) << false << "newfile.tvx";
    QTest::newRow("load with a wrong checksum")
        << "load-changed" << msg(StatusMessage::msgfilesum) << true << "changed.tvx";
    // Refused at once: a pipe would hold the window in open(), a device
    // or a huge file would fill its memory.
    const QString notAFile =
        msg(StatusMessage::msgloaderror) + QStringLiteral(" not a regular file");
    QTest::newRow("load a pipe") << "load-pipe" << notAFile << true << "newfile.tvx";
    QTest::newRow("load /dev/zero") << "load-device" << notAFile << true << "newfile.tvx";
    QTest::newRow("load a file over 1 MB")
        << "load-big"
        << msg(StatusMessage::msgloaderror) +
               QStringLiteral(" larger than 1 MB, which no configuration file is")
        << true << "newfile.tvx";
}

void FileTest::outcomes() {
    QFETCH(QString, action);
    QFETCH(QString, message);
    QFETCH(bool, failure);
    QFETCH(QString, current);
    WindowFixture fixture;
    TFRX& w = fixture.startWindow();
    const QString dir = fixture.startDir();

    // A saved file with one table value (line 0, cell 1) changed by hand,
    // checksum line kept.
    fillWindow(w);
    w.setFileDialogRunner(choose(dir + QStringLiteral("/changed.tvx")));
    w.MSpeichern->trigger();
    std::vector<std::string> lines = splitLines(readBytes(dir + QStringLiteral("/changed.tvx")));
    lines[271].replace(26, 3, "042");
    writeLines(dir + QStringLiteral("/changed.tvx"), lines);
    w.OpenDialogFileName = QStringLiteral("newfile.tvx");
    w.SaveDialogFileName = QStringLiteral("default.tvx");
    w.showdata();

    BeepCounter beeps;
    if (action == QLatin1String("save-cancel")) {
        w.setFileDialogRunner(cancel());
        w.MSpeichern->trigger();
    } else if (action == QLatin1String("save-missing")) {
        w.setFileDialogRunner(choose(dir + QStringLiteral("/no/such/folder/x.tvx")));
        w.MSpeichern->trigger();
    } else if (action == QLatin1String("load-cancel")) {
        w.setFileDialogRunner(cancel());
        w.MLaden->trigger();
        QCOMPARE(w.SaveDialogFileName, QStringLiteral("newfile.tvx"));
    } else if (action == QLatin1String("load-changed")) {
        w.setFileDialogRunner(choose(dir + QStringLiteral("/changed.tvx")));
        w.MLaden->trigger();
        QCOMPARE(w.gridText(1, 1), QStringLiteral("42"));  // shown all the same
    } else {
        // The device by a name in the folder, as the dialog lists it.
        QString target = dir + QStringLiteral("/zero.tvx");
        if (action == QLatin1String("load-device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), target));
        } else if (action == QLatin1String("load-pipe")) {
            target = dir + QStringLiteral("/pipe.tvx");
            QCOMPARE(::mkfifo(target.toLocal8Bit().constData(), 0600), 0);
        } else if (action == QLatin1String("load-big")) {
            target = dir + QStringLiteral("/big.tvx");
            QFile big(target);
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(2 << 20));
        }
        w.setFileDialogRunner(choose(target));
        w.MLaden->trigger();
    }
    QCOMPARE(w.info->text(), message);
    // A reason after the message: the whole text is the info line's tooltip.
    QCOMPARE(w.info->toolTip(),
             message.endsWith(QLatin1Char('!')) || !failure ? QString() : message);
    QCOMPARE(infoColour(w), failure ? kRed : kBlack);
    QCOMPARE(beeps.count(), failure ? 1 : 0);
    QVERIFY(w.statusPanelText(1).endsWith(current));
}

// A file the loader refuses (line 5 is no number) leaves the block, the
// image, the grid and the current file as they were.
void FileTest::refusedFileChangesNothing() {
    WindowFixture fixture;
    TFRX& w = fixture.startWindow();
    const QString path = fixture.startDir() + QStringLiteral("/bad.tvx");
    w.setFileDialogRunner(choose(path));
    w.MSpeichern->trigger();
    std::vector<std::string> lines = splitLines(readBytes(path));
    lines[5] = "abc";
    writeLines(path, lines);
    fillWindow(w);
    const ConfData block = w.confdata;
    const TabData image = w.tabdata;
    const QStringList grid = gridTexts(w);
    const QString current = w.statusPanelText(1);
    w.SaveDialogFileName = QStringLiteral("other.tvx");

    BeepCounter beeps;
    w.MLaden->trigger();
    QCOMPARE(w.info->text(),
             msg(StatusMessage::msgloaderror) + QStringLiteral(" line 6 is not a number"));
    QCOMPARE(infoColour(w), kRed);
    QCOMPARE(beeps.count(), 1);
    QVERIFY(w.confdata == block);
    QVERIFY(w.tabdata == image);
    QCOMPARE(gridTexts(w), grid);
    QCOMPARE(w.statusPanelText(1), current);
    QCOMPARE(w.SaveDialogFileName, QStringLiteral("other.tvx"));
}

void FileTest::comLineKeepsTheSelectedPort() {
    WindowFixture fixture;
    TFRX& w = fixture.startWindow();
    const QString path = fixture.startDir() + QStringLiteral("/com3.tvx");
    w.setFileDialogRunner(choose(path));
    w.MSpeichern->trigger();
    std::vector<std::string> lines = splitLines(readBytes(path));
    lines[256] = "COM3";
    writeLines(path, lines);

    w.MLaden->trigger();
    QCOMPARE(w.info->text(), msg(StatusMessage::msgfileok));
    QCOMPARE(w.statusPanelText(0), QStringLiteral("COM1"));
    QCOMPARE(w.RS232.ComNumber(), std::uint16_t{1});
    QVERIFY(w.COM11->isChecked());
}

void FileTest::dialogsAsTheUserSeesThem_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("load") << false;
    QTest::newRow("save") << true;
}

// The real modal dialog, looked at while it is open and then cancelled.
void FileTest::dialogsAsTheUserSeesThem() {
    QFETCH(bool, save);
    WindowFixture fixture;
    TFRX& w = fixture.startWindow();
    bool seen = false;
    QTimer::singleShot(0, &w, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        seen = true;
        const auto close = qScopeGuard([dialog] { dialog->reject(); });
        QCOMPARE(dialog->windowTitle(),
                 save ? QStringLiteral("Datei Speichern") : QStringLiteral("Datei Laden"));
        QCOMPARE(dialog->nameFilters(),
                 (QStringList{QStringLiteral("Spannungs- und RS232/485-Daten- Ausgabe (*.tvx)"),
                              QStringLiteral("all (*.*)")}));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("tvx"));
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog->acceptMode(), save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QCOMPARE(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QCOMPARE(dialog->directory().absolutePath(), fixture.startDir());
        QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(),
                 save ? QStringLiteral("default.tvx") : QStringLiteral("newfile.tvx"));
    });
    if (save) {
        w.MSpeichernClick();
    } else {
        w.MLadenClick();
    }
    QVERIFY(seen);
    QCOMPARE(w.info->text(),
             msg(save ? StatusMessage::msgsavecancel : StatusMessage::msgloadcancel));
}

void FileTest::newFileQuestion_data() {
    QTest::addColumn<QString>("answer");
    QTest::newRow("JA") << "JA";
    QTest::newRow("NEIN") << "NEIN";
    QTest::newRow("closed") << "close";
}

void FileTest::newFileQuestion() {
    QFETCH(QString, answer);
    WindowFixture fixture;
    QStringList settings = test::settingsLines(fixture.startDir());
    settings[7] = QStringLiteral("51");  // baud code
    settings[9] = QStringLiteral("7");   // lock-out time
    fixture.writeSettings(settings);
    TFRX& w = fixture.startWindow();
    TFask fask;
    w.setAskForm(&fask);
    fillWindow(w);
    w.confdata[10] = 207;
    w.OpenDialogFileName = QStringLiteral("mine.tvx");
    const ConfData block = w.confdata;
    const QStringList grid = gridTexts(w);

    BeepCounter beeps;
    QStringList question;
    QTimer::singleShot(0, &fask, [&] {
        if (QTest::qWaitForWindowActive(&fask)) {
            question = fask.M->toPlainText().split(QLatin1Char('\n'));
            if (answer == QLatin1String("JA")) {
                fask.JA->click();
            } else if (answer == QLatin1String("NEIN")) {
                fask.NEIN->click();
            }
        }
        if (fask.isVisible()) {
            fask.close();
        }
    });
    w.MneuClick();
    QCOMPARE(question, (QStringList{QStringLiteral("!!!  Neue Datei erstellen  !!!"),
                                    QStringLiteral("alle Werte zurücksetzen ?")}));
    if (answer != QLatin1String("JA")) {
        QCOMPARE(beeps.count(), 1);
        QVERIFY(w.confdata == block);
        QCOMPARE(gridTexts(w), grid);
        QCOMPARE(w.OpenDialogFileName, QStringLiteral("mine.tvx"));
        return;
    }
    QCOMPARE(beeps.count(), 0);
    QCOMPARE(w.OpenDialogFileName, QStringLiteral("newfile.tvx"));
    QCOMPARE(w.sysdata, (std::array<std::uint8_t, 21>{}));
    QVERIFY(gridTexts(w) != grid);
    // The start-up step runs again and reads the settings file.
    QTRY_COMPARE(w.confdata[conf::kBaudCode], std::uint8_t{51});
    QCOMPARE(w.confdata[conf::kLockoutTime], std::uint8_t{7});
    QCOMPARE(w.confdata[conf::kBitLength], std::uint8_t{12});
    QCOMPARE(w.confdata[conf::kValidityCount], std::uint8_t{2});
    QCOMPARE(w.confdata[conf::kResolution], std::uint8_t{200});
    QCOMPARE(w.statusPanelText(1), QStringLiteral("newfile.tvx"));
    QCOMPARE(w.Firmware->text(), QStringLiteral("0.00"));
}

}  // namespace tovrix

QTEST_MAIN(tovrix::FileTest)
#include "file_test.moc"
