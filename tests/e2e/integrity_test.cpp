// The real main window against the receiver emulator while a transfer runs:
// what a programming run sends and what the window refuses meanwhile, a
// start while the receiver still streams, a port that cannot be opened, and
// where the focus goes when a transfer ends.
#include "app/numericedit.h"
#include "e2efixture.h"
#include "link/statusmessages.h"
#include "link/transfersequence.h"
#include "serial/portnames.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tovrix::e2e {

enum class Run { tableWrite, configWrite };
enum class PortTrouble { missing, held, noPermission, notSerial };

}  // namespace tovrix::e2e

Q_DECLARE_METATYPE(tovrix::e2e::Run)
Q_DECLARE_METATYPE(tovrix::e2e::PortTrouble)

namespace tovrix::e2e {
namespace {

// The user and group "nobody".
constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

// The commands of the frames in runs of equal ones: "21x1024 29x1".
QString commandRuns(const std::vector<Bytes>& frames) {
    QStringList runs;
    int last = -1;
    int count = 0;
    const auto close = [&] {
        if (count > 0) {
            runs << QStringLiteral("%1x%2").arg(last).arg(count);
        }
    };
    for (const Bytes& frame : frames) {
        const int command = frame.empty() ? -1 : frame.front();
        if (command != last) {
            close();
            last = command;
            count = 0;
        }
        ++count;
    }
    close();
    return runs.join(QLatin1Char(' '));
}

bool logged(const Bench& bench, const std::string& kind) {
    const std::vector<LogEvent> log = bench.log();
    return std::any_of(log.begin(), log.end(),
                       [&](const LogEvent& event) { return event.kind == kind; });
}

// The receiver holds the block and image a run programmed: for a table
// write the whole image, for a configuration write the programmed bytes.
bool holds(const ReceiverData& receiver, const ReceiverData& programmed, Run run) {
    if (run == Run::tableWrite) {
        return receiver.image == programmed.image;
    }
    return std::equal(programmed.conf.begin(), programmed.conf.begin() + conf::kProgrammedSize,
                      receiver.conf.begin());
}

// True once the run has written a good part of its data and has more to go.
bool writing(const TFRX& w, Run run) {
    const TransferState& state = w.transfers().state();
    if (run == Run::tableWrite) {
        return state.writemode && state.xferpos >= kImageSize / 4;
    }
    return state.writemode && !state.sysphase && state.xferpos >= conf::kProgrammedSize / 4;
}

// Runs the event loop until the run has reached that point, looking at
// every step of the gauge: the run stops there, with its next answer
// waiting, however fast the receiver answers.
bool runUntilWriting(TFRX& w, Run run) {
    QEventLoop loop;
    QObject::connect(w.Gauge, &QProgressBar::valueChanged, &loop, [&] {
        if (writing(w, run)) {
            loop.quit();
        }
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return writing(w, run);
}

// What changes the window's data, starts a transfer or switches the port;
// a programming run greys all of it out, and gives each its state back
// afterwards (the hidden "neu" stays disabled, COM2's missing device stays
// greyed out).
QList<QObject*> refusedDuringProgramming(const TFRX& w) {
    QList<QObject*> controls;
    controls << w.Mneu << w.COM11 << w.COM21 << w.COM31 << w.COM41;
    controls << w.Pbasic << w.Pstring << w.BTeststring << w.MLaden << w.MDatensenden
             << w.MDatenempfangen << w.Mwrite64 << w.Mread64 << w.LeseButton << w.ProgButton
             << w.Butread64 << w.Butwrite64 << w.Tabwerte << w.WDH;
    return controls;
}

bool enabled(const QObject* object) {
    if (const auto* action = qobject_cast<const QAction*>(object)) {
        return action->isEnabled();
    }
    return qobject_cast<const QWidget*>(object)->isEnabled();
}

QString enabledOnes(const QList<QObject*>& objects, bool wanted) {
    QStringList names;
    for (const QObject* object : objects) {
        if (enabled(object) == wanted) {
            names << object->objectName();
        }
    }
    return names.join(QLatin1Char(' '));
}

bool editorOpen(const TFRX& w) {
    return w.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor")) != nullptr;
}

// A pseudo-terminal of the test's own, for a COM link to point at; its
// slave is a serial device like any other.
class SpareTerminal {
  public:
    SpareTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            if (const char* name = ptsname(master_)) {
                path_ = QString::fromLocal8Bit(name);
            }
        }
    }
    ~SpareTerminal() {
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    SpareTerminal(const SpareTerminal&) = delete;
    SpareTerminal& operator=(const SpareTerminal&) = delete;
    const QString& path() const { return path_; }

  private:
    int master_ = -1;
    QString path_;
};

// A descriptor closed at the end of the scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// The file-system identity of this thread only (Linux keeps it per thread),
// given back at the end of the scope. Root's override of file permissions
// goes while it is someone else's.
class FileSystemIdentity {
  public:
    FileSystemIdentity(uid_t uid, gid_t gid)
        : previousGid_(static_cast<gid_t>(setfsgid(gid))),
          previousUid_(static_cast<uid_t>(setfsuid(uid))) {}
    ~FileSystemIdentity() {
        setfsuid(previousUid_);
        setfsgid(previousGid_);
    }
    FileSystemIdentity(const FileSystemIdentity&) = delete;
    FileSystemIdentity& operator=(const FileSystemIdentity&) = delete;

  private:
    gid_t previousGid_;
    uid_t previousUid_;
};

void makeSearchable(const QString& directory) {
    QFile::setPermissions(directory, QFile::permissions(directory) | QFile::ExeGroup |
                                         QFile::ExeOther | QFile::ReadGroup | QFile::ReadOther);
}

}  // namespace

class IntegrityTest : public QObject {
    Q_OBJECT

