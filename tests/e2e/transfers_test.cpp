// The real main window and serial component against the receiver emulator:
// the four transfers and the test telegram, checked in what the emulator
// logged and in what the window shows.
#include "app/busycursor.h"
#include "app/numericedit.h"
#include "e2efixture.h"
#include "link/statusmessages.h"
#include "link/transfersequence.h"
#include "serial/comport.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <optional>

namespace tovrix::e2e {
namespace {

bool sameBlock(const ConfData& a, const ConfData& b, int count) {
    return std::equal(a.begin(), a.begin() + count, b.begin());
}

// Replaces the component's receive event by one that hands the window the
// waiting bytes in notifications of `chunk` bytes (the last one shorter).
// Counts of a notification are never more than the line holds, so every
// read is answered. Chunk 0 passes the component's own counts on.
void notifyInChunks(TFRX& window, int chunk, std::vector<int>& counts) {
    window.RS232.OnDataRecived = [&window, chunk, &counts](TCustomSerialPort& port, int waiting) {
        if (chunk == 0) {
            counts.push_back(waiting);
            window.RS232RxChar(waiting);
            return;
        }
        for (;;) {
            const TransferState& state = window.transfers().state();
            const int waiting = port.InputCount();
            if (!window.transfers().transferRunning()) {
                window.RS232RxChar(waiting);
                return;
            }
            const int count = std::min(chunk, state.xferlen - state.xferpos);
            if (waiting < count || count <= 0) {
                return;
            }
            counts.push_back(count);
            window.RS232RxChar(count);
        }
    };
}

// True once the emulator has acted on the end command 29 29 that closes a
// programming run. The window sends it as the run ends, so it reaches the
// emulator's log some time after the window shows the verdict.
bool endCommandLogged(const Bench& bench) {
    const std::vector<Bytes> frames = bench.frames();
    return !frames.empty() && frames.back() == (Bytes{29, 29});
}

}  // namespace

class TransfersTest : public QObject {
    Q_OBJECT

  private slots:
    void configurationRead_data();
    void configurationRead();
    void configurationWriteWithReadBack();
    void tableWriteThenRead();
    void tableReadInNotificationsOf_data();
    void tableReadInNotificationsOf();
    void surplusStreamBytesThenConfigurationRead();
    void testTelegram();
};

void TransfersTest::configurationRead_data() {
    QTest::addColumn<bool>("checksumRight");
    // The port component left on another number (as a port probe may leave
    // it): the start opens the selected port all the same.
    QTest::addColumn<bool>("componentOnAnotherPort");
    QTest::newRow("checksum right") << true << false;
    QTest::newRow("checksum wrong") << false << false;
    QTest::newRow("component on another port") << true << true;
}

void TransfersTest::configurationRead() {
    QFETCH(bool, checksumRight);
    QFETCH(bool, componentOnAnotherPort);
    ReceiverData data{sampleBlock(3), sampleImage(5)};
    if (!checksumRight) {
        data.conf[conf::kChecksum] ^= 0x55;
    }
    Bench bench({QStringLiteral("--fast")}, data);
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    if (componentOnAnotherPort) {
        w.RS232.Close();
        w.RS232.SetComNumber(2);  // COM2 of the bench is a device that does not exist
    }
    // Opening the port shows the hourglass, and only while it opens.
    installBusyCursor();
    BusyIndicator program = setBusyIndicator({});
    std::optional<Qt::CursorShape> shownWhileOpening;
    setBusyIndicator([&](bool busy) {
        program(busy);
        if (busy && QApplication::overrideCursor() != nullptr) {
            shownWhileOpening = QApplication::overrideCursor()->shape();
        }
    });

    w.LeseButton->click();
    setBusyIndicator({});
    QCOMPARE(shownWhileOpening, std::optional<Qt::CursorShape>(Qt::WaitCursor));
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(bench.infoText(), QStringLiteral("\"read system data\""));
    QVERIFY(!bench.transferControlsEnabled());
    QVERIFY(w.Gauge->isVisible() || !w.isVisible());
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));

    const std::vector<Bytes> frames = bench.frames();
    QCOMPARE(frames.size(), std::size_t{149});
    for (int a = 0; a <= 20; ++a) {
        QCOMPARE(frames[static_cast<std::size_t>(a)], (Bytes{24, static_cast<std::uint8_t>(a)}));
    }
    for (int a = 0; a < 128; ++a) {
        QCOMPARE(frames[static_cast<std::size_t>(21 + a)],
                 (Bytes{22, static_cast<std::uint8_t>(a)}));
    }
    const QStringList listing = bench.memoLines(w.sysmemo);
    QCOMPARE(listing.size(), 21);
    QCOMPARE(listing[0], QStringLiteral(" 0:  016   00010000"));
    QCOMPARE(listing[2], QStringLiteral(" 2:  001   00000001"));
    QCOMPARE(w.Firmware->text(), QStringLiteral("1.03"));
    QVERIFY(sameBlock(w.confdata, data.conf, conf::kBlockSize));
    QCOMPARE(bench.infoText(),
             msg(checksumRight ? StatusMessage::msgconfreadok : StatusMessage::msgconfsum));
    QCOMPARE(bench.infoColour(), checksumRight ? kBlack : kRed);
    QCOMPARE(bench.beeps.count(), checksumRight ? 0 : 1);
    QVERIFY(w.Gauge->isHidden());
    QVERIFY(w.RS232.IsOpen());  // the port stays open after a transfer
    QVERIFY(bench.errors.isEmpty());
}

