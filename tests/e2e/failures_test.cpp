// The real main window and serial component against a receiver emulator
// that misbehaves: silence, an early stop, wrong echoes, a refused chunk,
// a read-back that differs, and a cable pulled in the middle of a transfer.
#include "e2efixture.h"
#include "link/statusmessages.h"
#include "link/transfersequence.h"
#include "serial/portnames.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <algorithm>

namespace tovrix::e2e {

enum class Starter { configRead, configWrite, tableWrite };

}  // namespace tovrix::e2e

Q_DECLARE_METATYPE(tovrix::e2e::Starter)

namespace tovrix::e2e {
namespace {

void start(TFRX& w, Starter starter) {
    switch (starter) {
        case Starter::configRead:
            w.LeseButton->click();
            break;
        case Starter::configWrite:
            w.ProgButton->click();
            break;
        case Starter::tableWrite:
            w.Butwrite64->click();
            break;
    }
}

double eventTime(const std::vector<LogEvent>& log, const Bytes& frame) {
    for (const LogEvent& event : log) {
        if (event.kind == "rx" && event.bytes == frame) {
            return event.ms;
        }
    }
    return -1;
}

}  // namespace

class FailuresTest : public QObject {
    Q_OBJECT

  private slots:
    void watchdogEndsTheTransfer_data();
    void watchdogEndsTheTransfer();
    void readBackThatDiffers_data();
    void readBackThatDiffers();
    void cablePulledDuringTableWrite();
};

// Each row costs the watchdog's second.
void FailuresTest::watchdogEndsTheTransfer_data() {
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<Starter>("starter");
    QTest::addColumn<QString>("info");
    QTest::addColumn<int>("frames");  // frames the emulator acted on, end command included

    QTest::newRow("silent receiver")
        << QStringList{QStringLiteral("--silent")} << Starter::configRead
        << timeoutText(QStringLiteral("\"read system data\""), 0) << 1;
    QTest::newRow("stops after 57 configuration bytes")
        << QStringList{QStringLiteral("--stop-after"), QStringLiteral("78")} << Starter::configRead
        << timeoutText(QStringLiteral("\"read config data\""), 57) << 21 + 58;
    QTest::newRow("wrong echo of byte 13")
        << QStringList{QStringLiteral("--bad-echo"), QStringLiteral("13")} << Starter::configWrite
        << timeoutText(QStringLiteral("\"write config data\""), 13) + msg(StatusMessage::msgpartial)
        << 21 + 14 + 1;
    QTest::newRow("chunk at 800 refused")
        << QStringList{QStringLiteral("--nak-chunk"), QStringLiteral("800")} << Starter::tableWrite
        << timeoutText(msg(StatusMessage::msgtabnak), 800) + msg(StatusMessage::msgpartial)
        << 101 + 1;
}

void FailuresTest::watchdogEndsTheTransfer() {
    QFETCH(QStringList, fault);
    QFETCH(Starter, starter);
    QFETCH(QString, info);
    QFETCH(int, frames);
    Bench bench(QStringList{QStringLiteral("--fast")} + fault);
    QVERIFY(bench.ready());
    TFRX& w = bench.window();

    start(w, starter);
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 4000));
    QCOMPARE(bench.infoText(), info);
    QCOMPARE(bench.infoColour(), kRed);
    QCOMPARE(bench.beeps.count(), 1);
    QVERIFY(w.Gauge->isHidden());
    QVERIFY(!w.transfers().transferRunning());
    QVERIFY(bench.errors.isEmpty());

    // The programming runs still end with 29 29; it is logged once the
    // emulator has acted on it.
    const bool programming = starter != Starter::configRead;
    QTRY_COMPARE(static_cast<int>(bench.frames().size()), frames);
    const std::vector<LogEvent> log = bench.log();
    const std::vector<Bytes> sent = bench.frames();
    QCOMPARE(sent.back() == (Bytes{29, 29}), programming);
    if (starter == Starter::configWrite) {
        // No frame after the wrong echo; the end command a watchdog period later.
        QCOMPARE(sent[sent.size() - 2], (Bytes{20, 13, w.confdata[13]}));
        const double wait = eventTime(log, {29, 29}) - eventTime(log, sent[sent.size() - 2]);
        // One watchdog period (1000 ms) as the emulator saw it: it may read
        // the frame late on a busy machine, and the upper limit is a hang's.
        QVERIFY2(wait > 500 && wait < 5000, qPrintable(QString::number(wait)));
    }
}