  private slots:
    void programmingSendsWhatWasShown_data();
    void programmingSendsWhatWasShown();
    void startWhileTheReceiverStillStreams();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();
    void focusComesBack_data();
    void focusComesBack();
};

void IntegrityTest::programmingSendsWhatWasShown_data() {
    QTest::addColumn<Run>("run");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("commands");  // every frame the emulator acted on
    QTest::newRow("table write") << Run::tableWrite << msg(StatusMessage::msgtabwritten)
                                 << QStringLiteral("21x1024 29x1");
    QTest::newRow("configuration write") << Run::configWrite << msg(StatusMessage::msgverifyok)
                                         << QStringLiteral("24x21 20x100 22x128 29x1");
}

// A file is loaded and programmed. While the run goes on, the window greys
// out and refuses whatever would change the data or start another transfer:
// loading, typing into the pages, the Kommunikation menu, the test
// telegram. Even a change that gets past it (the load handler called
// directly) does not reach the receiver: it is sent what the window showed
// when the run started. Afterwards everything works again.
void IntegrityTest::programmingSendsWhatWasShown() {
    QFETCH(Run, run);
    QFETCH(QString, verdict);
    QFETCH(QString, commands);
    Bench bench({QStringLiteral("--fast")}, ReceiverData{sampleBlock(1), sampleImage(2)});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const ReceiverData shown{sampleBlock(11), sampleImage(21)};
    const ReceiverData other{sampleBlock(12), sampleImage(22)};
    const QString shownFile = bench.writeFile(QStringLiteral("shown.tvx"), shown);
    const QString otherFile = bench.writeFile(QStringLiteral("other.tvx"), other);
    QVERIFY(!shownFile.isEmpty() && !otherFile.isEmpty());
    bench.chooseFile(shownFile);
    QVERIFY(clickMenuEntry(w.MDatei, w.MLaden));
    QCOMPARE(bench.fileDialogs, 1);
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgfileok));
    w.Tabwerte->setCurrentCell(3, 2);  // a key there opens the cell's editor

    const QList<QObject*> refused = refusedDuringProgramming(w);
    const QString offered = enabledOnes(refused, true);

    (run == Run::tableWrite ? w.Butwrite64 : w.ProgButton)->click();
    QVERIFY(runUntilWriting(w, run));
    QVERIFY(w.transfers().programmingRunning());
    QCOMPARE(enabledOnes(refused, true), QString());

    bench.chooseFile(otherFile);
    QVERIFY(clickMenuEntry(w.MDatei, w.MLaden));
    QTest::keyClicks(w.Tabwerte, QStringLiteral("7"));
    const QString repeats = w.WDH->text();
    const ConfData block = w.confdata;
    QTest::keyClick(w.WDH, Qt::Key_Backspace);
    QTest::keyClicks(w.WDH, QStringLiteral("9"));
    QTest::keyClick(w.WDH, Qt::Key_Return);
    for (QAction* starter : {w.MDatensenden, w.MDatenempfangen, w.Mwrite64, w.Mread64}) {
        QVERIFY(clickMenuEntry(w.MKommunikation, starter));
    }
    w.BTeststring->click();
    QCOMPARE(bench.fileDialogs, 1);
    QVERIFY(!editorOpen(w));
    QCOMPARE(w.WDH->text(), repeats);
    QVERIFY(w.confdata == block);
    QVERIFY(w.transfers().programmingRunning());

