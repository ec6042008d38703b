// The real main window against the receiver emulator when the user leaves
// or a signal ends the program: a programming run is ended properly (its
// end command reaches the receiver) or goes on, as the answer says; and
// edits that were never saved are saved, discarded or kept, as the answer
// to the question before loading or leaving says.
#include "app/exitsignals.h"
#include "app/numericedit.h"
#include "config/configfileio.h"
#include "e2efixture.h"
#include "link/transfersequence.h"
#include "table/image.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <signal.h>

#include <algorithm>
#include <csignal>
#include <memory>

namespace tovrix::e2e {

// How the user (or the system) meets the question before leaving during a
// programming run.
enum class Leave { nein, escape, enter, ja, sigterm, duringRead };

}  // namespace tovrix::e2e

Q_DECLARE_METATYPE(tovrix::e2e::Leave)

namespace tovrix::e2e {
namespace {

// Runs answer on the next modal dialog as soon as it shows (it opens inside
// the call that follows this one). The look ends with the returned timer,
// at the latest with the test that made it.
std::unique_ptr<QTimer> answerNextDialog(std::function<void(QWidget*)> answer) {
    auto look = std::make_unique<QTimer>();
    QTimer* timer = look.get();
    QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            answer(modal);
        }
    });
    timer->start(5);
    return look;
}

bool logged(const Bench& bench, const std::string& kind) {
    const std::vector<LogEvent> log = bench.log();
    return std::any_of(log.begin(), log.end(),
                       [&](const LogEvent& event) { return event.kind == kind; });
}

int framesOf(const Bench& bench, std::uint8_t command) {
    const std::vector<Bytes> frames = bench.frames();
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), [&](const Bytes& frame) {
        return !frame.empty() && frame.front() == command;
    }));
}

// Runs the event loop until the transfer has handled a quarter of its data.
bool runUntilQuarter(TFRX& w, int total) {
    return waitFor([&] { return w.transfers().state().xferpos >= total / 4; }, 10000);
}

// The emulator held still (SIGSTOP) and let go again: the run waits for
// its next answer meanwhile, so the answer to the question finds it under
// way however fast the emulator is.
struct HeldReceiver {
    explicit HeldReceiver(pid_t pid) : pid_(pid) { ::kill(pid_, SIGSTOP); }
    ~HeldReceiver() { release(); }
    void release() {
        if (pid_ > 0) {
            ::kill(pid_, SIGCONT);
            pid_ = -1;
        }
    }
    pid_t pid_;
};

}  // namespace

class LeavingTest : public QObject {
    Q_OBJECT

  private slots:
    void leavingWhileProgramming_data();
    void leavingWhileProgramming();
    void unsavedEdits_data();
    void unsavedEdits();
};

void LeavingTest::leavingWhileProgramming_data() {
    QTest::addColumn<bool>("table");  // the table write, else the configuration write
    QTest::addColumn<Leave>("leave");
    QTest::addColumn<bool>("stays");  // the window stays and the run completes
    QTest::newRow("table write, NEIN") << true << Leave::nein << true;
    QTest::newRow("configuration write, Escape") << false << Leave::escape << true;
    QTest::newRow("table write, Enter") << true << Leave::enter << true;
    QTest::newRow("table write, JA") << true << Leave::ja << false;
    QTest::newRow("configuration write, JA") << false << Leave::ja << false;
    QTest::newRow("table write, SIGTERM") << true << Leave::sigterm << false;
    QTest::newRow("table read, no question") << true << Leave::duringRead << false;
}

