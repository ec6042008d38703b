// Drives the running emulator over its pseudo-terminal with raw bytes.

#include "receiverprocess.h"

#include "config/textlines.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace tovrix::receiver::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string linkFor(const TempDir& home, int com) {
    return home.path() + "/tovrix/ports/com" + std::to_string(com);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Waits until `condition` holds or `timeout` passes.
template <typename Condition>
bool eventually(Condition condition, milliseconds timeout = milliseconds(3000)) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}

TEST(ReceiverProgram, StartsInAnEmptyConfigFolderAndReportsFirmware) {
    TempDir home;
    ReceiverProcess receiver({"--com", "1", "--fast"}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    const std::string link = linkFor(home, 1);
    EXPECT_EQ(receiver.readyLine(), "ready COM1 " + receiver.device() + " " + link);
    ASSERT_TRUE(isSymlink(link));
    EXPECT_EQ(readLinkTarget(link), receiver.device());

    RawPort port(link);
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.ask({24, 1}, 1), Bytes{3});
    EXPECT_EQ(port.ask({24, 2}, 1), Bytes{1});
}

// Paced answers are due at exact byte times; the kernel's default slack of
// 50 us per timed wait would stretch every exchange.
TEST(ReceiverProgram, WaitsWithoutTimerSlack) {
    TempDir home;
    ReceiverProcess receiver({"--com", "1"}, home.path());
    ASSERT_TRUE(receiver.waitReady());
    std::ifstream slack("/proc/" + std::to_string(receiver.pid()) + "/timerslack_ns");
    long nanoseconds = 0;
    ASSERT_TRUE(slack >> nanoseconds);
    EXPECT_EQ(nanoseconds, 1);
}