    // The load handler itself, past its greyed-out entry.
    w.MLadenClick();
    QCOMPARE(bench.fileDialogs, 2);
    QVERIFY(w.tabdata == other.image);

    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), verdict);
    QCOMPARE(bench.infoColour(), kBlack);
    QVERIFY(waitFor([&] { return logged(bench, "saved"); }, 5000));
    QCOMPARE(commandRuns(bench.frames()), commands);
    const std::optional<ReceiverData> receiver = bench.savedState();
    QVERIFY(receiver.has_value());
    QVERIFY(holds(*receiver, shown, run));
    QCOMPARE(bench.beeps.count(), 0);
    QVERIFY(bench.errors.isEmpty());

    QCOMPARE(enabledOnes(refused, true), offered);
    bench.chooseFile(shownFile);
    QVERIFY(clickMenuEntry(w.MDatei, w.MLaden));
    QCOMPARE(bench.fileDialogs, 3);
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgfileok));
    QVERIFY(w.tabdata == shown.image);
    QCOMPARE(gridTexts(w), sampleGridTexts(21));
}

// A table read streams at the pace of the line when a configuration read
// from the menu takes its place. A read is no programming run, so the menu
// offers it. The new read waits until the rest of the stream has passed;
// every one of its frames reaches the receiver and every answer is its own.
void IntegrityTest::startWhileTheReceiverStillStreams() {
    const ReceiverData data{sampleBlock(9), sampleImage(33)};
    Bench bench({}, data);
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const TabData table = w.tabdata;

    w.Butread64->click();
    QVERIFY(waitFor([&] { return w.transfers().state().xferpos >= 300; }, 10000));
    QVERIFY(w.transfers().state().readmode);
    QList<QObject*> offered;
    offered << w.Pbasic << w.Pstring << w.BTeststring << w.MLaden << w.MDatensenden << w.Mwrite64
            << w.MDatenempfangen;
    QCOMPARE(enabledOnes(offered, false), QString());
    QVERIFY(clickMenuEntry(w.MKommunikation, w.MDatenempfangen));
    QCOMPARE(bench.infoText(), QStringLiteral("\"read system data\""));

    // The stream has up to 4 s to go; the quiet line after it starts the read.
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 15000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
    QCOMPARE(bench.infoColour(), kBlack);
    QVERIFY(std::equal(data.conf.begin(), data.conf.end(), w.confdata.begin()));
    QVERIFY(w.tabdata == table);  // the read that was replaced left the table alone

    std::vector<Bytes> expected{{23, 0, 0, 32, 0}};
    for (std::uint8_t a = 0; a <= 20; ++a) {
        expected.push_back({24, a});
    }
    for (std::uint8_t a = 0; a < 128; ++a) {
        expected.push_back({22, a});
    }
    QCOMPARE(bench.frames(), expected);
    QVERIFY(!logged(bench, "drop"));
    QVERIFY(!logged(bench, "ignore"));
    QCOMPARE(bench.beeps.count(), 0);
}

void IntegrityTest::portThatCannotBeOpened_data() {
    QTest::addColumn<PortTrouble>("trouble");
    QTest::addColumn<QString>("starter");
    QTest::addColumn<QString>("cause");
    QTest::newRow("device missing") << PortTrouble::missing << QStringLiteral("Butread64")
                                    << QStringLiteral("Gerät nicht vorhanden");
    QTest::newRow("device held by another program")
        << PortTrouble::held << QStringLiteral("LeseButton")
        << QStringLiteral("von einem anderen Programm belegt");
    QTest::newRow("no permission")
        << PortTrouble::noPermission << QStringLiteral("Butwrite64")
        << QStringLiteral(
               "keine Berechtigung – nur der Administrator kann den Zugriff einrichten (z. B. "
               "mit einer udev-Regel); das Gerät gehört „root“ (Gruppe „tty“, crw--w----)");
    QTest::newRow("not a serial device") << PortTrouble::notSerial << QStringLiteral("BTeststring")
                                         << QStringLiteral("keine serielle Schnittstelle");
}