void TransfersTest::configurationWriteWithReadBack() {
    Bench bench({QStringLiteral("--fast")});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const ConfData programmed = sampleBlock(11);
    std::copy_n(programmed.begin(), conf::kBlockSize, w.confdata.begin());
    w.confdata[conf::kChecksum] = 0;  // the starter computes it

    w.ProgButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgverifyok));
    QCOMPARE(bench.infoColour(), kBlack);

    QVERIFY(waitFor([&] { return endCommandLogged(bench); }, 5000));
    const std::vector<Bytes> frames = bench.frames();
    QCOMPARE(frames.size(), std::size_t{21 + 100 + 128 + 1});
    for (int a = 0; a < 100; ++a) {
        QCOMPARE(
            frames[static_cast<std::size_t>(21 + a)],
            (Bytes{20, static_cast<std::uint8_t>(a), programmed[static_cast<std::size_t>(a)]}));
    }
    QCOMPARE(frames[121], (Bytes{22, 0}));
    QCOMPARE(frames.back(), (Bytes{29, 29}));
    // The emulator keeps what was programmed once the end command arrives.
    QTRY_VERIFY(bench.savedState().has_value() &&
                sameBlock(bench.savedState()->conf, programmed, conf::kProgrammedSize));
    QVERIFY(sameBlock(w.confdata, programmed, conf::kProgrammedSize));
    QCOMPARE(bench.beeps.count(), 0);
}

void TransfersTest::tableWriteThenRead() {
    Bench bench({QStringLiteral("--fast")});
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const TabData image = sampleImage(21);
    w.tabdata = image;
    bool ok = false;
    w.Restore64K(ok);
    QVERIFY(ok);
    const QStringList grid = gridTexts(w);
    QCOMPARE(grid, sampleGridTexts(21));

    w.Butwrite64->click();
    QCOMPARE(bench.infoText(), QStringLiteral("\"write string data\""));
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabwritten));
    QVERIFY(waitFor([&] { return endCommandLogged(bench); }, 5000));
    std::vector<Bytes> frames = bench.frames();
    QCOMPARE(frames.size(), std::size_t{1024 + 1});
    QCOMPARE(frames[1], (Bytes{21, 0, 8, 8, image[8], image[9], image[10], image[11], image[12],
                               image[13], image[14], image[15]}));
    QCOMPARE(frames[1023][2], std::uint8_t{248});
    QCOMPARE(frames.back(), (Bytes{29, 29}));

    // A fresh grid, then the image comes back from the receiver.
    w.setuptable();
    w.tabdata.fill(0);
    w.Butread64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));
    QCOMPARE(bench.frames().back(), (Bytes{23, 0, 0, 32, 0}));
    QVERIFY(w.tabdata == image);
    QCOMPARE(gridTexts(w), grid);
    QCOMPARE(bench.beeps.count(), 0);
}

