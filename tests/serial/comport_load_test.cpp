// The component under load and on a line that misbehaves: a megabyte each
// way in random pieces, bytes nobody reads, a far end that hangs up.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "pty_helpers.h"
#include "serial/comport.h"

namespace tovrix {
namespace {

using test::PtyPair;
using test::pumpUntil;

std::vector<std::uint8_t> randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}

TEST(ComPortLoad, AMegabyteEachWayArrivesCompleteAndInOrder) {
    constexpr std::size_t kSize = 1 << 20;
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    port.SetInBufSize(8300);

    const auto inbound = randomBytes(kSize, 1);
    const auto outbound = randomBytes(kSize, 2);
    std::vector<std::uint8_t> received;
    received.reserve(kSize);
    bool wrongThread = false;
    const auto uiThread = std::this_thread::get_id();
    port.OnDataRecived = [&](TCustomSerialPort& sender, std::int32_t count) {
        wrongThread |= std::this_thread::get_id() != uiThread;
        const std::size_t old = received.size();
        received.resize(old + static_cast<std::size_t>(count));
        sender.ReadData(received.data() + old, count);
    };
    port.Open();

    // The far end writes and reads on threads of its own.
    std::thread farWriter([&] {
        std::mt19937 generator(3);
        std::size_t done = 0;
        while (done < kSize) {
            const std::size_t chunk = std::min<std::size_t>(1 + generator() % 3000, kSize - done);
            pty.writeMaster(inbound.data() + done, chunk);
            done += chunk;
        }
    });
    std::vector<std::uint8_t> farReceived;
    std::thread farReader([&] { farReceived = pty.readMaster(kSize, 60000); });

    std::mt19937 generator(4);
    std::size_t sent = 0;
    const double end = test::nowMs() + 60000;
    while ((sent < kSize || received.size() < kSize) && test::nowMs() < end) {
        if (sent < kSize) {
            const std::size_t chunk = std::min<std::size_t>(1 + generator() % 700, kSize - sent);
            if (port.OutputFree() >= static_cast<std::int32_t>(chunk)) {
                port.WriteData(outbound.data() + sent, static_cast<std::int32_t>(chunk));
                sent += chunk;
                continue;
            }
        }
        pumpUntil([] { return false; }, 1);
    }
    farWriter.join();
    farReader.join();
    EXPECT_EQ(sent, kSize);
    EXPECT_FALSE(wrongThread);
    ASSERT_EQ(received.size(), kSize);
    EXPECT_TRUE(received == inbound);
    ASSERT_EQ(farReceived.size(), kSize);
    EXPECT_TRUE(farReceived == outbound);
}

// Runs the event loop for ms and returns the CPU time the process used meanwhile.
double cpuWhilePumping(int ms) {
    const double before = test::processCpuMs();
    test::pumpFor(ms);
    return test::processCpuMs() - before;
}

TEST(ComPortLoad, UnreadBytesDoNotKeepTheThreadsBusy) {
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    std::vector<double> eventTimes;
    std::vector<std::int32_t> counts;
    port.OnDataRecived = [&](TCustomSerialPort&, std::int32_t count) {
        counts.push_back(count);
        eventTimes.push_back(test::nowMs());
    };
    std::vector<TCoreEvent> kinds;
    port.OnSyncEvent = [&](TCustomSerialPort&, TCoreEvent kind, std::uint32_t) {
        kinds.push_back(kind);
    };
    port.Open();
    pty.writeMaster("12345", 5);
    ASSERT_TRUE(pumpUntil([&] { return !eventTimes.empty(); }, 2000));

    const double cpu = cpuWhilePumping(2000);
    EXPECT_LT(cpu, 100.0) << "5 % of one core over 2 s";
    // One report when the bytes came, then one per 200 ms poll at most.
    EXPECT_LE(eventTimes.size(), 12U);
    EXPECT_GE(eventTimes.size(), 6U) << "waiting bytes are reported again every 200 ms";
    for (std::size_t i = 1; i < eventTimes.size(); ++i) {
        EXPECT_GT(eventTimes[i] - eventTimes[i - 1], 150.0);
    }
    EXPECT_EQ(port.InputCount(), 5);
    EXPECT_EQ(std::count(counts.begin(), counts.end(), 5), static_cast<long>(counts.size()));

    // More bytes are reported as soon as they come, not at the next poll.
    test::pumpFor(20);
    const int before = static_cast<int>(eventTimes.size());
    const double sentAt = test::nowMs();
    pty.writeMaster("6", 1);
    ASSERT_TRUE(pumpUntil([&] { return static_cast<int>(eventTimes.size()) > before; }, 1000));
    // The kind says it was the arrival; the time only rules out a hang.
    EXPECT_LT(eventTimes.back() - sentAt, 1000.0);
    EXPECT_EQ(counts.back(), 6);
    EXPECT_EQ(kinds.back(), ceCommEvent) << "reported by the arrival, not by the poll";
}

TEST(ComPortLoad, AFarEndThatHangsUpIsAStateNotALoop) {
    auto pty = std::make_unique<PtyPair>();
    pty->linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    int events = 0;
    int hangUps = 0;
    port.OnDataRecived = [&](TCustomSerialPort&, std::int32_t) { ++events; };
    port.OnHangUp = [&](TCustomSerialPort&) { ++hangUps; };
    port.Open();
    pty->writeMaster("ab", 2);
    ASSERT_TRUE(pumpUntil([&] { return events > 0; }, 2000));
    std::uint8_t two[2];
    port.ReadData(two, 2);
    events = 0;
    EXPECT_FALSE(port.HungUp());

    pty->closeMaster();
    // The hang-up is reported as an event of its own, promptly and once.
    ASSERT_TRUE(pumpUntil([&] { return hangUps > 0; }, 5000));
    EXPECT_TRUE(port.HungUp());
    const double cpu = cpuWhilePumping(2000);
    EXPECT_LT(cpu, 100.0) << "5 % of one core over 2 s";
    EXPECT_LE(events, 11);
    EXPECT_EQ(hangUps, 1);

    // Writes and reads on the dead line fail quietly or with the usual error,
    // without a busy loop, and closing does not hang.
    EXPECT_NO_THROW(port.WriteByte(1));
    EXPECT_THROW(port.ReadByte(), EComPortError);
    EXPECT_LT(cpuWhilePumping(300), 15.0);
    const double start = test::nowMs();
    port.Close();
    EXPECT_LT(test::nowMs() - start, 2500.0);
    EXPECT_FALSE(port.IsOpen());
}

TEST(ComPortLoad, ClosingWithAStalledLineDoesNotHang) {
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    port.SetFlowControl(fwXOnXOff);
    port.Open();
    pty.writeMaster(0x13);  // XOFF: the far end stops our output
    test::pumpFor(20);
    std::vector<std::uint8_t> block(2000, 0x33);
    port.WriteData(block.data(), 2000);
    test::pumpFor(20);
    const double start = test::nowMs();
    port.Close();
    EXPECT_LT(test::nowMs() - start, 1500.0);  // not the write thread's 2000 ms time-out
}

}  // namespace
}  // namespace tovrix
