#include "common/beep_counter.h"
#include "fake_link.h"

#include <gtest/gtest.h>

namespace tovrix::test {
namespace {

using std::chrono::milliseconds;

std::string msg(StatusMessage m) {
    return statusText(m);
}
std::string timeoutText(const std::string& before, int count) {
    return before + msg(StatusMessage::msgtimeout) + std::to_string(count) +
           (count == 0 ? msg(StatusMessage::msgnoanswer) : "");
}
// The report of a programming run that ended after it began writing.
std::string partlyWritten(const std::string& report) {
    return report + msg(StatusMessage::msgpartial);
}
// The watchdog's intervals: first the bound on the wait for a quiet line,
// then one per frame.
std::vector<milliseconds> watchdogStarts(int frames) {
    std::vector<milliseconds> starts(static_cast<std::size_t>(frames) + 1, milliseconds{1000});
    starts.front() = milliseconds{6000};
    return starts;
}

class Link : public testing::Test {
  protected:
    Link() {
        for (std::size_t i = 0; i < h.receiver.sys.size(); ++i) {
            h.receiver.sys[i] = static_cast<std::uint8_t>(16 + i);
        }
        h.receiver.conf = sampleConfig();
        h.receiver.image = sampleImage(5);
    }
    // The block the user programs: differs from the receiver's in every byte.
    void prepareUserConfig() {
        for (int i = 0; i < 256; ++i) {
            h.confdata[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(200 - i);
        }
    }
    void expectIdle() {
        const TransferState& s = h.seq.state();
        EXPECT_FALSE(s.readmode || s.writemode || s.verifymode || s.sysphase || s.testmode ||
                     s.sendend);
        EXPECT_FALSE(h.watchdog.running);
        EXPECT_FALSE(h.view.gaugeVisible);
        EXPECT_TRUE(h.view.controlsEnabled);
    }

    LinkHarness h;
    BeepCounter beeps;
};

TEST_F(Link, ConfigurationReadTrace) {
    h.seq.LeseButtonClick();
    EXPECT_FALSE(h.view.controlsEnabled);
    EXPECT_TRUE(h.view.gaugeVisible);
    EXPECT_EQ(h.view.info, "\"read system data\"");
    h.pump();

    ASSERT_EQ(h.receiver.frames.size(), 149u);
    for (std::uint8_t a = 0; a <= 20; ++a)
        EXPECT_EQ(h.receiver.frames[a], (Bytes{24, a}));
    for (std::uint8_t a = 0; a < 128; ++a)
        EXPECT_EQ(h.receiver.frames[21 + a], (Bytes{22, a}));
    EXPECT_EQ(h.watchdog.starts, watchdogStarts(149));
    EXPECT_TRUE(std::equal(h.receiver.conf.begin(), h.receiver.conf.end(), h.confdata.begin()));
    EXPECT_EQ(h.sysdata, h.receiver.sys);
    ASSERT_EQ(h.view.sysmemo.size(), 21u);
    EXPECT_EQ(h.view.sysmemo[0], " 0:  016   00010000");
    EXPECT_EQ(h.view.sysmemo[20], "20:  036   00100100");
    EXPECT_EQ(h.view.infoHistory[1], "\"read config data\"");
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
    EXPECT_EQ(h.view.colour, InfoColour::black);
    EXPECT_EQ(h.view.showdataCalls, 1);
    EXPECT_EQ(h.receiver.framesWith(29), 0);
    EXPECT_EQ(h.receiver.restarts, 1);
    expectIdle();
    EXPECT_EQ(beeps.count(), 0);
}

TEST_F(Link, ConfigurationReadWithBadChecksumIsTakenOver) {
    h.receiver.conf[89] ^= 1;
    h.seq.LeseButtonClick();
    h.pump();
    EXPECT_EQ(h.confdata[89], h.receiver.conf[89]);
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfsum));
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(beeps.count(), 1);
}

TEST_F(Link, ConfigurationWriteTrace) {
    prepareUserConfig();
    h.seq.ProgButtonClick();
    EXPECT_EQ(h.confdata[89], configChecksum(h.confdata));
    EXPECT_EQ(h.view.buildCalls, 1);
    h.pump();

    const auto& f = h.receiver.frames;
    ASSERT_EQ(f.size(), 21u + 100u + 128u + 1u);
    for (std::uint8_t a = 0; a < 100; ++a)
        EXPECT_EQ(f[21 + a], (Bytes{20, a, h.confdata[a]}));
    for (std::uint8_t a = 0; a < 128; ++a)
        EXPECT_EQ(f[121 + a], (Bytes{22, a}));
    EXPECT_EQ(f.back(), (Bytes{29, 29}));
    const std::vector<std::string>& history = h.view.infoHistory;
    EXPECT_NE(std::find(history.begin(), history.end(), msg(StatusMessage::msgconfwritten)),
              history.end());
    EXPECT_NE(std::find(history.begin(), history.end(), "\"verify config data\""), history.end());
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgverifyok));
    EXPECT_EQ(h.view.colour, InfoColour::black);
    // The programmed bytes read back as sent; the verification copy holds them.
    EXPECT_TRUE(std::equal(h.confdata.begin(), h.confdata.begin() + 100, h.confdata.begin() + 128));
    EXPECT_TRUE(std::equal(h.confdata.begin(), h.confdata.begin() + 100, h.receiver.conf.begin()));
    expectIdle();
}

