#include "receiver/outputschedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovrix::receiver {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

std::vector<OutByte> plain(std::size_t count) {
    std::vector<OutByte> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back({static_cast<std::uint8_t>(i), 0});
    }
    return out;
}

TEST(OutputSchedule, PacedBytesLeaveOneByteTimeApart) {
    OutputSchedule schedule(kLineByteTime);
    schedule.add(plain(3), Instant(10ms));
    EXPECT_EQ(schedule.nextDue(), Instant(10ms) + kLineByteTime);
    EXPECT_TRUE(schedule.due(Instant(10ms)).empty());
    EXPECT_EQ(schedule.due(Instant(10ms) + 2 * kLineByteTime), (Bytes{0, 1}));
    schedule.consume(2);
    EXPECT_EQ(schedule.nextDue(), Instant(10ms) + 3 * kLineByteTime);
}

TEST(OutputSchedule, FullTableStreamTakesWireTime) {
    OutputSchedule schedule(kLineByteTime);
    schedule.add(plain(8192), Instant(0ms));
    const std::vector<std::uint8_t> all = schedule.due(Instant(10s));
    ASSERT_EQ(all.size(), 8192U);
    schedule.consume(8191);
    // 8192 bytes of ten bits at 19200 baud: 4.267 s.
    const double seconds = std::chrono::duration<double>(*schedule.nextDue()).count();
    EXPECT_NEAR(seconds, 8192 * 10.0 / 19200, 0.001);
}

TEST(OutputSchedule, ALaterAnswerQueuesBehindAnEarlierOne) {
    OutputSchedule schedule(kLineByteTime);
    schedule.add(plain(10), Instant(0ms));
    schedule.add(plain(1), Instant(1ms));  // ready while the first still runs
    schedule.consume(10);
    EXPECT_EQ(schedule.nextDue(), 11 * kLineByteTime);
}

TEST(OutputSchedule, AnIdleLineStartsAtTheReadyTime) {
    OutputSchedule schedule(kLineByteTime);
    schedule.add(plain(1), Instant(0ms));
    schedule.consume(1);
    schedule.add(plain(1), Instant(1s));
    EXPECT_EQ(schedule.nextDue(), Instant(1s) + kLineByteTime);
}

TEST(OutputSchedule, PausesHoldTheLine) {
    OutputSchedule schedule(kLineByteTime);
    const std::vector<OutByte> out{{65, 0}, {66, 20}, {67, 0}};
    schedule.add(out, Instant(0ms), 30);
    schedule.add(plain(1), Instant(0ms));
    const Nanos b = kLineByteTime;
    EXPECT_EQ(schedule.due(b), Bytes{65});
    EXPECT_EQ(schedule.due(b + 20ms + b - 1ns), Bytes{65});
    EXPECT_EQ(schedule.due(b + 20ms + 2 * b), (Bytes{65, 66, 67}));
    // The trailing pause delays whatever comes next.
    schedule.consume(3);
    EXPECT_EQ(schedule.nextDue(), b + 20ms + 2 * b + 30ms + b);
}

TEST(OutputSchedule, UnpacedBytesAreDueAtOnceAndPausesSkipped) {
    OutputSchedule schedule(Nanos::zero());
    const std::vector<OutByte> out{{65, 0}, {66, 200}};
    schedule.add(out, Instant(5ms), 100);
    schedule.add(Bytes{1, 2}, Instant(5ms));
    EXPECT_EQ(schedule.due(Instant(5ms)), (Bytes{65, 66, 1, 2}));
}

TEST(OutputSchedule, ClearForgetsEverything) {
    OutputSchedule schedule(kLineByteTime);
    schedule.add(plain(5), Instant(0ms));
    schedule.clear();
    EXPECT_TRUE(schedule.empty());
    EXPECT_FALSE(schedule.nextDue().has_value());
}

}  // namespace
}  // namespace tovrix::receiver
