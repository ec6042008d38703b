// What reaches the receiver and what the info line says when the line is not
// as a transfer expects it: bytes still streaming at its start, data changed
// during a programming run, a device that goes away.
#include "common/beep_counter.h"
#include "fake_link.h"

#include <gtest/gtest.h>

namespace tovrix::test {
namespace {

std::string msg(StatusMessage m) {
    return statusText(m);
}

class Integrity : public testing::Test {
  protected:
    Integrity() {
        h.receiver.conf = sampleConfig();
        h.receiver.image = sampleImage(5);
        h.chunk = 0;
    }
    // A table read streams when a configuration read takes its place;
    // returns the number of frames sent so far.
    std::size_t readConfigurationDuringAStream() {
        h.seq.Butread64Click();
        h.settle();
        h.receiver.deliver(3000);
        h.seq.RS232RxChar(h.receiver.waiting());
        h.seq.LeseButtonClick();
        return h.receiver.frames.size();
    }

    LinkHarness h;
    BeepCounter beeps;
};

// A configuration read that replaces a table read still streaming: what the
// line carries before it has been quiet is dropped, each byte restarting the
// wait, and only then does the first request go out. While the replaced
// read still owes bytes of its image, a pause must be longer to count.
TEST_F(Integrity, BytesStillStreamingAtAStartAreNoAnswers) {
    const std::size_t framesAtStart = readConfigurationDuringAStream();
    EXPECT_EQ(h.quiet.interval, LinkHarness::kOwedQuietInterval);
    const int owed = kImageSize - 3000;
    for (const int burst : {2000, 2000, owed - 4000}) {
        h.receiver.inject(Bytes(static_cast<std::size_t>(burst), 0x5A));
        h.seq.RS232RxChar(h.receiver.waiting());
        EXPECT_EQ(h.receiver.waiting(), 0);
        EXPECT_TRUE(h.quiet.running);
        EXPECT_EQ(h.receiver.frames.size(), framesAtStart);
    }
    EXPECT_EQ(h.quiet.interval, LinkHarness::kQuietInterval);
    // The table read's interval and second look, the configuration read's
    // interval, three restarts.
    EXPECT_EQ(h.quiet.starts.size(), 6u);
    // Bytes that wait unannounced when the interval ends (this thread was
    // held up) start it again.
    h.receiver.inject({1, 2});
    h.settle();
    EXPECT_EQ(h.receiver.waiting(), 0);
    EXPECT_EQ(h.receiver.frames.size(), framesAtStart);
    EXPECT_TRUE(h.quiet.running);
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
    EXPECT_TRUE(std::equal(h.receiver.conf.begin(), h.receiver.conf.end(), h.confdata.begin()));
}

// The interval ends quietly as this process runs again after the machine
// held it up, together with a far end on the same machine. The bytes that
// far end owes for that time arrive before the second look: the line was
// not quiet after all, and the wait starts again.
TEST_F(Integrity, BytesBeforeTheSecondLookStartTheWaitAgain) {
    const std::size_t framesAtStart = readConfigurationDuringAStream();
    h.seq.quietTimerTimer();
    ASSERT_TRUE(h.quiet.running);
    EXPECT_LT(h.quiet.interval, LinkHarness::kQuietInterval);
    EXPECT_EQ(h.receiver.frames.size(), framesAtStart);
    h.receiver.inject(Bytes(300, 0x5A));
    h.seq.RS232RxChar(h.receiver.waiting());
    EXPECT_GE(h.quiet.interval, LinkHarness::kQuietInterval);  // the whole wait again
    h.seq.quietTimerTimer();
    EXPECT_EQ(h.receiver.frames.size(), framesAtStart);  // the second look is due again
    h.seq.quietTimerTimer();
    EXPECT_EQ(h.receiver.frames.size(), framesAtStart + 1);
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
}

// A line that never goes quiet ends the start in red; nothing was sent.
TEST_F(Integrity, ALineThatNeverGoesQuietEndsTheStart) {
    h.seq.Butwrite64Click();
    h.receiver.inject(Bytes(50, 1));
    h.seq.RS232RxChar(h.receiver.waiting());
    EXPECT_EQ(h.watchdog.interval, std::chrono::milliseconds{6000});
    h.expire();
    EXPECT_TRUE(h.receiver.frames.empty());
    EXPECT_EQ(h.view.info, "\"write string data\"" + msg(StatusMessage::msgnotquiet));
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(h.view.statuses, std::vector<StatusMessage>{StatusMessage::msgnotquiet});
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_FALSE(h.seq.transferRunning() || h.quiet.running || h.watchdog.running);
    EXPECT_TRUE(h.view.controlsEnabled);
    EXPECT_EQ(h.view.programming, (std::vector<bool>{true, false}));
}

// A configuration read run to its good end, and the idle line quiet for
// the interval and its second look after it.
void quietAfterARead(LinkHarness& h) {
    h.seq.LeseButtonClick();
    h.pump();
    h.settle();
}

// Whether a start sends its first frame at once or waits for a quiet line,
// after what the line went through before it.
struct LineCase {
    const char* name;
    void (*before)(LinkHarness& h);
    bool atOnce;                     // the first frame goes out with the click
    std::chrono::milliseconds wait;  // otherwise the interval the start waits
};

class QuietStart : public Integrity, public testing::WithParamInterface<LineCase> {};

TEST_P(QuietStart, FirstFrameWaitsOnlyWhileBytesMayBeOnTheirWay) {
    h.view.grid = sampleImage(9);
    GetParam().before(h);
    const std::size_t frames = h.receiver.frames.size();
    h.seq.LeseButtonClick();
    if (GetParam().atOnce) {
        ASSERT_EQ(h.receiver.frames.size(), frames + 1);
        EXPECT_EQ(h.receiver.frames.back(), (Bytes{24, 0}));
        EXPECT_FALSE(h.quiet.running);
    } else {
        EXPECT_EQ(h.receiver.frames.size(), frames);
        EXPECT_TRUE(h.quiet.running);
        EXPECT_EQ(h.quiet.interval, GetParam().wait);
    }
    h.receiver.conf = sampleConfig();
    h.receiver.answersBeforeSilence = -1;
    h.pump();
    EXPECT_EQ(h.view.info, msg(StatusMessage::msgconfreadok));
    EXPECT_TRUE(std::equal(h.receiver.conf.begin(), h.receiver.conf.end(), h.confdata.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Link, QuietStart,
    testing::Values(LineCase{"QuietSinceACompleteRead", quietAfterARead, true, {}},
                    LineCase{"QuietSinceACompleteTableWrite",
                             [](LinkHarness& h) {
                                 h.seq.Butwrite64Click();
                                 h.pump();
                                 h.settle();
                             },
                             true,
                             {}},
                    LineCase{"FirstStart", [](LinkHarness&) {}, false, LinkHarness::kQuietInterval},
                    LineCase{"NotYetQuietForAnInterval",
                             [](LinkHarness& h) {
                                 h.seq.LeseButtonClick();
                                 h.pump();
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"BytesAfterTheEnd",
                             [](LinkHarness& h) {
                                 quietAfterARead(h);
                                 h.receiver.inject({0x5A});
                                 h.seq.RS232RxChar(1);
                                 h.settle();
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"BytesWaitingUnannouncedAtTheStart",
                             [](LinkHarness& h) {
                                 quietAfterARead(h);
                                 h.receiver.inject({0x5A});
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"BytesBesideTheImage",
                             [](LinkHarness& h) {
                                 h.receiver.extraStreamBytes = 3;
                                 h.seq.Butread64Click();
                                 h.pump();
                                 h.settle();
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"PortSwitched",
                             [](LinkHarness& h) {
                                 quietAfterARead(h);
                                 h.receiver.portName = "COM2 (/dev/fake2)";
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"ConnectionLost",
                             [](LinkHarness& h) {
                                 quietAfterARead(h);
                                 h.seq.connectionLost();
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"PortThatCouldNotBeOpened",
                             [](LinkHarness& h) {
                                 quietAfterARead(h);
                                 h.receiver.openable = false;
                                 h.seq.LeseButtonClick();
                                 h.receiver.openable = true;
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"AfterATimeout",
                             [](LinkHarness& h) {
                                 h.receiver.answersBeforeSilence = 30;
                                 h.seq.LeseButtonClick();
                                 h.runToEnd();
                                 h.settle();
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"AfterAChecksumError",
                             [](LinkHarness& h) {
                                 h.receiver.conf[5] ^= 1;
                                 quietAfterARead(h);
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"AfterATestTelegram",
                             [](LinkHarness& h) {
                                 h.receiver.testAnswer = {1, 2};
                                 h.seq.BTeststringClick();
                                 h.runToEnd();
                                 h.settle();
                             },
                             false, LinkHarness::kQuietInterval},
                    LineCase{"ReplacingARunningTransfer",
                             [](LinkHarness& h) {
                                 quietAfterARead(h);
                                 h.seq.Butwrite64Click();  // sent at once, and still running
                             },
                             false, LinkHarness::kQuietInterval},
                    // The first start after a table read sent nothing yet: the second
                    // keeps what the line owes and the long silence.
                    LineCase{"SecondStartWhileTheFirstWaitsAfterATableRead",
                             [](LinkHarness& h) {
                                 h.seq.Butread64Click();
                                 h.settle();
                                 h.receiver.deliver(3000);
                                 h.seq.RS232RxChar(h.receiver.waiting());
                                 h.seq.ProgButtonClick();
                             },
                             false, LinkHarness::kOwedQuietInterval}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

// A programming run sends and verifies what stood in the window when it
// started, whatever changes meanwhile.
struct SnapshotCase {
    const char* name;
    void (TransferSequence::*start)();
    int answersBefore;  // answers handled before the data change
    StatusMessage verdict;
};

class Snapshot : public Integrity, public testing::WithParamInterface<SnapshotCase> {};

TEST_P(Snapshot, ProgrammingSendsWhatStoodAtItsStart) {
    resetConfigBlock(h.confdata);
    h.confdata[3] = 77;
    h.view.grid = sampleImage(9);
    h.chunk = 1;
    (h.seq.*GetParam().start)();
    const ConfData conf = h.confdata;
    const TabData image = h.tabdata;
    h.settle();
    // Half-way through, the window's data change under the run.
    for (int i = 0; i < GetParam().answersBefore; ++i) {
        h.receiver.deliver(1);
        h.seq.RS232RxChar(h.receiver.waiting());
    }
    h.confdata.fill(0xEE);
    h.tabdata.fill(0xEE);
    h.pump();
    EXPECT_EQ(h.view.info, msg(GetParam().verdict));
    if (GetParam().verdict == StatusMessage::msgtabwritten) {
        EXPECT_EQ(h.receiver.image, image);
    } else {
        EXPECT_TRUE(
            std::equal(h.receiver.conf.begin(), h.receiver.conf.begin() + 100, conf.begin()));
    }
    EXPECT_EQ(h.view.programming, (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(
    Link, Snapshot,
    testing::Values(SnapshotCase{"Configuration", &TransferSequence::ProgButtonClick, 21 + 50,
                                 StatusMessage::msgverifyok},
                    SnapshotCase{"Table", &TransferSequence::Butwrite64Click, 500,
                                 StatusMessage::msgtabwritten}),
    [](const testing::TestParamInfo<SnapshotCase>& info) { return info.param.name; });

// A device that goes away ends a running transfer at once, naming the port;
// a programming run adds that the receiver may hold partly written data.
struct LostCase {
    const char* name;
    void (TransferSequence::*start)();
    int deliveredBefore;
    bool partly;
};

class Lost : public Integrity, public testing::WithParamInterface<LostCase> {};

TEST_P(Lost, ConnectionLostEndsTheTransferAtOnce) {
    h.view.grid = sampleImage(9);
    h.chunk = 1;
    if (GetParam().start != nullptr) {
        (h.seq.*GetParam().start)();
        h.settle();
        for (int i = 0; i < GetParam().deliveredBefore; ++i) {
            h.receiver.deliver(1);
            h.seq.RS232RxChar(h.receiver.waiting());
        }
    }
    h.view.info = "vorher";
    const std::size_t frames = h.receiver.frames.size();
    h.seq.connectionLost();
    EXPECT_EQ(h.receiver.closes, 1);
    EXPECT_EQ(h.receiver.frames.size(), frames);  // no end command to a vanished device
    EXPECT_FALSE(h.seq.transferRunning() || h.watchdog.running || h.quiet.running);
    EXPECT_TRUE(h.view.controlsEnabled);
    if (GetParam().start == nullptr) {
        EXPECT_EQ(h.view.info, "vorher");
        return;
    }
    const std::string lost = msg(StatusMessage::msglinelost) + "COM1 (/dev/fake)";
    EXPECT_EQ(h.view.info, GetParam().partly ? lost + msg(StatusMessage::msgpartial) : lost);
    EXPECT_EQ(h.view.colour, InfoColour::red);
    EXPECT_EQ(beeps.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Link, Lost,
    testing::Values(LostCase{"Idle", nullptr, 0, false},
                    LostCase{"TableRead", &TransferSequence::Butread64Click, 500, false},
                    LostCase{"TableWrite", &TransferSequence::Butwrite64Click, 10, true},
                    LostCase{"ConfigWriteSystemPhase", &TransferSequence::ProgButtonClick, 5,
                             false},
                    LostCase{"ConfigWrite", &TransferSequence::ProgButtonClick, 40, true},
                    LostCase{"Test", &TransferSequence::BTeststringClick, 0, false}),
    [](const testing::TestParamInfo<LostCase>& info) { return info.param.name; });

// The answers to a test telegram reach the log whatever transfer came before.
class TestAfter : public Integrity, public testing::WithParamInterface<bool> {};

TEST_P(TestAfter, TestTelegramAnswersReachTheLog) {
    h.view.grid = sampleImage(9);
    if (GetParam()) {
        h.seq.Butwrite64Click();
    } else {
        h.seq.Butread64Click();
    }
    h.pump();
    ASSERT_TRUE(h.seq.state().tablemode);
    h.receiver.testAnswer = {7, 8, 9};
    h.seq.BTeststringClick();
    h.runToEnd();
    EXPECT_EQ(h.view.testLog, (std::vector<std::string>{"Sende:   0   0   0   0", "Empfange[  0]:",
                                                        "7", "8", "9", "Empfang fertig"}));
}

INSTANTIATE_TEST_SUITE_P(Link, TestAfter, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "TableWrite" : "TableRead";
                         });

}  // namespace
}  // namespace tovrix::test