TEST_F(Link, WrongEchoStopsProgrammingAndEndsInTheWatchdog) {
    prepareUserConfig();
    h.receiver.wrongEchoAt = 13;
    h.seq.ProgButtonClick();
    h.pump();
    EXPECT_EQ(h.receiver.framesWith(20), 14);
    EXPECT_EQ(h.receiver.framesWith(29), 0);
    EXPECT_TRUE(h.watchdog.running);
    h.expire();
    EXPECT_EQ(h.receiver.frames.back(), (Bytes{29, 29}));
    EXPECT_EQ(h.view.info, partlyWritten(timeoutText("\"write config data\"", 13)));
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(beeps.count(), 1);
    expectIdle();
}

struct ReadBackCase {
    int address;
    StatusMessage verdict;
    bool restored;
};

class ReadBack : public Link, public testing::WithParamInterface<ReadBackCase> {};

TEST_P(ReadBack, ComparesBytesZeroToEightyNine) {
    prepareUserConfig();
    h.receiver.readBackChanges[GetParam().address] = 0x42;
    h.seq.ProgButtonClick();
    const ConfData programmed = h.confdata;
    h.pump();
    EXPECT_EQ(h.view.info, msg(GetParam().verdict));
    EXPECT_EQ(h.view.colour, GetParam().verdict == StatusMessage::msgverifyok ? InfoColour::black
                                                                              : InfoColour::red);
    EXPECT_EQ(beeps.count(), GetParam().verdict == StatusMessage::msgverifyok ? 0 : 1);
    if (GetParam().restored) {
        EXPECT_TRUE(std::equal(programmed.begin(), programmed.begin() + 128, h.confdata.begin()));
    } else {
        EXPECT_EQ(h.confdata[static_cast<std::size_t>(GetParam().address)], 0x42);
    }
    EXPECT_EQ(h.receiver.frames.back(), (Bytes{29, 29}));
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(Changes, ReadBack,
                         testing::Values(ReadBackCase{95, StatusMessage::msgverifyok, false},
                                         ReadBackCase{50, StatusMessage::msgverifyfail, true},
                                         ReadBackCase{89, StatusMessage::msgverifyfail, true}),
                         [](const testing::TestParamInfo<ReadBackCase>& info) {
                             return "Byte" + std::to_string(info.param.address);
                         });

// Silence at the first frame of each transfer.
struct SilenceCase {
    const char* name;
    void (TransferSequence::*start)();
    const char* phase;
    milliseconds watchdog;
    bool endCommand;
    bool partly;  // the first frame already programs the receiver
};

class Silence : public Link, public testing::WithParamInterface<SilenceCase> {};

TEST_P(Silence, EndsInTheWatchdogMessage) {
    h.receiver.answersBeforeSilence = 0;
    (h.seq.*GetParam().start)();
    h.pump();
    EXPECT_EQ(h.watchdog.interval, GetParam().watchdog);
    h.expire();
    const std::string report = timeoutText(GetParam().phase, 0);
    EXPECT_EQ(h.view.info, GetParam().partly ? partlyWritten(report) : report);
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(h.receiver.framesWith(29), GetParam().endCommand ? 1 : 0);
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(
    Starters, Silence,
    testing::Values(SilenceCase{"ConfigRead", &TransferSequence::LeseButtonClick,
                                "\"read system data\"", milliseconds{1000}, false, false},
                    SilenceCase{"ConfigWrite", &TransferSequence::ProgButtonClick,
                                "\"read system data\"", milliseconds{1000}, true, false},
                    SilenceCase{"TableRead", &TransferSequence::Butread64Click,
                                "\"read string data\"", milliseconds{10000}, false, false},
                    SilenceCase{"TableWrite", &TransferSequence::Butwrite64Click,
                                "\"write string data\"", milliseconds{1000}, true, true}),
    [](const testing::TestParamInfo<SilenceCase>& info) { return info.param.name; });

TEST_F(Link, ReceiverStoppingAfter57ConfigurationBytes) {
    const ConfData before = h.confdata;
    h.receiver.answersBeforeSilence = 21 + 57;
    h.seq.LeseButtonClick();
    h.runToEnd();
    EXPECT_EQ(h.view.info, timeoutText("\"read config data\"", 57));
    EXPECT_EQ(h.confdata, before);
    expectIdle();
}

class TableRead : public Link, public testing::WithParamInterface<int> {};

TEST_P(TableRead, AnyChunkingGivesTheSameImage) {
    h.chunk = GetParam();
    h.receiver.extraStreamBytes = 37;  // a receiver that sends more than asked for
    h.seq.Butread64Click();
    h.settle();
    EXPECT_EQ(h.receiver.frames.at(0), (Bytes{23, 0, 0, 32, 0}));
    h.pump();
    EXPECT_EQ(h.tabdata, h.receiver.image);
    EXPECT_EQ(h.seq.state().xferpos, 8192);
    EXPECT_EQ(h.receiver.waiting(), 0);  // the surplus was read and dropped
    EXPECT_EQ(h.view.restoreCalls, 1);
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgtabreadok));
    EXPECT_LE(*std::max_element(h.view.gaugeHistory.begin(), h.view.gaugeHistory.end()), 100);
    EXPECT_EQ(h.receiver.framesWith(29), 0);
    expectIdle();
}