// The run is held a quarter of the way through while the user leaves ("e&xit"
// in the menu) or SIGTERM arrives. The answers that do not leave keep it
// going to its end, and the receiver holds all of it. Leaving ends it as its
// watchdog would: the end command follows the chunks sent, the receiver
// stores what it has (a table with part of the new data), and the window
// closes with its port. A read needs no question.
void LeavingTest::leavingWhileProgramming() {
    QFETCH(bool, table);
    QFETCH(Leave, leave);
    QFETCH(bool, stays);
    const ReceiverData before{sampleBlock(1), sampleImage(2)};
    Bench bench({QStringLiteral("--fast")}, before);
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    QVERIFY(bench.showActive());
    const ReceiverData shown{sampleBlock(11), sampleImage(21)};
    const QString file = bench.writeFile(QStringLiteral("shown.tvx"), shown);
    bench.chooseFile(file);
    QVERIFY(clickMenuEntry(w.MDatei, w.MLaden));
    ExitSignals exitSignals;
    QVERIFY(exitSignals.active());
    connect(&exitSignals, &ExitSignals::caught, &w, &TFRX::leaveOnSignal);

    const bool reading = leave == Leave::duringRead;
    (reading ? w.Butread64 : table ? w.Butwrite64 : w.ProgButton)->click();
    QVERIFY(runUntilQuarter(w, table ? kImageSize : conf::kProgrammedSize));
    QCOMPARE(w.transfers().programmingRunning(), !reading);
    HeldReceiver held(bench.receiver().pid());

    QStringList asked;
    const auto answerer = answerNextDialog([&](QWidget* dialog) {
        asked << dialog->findChild<QTextEdit*>(QStringLiteral("M"))->toPlainText();
        auto* fask = qobject_cast<TFask*>(dialog);
        switch (leave) {
            case Leave::nein:
                fask->NEIN->click();
                break;
            case Leave::escape:
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case Leave::enter:
                QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
                break;
            default:
                fask->JA->click();
                break;
        }
    });
    if (leave == Leave::sigterm) {
        std::raise(SIGTERM);
    } else {
        QVERIFY(clickMenuEntry(w.MDatei, w.MExit));
    }
    QTRY_VERIFY(!w.isVisible() || !asked.isEmpty());
    const bool expectQuestion = leave != Leave::sigterm && !reading;
    QCOMPARE(asked, expectQuestion ? QStringList{QStringLiteral(
                                         "!!!  Programmierung läuft  !!!\nabbrechen und beenden ?")}
                                   : QStringList{});
    held.release();

    if (stays) {
        QVERIFY(w.isVisible());
        QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
        QVERIFY(waitFor([&] { return logged(bench, "saved"); }, 5000));
        const std::optional<ReceiverData> receiver = bench.savedState();
        QVERIFY(receiver.has_value());
        QVERIFY(table ? receiver->image == shown.image
                      : std::equal(shown.conf.begin(), shown.conf.begin() + conf::kProgrammedSize,
                                   receiver->conf.begin()));
        QCOMPARE(framesOf(bench, table ? 21 : 20), table ? 1024 : 100);
        return;
    }
    QVERIFY(waitFor([&] { return !w.isVisible(); }, 5000));
    QVERIFY(!w.RS232.IsOpen());
    QCOMPARE(w.signalExitStatus(),
             leave == Leave::sigterm ? std::optional<int>(128 + SIGTERM) : std::nullopt);
    if (reading) {
        QVERIFY(!w.transfers().transferRunning());
        QCOMPARE(framesOf(bench, 29), 0);
        return;
    }
    // The emulator acts on what the run sent before it closed.
    QVERIFY(waitFor([&] { return logged(bench, "saved"); }, 5000));
    const std::vector<Bytes> frames = bench.frames();
    QCOMPARE(frames.back(), (Bytes{29, 29}));
    const std::optional<ReceiverData> receiver = bench.savedState();
    QVERIFY(receiver.has_value());
    if (table) {
        QVERIFY(framesOf(bench, 21) < 1024);
        QVERIFY(receiver->image != shown.image);
        QVERIFY(std::equal(shown.image.begin(), shown.image.begin() + kImageSize / 4,
                           receiver->image.begin()));
    } else {
        QVERIFY(framesOf(bench, 20) < conf::kProgrammedSize);
    }
}

