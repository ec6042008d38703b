// Time of the four transfers of the real main window (TFRX with its serial
// component and transfer sequence) against the receiver emulator, from the
// click to the end of the transfer, each set against the time its bytes need
// on a 19200 baud line. Paced, the same transfers also run through Debian's
// ser2net (RFC 2217, loopback) in front of the emulator, where it is
// installed, set against the local figures too.
// Usage: transfers_bench [runs] (default 3; median).
//
// Before each click the line stays idle for a while, untimed, as it does
// between a user's clicks: a start on a line that has been quiet since a
// complete transfer sends at once. Each line's very first start waits for a
// quiet line, as every first start does; it is an untimed configuration read.
//
// The local and the network line are measured in turns, a round of the four
// transfers each, with a fresh window and emulator every round: a machine
// whose speed drifts (a busy neighbour of a virtual machine) then slows both
// alike, and their ratio stays what the network adds.
#include "e2e/e2efixture.h"
#include "link/statusmessages.h"
#include "network/ser2net.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <vector>

namespace {

using namespace tovrix;
using namespace tovrix::e2e;

constexpr double kByteSeconds = 10.0 / 19200.0;

struct Transfer {
    const char* name;
    QPushButton* TFRX::*button;
    StatusMessage success;
    double wireBytes;  // bytes both ways that the transfer needs on the line
};

// Configuration read: 149 exchanges of 2 + 1 bytes. Write with read-back: 21
// system exchanges (3 bytes), 100 writes (3 + 1), 128 reads (3) and the end
// command (2). Table read: 5 + 8192. Table write: 1024 chunks of 12 + 1, end 2.
const Transfer kTransfers[] = {
    {"configuration read", &TFRX::LeseButton, StatusMessage::msgconfreadok, 149 * 3},
    {"configuration write + read-back", &TFRX::ProgButton, StatusMessage::msgverifyok,
     21 * 3 + 100 * 4 + 128 * 3 + 2},
    {"table read", &TFRX::Butread64, StatusMessage::msgtabreadok, 5 + 8192},
    {"table write", &TFRX::Butwrite64, StatusMessage::msgtabwritten, 1024 * 13 + 2},
};

// Longer than the quiet interval and its second look.
constexpr int kIdleBeforeClickMs = 300;

// Runs the event loop until the transfer has ended; the end is looked for
// every 5 ms, so the figure is at most that much late.
double runOnce(Bench& bench, const Transfer& transfer) {
    TFRX& w = bench.window();
    {
        QEventLoop idle;
        QTimer::singleShot(kIdleBeforeClickMs, &idle, &QEventLoop::quit);
        idle.exec();
    }
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    look.setInterval(5);
    QElapsedTimer clock;
    double seconds = -1;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (bench.transferControlsEnabled()) {
            seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            loop.quit();
        }
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    clock.start();
    (w.*transfer.button)->click();
    look.start();
    loop.exec();
    if (w.info->text() != QString::fromStdString(statusText(transfer.success))) {
        std::fprintf(stderr, "%s failed: %s\n", transfer.name, qPrintable(w.info->text()));
        return -1;
    }
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

enum class Line { paced, unpaced, rfc2217 };

using Times = std::vector<double>[std::size(kTransfers)];

// One round on a fresh window and emulator: the untimed first start, then
// each transfer once. False when something failed (said on stderr).
bool runRound(Line line, Times& times) {
    QStringList options;
    if (line == Line::unpaced) {
        options << QStringLiteral("--fast");
    }
    Bench bench(options, ReceiverData{sampleBlock(7), sampleImage(9)});
    if (!bench.ready()) {
        std::fprintf(stderr, "the emulator did not start\n");
        return false;
    }
    QTemporaryDir folder;
    std::unique_ptr<network::test::Ser2net> server;
    if (line == Line::rfc2217) {
        server = std::make_unique<network::test::Ser2net>(
            folder.path().toStdString(), bench.receiver().device(),
            network::test::Ser2net::Accepter::Rfc2217);
        if (!server->started() || !bench.pointComLink(1, QString::fromStdString(server->name()))) {
            std::fprintf(stderr, "ser2net did not start\n");
            return false;
        }
    }
    if (runOnce(bench, kTransfers[0]) < 0) {
        return false;
    }
    for (std::size_t t = 0; t < std::size(kTransfers); ++t) {
        const double seconds = runOnce(bench, kTransfers[t]);
        if (seconds < 0) {
            return false;
        }
        times[t].push_back(seconds);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool network = !network::test::Ser2net::program().empty();

    Times paced;
    Times unpaced;
    Times rfc2217;
    for (int r = 0; r < runs; ++r) {
        if (!runRound(Line::paced, paced) || (network && !runRound(Line::rfc2217, rfc2217))) {
            return 1;
        }
    }
    for (int r = 0; r < runs; ++r) {
        if (!runRound(Line::unpaced, unpaced)) {
            return 1;
        }
    }

    std::printf("%-34s %-8s %10s %10s %8s %8s\n", "transfer", "line", "median s", "wire s", "ratio",
                "/local");
    const auto print = [](const char* lineName, const Times& times, const Times* local) {
        for (std::size_t t = 0; t < std::size(kTransfers); ++t) {
            const double wire = kTransfers[t].wireBytes * kByteSeconds;
            const double ratio = median(times[t]) / wire;
            std::printf("%-34s %-8s %10.3f %10.3f %8.3f", kTransfers[t].name, lineName,
                        median(times[t]), wire, ratio);
            if (local != nullptr) {
                std::printf(" %8.3f", median(times[t]) / median((*local)[t]));
            }
            std::printf("\n");
        }
    };
    print("19200", paced, nullptr);
    print("unpaced", unpaced, nullptr);
    if (network) {
        print("rfc2217", rfc2217, &paced);
    } else {
        std::printf("ser2net is not installed: no figures through the network\n");
    }
    return 0;
}