INSTANTIATE_TEST_SUITE_P(Chunks, TableRead, testing::Values(1, 100, 8192, 0),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? std::string("AllAtOnce")
                                                    : "Of" + std::to_string(info.param);
                         });

TEST_F(Link, TableReadWithBadChecksumIsTakenOverWithABeep) {
    h.receiver.image[100] ^= 0xFF;
    h.seq.Butread64Click();
    h.chunk = 0;
    h.pump();
    EXPECT_EQ(h.tabdata, h.receiver.image);
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgtabsum));
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(beeps.count(), 1);
}

TEST_F(Link, TableReadCutShortLeavesTheImageAlone) {
    h.chunk = 0;
    h.receiver.extraStreamBytes = 0;
    h.seq.Butread64Click();
    h.settle();
    h.receiver.deliver(5000);
    h.seq.RS232RxChar(h.receiver.waiting());
    h.expire();  // the rest never comes
    EXPECT_EQ(h.tabdata, TabData{});
    EXPECT_EQ(h.view.restoreCalls, 0);
    EXPECT_EQ(h.view.info, timeoutText("\"read string data\"", 5000));
    expectIdle();
}

TEST_F(Link, TableWriteTrace) {
    h.view.grid = sampleImage(9);
    h.seq.Butwrite64Click();
    EXPECT_EQ(h.view.buildCalls, 1);
    h.pump();
    const auto& f = h.receiver.frames;
    ASSERT_EQ(f.size(), 1025u);
    for (int chunk = 0; chunk < 1024; ++chunk) {
        const int address = chunk * 8;
        ASSERT_EQ(f[chunk].size(), 12u);
        EXPECT_EQ(f[chunk][1] * 256 + f[chunk][2], address);
    }
    EXPECT_EQ(f.back(), (Bytes{29, 29}));
    EXPECT_EQ(h.receiver.image, h.view.grid);
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgtabwritten));
    EXPECT_EQ(h.watchdog.starts, watchdogStarts(1024));
    // gaugeHistory[0] is the starter's 0; entry 1 + n follows the answer for chunk n.
    EXPECT_EQ(h.view.gaugeHistory.at(1 + 1024 / 8), 12);
    EXPECT_EQ(h.view.gaugeHistory.at(1 + 1032 / 8), 13);
    expectIdle();
}

