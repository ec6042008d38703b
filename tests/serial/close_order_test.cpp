// The order of what a close does to the device: once it has discarded the
// output, nothing more may be written. This program watches every write()
// and tcflush() that reaches the port's descriptor (it defines both, which
// puts them in front of the C library's for the whole process) and makes the
// line slow, so that the write thread is still busy when the close begins.
// The slow line always has a byte on its way (its driver reports unsent
// output), as a real one would, so the close has output to discard.
// It is a program of its own so that no other test runs with them.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <mutex>
#include <thread>
#include <vector>

#include "pty_helpers.h"
#include "serial/comport.h"

namespace {

enum class DeviceCall { Write, FlushOutput };

std::atomic<int> watchedFd{-1};
std::mutex callsMutex;
std::vector<DeviceCall> calls;

void note(DeviceCall call) {
    const std::lock_guard lock(callsMutex);
    calls.push_back(call);
}

std::vector<DeviceCall> takeCalls() {
    const std::lock_guard lock(callsMutex);
    return std::exchange(calls, {});
}

// A line that takes 32 bytes a millisecond.
constexpr std::size_t kBytesPerWrite = 32;

}  // namespace

extern "C" ssize_t write(int fd, const void* buffer, size_t size) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const auto next = reinterpret_cast<Write>(::dlsym(RTLD_NEXT, "write"));
    if (fd != watchedFd.load() || size == 0) {
        return next(fd, buffer, size);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const ssize_t written = next(fd, buffer, std::min(size, kBytesPerWrite));
    if (written > 0) {
        note(DeviceCall::Write);
    }
    return written;
}

extern "C" int ioctl(int fd, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    using Ioctl = int (*)(int, unsigned long, ...);
    static const auto next = reinterpret_cast<Ioctl>(::dlsym(RTLD_NEXT, "ioctl"));
    const int result = next(fd, request, argument);
    if (result == 0 && request == TIOCOUTQ && fd == watchedFd.load()) {
        int* unsent = static_cast<int*>(argument);
        *unsent = std::max(*unsent, 1);
    }
    return result;
}

extern "C" int tcflush(int fd, int queue) {
    if (fd == watchedFd.load() && queue != TCIFLUSH) {
        note(DeviceCall::FlushOutput);
    }
    return ::ioctl(fd, TCFLSH, queue);
}

namespace tovrix {
namespace {

TEST(ComPortClose, NothingIsWrittenAfterTheCloseDiscardedTheOutput) {
    test::PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    port.Open();
    // The far end takes whatever comes, so that the line keeps moving.
    std::atomic<bool> reading{true};
    std::thread farEnd([&] {
        while (reading.load()) {
            pty.readMaster(4096, 20);
        }
    });

    watchedFd = port.PortHandle();
    const std::vector<std::uint8_t> block(2000, 0x5A);
    port.WriteData(block.data(), static_cast<std::int32_t>(block.size()));
    // Close once the write thread is under way with the block.
    ASSERT_TRUE(test::pumpUntil(
        [] {
            const std::lock_guard lock(callsMutex);
            return !calls.empty();
        },
        10000));
    port.Close();
    watchedFd = -1;
    reading = false;
    farEnd.join();

    const std::vector<DeviceCall> seen = takeCalls();
    const auto firstFlush = std::find(seen.begin(), seen.end(), DeviceCall::FlushOutput);
    ASSERT_NE(firstFlush, seen.end()) << "the close discards the output";
    EXPECT_EQ(std::count(firstFlush, seen.end(), DeviceCall::Write), 0)
        << "writes after the output was discarded";
}

// A close made while a receive event is on its way to the user-interface
// thread: the event thread has seen the byte and reports it, but this thread
// has not run its event loop since. The close must let the report go at once
// (not after the report's 2000 ms time-out) and the event must reach nobody,
// neither the closed port nor the port opened again right after it, as a
// transfer's start does.
class CloseWithAnEventOnItsWay : public testing::TestWithParam<bool> {};

TEST_P(CloseWithAnEventOnItsWay, FinishesPromptlyAndDeliversNothing) {
    const bool openAgain = GetParam();
    test::PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    std::vector<std::uint8_t> delivered;
    port.OnDataRecived = [&](TCustomSerialPort& sender, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) {
            delivered.push_back(sender.ReadByte());
        }
    };
    port.Open();
    pty.writeMaster(0x01);
    // Without the event loop: once the byte is in, its event is on its way.
    const double waitFrom = test::nowMs();
    while (port.InputCount() == 0 && test::nowMs() - waitFrom < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_GT(port.InputCount(), 0);
    // The event thread woke with the byte; a moment more and it is blocked in
    // its report, the case where the close must let it go.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    const double start = test::nowMs();
    port.Close();
    if (openAgain) {
        port.Open();
    }
    EXPECT_LT(test::nowMs() - start, 1500.0);  // not the report's 2000 ms time-out
    test::pumpFor(100);
    EXPECT_TRUE(delivered.empty());
    if (openAgain) {
        // The port opened again goes on receiving.
        pty.writeMaster(0x02);
        ASSERT_TRUE(test::pumpUntil([&] { return !delivered.empty(); }, 10000));
        EXPECT_EQ(delivered, std::vector<std::uint8_t>{0x02});
        port.Close();
    }
}

INSTANTIATE_TEST_SUITE_P(ComPortClose, CloseWithAnEventOnItsWay, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "ThenOpenedAgain" : "Closed";
                         });

}  // namespace
}  // namespace tovrix
