#include "table/testpanel.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tovrix {
namespace {

TEST(TestPanelNibbles, SplitAndJoinAreInverseForEveryByte) {
    for (int v = 0; v <= 255; ++v) {
        const Nibbles n = splitByte(v);
        ASSERT_GE(n.high, 0);
        ASSERT_LE(n.high, 15);
        ASSERT_GE(n.low, 0);
        ASSERT_LE(n.low, 15);
        ASSERT_EQ(joinNibbles(n.high, n.low), v);
    }
}

TEST(TestPanelNibbles, KnownSplits) {
    EXPECT_EQ(splitByte(200), (Nibbles{12, 8}));
    EXPECT_EQ(splitByte(255), (Nibbles{15, 15}));
    EXPECT_EQ(splitByte(16), (Nibbles{1, 0}));
    EXPECT_EQ(splitByte(15), (Nibbles{0, 15}));
    EXPECT_EQ(joinNibbles(15, 0), 240);
}

TEST(TestPanelFields, AFieldStandsForTheLowByteOfItsNumber) {
    EXPECT_EQ(testFieldValue("  6"), 6);
    EXPECT_EQ(testFieldValue("300"), 44);
    EXPECT_EQ(testFieldValue("-1"), 255);
    EXPECT_EQ(testFieldValue("$1F"), 31);
    EXPECT_EQ(testFieldValue("abc"), 0);
}

class TestPanelSum
    : public ::testing::TestWithParam<std::tuple<const char*, const char*, const char*, int>> {};

TEST_P(TestPanelSum, SumOfTheThreeFieldsModulo256) {
    const auto& [b1, b2, b3, expected] = GetParam();
    EXPECT_EQ(testChecksum(b1, b2, b3), expected) << b1 << "|" << b2 << "|" << b3;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestPanelSum,
    ::testing::Values(
        std::make_tuple("  0", "  0", "  0", 0), std::make_tuple("255", "255", "255", 253),
        std::make_tuple("200", "  0", "  0", 200), std::make_tuple("  1", " 23", "  3", 27),
        // while typing: empty and half-typed texts count 0
        std::make_tuple("", "  1", "  2", 3), std::make_tuple("-", "  1", "x", 1),
        std::make_tuple("300", "  0", "  1", 45), std::make_tuple("-1", "0", "0", 255),
        std::make_tuple("99999999999999999999", "4", "0", 4),
        std::make_tuple("9223372036854775807", "9223372036854775807", "2", 0)));

}  // namespace
}  // namespace tovrix
