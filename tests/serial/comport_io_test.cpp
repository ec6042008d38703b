// Sending and receiving through the component over pseudo-terminals: event
// delivery on the user-interface thread, the output queue, clearing it while
// the line is stalled, and what errors in handlers do.

#include <gtest/gtest.h>
#include <termios.h>

#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "pty_helpers.h"
#include "serial/comport.h"
#include "serial/exceptiondisplay.h"

namespace tovrix {
namespace {

using test::PtyPair;
using test::pumpUntil;

constexpr std::uint8_t kXoff = 0x13;
constexpr std::uint8_t kXon = 0x11;

class ComPortIo : public ::testing::Test {
  protected:
    void SetUp() override {
        pty.linkAs(1);
        port.SetBaudRate(br19200);
        port.SetComNumber(1);
        port.SetInBufSize(8300);
    }

    // Stops the component's output with XOFF from the far end and waits
    // until a probe byte is seen to stick in the queue.
    void stallOutput() {
        for (int attempt = 0; attempt < 50; ++attempt) {
            pty.writeMaster(kXoff);
            test::pumpFor(10);
            port.WriteByte('?');
            if (!pumpUntil([&] { return port.OutputFree() == port.OutBufSize(); }, 60)) {
                return;  // the probe is stuck: output is stopped
            }
            pty.readMaster(1, 100);  // it got through before the XOFF took effect
        }
        FAIL() << "output never stalled";
    }

