// The wait for a quiet line on its own: which interval it waits, what the
// bytes it sees do to it and to what a replaced table read still owes, and
// when the first frame may go.
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
    enum Kind { takeOver, begin, seen, expire, cancel } kind;
    int bytes = 0;  // owed (takeOver), seen (seen) or found waiting (expire)
};

struct WaitCase {
    const char* name;
    std::vector<Step> steps;
    int framesSent;         // expiries that ended the wait
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
                quiet.beginWait();
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
        }
    }
    EXPECT_EQ(framesSent, GetParam().framesSent);
    EXPECT_EQ(quiet.waiting(), GetParam().waiting);
    EXPECT_EQ(timer.running, GetParam().waiting);
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
        WaitCase{"AGivenUpStartSendsNothing",
                 {{S::begin}, {S::expire}, {S::cancel}, {S::expire}},
                 0,
                 false,
                 0,
                 kNormal}),
    [](const testing::TestParamInfo<WaitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace tovrix::test
