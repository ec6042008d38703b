// The wait for a quiet line on its own: which interval it waits, what the
// bytes it sees do to it and to what a replaced table read still owes, and
// when the first frame may go, at once after a complete transfer and a quiet
// idle line.
#include "link/quietline.h"
#include "fake_link.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovrix::test {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kNormal{100};
constexpr milliseconds kLong{500};

// One thing that happens to the wait.
struct Step {
    enum Kind { takeOver, begin, seen, expire, cancel, ended, forget } kind;
    int bytes = 0;  // owed (takeOver), seen (seen), found waiting (expire), complete (ended)
};

struct WaitCase {
    const char* name;
    std::vector<Step> steps;
    int framesSent;         // first frames sent: at once, or when the wait ended
    bool waiting;           // still waiting afterwards
    std::int32_t owed;      // what the line still owes afterwards
    milliseconds interval;  // the timer's interval while it runs
};

class QuietLineWait : public testing::TestWithParam<WaitCase> {};

TEST_P(QuietLineWait, WaitsAsTheLineRequires) {
    FakeTimer timer;
    QuietLine quiet(timer);
    int framesSent = 0;
    for (const Step& step : GetParam().steps) {
        switch (step.kind) {
            case Step::takeOver:
                quiet.takeOver(step.bytes);
                break;
            case Step::begin:
                framesSent += quiet.beginWait() ? 0 : 1;
                break;
            case Step::seen:
                quiet.bytesSeen(step.bytes);
                break;
            case Step::expire:
                framesSent += quiet.expired(step.bytes) ? 1 : 0;
                break;
            case Step::cancel:
                quiet.cancel();
                break;
            case Step::ended:
                quiet.transferEnded(step.bytes != 0);
                break;
            case Step::forget:
                quiet.forget();
                break;
        }
    }
    EXPECT_EQ(framesSent, GetParam().framesSent);
    EXPECT_EQ(quiet.waiting(), GetParam().waiting);
    EXPECT_EQ(timer.running, GetParam().waiting);  // no idle watch left running either
    EXPECT_EQ(quiet.owed(), GetParam().owed);
    if (GetParam().waiting) {
        EXPECT_EQ(timer.interval, GetParam().interval);
    }
}

using S = Step;

INSTANTIATE_TEST_SUITE_P(
    Link, QuietLineWait,
    testing::Values(
        WaitCase{"QuietIntervalThenSecondLook",
                 {{S::begin}, {S::expire}, {S::expire}},
                 1,
                 false,
                 0,
                 kNormal},
        WaitCase{"SecondLookIsShort", {{S::begin}, {S::expire}}, 0, true, 0, milliseconds{20}},
        WaitCase{"BytesBeforeTheSecondLookStartTheWholeWaitAgain",
                 {{S::begin}, {S::expire}, {S::seen, 3}, {S::expire}},
                 0,
                 true,
                 0,
                 milliseconds{20}},
        WaitCase{"BytesFoundAtTheSecondLookStartTheWholeWaitAgain",
                 {{S::begin}, {S::expire}, {S::expire, 2}},
                 0,
                 true,
                 0,
                 kNormal},
        WaitCase{"AReplacedTableReadAsksForTheLongSilence",
                 {{S::takeOver, 5000}, {S::begin}, {S::seen, 4999}},
                 0,
                 true,
                 1,
                 kLong},
        WaitCase{"OnceTheImageHasPassedTheNormalIntervalHolds",
                 {{S::takeOver, 5000}, {S::begin}, {S::seen, 4000}, {S::seen, 1500}},
                 0,
                 true,
                 0,
                 kNormal},
        WaitCase{"TheLongSilenceEndsTheWaitAndClearsWhatWasOwed",
                 {{S::takeOver, 5000}, {S::begin}, {S::expire}, {S::expire}},
                 1,
                 false,
                 0,
                 kNormal},
        // Bytes found waiting unannounced count against what a replaced
        // table read owes; once the image has passed, the normal interval holds.
        WaitCase{"BytesFoundUnannouncedCountAgainstWhatIsOwed",
                 {{S::takeOver, 5000}, {S::begin}, {S::expire, 4000}, {S::expire, 1000}},
                 0,
                 true,
                 0,
                 kNormal},
        // A second start while the first still waits: that one sent nothing,
        // so the line owes what it owed, and the long silence still holds.
        WaitCase{"ASecondStartWhileTheFirstWaitsKeepsWhatIsOwed",
                 {{S::takeOver, 5000},
                  {S::begin},
                  {S::seen, 1000},
                  {S::takeOver, 0},
                  {S::cancel},
                  {S::begin}},
                 0,
                 true,
                 4000,
                 kLong},
        WaitCase{"QuietSinceACompleteEndSendsAtOnce",
                 {{S::ended, 1}, {S::expire}, {S::expire}, {S::takeOver, 0}, {S::begin}},
                 1,
                 false,
                 0,
                 kNormal},
        WaitCase{"NotYetQuietForAnIntervalWaitsInFull",
                 {{S::ended, 1}, {S::expire}, {S::takeOver, 0}, {S::begin}},
                 0,
                 true,
                 0,
                 kNormal},
        WaitCase{"BytesAfterTheEndWaitInFull",
                 {{S::ended, 1},
                  {S::expire},
                  {S::expire},
                  {S::seen, 1},
                  {S::expire},
                  {S::takeOver, 0},
                  {S::begin}},
                 0,
                 true,
                 0,
                 kNormal},
        WaitCase{"BytesFoundWhenTheIdleWatchEndsWaitInFull",
                 {{S::ended, 1}, {S::expire}, {S::expire, 1}, {S::takeOver, 0}, {S::begin}},
                 0,
                 true,
                 0,
                 kNormal},
        WaitCase{"AnEndNotKnownCompleteWaitsInFull",
                 {{S::ended, 0}, {S::expire}, {S::expire}, {S::takeOver, 0}, {S::begin}},
                 0,
                 true,
                 0,
                 kNormal},
        WaitCase{
            "APortOpenedAfreshWaitsInFull",
            {{S::ended, 1}, {S::expire}, {S::expire}, {S::takeOver, 0}, {S::forget}, {S::begin}},
            0,
            true,
            0,
            kNormal},
        WaitCase{"OwedBytesWaitInFull",
                 {{S::ended, 1}, {S::expire}, {S::expire}, {S::takeOver, 100}, {S::begin}},
                 0,
                 true,
                 100,
                 kLong},
        WaitCase{"TheQuietLineServesOneStartOnly",
                 {{S::ended, 1},
                  {S::expire},
                  {S::expire},
                  {S::takeOver, 0},
                  {S::begin},
                  {S::takeOver, 0},
                  {S::begin}},
                 1,
                 true,
                 0,
                 kNormal},
        WaitCase{"AGivenUpStartSendsNothing",
                 {{S::begin}, {S::expire}, {S::cancel}, {S::expire}},
                 0,
                 false,
                 0,
                 kNormal}),
    [](const testing::TestParamInfo<WaitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tovrix::test
