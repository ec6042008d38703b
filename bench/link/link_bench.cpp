// Processing time of the transfer sequencing on the tool's side, against the
// scripted receiver used by the tests (no wire, no serial component), next
// to the time the same bytes need on the wire at 19200 baud.

#include "../../tests/link/fake_link.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using tovrix::TransferSequence;
using tovrix::test::LinkHarness;
using Clock = std::chrono::steady_clock;

constexpr double kByteMs = 10.0 / 19200.0 * 1000.0;  // 10 bits a byte

struct Case {
    const char* name;
    void (TransferSequence::*start)();
    int chunk;
};

// Returns the median of the runs in microseconds and the bytes the tool
// sent in one run.
std::pair<double, long> measure(const Case& c, int runs) {
    std::vector<double> micros;
    long lineBytes = 0;
    for (int r = 0; r < runs; ++r) {
        LinkHarness h;
        h.receiver.conf = tovrix::test::sampleConfig();
        h.receiver.image = tovrix::test::sampleImage(3);
        h.view.grid = tovrix::test::sampleImage(4);
        h.chunk = c.chunk;
        const auto begin = Clock::now();
        (h.seq.*c.start)();
        h.pump();
        const auto end = Clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - begin).count());
        lineBytes = h.receiver.bytesWritten;
    }
    std::nth_element(micros.begin(), micros.begin() + runs / 2, micros.end());
    return {micros[static_cast<std::size_t>(runs / 2)], lineBytes};
}

}  // namespace

int main() {
    const Case cases[] = {
        {"configuration read (149 exchanges)", &TransferSequence::LeseButtonClick, 1},
        {"configuration write + read-back (250)", &TransferSequence::ProgButtonClick, 1},
        {"table read, notifications of 1 byte", &TransferSequence::Butread64Click, 1},
        {"table read, notifications of 100 bytes", &TransferSequence::Butread64Click, 100},
        {"table read, one notification", &TransferSequence::Butread64Click, 0},
        {"table write (1024 chunks)", &TransferSequence::Butwrite64Click, 1},
    };
    std::printf("%-42s %12s %14s\n", "transfer", "median us", "bytes sent");
    for (const Case& c : cases) {
        const auto [micros, sent] = measure(c, 51);
        std::printf("%-42s %12.1f %14ld\n", c.name, micros, sent);
    }
    std::printf("(one byte takes %.3f ms on the wire at 19200 baud)\n", kByteMs);
    return 0;
}
