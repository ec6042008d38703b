// Opening and closing the component on pseudo-terminals: error texts,
// exclusive use, what a closed port does, the open/close events.

#include <gtest/gtest.h>
#include <termios.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pty_helpers.h"
#include "serial/comport.h"
#include "serial/posixdevice.h"

namespace tovrix {
namespace {

using test::PtyPair;

std::string errorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(ComPortOpen, MissingDeviceIsAnInvalidPortAndThePortStaysUsable) {
    test::linkComTo(7, "/nonexistent/tovrix-tty");
    TComPort port("RS232");
    int opened = 0;
    port.OnPortOpen = [&](TCustomSerialPort&) { ++opened; };
    port.SetComNumber(7);
    try {
        port.Open();
        FAIL() << "open of a missing device succeeded";
    } catch (const EComPortCoreError& error) {
        EXPECT_STREQ(error.what(), "Invalid port number (COM7)");
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(opened, 0);

    PtyPair pty;
    pty.linkAs(7);
    port.Open();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(opened, 1);
}

TEST(ComPortOpen, PortNumberZeroIsInvalid) {
    TComPort port("RS232");
    EXPECT_EQ(errorText([&] { port.Open(); }), "Invalid port number (COM0)");
    EXPECT_FALSE(port.IsOpen());
}

// What an open failure carries beside its text, for the caller to explain.
struct OpenFailure {
    std::string text;
    PortFailure cause = PortFailure::None;
    std::string device;
};

OpenFailure openFailure(TComPort& port) {
    try {
        port.Open();
    } catch (const EComPortCoreError& error) {
        return {error.what(), error.Cause(), error.Device()};
    }
    return {"(no error)", PortFailure::None, {}};
}

TEST(ComPortOpen, AnythingThatIsNotATerminalIsRefusedAtOnce) {
    // /dev/null, a file, a FIFO and a folder can all be named by a COM link;
    // none is a serial device, and the open says so instead of failing later.
    const std::string dir = ::testing::TempDir() + "/tovrix-not-serial";
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/file";
    std::ofstream(file) << "x";
    const std::string fifo = dir + "/fifo";
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/null"), file, fifo, dir}) {
        SCOPED_TRACE(path);
        test::linkComTo(8, path);
        TComPort port("RS232");
        port.SetComNumber(8);
        const OpenFailure failure = openFailure(port);
        EXPECT_EQ(failure.text, "Can't open device COM8");
        EXPECT_EQ(failure.cause, PortFailure::NotSerial);
        EXPECT_EQ(failure.device, path);
        EXPECT_FALSE(port.IsOpen());
    }
}

TEST(ComPortOpen, TheCauseOfAFailureTravelsWithIt) {
    test::linkComTo(7, "/nonexistent/tovrix-tty");
    TComPort missing("RS232");
    missing.SetComNumber(7);
    const OpenFailure gone = openFailure(missing);
    EXPECT_EQ(gone.cause, PortFailure::NotPresent);
    EXPECT_EQ(gone.device, "/nonexistent/tovrix-tty");

    PtyPair pty;
    pty.linkAs(1);
    TComPort first("first");
    TComPort second("second");
    first.SetComNumber(1);
    second.SetComNumber(1);
    first.Open();
    const OpenFailure busy = openFailure(second);
    EXPECT_EQ(busy.cause, PortFailure::InUse);
    EXPECT_EQ(busy.device, pty.slavePath());
}

TEST(ComPortOpen, ADevicePathIsOpenedInsteadOfTheNumberAndNamedInItsErrors) {
    PtyPair pty;
    TComPort port("RS232");
    port.SetComNumber(7);
    test::linkComTo(7, "/nonexistent/tovrix-tty");
    port.SetDevicePath(pty.slavePath());
    port.Open();
    ASSERT_TRUE(port.IsOpen());
    port.WriteByte(0x42);
    EXPECT_EQ(pty.readMaster(1, 2000), std::vector<std::uint8_t>{0x42});

    // Failures name the path whatever their cause; the cause travels beside.
    const std::string file = ::testing::TempDir() + "/tovrix-plain-file";
    std::ofstream(file) << "x";
    TComPort other("other");
    const struct {
        std::string path;
        PortFailure cause;
    } cases[] = {{"/nonexistent/tovrix-tty", PortFailure::NotPresent},
                 {file, PortFailure::NotSerial},
                 {pty.slavePath(), PortFailure::InUse}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        other.SetDevicePath(c.path);
        const OpenFailure failure = openFailure(other);
        EXPECT_EQ(failure.text, "Can't open device " + c.path);
        EXPECT_EQ(failure.cause, c.cause);
        EXPECT_EQ(failure.device, c.path);
    }

    // Clearing the path while open moves the port back to its number.
    PtyPair seven;
    seven.linkAs(7);
    port.SetDevicePath({});
    ASSERT_TRUE(port.IsOpen());
    port.WriteByte(0x43);
    EXPECT_EQ(seven.readMaster(1, 2000), std::vector<std::uint8_t>{0x43});
}

TEST(ComPortOpen, ADeviceInUseCannotBeOpenedUntilItIsFreed) {
    PtyPair pty;
    pty.linkAs(1);
    TComPort first("first");
    TComPort second("second");
    first.SetComNumber(1);
    second.SetComNumber(1);
    first.Open();
    EXPECT_EQ(errorText([&] { second.Open(); }), "Can't open device COM1");
    EXPECT_FALSE(second.IsOpen());
    EXPECT_TRUE(first.IsOpen());

    first.Close();
    second.Open();
    EXPECT_TRUE(second.IsOpen());
    second.Close();
    first.Open();
    EXPECT_TRUE(first.IsOpen());
}

TEST(ComPortOpen, ExclusiveModeIsHeldWhileOpenAndClearedOnClose) {
    // The far end keeps its slave descriptor open, so a mode left set would
    // make the next unprivileged open fail with EBUSY.
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    port.Open();
    EXPECT_TRUE(exclusiveModeSet(pty.slave()));
    port.Close();
    EXPECT_FALSE(exclusiveModeSet(pty.slave()));
}

TEST(ComPortOpen, OpenSetsRawModeAndTheLineSettings) {
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetBaudRate(br19200);
    port.SetComNumber(1);
    port.Open();
    termios settings{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B19200));
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | HUPCL), 0U);
    EXPECT_NE(settings.c_cflag & CLOCAL, 0U);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0U);
    EXPECT_EQ(settings.c_cc[VMIN], 0);
    EXPECT_EQ(settings.c_cc[VTIME], 0);
}