    PtyPair pty;
    TComPort port{"RS232"};
};

TEST_F(ComPortIo, ReceivedBytesArriveOnTheUserInterfaceThread) {
    std::vector<std::uint8_t> received;
    std::vector<std::thread::id> threads;
    port.OnDataRecived = [&](TCustomSerialPort& sender, std::int32_t count) {
        threads.push_back(std::this_thread::get_id());
        for (std::int32_t i = 0; i < count; ++i) {
            received.push_back(sender.ReadByte());
        }
    };
    port.Open();
    const std::vector<std::uint8_t> sent = {24, 0, 0xFF, 0x11, 0x13, 0};
    pty.writeMaster(sent.data(), sent.size());
    ASSERT_TRUE(pumpUntil([&] { return received.size() >= sent.size(); }, 2000));
    EXPECT_EQ(received, sent);
    for (const auto id : threads) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST_F(ComPortIo, ReadingWithNothingWaitingFailsAtOnce) {
    port.Open();
    const double start = test::nowMs();
    EXPECT_THROW(port.ReadByte(), EComPortError);
    EXPECT_LT(test::nowMs() - start, 1000.0);  // a read that waits for bytes would hang
    std::uint8_t none = 0;
    EXPECT_NO_THROW(port.ReadData(&none, 0));
}

TEST_F(ComPortIo, QueuedBytesGoOutInOrderAndTheEmptyQueueIsReported) {
    int emptied = 0;
    port.OnOutBufFree = [&](TCustomSerialPort&) { ++emptied; };
    port.Open();
    std::vector<std::uint8_t> data(300);
    std::iota(data.begin(), data.end(), 0);
    port.WriteData(data.data(), 100);
    port.WriteData(data.data() + 100, 200);
    EXPECT_EQ(pty.readMaster(300, 2000), data);
    ASSERT_TRUE(pumpUntil([&] { return emptied >= 1; }, 2000));
    EXPECT_EQ(port.OutputFree(), 2048);
}

TEST_F(ComPortIo, AQueueThatWrapsIsSentCompletelyWithOneEmptyReport) {
    int emptied = 0;
    port.OnOutBufFree = [&](TCustomSerialPort&) { ++emptied; };
    port.Open();
    // Move the ring's read position to 1500, then queue 1000 bytes at once:
    // 548 fit up to the end, 452 wrap to the start.
    std::vector<std::uint8_t> first(1500, 0xAA);
    port.WriteData(first.data(), 1500);
    ASSERT_EQ(pty.readMaster(1500, 2000).size(), 1500U);
    ASSERT_TRUE(pumpUntil([&] { return emptied == 1; }, 2000));

    std::vector<std::uint8_t> wrapped(1000);
    for (std::size_t i = 0; i < wrapped.size(); ++i) {
        wrapped[i] = static_cast<std::uint8_t>(i * 7);
    }
    port.WriteData(wrapped.data(), 1000);
    EXPECT_EQ(pty.readMaster(1000, 2000), wrapped);
    ASSERT_TRUE(pumpUntil([&] { return emptied == 2; }, 2000));
    test::pumpFor(250);
    EXPECT_EQ(emptied, 2);
}

TEST_F(ComPortIo, ExactlyTheFreeSpaceCanBeQueuedAndNotOneByteMore) {
    port.SetFlowControl(fwXOnXOff);
    port.Open();
    stallOutput();
    const std::int32_t free = port.OutputFree();
    ASSERT_EQ(free, 2047);  // the stuck probe holds one byte
    std::vector<std::uint8_t> block(static_cast<std::size_t>(free), 0x42);
    EXPECT_NO_THROW(port.WriteData(block.data(), free));
    EXPECT_EQ(port.OutputFree(), 0);
    try {
        port.WriteByte(1);
        FAIL() << "a byte beyond the free space was queued";
    } catch (const EComPortError& error) {
        EXPECT_STREQ(error.what(), "Write data error [requested: 1, free: 0] - RS232 ");
    }
    // Released, the far end gets the probe and the block, and nothing else.
    pty.writeMaster(kXon);
    const auto out = pty.readMaster(2048, 2000);
    ASSERT_EQ(out.size(), 2048U);
    EXPECT_TRUE(pty.readMaster(1, 100).empty());
    EXPECT_EQ(out[0], '?');
    EXPECT_EQ(std::count(out.begin() + 1, out.end(), 0x42), 2047);
}

TEST_F(ComPortIo, ClearOutputAbortsAStalledTransmission) {
    int emptied = 0;
    port.OnOutBufFree = [&](TCustomSerialPort&) { ++emptied; };
    port.SetFlowControl(fwXOnXOff);
    port.Open();
    stallOutput();
    std::vector<std::uint8_t> block(2047, 0x55);
    port.WriteData(block.data(), 2047);
    ASSERT_EQ(port.OutputFree(), 0);

    const double start = test::nowMs();
    port.ClearOutput();
    EXPECT_LT(test::nowMs() - start, 1500.0);  // not the write thread's 2000 ms time-out
    EXPECT_EQ(port.OutputFree(), 2048);
    pty.writeMaster(kXon);
    test::pumpFor(250);
    EXPECT_EQ(emptied, 0);
    EXPECT_TRUE(pty.readMaster(1, 100).empty());

    // The port goes on working.
    port.WriteByte('A');
    port.WriteByte('B');
    EXPECT_EQ(pty.readMaster(2, 2000), (std::vector<std::uint8_t>{'A', 'B'}));
}

// Purges that follow each other closely, each right after a byte was
// queued, as the receive handler does on every answer: none of them may wait
// for the write thread's time-out, and the port keeps sending afterwards.
TEST_F(ComPortIo, BackToBackClearsNeverStall) {
    port.Open();
    double slowest = 0;
    for (int i = 0; i < 2000; ++i) {
        port.WriteByte(static_cast<std::uint8_t>(i));
        const double start = test::nowMs();
        port.ClearOutput();
        slowest = std::max(slowest, test::nowMs() - start);
    }
    EXPECT_LT(slowest, 1500.0);  // none waited for the write thread's 2000 ms time-out
    pty.readMaster(2000, 200);   // whatever got out before its purge

    port.WriteByte('Z');
    EXPECT_EQ(pty.readMaster(1, 2000), (std::vector<std::uint8_t>{'Z'}));
}

TEST_F(ComPortIo, CloseWhileTheEventThreadWaitsForTheUserInterfaceIsPrompt) {
    int received = 0;
    port.OnDataRecived = [&](TCustomSerialPort&, std::int32_t) { ++received; };
    int closed = 0;
    port.OnPortClose = [&](TCustomSerialPort&) { ++closed; };
    port.Open();
    pty.writeMaster(0x01);
    // Without the event loop running, the event thread is now blocked in its
    // report to this thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double start = test::nowMs();
    port.Close();
    const double took = test::nowMs() - start;
    EXPECT_LT(took, 1500.0);  // not the event thread's 2000 ms report time-out
    EXPECT_EQ(closed, 1);
    test::pumpFor(100);
    EXPECT_EQ(received, 0);
}

// A close delivers the reports other ports have waiting; their handlers
// take their own ports' locks. Two ports closed that way in turn must not
// nest their locks in both orders (ThreadSanitizer reports such a cycle as a
// possible deadlock; it needs its run to tell).
TEST(ComPortClose, ReportsOfAnotherPortDeliveredDuringACloseTakeNoLockOfTheClosingPort) {
    PtyPair ptys[2];
    TComPort ports[2] = {TComPort("A"), TComPort("B")};
    int received[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        ptys[i].linkAs(5 + i);
        ports[i].SetComNumber(static_cast<std::uint16_t>(5 + i));
        ports[i].OnDataRecived = [&received, i](TCustomSerialPort& sender, std::int32_t) {
            received[i] += sender.InputCount();
            std::uint8_t byte = 0;
            sender.ReadData(&byte, 1);
        };
        ports[i].Open();
    }
    for (const int closing : {0, 1}) {
        const int other = 1 - closing;
        // Tried again when the machine was too slow for the report to be
        // waiting by the time of the close.
        bool deliveredByTheClose = false;
        for (int attempt = 0; attempt < 10 && !deliveredByTheClose; ++attempt) {
            ptys[other].writeMaster(0x01);
            // Without the event loop running, the other port's event thread
            // is now blocked in its report, which the close delivers.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            ports[closing].Close();
            deliveredByTheClose = received[other] == 1;
            ASSERT_TRUE(pumpUntil([&] { return received[other] == 1; }, 10000));
            received[other] = 0;
            ports[closing].Open();
        }
        EXPECT_TRUE(deliveredByTheClose) << "closing " << closing;
    }
}

TEST_F(ComPortIo, CloseInsideTheReceiveHandlerWaitsOutTheReportTimeOut) {
    int closed = 0;
    double closedAt = 0;
    port.OnPortClose = [&](TCustomSerialPort&) { ++closed; };
    port.OnDataRecived = [&](TCustomSerialPort& sender, std::int32_t) {
        sender.Close();
        closedAt = test::nowMs();
    };
    port.Open();
    const double sentAt = test::nowMs();
    pty.writeMaster(0x01);
    ASSERT_TRUE(pumpUntil([&] { return closed == 1; }, 20000));
    // The event thread's report began after the byte was sent, and the close
    // waited out its 2000 ms time-out; the upper limit only catches a hang.
    EXPECT_GE(closedAt - sentAt, 1990.0);
    EXPECT_LT(closedAt - sentAt, 15000.0);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(ComPortIo, AnErrorInAHandlerIsShownAndThePortStaysOpen) {
    std::vector<std::string> shown;
    const auto previous =
        setExceptionDisplay([&](const std::exception& error) { shown.emplace_back(error.what()); });
    int calls = 0;
    port.OnDataRecived = [&](TCustomSerialPort& sender, std::int32_t count) {
        ++calls;
        for (std::int32_t i = 0; i <= count; ++i) {  // one read too many
            sender.ReadByte();
        }
    };
    port.Open();
    pty.writeMaster(0x01);
    ASSERT_TRUE(pumpUntil([&] { return !shown.empty(); }, 2000));
    EXPECT_EQ(shown.front(), "Read data error - RS232 ");
    EXPECT_TRUE(port.IsOpen());
    pty.writeMaster(0x02);
    EXPECT_TRUE(pumpUntil([&] { return calls >= 2; }, 2000));
    setExceptionDisplay(previous);
}

TEST_F(ComPortIo, EventsStopWhenTheHandlerIsGoneAndOnNonSyncEventRunsOnTheEventThread) {
    std::atomic<int> nonSync{0};
    std::atomic<bool> onOtherThread{true};
    const auto uiThread = std::this_thread::get_id();
    int received = 0;
    port.OnDataRecived = [&](TCustomSerialPort&, std::int32_t) { ++received; };
    port.OnNonSyncEvent = [&](TCustomSerialPort&, TCoreEvent, std::uint32_t) {
        if (std::this_thread::get_id() == uiThread) {
            onOtherThread = false;
        }
        ++nonSync;
    };
    port.Open();
    pty.writeMaster(0x01);
    ASSERT_TRUE(pumpUntil([&] { return nonSync.load() >= 1; }, 2000));
    test::pumpFor(50);
    EXPECT_TRUE(onOtherThread.load());
    EXPECT_EQ(received, 0);
}

TEST_F(ComPortIo, ControlBlockChangesApplyAtOnceAndARejectedOneKeepsTheOld) {
    port.Open();
    port.SetBaudRate(br9600);
    termios settings{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B9600));

    try {
        port.SetBaudRate(br14400);  // no termios speed for it
        FAIL() << "an inexpressible rate was accepted";
    } catch (const EComPortCoreError& error) {
        EXPECT_STREQ(error.what(), "Error setting parameters from DCB");
    }
    ASSERT_EQ(::tcgetattr(pty.slave(), &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B9600));
    EXPECT_EQ(port.Dcb().BaudRate, 9600U);  // read back from the device
    EXPECT_TRUE(port.IsOpen());
}

// A byte the handler leaves unread is reported again, with its count, once
// the quiet interval of 200 ms has passed, and not before.
TEST_F(ComPortIo, AByteLeftUnreadIsReportedAgainAfterTheQuietInterval) {
    TCoreEvent lastKind = ceOutBufEmpty;
    port.OnSyncEvent = [&](TCustomSerialPort&, TCoreEvent kind, std::uint32_t) { lastKind = kind; };
    struct Report {
        double at;
        std::int32_t count;
        TCoreEvent kind;
    };
    std::vector<Report> reports;
    port.OnDataRecived = [&](TCustomSerialPort&, std::int32_t count) {
        reports.push_back({test::nowMs(), count, lastKind});
    };
    port.Open();
    pty.writeMaster(0x42);
    ASSERT_TRUE(pumpUntil([&] { return reports.size() >= 2; }, 5000));
    EXPECT_EQ(reports[0].count, 1);
    EXPECT_EQ(reports[0].kind, ceCommEvent);  // the arrival
    EXPECT_EQ(reports[1].count, 1);
    EXPECT_EQ(reports[1].kind, ceDataAvailable);  // the quiet interval's look
    EXPECT_GE(reports[1].at - reports[0].at, 195.0);
    EXPECT_LT(reports[1].at - reports[0].at, 1000.0);  // the next look, not a later one
    EXPECT_EQ(port.ReadByte(), 0x42);
}

// A change the device refuses leaves the property as it was, and the next
// valid change is applied as if nothing had happened.
struct RejectedChange {
    const char* name;
    std::function<void(TCustomSerialPort&)> change;
    std::function<bool(const TCustomSerialPort&)> unchanged;
};

void PrintTo(const RejectedChange& change, std::ostream* out) {
    *out << change.name;
}

class ComPortRejectedChange : public ComPortIo,
                              public ::testing::WithParamInterface<RejectedChange> {};

TEST_P(ComPortRejectedChange, KeepsThePropertyAndSpoilsNoLaterChange) {
    port.Open();
    const TDcb before = port.Dcb();
    EXPECT_THROW(GetParam().change(port), EComPortCoreError);
    EXPECT_TRUE(GetParam().unchanged(port));
    EXPECT_EQ(port.Dcb(), before);
    port.Close();
    ASSERT_NO_THROW(port.Open());

    port.SetStopbits(sbTwo);
    port.SetBaudRate(br9600);
    termios settings{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &settings), 0);
    EXPECT_NE(settings.c_cflag & CSTOPB, 0U);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B9600));
    EXPECT_TRUE(GetParam().unchanged(port));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ComPortRejectedChange,
    ::testing::Values(
        RejectedChange{"RateWithoutATermiosSpeed",
                       [](TCustomSerialPort& p) { p.SetBaudRate(br14400); },
                       [](const TCustomSerialPort& p) { return p.UserBaudRate() == 0; }},
        RejectedChange{"UserRateWithoutATermiosSpeed",
                       [](TCustomSerialPort& p) { p.SetUserBaudRate(12345); },
                       [](const TCustomSerialPort& p) { return p.UserBaudRate() == 0; }},
        RejectedChange{"OneAndAHalfStopBits",
                       [](TCustomSerialPort& p) { p.SetStopbits(sbOneAndHalf); },
                       [](const TCustomSerialPort& p) { return p.Stopbits() != sbOneAndHalf; }},
        RejectedChange{"FourDataBits", [](TCustomSerialPort& p) { p.SetDatabits(db4); },
                       [](const TCustomSerialPort& p) { return p.Databits() == db8; }},
        RejectedChange{"DtrDsrFlowControl",
                       [](TCustomSerialPort& p) { p.SetFlowControl(fwDtrDsr); },
                       [](const TCustomSerialPort& p) {
                           return p.FlowControl() == fwNone && p.XOnLim() == 0 && p.XOffLim() == 0;
                       }},
        RejectedChange{"ErrorCharacterReplacement",
                       [](TCustomSerialPort& p) { p.SetOptions(comOptionBit(coErrorChar)); },
                       [](const TCustomSerialPort& p) { return p.Options() == 0; }}),
    [](const ::testing::TestParamInfo<RejectedChange>& info) { return info.param.name; });

