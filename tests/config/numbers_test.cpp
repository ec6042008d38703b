#include "config/numbers.h"
#include "common/beep_counter.h"

#include <gtest/gtest.h>

#include <string>

namespace tovrix {
namespace {

struct CheckinCase {
    std::string text;
    std::int64_t maximum;
    std::int64_t expected;
    int beeps;
};

class CheckinTest : public ::testing::TestWithParam<CheckinCase> {};

TEST_P(CheckinTest, CorrectsWithOneBeepPerCorrection) {
    const CheckinCase& c = GetParam();
    test::BeepCounter beeps;
    EXPECT_EQ(checkin(c.text, c.maximum), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(beeps.count(), c.beeps) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    EntryTexts, CheckinTest,
    ::testing::Values(CheckinCase{"", 255, 0, 1}, CheckinCase{"abc", 255, 0, 1},
                      CheckinCase{"  12", 255, 12, 0}, CheckinCase{"12 ", 255, 0, 1},
                      CheckinCase{"300", 255, 255, 1}, CheckinCase{"-3", 255, 0, 1},
                      CheckinCase{"$FF", 255, 255, 0}, CheckinCase{"0x100", 255, 255, 1},
                      CheckinCase{std::string(20, '9'), 255, 0, 1},
                      CheckinCase{"65535", 65535, 65535, 0}, CheckinCase{"65536", 65535, 65535, 1},
                      CheckinCase{"x1F", 255, 0, 1}, CheckinCase{"+7", 255, 7, 0},
                      CheckinCase{"0", 255, 0, 0}, CheckinCase{"  0", 15, 0, 0},
                      CheckinCase{"20", 15, 15, 1}, CheckinCase{"0X1f", 255, 31, 0},
                      CheckinCase{"-", 255, 0, 1}, CheckinCase{"$", 255, 0, 1},
                      CheckinCase{"0x", 255, 0, 1}, CheckinCase{"1 2", 255, 0, 1}));

TEST(NumberSyntax, SixtyFourBitLimitsAndSigns) {
    EXPECT_EQ(parseNumber64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseNumber64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseNumber64("9223372036854775808"), std::nullopt);
    EXPECT_EQ(parseNumber64("-9223372036854775809"), std::nullopt);
    EXPECT_EQ(parseNumber64("$7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(parseNumber64("$8000000000000000"), std::nullopt);
    EXPECT_EQ(parseNumber64("-$FF"), -255);
    EXPECT_EQ(parseNumber64("  -0x10"), -16);
    EXPECT_EQ(parseNumber64("x1F"), std::nullopt);
    EXPECT_EQ(parseNumber64(" +12"), 12);
    EXPECT_EQ(parseNumber64("+-1"), std::nullopt);
    EXPECT_EQ(parseNumber64("\t1"), std::nullopt);
    EXPECT_EQ(parseNumber64("$g"), std::nullopt);
}

TEST(NumberSyntax, ThirtyTwoBitVariantTakesBareXAndNarrowerRange) {
    EXPECT_EQ(parseNumber32("x1F"), 31);
    EXPECT_EQ(parseNumber32("X1f"), 31);
    EXPECT_EQ(parseNumber32("-x10"), -16);
    EXPECT_EQ(parseNumber32("$1F"), 31);
    EXPECT_EQ(parseNumber32("2147483647"), INT32_MAX);
    EXPECT_EQ(parseNumber32("-2147483648"), INT32_MIN);
    EXPECT_EQ(parseNumber32("2147483648"), std::nullopt);
    EXPECT_EQ(parseNumber32("$FFFFFFFF"), std::nullopt);
    EXPECT_EQ(parseNumber32("x"), std::nullopt);
    EXPECT_EQ(parseNumber32("12 "), std::nullopt);
    EXPECT_EQ(parseNumber32(" 12"), 12);
}

TEST(NumberSyntax, RightAlignedFieldTextsReadBack) {
    for (int value : {0, 7, 99, 255, 1024, 65535}) {
        EXPECT_EQ(parseNumber64(setString(5, value)), value);
        EXPECT_EQ(parseNumber32(fillString(3, '0', value)), value);
    }
}

TEST(Formatting, SetStringPadsWithBlanksAndNeverCuts) {
    EXPECT_EQ(setString(3, 7), "  7");
    EXPECT_EQ(setString(3, 255), "255");
    EXPECT_EQ(setString(5, 1024), " 1024");
    EXPECT_EQ(setString(3, 1000), "1000");
    EXPECT_EQ(setString(3, 0), "  0");
    EXPECT_EQ(setString(6, 255), "   255");
    EXPECT_EQ(setString(3, -5), " -5");
}

TEST(Formatting, FillStringPadsWithTheFillCharacter) {
    EXPECT_EQ(fillString(3, '0', 7), "007");
    EXPECT_EQ(fillString(3, '0', 255), "255");
    EXPECT_EQ(fillString(2, '0', 5), "05");
    EXPECT_EQ(fillString(2, ' ', 3), " 3");
    EXPECT_EQ(fillString(3, '0', 0), "000");
}

TEST(Formatting, InttobinWritesEightBitsMostSignificantFirst) {
    EXPECT_EQ(inttobin(0), "00000000");
    EXPECT_EQ(inttobin(1), "00000001");
    EXPECT_EQ(inttobin(5), "00000101");
    EXPECT_EQ(inttobin(16), "00010000");
    EXPECT_EQ(inttobin(128), "10000000");
    EXPECT_EQ(inttobin(255), "11111111");
    EXPECT_EQ(inttobin(1000), "11111111");
    EXPECT_EQ(inttobin(-4), "00000000");
    // A line of the system-data listing is built from these helpers.
    EXPECT_EQ(fillString(2, ' ', 0) + ":  " + fillString(3, '0', 16) + "   " + inttobin(16),
              " 0:  016   00010000");
}

}  // namespace
}  // namespace tovrix