TEST(ComPortOpen, OpenAndCloseEventsFollowTheRules) {
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    std::vector<std::string> events;
    port.OnPortOpen = [&](TCustomSerialPort&) { events.push_back("open"); };
    port.OnPortClose = [&](TCustomSerialPort&) { events.push_back("close"); };
    port.SetComNumber(1);
    port.Close();  // closing a closed port still reports it
    port.Open();
    port.Open();  // opening an open port does nothing
    port.Close();
    EXPECT_EQ(events, (std::vector<std::string>{"close", "open", "close"}));
}

TEST(ComPortOpen, ChangingTheNumberWhileOpenMovesThePort) {
    PtyPair one;
    PtyPair two;
    one.linkAs(1);
    two.linkAs(2);
    TComPort port("RS232");
    port.SetComNumber(1);
    port.Open();
    std::vector<std::string> events;
    port.OnPortOpen = [&](TCustomSerialPort&) { events.push_back("open"); };
    port.OnPortClose = [&](TCustomSerialPort&) { events.push_back("close"); };
    port.SetComNumber(2);
    EXPECT_EQ(events, (std::vector<std::string>{"close", "open"}));
    ASSERT_TRUE(port.IsOpen());
    port.WriteByte(0x5A);
    EXPECT_EQ(two.readMaster(1, 2000), std::vector<std::uint8_t>{0x5A});
    EXPECT_TRUE(one.readMaster(1, 50).empty());
}

TEST(ComPortOpen, AClosedPortRefusesReadsAndWritesWithItsName) {
    TComPort port("RS232");
    EXPECT_EQ(errorText([&] { port.WriteByte(1); }),
              "Write data error [requested: 1, free: 0] - RS232 ");
    EXPECT_EQ(errorText([&] { port.ReadByte(); }), "Read data error - RS232 ");
    EXPECT_EQ(port.OutputFree(), 0);
    EXPECT_EQ(port.InputCount(), 0);
}

TEST(ComPortOpen, BufferSizesChangeOnlyWhileClosed) {
    PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    port.SetOutBufSize(100);
    port.Open();
    EXPECT_EQ(port.OutputFree(), 100);
    EXPECT_EQ(errorText([&] { port.SetInBufSize(1000); }), "Port is not closed - RS232 ");
    EXPECT_EQ(errorText([&] { port.SetOutBufSize(1000); }), "Port is not closed - RS232 ");
    EXPECT_EQ(port.OutBufSize(), 100);
    port.SetOutBufSize(100);  // unchanged: no error
}

}  // namespace
}  // namespace tovrix

namespace tovrix {
namespace {

TEST(ComPortOpen, OutputThatLeftThePortSurvivesTheClose) {
    // The far end of a pseudo-terminal may read late; a close right after
    // the last byte left must not take back what it has not read yet (a
    // flush of the slave used to do so now and then, so try many times).
    test::PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    for (int round = 0; round < 200; ++round) {
        port.Open();
        const std::uint8_t end[2] = {29, static_cast<std::uint8_t>(round)};
        port.WriteData(end, 2);
        ASSERT_TRUE(test::pumpUntil([&] { return port.OutputFree() == port.OutBufSize(); }, 5000));
        port.Close();
        ASSERT_EQ(pty.readMaster(2, 5000), std::vector<std::uint8_t>(end, end + 2))
            << "round " << round;
    }
}

TEST(ComPortOpen, DestroyingAnOpenPortClosesItQuietlyAndPromptly) {
    test::PtyPair pty;
    pty.linkAs(1);
    int closeEvents = 0;
    std::optional<TComPort> port;
    port.emplace("RS232");
    port->OnPortClose = [&](TCustomSerialPort&) { ++closeEvents; };
    port->OnDataRecived = [](TCustomSerialPort&, std::int32_t) {};
    port->SetComNumber(1);
    port->Open();
    pty.writeMaster(0x01);
    // The event thread is now blocked reporting to this (busy) thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double start = test::nowMs();
    port.reset();
    EXPECT_LT(test::nowMs() - start, 1500.0);  // not the event thread's 2000 ms report time-out
    EXPECT_EQ(closeEvents, 0);
    // The device is free again.
    TComPort again("again");
    again.SetComNumber(1);
    EXPECT_NO_THROW(again.Open());
}

TEST(ComPortOpen, TheBusyIndicatorIsShownWhileOpeningAndRemovedOnEveryPath) {
    std::vector<bool> calls;
    const auto previous = setBusyIndicator([&](bool busy) { calls.push_back(busy); });
    TComPort port("RS232");
    port.SetComNumber(9);
    test::linkComTo(9, "/nonexistent/tovrix-tty");
    EXPECT_THROW(port.Open(), EComPortCoreError);
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
    test::PtyPair pty;
    pty.linkAs(9);
    port.Open();
    EXPECT_EQ(calls, (std::vector<bool>{true, false, true, false}));
    setBusyIndicator(previous);
}

}  // namespace
}  // namespace tovrix
