// The real main window through Debian's ser2net on loopback, in front of
// the receiver emulator: COM1's link holds the network port's name.
#include "app/numericedit.h"
#include "e2efixture.h"
#include "link/statusmessages.h"
#include "link/transfersequence.h"
#include "network/ser2net.h"
#include "serial/portnames.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <array>
#include <memory>

namespace tovrix::e2e {
namespace {

using network::test::Ser2net;

#define SKIP_WITHOUT_SER2NET()                                                     \
    if (Ser2net::program().empty()) {                                              \
        QSKIP("ser2net is not installed (scripts/install-deps test installs it)"); \
    }

bool endCommandLogged(const Bench& bench) {
    const std::vector<Bytes> frames = bench.frames();
    return !frames.empty() && frames.back() == (Bytes{29, 29});
}

// A server in front of the bench's emulator, with COM1 pointing at it.
std::unique_ptr<Ser2net> serveCom1(Bench& bench, const QString& folder,
                                   Ser2net::Accepter accepter) {
    auto server =
        std::make_unique<Ser2net>(folder.toStdString(), bench.receiver().device(), accepter);
    if (!server->started() || !bench.pointComLink(1, QString::fromStdString(server->name()))) {
        return nullptr;
    }
    return server;
}

}  // namespace

class NetworkTest : public QObject {
    Q_OBJECT

  private slots:
    void fourTransfersAndTestTelegram_data();
    void fourTransfersAndTestTelegram();
    void serverKilledDuringTableWrite();
};

void NetworkTest::fourTransfersAndTestTelegram_data() {
    QTest::addColumn<int>("accepter");
    QTest::newRow("rfc2217") << static_cast<int>(Ser2net::Accepter::Rfc2217);
    QTest::newRow("raw") << static_cast<int>(Ser2net::Accepter::Raw);
}

void NetworkTest::fourTransfersAndTestTelegram() {
    SKIP_WITHOUT_SER2NET();
    QFETCH(int, accepter);
    const ReceiverData data{sampleBlock(3), sampleImage(5)};
    Bench bench({QStringLiteral("--fast")}, data);
    QVERIFY(bench.ready());
    QTemporaryDir folder;
    const auto server = serveCom1(bench, folder.path(), static_cast<Ser2net::Accepter>(accepter));
    QVERIFY(server != nullptr);
    TFRX& w = bench.window();

    w.LeseButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
    QVERIFY(std::equal(data.conf.begin(), data.conf.end(), w.confdata.begin()));

    const ConfData programmed = sampleBlock(11);
    std::copy_n(programmed.begin(), conf::kBlockSize, w.confdata.begin());
    w.confdata[conf::kChecksum] = 0;
    w.ProgButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgverifyok));
    QVERIFY(waitFor([&] { return endCommandLogged(bench); }, 5000));

    // The table carries the byte 255 in thousands of places.
    const TabData image = sampleImage(21);
    w.tabdata = image;
    bool ok = false;
    w.Restore64K(ok);
    QVERIFY(ok);
    w.Butwrite64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 20000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabwritten));
    QVERIFY(waitFor([&] { return endCommandLogged(bench); }, 5000));
    w.tabdata.fill(0);
    w.Butread64->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 20000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));
    QVERIFY(w.tabdata == image);

    const std::array<const char*, 4> fields{"  1", "  2", "100", "103"};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        w.TD[i]->setText(QString::fromLatin1(fields[i]));
    }
    w.BTeststring->click();
    QVERIFY(waitFor([&] { return !w.BTeststring->isEnabled(); }, 4000));
    QVERIFY(waitFor([&] { return w.BTeststring->isEnabled(); }, 4000));
    QCOMPARE(bench.infoText(), QStringLiteral("Teststring gesendet"));
    QVERIFY(bench.errors.isEmpty());
}

// The server goes away in the middle of a table write: the window says at
// once that the connection to COM1 and its address is lost and closes the
// port; the next start connects to the server that is back.
void NetworkTest::serverKilledDuringTableWrite() {
    SKIP_WITHOUT_SER2NET();
    Bench bench({});  // paced: the write takes seconds
    QVERIFY(bench.ready());
    QTemporaryDir folder;
    auto server = serveCom1(bench, folder.path(), Ser2net::Accepter::Rfc2217);
    QVERIFY(server != nullptr);
    const QString name = QString::fromStdString(server->name());
    TFRX& w = bench.window();
    w.Butwrite64->click();
    QVERIFY(waitFor([&] { return w.transfers().state().xferpos >= 100; }, 20000));
    server->kill();
    // The lost connection ends the transfer, not the watchdog: the text says which.
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 20000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msglinelost) + QStringLiteral("COM1 (") + name +
                                   QStringLiteral(")") + msg(StatusMessage::msgpartial));
    QCOMPARE(bench.infoColour(), kRed);
    QVERIFY(!w.RS232.IsOpen());

    server = serveCom1(bench, folder.path(), Ser2net::Accepter::Rfc2217);
    QVERIFY(server != nullptr);
    w.LeseButton->click();
    QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 10000));
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::NetworkTest)
#include "network_test.moc"