TEST(ReceiverProgram, AnswersEveryCommandAndSavesAfterTheEndCommand) {
    TempDir home;
    const std::string state = home.path() + "/receiver.tvx";
    const std::string log = home.path() + "/receiver.log";
    ReceiverProcess receiver({"--com", "2", "--fast", "--state", state, "--log", log}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    ASSERT_TRUE(fs::exists(state)) << "a missing state file is created at start";

    RawPort port(linkFor(home, 2));
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.ask({24, 0}, 1), Bytes{16});
    EXPECT_EQ(port.ask({20, 5, 77}, 1), Bytes{77});
    EXPECT_EQ(port.ask({22, 5}, 1), Bytes{77});
    EXPECT_EQ(port.ask({21, 1, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8}, 1), Bytes{8});
    EXPECT_EQ(port.ask({23, 1, 0, 0, 8}, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    // The demo line 100 for B3 = 100.
    const Bytes demo{'T', 'e', 's', 't', ' ', 'B', '3', '=', 100, 13, 10};
    EXPECT_EQ(port.ask({25, 1, 2, 100, 103}, demo.size()), demo);
    // Neither the reset nor the end command answers: the next byte to arrive
    // is the answer to the request after them.
    port.send({24, 254});
    port.send({29, 29});
    EXPECT_EQ(port.ask({24, 1}, 1), Bytes{3});

    ASSERT_TRUE(eventually([&] {
        const std::vector<std::string> lines = splitLines(readFile(state));
        return lines.size() == 617 && lines[5] == "77";
    })) << "the state file is written after 29 29";
    const std::vector<std::string> lines = splitLines(readFile(state));
    EXPECT_EQ(lines[256], "COM2");
    EXPECT_EQ(lines[271].substr(0, 10), "[000] 001 ");

    const std::string logText = readFile(log);
    for (const char* entry : {" rx 24 0\n", " tx 16\n", " rx 20 5 77\n", " tx 77\n", " rx 24 254\n",
                              " rx 29 29\n", " saved "}) {
        EXPECT_NE(logText.find(entry), std::string::npos) << entry << " in\n" << logText;
    }
}

TEST(ReceiverProgram, StateSurvivesARestart) {
    TempDir home;
    const std::string state = home.path() + "/receiver.tvx";
    {
        ReceiverProcess receiver({"--fast", "--state", state}, home.path());
        ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
        RawPort port(linkFor(home, 1));
        EXPECT_EQ(port.ask({20, 11, 25}, 1), Bytes{25});
        EXPECT_EQ(port.ask({21, 0, 8, 8, 9, 9, 9, 9, 9, 9, 9, 9}, 1), Bytes{8});
        port.send({29, 29});
        ASSERT_TRUE(eventually([&] { return splitLines(readFile(state)).at(11) == "25"; }));
        EXPECT_EQ(receiver.stop(SIGTERM), 0);
    }
    ReceiverProcess receiver({"--fast", "--state", state}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    RawPort port(linkFor(home, 1));
    EXPECT_EQ(port.ask({22, 11}, 1), Bytes{25});
    EXPECT_EQ(port.ask({23, 0, 8, 0, 2}, 2), (Bytes{9, 9}));
}

TEST(ReceiverProgram, RefusesAStateFileItCannotRead) {
    TempDir home;
    const std::string state = home.path() + "/broken.tvx";
    std::ofstream(state) << "hello\n";
    ReceiverProcess receiver({"--state", state}, home.path());
    EXPECT_FALSE(receiver.waitReady());
    EXPECT_EQ(receiver.waitExit(), 1);
    EXPECT_NE(receiver.errorOutput().find("broken.tvx"), std::string::npos);
    EXPECT_EQ(readFile(state), "hello\n");
    EXPECT_FALSE(fs::exists(linkFor(home, 1)));
}

// How often a log line occurs in the emulator's log so far.
std::size_t countInLog(const std::string& log, const std::string& line) {
    const std::string text = "\n" + readFile(log);
    std::size_t count = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        ++count;
    }
    return count;
}

TEST(ReceiverProgram, ReassemblesSplitFramesAndDropsStalledOnes) {
    TempDir home;
    const std::string log = home.path() + "/receiver.log";
    ReceiverProcess receiver({"--fast", "--log", log}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    RawPort port(linkFor(home, 1));

    // A frame start followed by more than 100 ms of silence is dropped, so the
    // next 24 starts a new frame (otherwise 24 24 would swallow it). The
    // next frame waits for the drop, which a busy machine may make late.
    port.send({24});
    ASSERT_TRUE(
        eventually([&] { return countInLog(log, " drop 24\n") == 1; }, milliseconds(10000)));
    EXPECT_EQ(port.ask({24, 1}, 1), Bytes{3});

    // Unknown bytes between frames are skipped.
    EXPECT_EQ(port.ask({0, 99, 255, 24, 2}, 1), Bytes{1});
}

// The halves of a frame 30 ms apart on the line, read 230 ms apart because
// the emulator was stopped in between: the emulator's own stall is no
// silence on the line, and the frame is answered.
TEST(ReceiverProgram, ItsOwnStallIsNoSilenceOnTheLine) {
    TempDir home;
    const std::string log = home.path() + "/receiver.log";
    ReceiverProcess receiver({"--fast", "--log", log}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    RawPort port(linkFor(home, 1));
    const Bytes answer{'T', 'e', 's', 't', ' ', 'B', '3', '=', 100, 13, 10};

    // An attempt counts only when the emulator is stopped well inside the
    // 100 ms after it read the first half; a busy machine may miss that, and
    // the attempt is made again.
    bool attempted = false;
    for (int attempt = 0; attempt < 50 && !attempted; ++attempt) {
        const std::size_t seen = countInLog(log, "ignore 0\n");
        const Clock::time_point sent = Clock::now();
        // The 0 is logged as soon as it is read, and it is read with the half
        // frame after it.
        port.send({0, 25, 1, 2});
        const Clock::time_point giveUp = sent + milliseconds(10000);
        while (countInLog(log, "ignore 0\n") == seen) {
            ASSERT_LT(Clock::now(), giveUp) << "the emulator never read the half frame";
            std::this_thread::sleep_for(milliseconds(1));
        }
        ::kill(receiver.pid(), SIGSTOP);
        int status = 0;
        ASSERT_EQ(::waitpid(receiver.pid(), &status, WUNTRACED), receiver.pid());
        ASSERT_TRUE(WIFSTOPPED(status));
        attempted = secondsSince(sent) < 0.09;
        if (attempted) {
            std::this_thread::sleep_for(milliseconds(30));
            port.send({100, 103});
            std::this_thread::sleep_for(milliseconds(170));
        }
        ::kill(receiver.pid(), SIGCONT);
        if (attempted) {
            EXPECT_EQ(port.receive(answer.size(), milliseconds(5000)), answer);
        } else {
            port.ask({100, 103}, answer.size(), milliseconds(1000));
        }
    }
    EXPECT_TRUE(attempted) << "the emulator could never be stopped in time";
}

TEST(ReceiverProgram, PacedTableStreamTakesTheTimeOfTheWire) {
    TempDir home;
    ReceiverProcess receiver({}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    RawPort port(linkFor(home, 1));
    const Clock::time_point start = Clock::now();
    const Bytes stream = port.ask({23, 0, 0, 32, 0}, 8192, milliseconds(30000));
    ASSERT_EQ(stream.size(), 8192U);
    // 8192 bytes of ten bits at 19200 baud take 4.27 s, and the stream may
    // not be faster. How close it comes to that is the transfer benchmark's
    // business: a busy machine makes it later.
    EXPECT_GT(secondsSince(start), 4.27 * 0.95);
}

TEST(ReceiverProgram, FastTableStreamIsImmediate) {
    TempDir home;
    ReceiverProcess receiver({"--fast"}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    RawPort port(linkFor(home, 1));
    const Clock::time_point start = Clock::now();
    const Bytes stream = port.ask({23, 0, 0, 32, 0}, 8192, milliseconds(10000));
    EXPECT_EQ(stream.size(), 8192U);
    EXPECT_LT(secondsSince(start), 2.0);  // far from the 4.27 s of a paced stream
}

class StopSignals : public ::testing::TestWithParam<int> {};

TEST_P(StopSignals, RemoveTheLink) {
    TempDir home;
    ReceiverProcess receiver({"--fast", "--com", "4"}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    const std::string link = linkFor(home, 4);
    ASSERT_TRUE(isSymlink(link));
    EXPECT_EQ(receiver.stop(GetParam()), 0);
    EXPECT_FALSE(isSymlink(link));
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignals, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

TEST(ReceiverProgram, RefusesALiveLinkAndReplacesAStaleOne) {
    TempDir home;
    const std::string link = linkFor(home, 1);
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink(home.path() + "/no-such-device", link);

    ReceiverProcess first({"--fast"}, home.path());
    ASSERT_TRUE(first.waitReady()) << first.errorOutput();
    EXPECT_EQ(readLinkTarget(link), first.device());

    ReceiverProcess second({"--fast"}, home.path());
    EXPECT_FALSE(second.waitReady());
    EXPECT_EQ(second.waitExit(), 1);
    EXPECT_NE(second.errorOutput().find("COM1 is not free"), std::string::npos)
        << second.errorOutput();
    // The first one's link is untouched and still works.
    EXPECT_EQ(readLinkTarget(link), first.device());
    RawPort port(link);
    EXPECT_EQ(port.ask({24, 1}, 1), Bytes{3});
}

TEST(ReceiverProgram, HangupAfterUnplugsTheLine) {
    TempDir home;
    ReceiverProcess receiver({"--fast", "--hangup-after", "2"}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    const std::string link = linkFor(home, 1);
    RawPort port(link);
    EXPECT_EQ(port.ask({24, 1}, 1), Bytes{3});
    // The hang-up follows the second answer at once and, as with a real
    // cable, may take that last byte with it before it is read.
    const Bytes last = port.ask({24, 2}, 1);
    EXPECT_TRUE(last.empty() || last == Bytes{1}) << last.size();
    EXPECT_TRUE(port.waitHangUp(milliseconds(2000)));
    EXPECT_EQ(receiver.waitExit(), 0);
    // Like a link to an unplugged adapter: still there, pointing nowhere.
    EXPECT_TRUE(isSymlink(link));
    EXPECT_FALSE(std::filesystem::exists(link));

    // A new receiver on the same COM number replaces the dead link.
    ReceiverProcess next({"--fast"}, home.path());
    ASSERT_TRUE(next.waitReady()) << next.errorOutput();
    RawPort again(link);
    EXPECT_EQ(again.ask({24, 2}, 1), Bytes{1});
}

TEST(ReceiverProgram, GarbageArrivesUnasked) {
    TempDir home;
    ReceiverProcess receiver({"--fast", "--garbage"}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    RawPort port(linkFor(home, 1));
    const Bytes bytes = port.receive(3, milliseconds(2500));
    ASSERT_EQ(bytes.size(), 3U);
    EXPECT_EQ(bytes[0], 0xAA);
    EXPECT_EQ(bytes[1], 0x55);
}

// The tool marks the port exclusive while it holds it. Because the emulator
// keeps the terminal alive, the mark must not outlast the tool's close, or an
// ordinary user could not open the port a second time.
TEST(ReceiverProgram, PortCanBeReopenedAfterAnExclusiveUser) {
    TempDir home;
    ReceiverProcess receiver({"--fast"}, home.path());
    ASSERT_TRUE(receiver.waitReady()) << receiver.errorOutput();
    const std::string link = linkFor(home, 1);
    {
        RawPort port(link);
        ASSERT_TRUE(port.isOpen());
        ASSERT_EQ(ioctl(port.fd(), TIOCEXCL), 0);
        EXPECT_EQ(port.ask({24, 1}, 1), Bytes{3});
    }
    // Root may open an exclusive terminal anyway, so the check runs as an
    // unprivileged user when the test has the rights to become one.
    auto reopens = [&] {
        if (geteuid() != 0) {
            RawPort again(link);
            return again.isOpen();
        }
        chmod(receiver.device().c_str(), 0666);
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) {
                _exit(2);
            }
            // The device itself: the private test folder is closed to others.
            const int fd = open(receiver.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            _exit(fd >= 0 ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    EXPECT_TRUE(eventually(reopens, milliseconds(2000)));
    RawPort port(link);
    EXPECT_EQ(port.ask({24, 2}, 1), Bytes{1});
}

TEST(ReceiverProgram, HelpAndBadOptions) {
    TempDir home;
    ReceiverProcess help({"--help"}, home.path());
    EXPECT_EQ(help.waitExit(), 0);
    ReceiverProcess bad({"--com", "0"}, home.path());
    EXPECT_EQ(bad.waitExit(), 2);
    EXPECT_NE(bad.errorOutput().find("--com"), std::string::npos);
}

}  // namespace
}  // namespace tovrix::receiver::test