void TransfersTest::tableReadInNotificationsOf_data() {
    QTest::addColumn<int>("chunk");
    QTest::newRow("1 byte") << 1;
    QTest::newRow("100 bytes") << 100;
    // As the component reports them. One notification of all 8192 bytes
    // cannot happen on a pseudo-terminal: its line discipline holds at
    // most 4095 unread bytes. The single notification of the whole image
    // is a case of the transfer sequence's own tests.
    QTest::newRow("as the component counts") << 0;
}

void TransfersTest::tableReadInNotificationsOf() {
    QFETCH(int, chunk);
    const ReceiverData data{sampleBlock(1), sampleImage(77)};
    Bench bench({QStringLiteral("--fast")}, data);
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    std::vector<int> counts;
    notifyInChunks(w, chunk, counts);

    w.Butread64->click();
    // One byte a notification costs a purge of the output for each of the
    // 8192 bytes, which a busy machine makes slow.
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 60000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));
    QVERIFY(w.tabdata == data.image);
    QCOMPARE(w.transfers().state().xferpos, 8192);
    const int largest = *std::max_element(counts.begin(), counts.end());
    if (chunk > 0) {
        QCOMPARE(largest, chunk);
        QCOMPARE(counts.size(), static_cast<std::size_t>((8192 + chunk - 1) / chunk));
    } else {
        qInfo("largest notification: %d bytes in %zu notifications", largest, counts.size());
        QVERIFY(largest > 100);
    }
}

// Bytes beyond the image are read and dropped; the next transfer, a
// configuration read straight after the table read, is not disturbed.
void TransfersTest::surplusStreamBytesThenConfigurationRead() {
    const ReceiverData data{sampleBlock(9), sampleImage(33)};
    Bench bench({QStringLiteral("--fast"), QStringLiteral("--extra"), QStringLiteral("300")}, data);
    QVERIFY(bench.ready());
    TFRX& w = bench.window();

    w.Butread64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));
    QVERIFY(w.tabdata == data.image);
    QVERIFY(w.transfers().state().tablemode);

    w.LeseButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
    QVERIFY(!w.transfers().state().tablemode);
    QVERIFY(sameBlock(w.confdata, data.conf, conf::kBlockSize));
    QCOMPARE(bench.memoLines(w.sysmemo).size(), 21);
    QVERIFY(bench.errors.isEmpty());
}

void TransfersTest::testTelegram() {
    Bench bench({QStringLiteral("--fast")});  // factory state: answers line 100
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    const std::array<const char*, 4> fields{"  1", "  2", "100", "103"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        w.TD[i]->setText(QString::fromLatin1(fields[i]));
    }

    w.BTeststring->click();
    QCOMPARE(bench.infoText(), QStringLiteral("\"send test data\""));
    // Sent once the line has been quiet for a moment.
    QVERIFY(waitFor([&] { return !w.BTeststring->isEnabled(); }, 4000));
    QVERIFY(waitFor([&] { return w.BTeststring->isEnabled(); }, 4000));
    QCOMPARE(bench.infoText(), QStringLiteral("Teststring gesendet"));

    Bytes answer;
    for (const LogEvent& event : bench.log()) {
        if (event.kind == "tx") {
            answer.insert(answer.end(), event.bytes.begin(), event.bytes.end());
        }
    }
    QCOMPARE(bench.frames(), (std::vector<Bytes>{{25, 1, 2, 100, 103}}));
    const Bytes expected{'T', 'e', 's', 't', ' ', 'B', '3', '=', 100, 13, 10};
    QCOMPARE(answer, expected);
    QStringList log{QStringLiteral("Sende:   1   2 100 103"), QStringLiteral("Empfange[100]:")};
    for (const std::uint8_t byte : expected) {
        log << QString::number(byte);
    }
    log << QStringLiteral("Empfang fertig");
    QCOMPARE(bench.memoLines(w.TM), log);
    QCOMPARE(bench.beeps.count(), 0);
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::TransfersTest)
#include "transfers_test.moc"