void LeavingTest::unsavedEdits_data() {
    QTest::addColumn<bool>("exit");       // "e&xit", else "&Laden"
    QTest::addColumn<bool>("tableEdit");  // a grid cell, else a field of the basic page
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("saved");   // the edit went into the file first
    QTest::addColumn<bool>("goesOn");  // the window closed / the other file was loaded
    QTest::newRow("exit, Abbrechen") << true << false << "Abbrechen" << false << false;
    QTest::newRow("exit, Verwerfen") << true << true << "Verwerfen" << false << true;
    QTest::newRow("exit, Speichern") << true << false << "Speichern" << true << true;
    QTest::newRow("load, Abbrechen") << false << true << "Abbrechen" << false << false;
    QTest::newRow("load, Verwerfen") << false << false << "Verwerfen" << false << true;
    QTest::newRow("load, Speichern") << false << true << "Speichern" << true << true;
}

// What a read brings in is no edit; a change of a field or a cell is, and
// the status bar says so. Before loading another file and before leaving
// the window asks: save (the edit reaches the file, then the action goes
// on), discard (the action goes on), or cancel (nothing happens).
void LeavingTest::unsavedEdits() {
    QFETCH(bool, exit);
    QFETCH(bool, tableEdit);
    QFETCH(QString, answer);
    QFETCH(bool, saved);
    QFETCH(bool, goesOn);
    Bench bench({QStringLiteral("--fast")}, ReceiverData{sampleBlock(3), sampleImage(4)});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    QVERIFY(bench.showActive());
    const QString other = bench.writeFile(QStringLiteral("other.tvx"), {sampleBlock(5), {}});
    const QString target = QFileInfo(other).absolutePath() + QStringLiteral("/edited.tvx");
    int dialogs = 0;
    w.setFileDialogRunner([&](QFileDialog& dialog) {
        ++dialogs;
        dialog.selectFile(dialog.acceptMode() == QFileDialog::AcceptSave ? target : other);
        return true;
    });
    w.Butread64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    w.LeseButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
    QCOMPARE(w.SB1Modified->text(), QString());

    if (tableEdit) {
        w.PPage->setCurrentWidget(w.Pstring);
        w.Tabwerte->setCurrentCell(0, 1);
        w.Tabwerte->editItem(w.Tabwerte->item(0, 1));
        auto* editor = w.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor"));
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("77"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(w.gridText(1, 1), QStringLiteral("77"));
    } else {
        w.WDH->setFocus();
        w.WDH->selectAll();
        QTest::keyClicks(w.WDH, QStringLiteral("77"));
        QTest::keyClick(w.WDH, Qt::Key_Return);
        QCOMPARE(w.confdata[conf::kLockoutTime], 77);
    }
    QCOMPARE(w.SB1Modified->text(), QStringLiteral("geändert"));
    const ConfData edited = w.confdata;

    QString question;
    const auto answerer = answerNextDialog([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        question = box->informativeText();
        box->findChild<QPushButton*>(answer)->click();
    });
    QVERIFY(exit ? clickMenuEntry(w.MDatei, w.MExit) : clickMenuEntry(w.MDatei, w.MLaden));
    QCOMPARE(question, exit ? QStringLiteral("Vor dem Beenden speichern?")
                            : QStringLiteral("Vor dem Laden speichern?"));
    QCOMPARE(QFile::exists(target), saved);
    QCOMPARE(dialogs, (saved ? 1 : 0) + (!exit && goesOn ? 1 : 0));
    if (saved) {
        ConfData file{};
        TabData image{};
        QCOMPARE(loadConfigurationFile(target.toStdString(), file, image), FileLoadResult::loaded);
        QVERIFY(tableEdit ? decodeImage(image).cells[0][0].value == 77
                          : file[conf::kLockoutTime] == 77);
    }
    if (exit) {
        QVERIFY(waitFor([&] { return w.isVisible() != goesOn; }, 5000));
        QCOMPARE(w.SB1Modified->text(), saved ? QString() : QStringLiteral("geändert"));
    } else {
        QCOMPARE(w.confdata == edited, !goesOn);
        QCOMPARE(w.SB1Modified->text(), goesOn ? QString() : QStringLiteral("geändert"));
    }
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::LeavingTest)
#include "leaving_test.moc"