TEST_F(ComPortIo, APseudoTerminalHasNoModemLinesAndThatIsNoError) {
    int lineEvents = 0;
    port.OnCTSChanged = [&](TCustomSerialPort&) { ++lineEvents; };
    port.OnDSRChanged = [&](TCustomSerialPort&) { ++lineEvents; };
    port.OnRLSDChanged = [&](TCustomSerialPort&) { ++lineEvents; };
    port.OnRINGDetected = [&](TCustomSerialPort&) { ++lineEvents; };
    port.OnLineError = [&](TCustomSerialPort&, std::uint32_t) { ++lineEvents; };
    port.Open();
    EXPECT_NO_THROW(port.SetDTR(false));
    EXPECT_NO_THROW(port.SetRTS(false));
    EXPECT_NO_THROW(port.SetDTR(true));
    test::pumpFor(450);
    EXPECT_EQ(lineEvents, 0);
}

}  // namespace
}  // namespace tovrix

namespace tovrix {
namespace {

TEST_F(ComPortIo, AnExceptionOnTheEventThreadIsShownOnTheUserInterfaceThread) {
    std::vector<std::string> shown;
    std::thread::id shownOn;
    const auto previous = setExceptionDisplay([&](const std::exception& error) {
        shown.emplace_back(error.what());
        shownOn = std::this_thread::get_id();
    });
    port.OnNonSyncEvent = [](TCustomSerialPort&, TCoreEvent, std::uint32_t) {
        throw std::runtime_error("failed on the event thread");
    };
    port.Open();
    pty.writeMaster(0x01);
    ASSERT_TRUE(pumpUntil([&] { return !shown.empty(); }, 2000));
    EXPECT_EQ(shown.front(), "failed on the event thread");
    EXPECT_EQ(shownOn, std::this_thread::get_id());
    EXPECT_TRUE(port.IsOpen());
    setExceptionDisplay(previous);
}

TEST_F(ComPortIo, LoadedOpensThePortOnlyWithAutoOpen) {
    int opened = 0;
    port.OnPortOpen = [&](TCustomSerialPort&) { ++opened; };
    port.Loaded();
    EXPECT_FALSE(port.IsOpen());
    port.SetAutoOpen(true);
    port.Loaded();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace tovrix
