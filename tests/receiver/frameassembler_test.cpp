#include "receiver/frameassembler.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tovrix::receiver {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Kind = AssemblerEvent::Kind;

std::vector<Bytes> framesOf(const std::vector<AssemblerEvent>& events) {
    std::vector<Bytes> frames;
    for (const AssemblerEvent& event : events) {
        if (event.kind == Kind::Frame) {
            frames.push_back(event.bytes);
        }
    }
    return frames;
}

Bytes tableChunk() {
    Bytes chunk{21, 1, 0, 8};
    for (std::uint8_t i = 0; i < 8; ++i) {
        chunk.push_back(static_cast<std::uint8_t>(200 + i));
    }
    return chunk;
}

// Every frame the tool sends, cut at every possible point, comes out whole.
class FrameSplits : public ::testing::TestWithParam<Bytes> {};

TEST_P(FrameSplits, EverySplitPointGivesTheSameFrame) {
    const Bytes frame = GetParam();
    for (std::size_t cut = 0; cut <= frame.size(); ++cut) {
        FrameAssembler assembler(Nanos::zero());
        std::vector<AssemblerEvent> events =
            assembler.feed(std::span(frame.data(), cut), Instant(1ms));
        const std::vector<AssemblerEvent> rest =
            assembler.feed(std::span(frame.data() + cut, frame.size() - cut), Instant(2ms));
        events.insert(events.end(), rest.begin(), rest.end());
        ASSERT_EQ(framesOf(events), std::vector<Bytes>{frame}) << "cut at " << cut;
        EXPECT_EQ(events.size(), 1U);
    }
}

TEST_P(FrameSplits, ByteByByteGivesTheSameFrame) {
    const Bytes frame = GetParam();
    FrameAssembler assembler(Nanos::zero());
    std::vector<AssemblerEvent> events;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        for (AssemblerEvent& e : assembler.feed(std::span(&frame[i], 1), Instant(i * 1ms))) {
            events.push_back(std::move(e));
        }
    }
    EXPECT_EQ(framesOf(events), std::vector<Bytes>{frame});
    EXPECT_FALSE(assembler.silenceDeadline().has_value());
}

INSTANTIATE_TEST_SUITE_P(AllCommands, FrameSplits,
                         ::testing::Values(Bytes{20, 5, 77}, tableChunk(), Bytes{21, 0, 0, 0},
                                           Bytes{22, 127}, Bytes{23, 0, 0, 32, 0}, Bytes{24, 20},
                                           Bytes{24, 254}, Bytes{25, 1, 2, 3, 6}, Bytes{29, 29}));

TEST(FrameAssembler, BackToBackFramesInOneRead) {
    FrameAssembler assembler(Nanos::zero());
    const Bytes stream{24, 0, 22, 5, 20, 1, 2, 29, 29, 23, 0, 0, 0, 8};
    const auto frames = framesOf(assembler.feed(stream, Instant(0ms)));
    const std::vector<Bytes> expected{{24, 0}, {22, 5}, {20, 1, 2}, {29, 29}, {23, 0, 0, 0, 8}};
    EXPECT_EQ(frames, expected);
}

TEST(FrameAssembler, UnknownBytesAreSkippedOneByOne) {
    FrameAssembler assembler(Nanos::zero());
    const auto events = assembler.feed(Bytes{0, 255, 26, 24, 3}, Instant(0ms));
    ASSERT_EQ(events.size(), 4U);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(events[i].kind, Kind::Ignored);
    }
    EXPECT_EQ(events[0].bytes, Bytes{0});
    EXPECT_EQ(events[2].bytes, Bytes{26});
    EXPECT_EQ(events[3].bytes, (Bytes{24, 3}));
}

TEST(FrameAssembler, LoneEndByteIsSkippedAndTheNextByteStartsAFrame) {
    FrameAssembler assembler(Nanos::zero());
    const auto events = assembler.feed(Bytes{29, 24, 1}, Instant(0ms));
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].kind, Kind::Ignored);
    EXPECT_EQ(events[0].bytes, Bytes{29});
    EXPECT_EQ(events[1].bytes, (Bytes{24, 1}));
}