void FailuresTest::readBackThatDiffers_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("byte 95, not compared") << 95 << true;
    QTest::newRow("byte 50") << 50 << false;
}

void FailuresTest::readBackThatDiffers() {
    QFETCH(int, address);
    QFETCH(bool, accepted);
    Bench bench(
        {QStringLiteral("--fast"), QStringLiteral("--verify-differ"), QString::number(address)});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const ConfData programmed = sampleBlock(40);
    std::copy_n(programmed.begin(), conf::kBlockSize, w.confdata.begin());

    w.ProgButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));
    QCOMPARE(bench.infoText(),
             msg(accepted ? StatusMessage::msgverifyok : StatusMessage::msgverifyfail));
    QCOMPARE(bench.infoColour(), accepted ? kBlack : kRed);
    QCOMPARE(bench.beeps.count(), accepted ? 0 : 1);
    // A refused read-back puts the programmed block back.
    const auto a = static_cast<std::size_t>(address);
    QCOMPARE(w.confdata[a] == programmed[a], !accepted);
    QVERIFY(std::equal(programmed.begin(), programmed.begin() + 90, w.confdata.begin()));
    QTRY_COMPARE(bench.frames().back(), (Bytes{29, 29}));
}

// The receiver goes away after acknowledging 100 chunks, its link left
// pointing at a device that is gone. The transfer ends at once with the
// lost connection, naming the port and its device; the port is closed. The
// next start says that the device is not there; once it is back, the next
// start works.
void FailuresTest::cablePulledDuringTableWrite() {
    Bench bench(
        {QStringLiteral("--fast"), QStringLiteral("--hangup-after"), QStringLiteral("100")});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const QString device = QString::fromStdString(bench.receiver().device());

    // The time from the last answer to the verdict, for the log: the
    // watchdog would take a second.
    QElapsedTimer sinceLastAnswer;
    int position = -1;
    w.Butwrite64->click();
    QVERIFY(waitFor(
        [&] {
            if (w.transfers().state().xferpos != position) {
                position = w.transfers().state().xferpos;
                sinceLastAnswer.start();
            }
            return bench.transferControlsEnabled();
        },
        4000));
    qInfo("verdict %lld ms after the last answer", sinceLastAnswer.elapsed());
    QCOMPARE(bench.infoText(), msg(StatusMessage::msglinelost) + QStringLiteral("COM1 (") + device +
                                   QStringLiteral(")") + msg(StatusMessage::msgpartial));
    QCOMPARE(bench.infoColour(), kRed);
    QCOMPARE(bench.beeps.count(), 1);
    QVERIFY(w.Gauge->isHidden());
    QVERIFY(!w.transfers().transferRunning());
    QVERIFY(!w.RS232.IsOpen());
    QVERIFY(bench.receiver().waitExit().has_value());

    w.Butread64->click();
    const QString vanished = QString::fromStdString(comDevicePath(1));
    QCOMPARE(bench.infoText(),
             QStringLiteral("COM1 (") + vanished +
                 QStringLiteral(") lässt sich nicht öffnen: Gerät nicht vorhanden"));
    QCOMPARE(bench.infoColour(), kRed);
    QCOMPARE(bench.beeps.count(), 2);
    QVERIFY(bench.transferControlsEnabled());
    QVERIFY(!w.transfers().transferRunning());
    QVERIFY(bench.errors.isEmpty());

    // The adapter is plugged in again.
    receiver::test::ReceiverProcess again({"--fast", "--com", "1"},
                                          qEnvironmentVariable("XDG_CONFIG_HOME").toStdString());
    QVERIFY(again.waitReady());
    w.Butread64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));
    QCOMPARE(bench.infoColour(), kBlack);
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::FailuresTest)
#include "failures_test.moc"