TEST_F(Link, NakedChunkShowsTheErrorThenTimesOut) {
    h.receiver.nakChunkAt = 800;
    h.seq.Butwrite64Click();
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgtabnak));
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(h.receiver.framesWith(21), 101);
    h.expire();
    EXPECT_EQ(h.view.info, partlyWritten(timeoutText(msg(StatusMessage::msgtabnak), 800)));
    EXPECT_EQ(h.receiver.frames.back(), (Bytes{29, 29}));
    EXPECT_EQ(beeps.count(), 1);
    expectIdle();
}

TEST_F(Link, TestTelegramAndItsLog) {
    h.view.testFields = {"  1", "  2", "  3", "  6"};
    h.receiver.testAnswer = {65, 66, 13};
    h.seq.BTeststringClick();
    h.settle();
    EXPECT_EQ(h.receiver.frames.at(0), (Bytes{25, 1, 2, 3, 6}));
    EXPECT_EQ(h.watchdog.interval, milliseconds{2000});
    EXPECT_FALSE(h.view.testButtonEnabled);
    EXPECT_EQ(h.view.info, "\"send test data\"");
    EXPECT_FALSE(h.view.gaugeVisible);
    h.runToEnd();
    EXPECT_EQ(h.view.testLog, (std::vector<std::string>{"Sende:   1   2   3   6", "Empfange[  3]:",
                                                        "65", "66", "13", "Empfang fertig"}));
    EXPECT_EQ(h.view.info, "Teststring gesendet");
    EXPECT_TRUE(h.view.testButtonEnabled);
    EXPECT_EQ(beeps.count(), 0);
    expectIdle();
}

TEST_F(Link, ConfigurationReadRightAfterATableRead) {
    h.chunk = 0;
    h.seq.Butread64Click();
    h.pump();
    h.seq.LeseButtonClick();
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
    EXPECT_FALSE(h.seq.state().tablemode);
}

TEST_F(Link, ANewFileClearsThePhaseFlagsOnly) {
    h.chunk = 0;
    h.seq.Butread64Click();
    h.pump();
    ASSERT_TRUE(h.seq.state().tablemode);
    h.seq.ProgButtonClick();  // stays waiting in its system-data phase
    h.settle();
    h.receiver.answersBeforeSilence = 0;
    h.seq.clearTransferFlags();
    const TransferState& s = h.seq.state();
    EXPECT_FALSE(s.readmode || s.sysphase || s.writemode || s.tablemode);
    EXPECT_TRUE(s.sendend);  // the programming run still gets its end command
    EXPECT_TRUE(h.watchdog.running);
    h.expire();
    EXPECT_EQ(h.receiver.frames.back(), (Bytes{29, 29}));
}

TEST_F(Link, BytesWhileIdleAreDroppedWithoutTouchingTheVerdict) {
    h.receiver.answersBeforeSilence = 3;
    h.seq.LeseButtonClick();
    h.runToEnd();
    ASSERT_EQ(h.view.colour, InfoColour::red);
    const std::size_t frames = h.receiver.frames.size();
    h.receiver.inject({1, 2, 3});
    h.seq.RS232RxChar(3);
    EXPECT_EQ(h.receiver.waiting(), 0);
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(h.receiver.frames.size(), frames);
}

TEST_F(Link, NotificationWithNothingWaitingChangesNothing) {
    h.seq.LeseButtonClick();
    h.receiver.deliver(1);
    h.seq.RS232RxChar(1);
    const TransferState before = h.seq.state();
    const std::size_t frames = h.receiver.frames.size();
    EXPECT_NO_THROW(h.seq.RS232RxChar(1));
    EXPECT_NO_THROW(h.seq.RS232RxChar(0));
    EXPECT_EQ(h.seq.state().xferpos, before.xferpos);
    EXPECT_EQ(h.receiver.frames.size(), frames);
    EXPECT_TRUE(h.watchdog.running);
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
}