TEST(FrameAssembler, DataBytesThatLookLikeCommandsStayData) {
    FrameAssembler assembler(Nanos::zero());
    // A table chunk whose data are command bytes, then a real command.
    const Bytes stream{21, 0, 0, 8, 29, 29, 24, 254, 20, 20, 22, 23, 24, 1};
    const auto frames = framesOf(assembler.feed(stream, Instant(0ms)));
    ASSERT_EQ(frames.size(), 2U);
    EXPECT_EQ(frames[0].size(), 12U);
    EXPECT_EQ(frames[1], (Bytes{24, 1}));
}

// The second half of a frame comes `gap` after the first. Whether the frame
// is dropped depends on whether the line was seen silent in between, and
// when: bytes read late after a reader that was held up prove no gap.
struct SilenceCase {
    Nanos gap;
    std::optional<Nanos> quietAfter;  // the line seen silent this long after the first half
    bool dropped;
};

class FrameSilence : public ::testing::TestWithParam<SilenceCase> {};

TEST_P(FrameSilence, GapInsideAFrame) {
    const SilenceCase c = GetParam();
    FrameAssembler assembler(Nanos::zero());
    EXPECT_TRUE(assembler.feed(Bytes{25, 1, 2}, Instant(10ms)).empty());
    std::vector<AssemblerEvent> events;
    if (c.quietAfter) {
        events = assembler.expire(Instant(10ms) + *c.quietAfter);
    }
    for (AssemblerEvent& event : assembler.feed(Bytes{3, 6}, Instant(10ms) + c.gap)) {
        events.push_back(std::move(event));
    }
    if (c.dropped) {
        // The old start is dropped; 3 and 6 start no frame.
        ASSERT_EQ(events.size(), 3U);
        EXPECT_EQ(events[0].kind, Kind::Dropped);
        EXPECT_EQ(events[0].bytes, (Bytes{25, 1, 2}));
        EXPECT_EQ(events[0].at, Instant(110ms));
        EXPECT_EQ(events[1].kind, Kind::Ignored);
    } else {
        EXPECT_EQ(framesOf(events), std::vector<Bytes>{(Bytes{25, 1, 2, 3, 6})});
    }
}

INSTANTIATE_TEST_SUITE_P(Gaps, FrameSilence,
                         ::testing::Values(SilenceCase{50ms, 40ms, false},
                                           SilenceCase{2s, 100ms, false},
                                           SilenceCase{2s, 100ms + 1us, true},
                                           SilenceCase{2s, 2s, true},
                                           // The reader was held up for the whole gap.
                                           SilenceCase{2s, std::nullopt, false}));

TEST(FrameAssembler, ExpireDropsAStalledFrameOnItsOwn) {
    FrameAssembler assembler(Nanos::zero());
    (void)assembler.feed(Bytes{20, 7}, Instant(0ms));
    ASSERT_EQ(assembler.silenceDeadline(), Instant(100ms));
    EXPECT_TRUE(assembler.expire(Instant(100ms)).empty());
    const auto events = assembler.expire(Instant(101ms));
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].kind, Kind::Dropped);
    EXPECT_FALSE(assembler.silenceDeadline().has_value());
    // The next byte starts afresh.
    EXPECT_EQ(framesOf(assembler.feed(Bytes{22, 1}, Instant(200ms))),
              std::vector<Bytes>{(Bytes{22, 1})});
}

TEST(FrameAssembler, FrameIsDueWhenItsLastByteWouldHaveArrived) {
    FrameAssembler assembler(kLineByteTime);
    const auto events = assembler.feed(Bytes{23, 0, 0, 32, 0}, Instant(1s));
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].at, Instant(1s) + 5 * kLineByteTime);
}

TEST(FrameAssembler, BytesArrivingLateSetTheirOwnPace) {
    FrameAssembler assembler(kLineByteTime);
    (void)assembler.feed(Bytes{24}, Instant(0ms));
    const auto events = assembler.feed(Bytes{1}, Instant(20ms));
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(events[0].at, Instant(20ms) + kLineByteTime);
}

TEST(FrameAssembler, AFrameQueuedBehindAnotherWaitsForTheLine) {
    FrameAssembler assembler(kLineByteTime);
    const auto events = assembler.feed(Bytes{24, 0, 24, 1}, Instant(0ms));
    ASSERT_EQ(events.size(), 2U);
    EXPECT_EQ(events[0].at, 2 * kLineByteTime);
    EXPECT_EQ(events[1].at, 4 * kLineByteTime);
}

}  // namespace
}  // namespace tovrix::receiver