// A configuration read leaves its black verdict; then COM1 stands for a
// device that cannot be opened. The starter puts the port, its device and
// the cause in red in its place, with a beep, and starts nothing.
void IntegrityTest::portThatCannotBeOpened() {
    QFETCH(PortTrouble, trouble);
    QFETCH(QString, starter);
    QFETCH(QString, cause);
    Bench bench({QStringLiteral("--fast")});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    w.LeseButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
    QCOMPARE(bench.infoColour(), kBlack);

    SpareTerminal terminal;
    Descriptor holder;
    QString device;
    switch (trouble) {
        case PortTrouble::missing:
            device = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/unplugged");
            break;
        case PortTrouble::held:
            device = terminal.path();
            QVERIFY(!device.isEmpty());
            holder.fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            QVERIFY(holder.fd >= 0);
            QCOMPARE(::flock(holder.fd, LOCK_EX | LOCK_NB), 0);
            break;
        case PortTrouble::noPermission: {
            // A terminal as the system hands it out: the user's, group tty,
            // 0620. The tool runs as someone else; joining tty would not
            // let it read.
            if (geteuid() != 0) {
                QSKIP("only root can hand the device to another user and act as someone else");
            }
            device = terminal.path();
            QVERIFY(!device.isEmpty());
            const group* tty = getgrnam("tty");
            if (tty == nullptr) {
                QSKIP("this system has no group tty to give the device");
            }
            const QByteArray path = device.toLocal8Bit();
            QCOMPARE(::chown(path.constData(), 0, tty->gr_gid), 0);
            QCOMPARE(::chmod(path.constData(), 0620), 0);
            // Someone else must find the way to the link.
            const QString ports = QString::fromStdString(comPortDirectory());
            for (const QString& directory : {qEnvironmentVariable("XDG_CONFIG_HOME"),
                                             ports.section(QLatin1Char('/'), 0, -2), ports}) {
                makeSearchable(directory);
            }
            break;
        }
        case PortTrouble::notSerial:
            device = bench.writeFile(QStringLiteral("plain.tvx"), {});
            QVERIFY(!device.isEmpty());
            break;
    }
    QVERIFY(bench.pointComLink(1, device));
    QPushButton* button = w.findChild<QPushButton*>(starter);
    QVERIFY(button);

    if (trouble == PortTrouble::noPermission) {
        const FileSystemIdentity nobody(kNobody, kNogroup);
        const int probe = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        const int probeError = errno;
        if (probe >= 0) {
            ::close(probe);
            QSKIP("this thread opens a 0620 device of root's as uid 65534: no permission check");
        }
        QCOMPARE(probeError, EACCES);
        button->click();
    } else {
        button->click();
    }

    QCOMPARE(bench.infoText(), QStringLiteral("COM1 (") + device +
                                   QStringLiteral(") lässt sich nicht öffnen: ") + cause);
    QCOMPARE(bench.infoColour(), kRed);
    QCOMPARE(bench.beeps.count(), 1);
    QVERIFY(bench.transferControlsEnabled());
    QVERIFY(!w.transfers().transferRunning());
    QVERIFY(!w.RS232.IsOpen());
    QVERIFY(bench.errors.isEmpty());
}

void IntegrityTest::focusComesBack_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("control");  // has the focus when the transfer starts
    QTest::addColumn<QString>("action");   // the menu entry that starts it; none: Space
    QTest::addColumn<QString>("verdict");
    QTest::newRow("table read by Space") << QStringLiteral("Pstring") << QStringLiteral("Butread64")
                                         << QString() << msg(StatusMessage::msgtabreadok);
    QTest::newRow("configuration read by Space")
        << QStringLiteral("Pbasic") << QStringLiteral("LeseButton") << QString()
        << msg(StatusMessage::msgconfreadok);
    QTest::newRow("configuration write by Space")
        << QStringLiteral("Pbasic") << QStringLiteral("ProgButton") << QString()
        << msg(StatusMessage::msgverifyok);
    QTest::newRow("table write from the grid by the menu")
        << QStringLiteral("Pstring") << QStringLiteral("Tabwerte") << QStringLiteral("Mwrite64")
        << msg(StatusMessage::msgtabwritten);
}

// The control that has the focus is disabled while the transfer runs, so
// the focus moves on; it comes back to that control when the transfer ends.
void IntegrityTest::focusComesBack() {
    QFETCH(QString, page);
    QFETCH(QString, control);
    QFETCH(QString, action);
    QFETCH(QString, verdict);
    Bench bench({QStringLiteral("--fast")});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    QVERIFY(bench.showActive());
    w.PPage->setCurrentWidget(w.findChild<QWidget*>(page));
    QWidget* focused = w.findChild<QWidget*>(control);
    QVERIFY(focused);
    focused->setFocus(Qt::TabFocusReason);
    QVERIFY(waitFor([&] { return QApplication::focusWidget() == focused; }, 5000));

    if (action.isEmpty()) {
        QTest::keyClick(focused, Qt::Key_Space);
    } else {
        // Triggered as the menu does once it has closed. (On the offscreen
        // platform an open popup menu takes the focus from the window.)
        w.findChild<QAction*>(action)->trigger();
    }
    QVERIFY(w.transfers().transferRunning());
    QVERIFY(QApplication::focusWidget() != focused);
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), verdict);
    QCOMPARE(QApplication::focusWidget(), focused);
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::IntegrityTest)
#include "integrity_test.moc"