TEST_F(Link, SurplusAnswerByteDoesNotShiftTheBlock) {
    h.chunk = 0;  // the extra byte arrives together with the answer
    h.receiver.surplusAnswerAt = 30;
    h.seq.LeseButtonClick();
    h.pump();
    EXPECT_TRUE(std::equal(h.receiver.conf.begin(), h.receiver.conf.end(), h.confdata.begin()));
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
}

TEST_F(Link, WriteErrorInsideAFrameStillEndsThroughTheWatchdog) {
    h.view.grid = sampleImage(1);
    h.receiver.failWriteAt = 2 * 12 + 5;  // sixth byte of the third chunk
    h.seq.Butwrite64Click();
    EXPECT_THROW(h.pump(), PortError);
    EXPECT_EQ(h.receiver.framesWith(21), 2);
    EXPECT_EQ(h.receiver.unevenWrites, 0);  // the refused frame left no part behind
    EXPECT_TRUE(h.watchdog.running);
    EXPECT_TRUE(h.seq.state().writemode);
    h.expire();
    EXPECT_EQ(h.receiver.frames.back(), (Bytes{29, 29}));
    EXPECT_EQ(h.view.info, partlyWritten(timeoutText("\"write string data\"", 16)));
    EXPECT_EQ(beeps.count(), 1);
    expectIdle();
}

TEST_F(Link, VanishedPortEndsTheTransferOnce) {
    h.receiver.answersBeforeSilence = 40;
    h.seq.ProgButtonClick();
    h.pump();
    h.receiver.writesFail = true;
    EXPECT_THROW(h.seq.Timer1Timer(), PortError);  // the end command cannot go out
    EXPECT_EQ(h.view.info, partlyWritten(timeoutText("\"write config data\"", 19)));
    expectIdle();
    h.receiver.writesFail = false;
    h.receiver.answersBeforeSilence = -1;
    h.seq.LeseButtonClick();
    h.pump();
    EXPECT_TRUE(std::equal(h.receiver.conf.begin(), h.receiver.conf.end(), h.confdata.begin()));
    expectIdle();
}

TEST_F(Link, FailedTestFrameIsReportedAsATimeout) {
    h.receiver.writesFail = true;
    h.seq.BTeststringClick();
    EXPECT_THROW(h.settle(), PortError);
    EXPECT_TRUE(h.view.testButtonEnabled);
    h.expire();
    EXPECT_EQ(h.view.info, timeoutText("\"send test data\"", 0));
    EXPECT_TRUE(h.view.testButtonEnabled);
}

struct Starter {
    const char* name;
    void (TransferSequence::*start)();
};

class Unopenable : public Link, public testing::WithParamInterface<Starter> {};

// A port that cannot be opened sends nothing and starts nothing; the info
// line drops its old verdict and says in red why.
TEST_P(Unopenable, StarterSaysWhyAndSendsNothing) {
    h.view.info = msg(StatusMessage::msgverifyok);
    h.receiver.openable = false;
    (h.seq.*GetParam().start)();
    EXPECT_EQ(h.receiver.restarts, 1);
    EXPECT_TRUE(h.receiver.frames.empty());
    EXPECT_EQ(h.view.info, h.receiver.failureText);
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_FALSE(h.watchdog.running || h.resetTimer.running || h.quiet.running);
    EXPECT_FALSE(h.seq.transferRunning());
    EXPECT_TRUE(h.view.controlsEnabled);
}

INSTANTIATE_TEST_SUITE_P(Starters, Unopenable,
                         testing::Values(Starter{"Lese", &TransferSequence::LeseButtonClick},
                                         Starter{"Prog", &TransferSequence::ProgButtonClick},
                                         Starter{"Read64", &TransferSequence::Butread64Click},
                                         Starter{"Write64", &TransferSequence::Butwrite64Click},
                                         Starter{"Test", &TransferSequence::BTeststringClick},
                                         Starter{"Reset", &TransferSequence::BresetClick}),
                         [](const testing::TestParamInfo<Starter>& info) {
                             return info.param.name;
                         });

