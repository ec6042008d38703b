#include "serial/circularbuffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tovrix {
namespace {

std::vector<std::uint8_t> sequence(std::int32_t n, std::uint8_t first) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(n));
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// Takes everything queued the way the write thread does: contiguous pieces.
std::vector<std::uint8_t> drain(TCircularBuffer& buffer, int* pieces = nullptr) {
    std::vector<std::uint8_t> out;
    int count = 0;
    while (buffer.Count() > 0) {
        const std::int32_t n = buffer.ContiguousCount();
        out.insert(out.end(), buffer.ReadPointer(), buffer.ReadPointer() + n);
        EXPECT_TRUE(buffer.Remove(n));
        ++count;
    }
    if (pieces != nullptr) {
        *pieces = count;
    }
    return out;
}

// One row: move both positions to `start`, write n bytes; expected state after.
struct WriteCase {
    std::int32_t start;
    std::int32_t n;
    bool accepted;
    std::int32_t count;
    std::int32_t contiguous;
    bool full;
    int pieces;
};

class CircularBufferWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(CircularBufferWrite, StateAfterWrite) {
    const WriteCase& c = GetParam();
    TCircularBuffer buffer(16);
    if (c.start > 0) {
        const auto filler = sequence(c.start, 100);
        ASSERT_TRUE(buffer.Write(filler.data(), c.start));
        ASSERT_TRUE(buffer.Remove(c.start));
    }
    const auto data = sequence(c.n > 0 ? c.n : 1, 1);
    EXPECT_EQ(buffer.Write(data.data(), c.n), c.accepted);
    EXPECT_EQ(buffer.Count(), c.count);
    EXPECT_EQ(buffer.FreeSpace(), 16 - c.count);
    EXPECT_EQ(buffer.ContiguousCount(), c.contiguous);
    EXPECT_EQ(buffer.Full(), c.full);
    int pieces = 0;
    const auto out = drain(buffer, &pieces);
    EXPECT_EQ(pieces, c.pieces);
    if (c.accepted) {
        EXPECT_EQ(out, data);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CircularBufferWrite,
    ::testing::Values(WriteCase{0, 5, true, 5, 5, false, 1},    // plain
                      WriteCase{0, 16, true, 16, 16, true, 1},  // exactly the free space: full
                      WriteCase{10, 16, true, 16, 6, true, 2},  // full and wrapped
                      WriteCase{10, 6, true, 6, 6, false, 1},   // up to the end exactly
                      WriteCase{10, 9, true, 9, 6, false, 2},   // straddles the end: two pieces
                      WriteCase{0, 0, false, 0, 0, false, 0},   // nothing to write
                      WriteCase{0, -1, false, 0, 0, false, 0},  // negative count
                      WriteCase{0, 17, false, 0, 0, false, 0},  // more than fits
                      WriteCase{15, 17, false, 0, 0, false, 0}));

TEST(CircularBuffer, AWriteThatDoesNotFitChangesNothing) {
    TCircularBuffer buffer(8);
    const auto data = sequence(6, 1);
    ASSERT_TRUE(buffer.Write(data.data(), 6));
    EXPECT_FALSE(buffer.Write(data.data(), 3));
    EXPECT_EQ(buffer.Count(), 6);
    EXPECT_EQ(drain(buffer), data);
}

TEST(CircularBuffer, RemoveRules) {
    TCircularBuffer buffer(8);
    const auto data = sequence(8, 1);
    ASSERT_TRUE(buffer.Write(data.data(), 8));
    EXPECT_FALSE(buffer.Remove(9));
    EXPECT_TRUE(buffer.Full());
    EXPECT_EQ(buffer.Count(), 8);
    EXPECT_TRUE(buffer.Remove(0));
    EXPECT_TRUE(buffer.Full()) << "removing nothing leaves a full ring full";
    EXPECT_TRUE(buffer.Remove(3));
    EXPECT_FALSE(buffer.Full());
    EXPECT_EQ(buffer.Count(), 5);
    EXPECT_EQ(*buffer.ReadPointer(), 4);
    EXPECT_FALSE(buffer.Remove(-1));
}

TEST(CircularBuffer, WritesAfterAFullRingWrapCorrectly) {
    TCircularBuffer buffer(8);
    const auto first = sequence(8, 1);
    ASSERT_TRUE(buffer.Write(first.data(), 8));
    ASSERT_TRUE(buffer.Remove(5));
    const auto second = sequence(5, 50);
    ASSERT_TRUE(buffer.Write(second.data(), 5));
    EXPECT_TRUE(buffer.Full());
    EXPECT_EQ(buffer.ContiguousCount(), 3);
    std::vector<std::uint8_t> expected = {6, 7, 8, 50, 51, 52, 53, 54};
    EXPECT_EQ(drain(buffer), expected);
}

TEST(CircularBuffer, ClearEmptiesEverything) {
    TCircularBuffer buffer(8);
    const auto data = sequence(8, 1);
    ASSERT_TRUE(buffer.Write(data.data(), 8));
    buffer.Clear();
    EXPECT_EQ(buffer.Count(), 0);
    EXPECT_FALSE(buffer.Full());
    EXPECT_EQ(buffer.ReadPos(), 0);
    EXPECT_EQ(buffer.WritePos(), 0);
    EXPECT_EQ(buffer.FreeSpace(), 8);
}

TEST(CircularBuffer, ARandomWorkloadKeepsTheByteStream) {
    TCircularBuffer buffer(37);
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    unsigned state = 12345;
    auto next = [&] { return state = state * 1103515245U + 12345U, (state >> 16) & 0x7FFF; };
    std::uint8_t value = 0;
    for (int round = 0; round < 5000; ++round) {
        const auto n = static_cast<std::int32_t>(next() % 20);
        std::vector<std::uint8_t> chunk(static_cast<std::size_t>(n));
        for (auto& b : chunk) {
            b = value++;
        }
        const bool fits = n >= 1 && n <= buffer.FreeSpace();
        EXPECT_EQ(buffer.Write(chunk.data(), n), fits);
        if (fits) {
            in.insert(in.end(), chunk.begin(), chunk.end());
        } else {
            value = static_cast<std::uint8_t>(value - n);
        }
        const auto take = std::min<std::int32_t>(static_cast<std::int32_t>(next() % 25),
                                                 buffer.ContiguousCount());
        out.insert(out.end(), buffer.ReadPointer(), buffer.ReadPointer() + take);
        ASSERT_TRUE(buffer.Remove(take));
    }
    const auto rest = drain(buffer);
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_EQ(out, in);
}

}  // namespace
}  // namespace tovrix