TEST_F(Link, NotificationDuringThePortRestartIsTurnedAway) {
    h.seq.Butread64Click();
    h.settle();
    h.receiver.deliver(10);
    // Closing the old link delivers its pending receive event.
    int leftUnread = -1;
    h.receiver.onRestart = [this, &leftUnread] {
        h.seq.RS232RxChar(h.receiver.waiting());
        leftUnread = h.receiver.waiting();
    };
    h.seq.LeseButtonClick();
    EXPECT_EQ(leftUnread, 10);
    EXPECT_EQ(h.seq.state().xferpos, 0);
    EXPECT_TRUE(h.seq.state().sysphase);
    h.receiver.onRestart = nullptr;
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
}

TEST_F(Link, ProgrammingStartedDuringATableReadProgramsTheUsersBlock) {
    prepareUserConfig();
    h.seq.Butread64Click();
    h.receiver.deliver(300);
    h.seq.RS232RxChar(h.receiver.waiting());
    h.seq.ProgButtonClick();
    const ConfData programmed = h.confdata;
    h.pump();
    EXPECT_EQ(h.receiver.framesWith(20), 100);
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgverifyok));
    EXPECT_TRUE(std::equal(programmed.begin(), programmed.begin() + 100, h.confdata.begin()));
}

TEST_F(Link, ReadStartedDuringATestTakesOver) {
    h.seq.BTeststringClick();
    h.seq.LeseButtonClick();
    EXPECT_TRUE(h.view.testButtonEnabled);
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
}

TEST_F(Link, ResetSendsItsFrameAndReportsWhenDone) {
    h.seq.BresetClick();
    h.settle();
    EXPECT_EQ(h.receiver.frames.at(0), (Bytes{24, 254}));
    EXPECT_EQ(h.view.info, "\"reset module\"");
    EXPECT_FALSE(h.watchdog.running);
    EXPECT_TRUE(h.resetTimer.running);
    EXPECT_EQ(h.resetTimer.interval, milliseconds{200});
    EXPECT_FALSE(h.view.controlsEnabled);
    h.seq.resettimerTimer();
    EXPECT_FALSE(h.resetTimer.running);
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgresetdone));
    EXPECT_EQ(h.view.colour, InfoColour::black);
    expectIdle();
}

TEST_F(Link, TransferStartedDuringAResetIsNotCutOffByIt) {
    h.receiver.writesFail = true;
    h.seq.BresetClick();
    EXPECT_THROW(h.settle(), PortError);
    h.receiver.writesFail = false;
    h.seq.LeseButtonClick();
    EXPECT_FALSE(h.resetTimer.running);
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
}

}  // namespace
}  // namespace tovrix::test

namespace tovrix::test {
namespace {

// A view that does not read the info line is told each verdict by name, the
// watchdog's report included, in the order the window shows them.
struct VerdictCase {
    const char* name;
    std::function<void(LinkHarness&)> run;
    std::vector<StatusMessage> expected;
};

class Verdicts : public testing::TestWithParam<VerdictCase> {};

TEST_P(Verdicts, AreToldInTheOrderShown) {
    LinkHarness h;
    h.receiver.conf = sampleConfig();
    h.receiver.image = sampleImage(5);
    GetParam().run(h);
    h.runToEnd();
    EXPECT_EQ(h.view.statuses, GetParam().expected);
}

using SM = StatusMessage;
INSTANTIATE_TEST_SUITE_P(
    Link, Verdicts,
    testing::Values(
        VerdictCase{"read", [](LinkHarness& h) { h.seq.LeseButtonClick(); }, {SM::msgconfreadok}},
        VerdictCase{"programming",
                    [](LinkHarness& h) {
                        resetConfigBlock(h.confdata);
                        h.seq.ProgButtonClick();
                    },
                    {SM::msgconfwritten, SM::msgverifyok}},
        VerdictCase{"refused chunk",
                    [](LinkHarness& h) {
                        h.receiver.nakChunkAt = 16;
                        h.seq.Butwrite64Click();
                    },
                    {SM::msgtabnak, SM::msgtimeout, SM::msgpartial}},
        VerdictCase{"silence",
                    [](LinkHarness& h) {
                        h.receiver.answersBeforeSilence = 0;
                        h.seq.Butread64Click();
                    },
                    {SM::msgtimeout, SM::msgnoanswer}},
        VerdictCase{"test telegram", [](LinkHarness& h) { h.seq.BTeststringClick(); }, {}}),
    [](const testing::TestParamInfo<VerdictCase>& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

}  // namespace
}  // namespace tovrix::test
