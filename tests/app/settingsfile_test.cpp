#include "app/settingsfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tovrix {
namespace {

using Lines = std::vector<std::string>;

Lines goodFile() {
    return {"#language#", "deutsch", "#directory#", "/home/user/tvx", "#COM#", "2",   "#Baudrate#",
            "25",         "#WDH#",   "30",          "#posmain#",      "-8",    "120", "#poshelp#",
            "300",        "-40"};
}

TEST(SettingsFile, BuildsSixteenLinesOfKeysAndValues) {
    SettingsState state;
    state.language = "english";
    state.directory = "/data/\xE4rger";  // a Latin-1 byte stays as it is
    state.port = 3;
    state.baudCode = 207;
    state.lockoutTime = 25;
    state.mainLeft = -4;
    state.mainTop = 10;
    state.helpLeft = 100;
    state.helpTop = 200;
    const Lines expected{"#language#", "english",   "#directory#", "/data/\xE4rger",
                         "#COM#",      "3",         "#Baudrate#",  "207",
                         "#WDH#",      "25",        "#posmain#",   "-4",
                         "10",         "#poshelp#", "100",         "200"};
    EXPECT_EQ(buildSettingsFile(state), expected);
}

TEST(SettingsFile, WhatIsBuiltReadsBack) {
    SettingsState state;
    state.directory = "/tmp/x y";
    state.port = 4;
    state.baudCode = 51;
    state.lockoutTime = 255;
    state.mainLeft = 1;
    state.mainTop = 2;
    state.helpLeft = -3;
    state.helpTop = 4;
    const SettingsRead read = parseSettingsFile(buildSettingsFile(state));
    SettingsRead expected;
    expected.language = "deutsch";
    expected.directory = "/tmp/x y";
    expected.port = 4;
    expected.baudCode = 51;
    expected.lockoutTime = 255;
    expected.mainLeft = 1;
    expected.mainTop = 2;
    expected.helpLeft = -3;
    expected.helpTop = 4;
    EXPECT_EQ(read, expected);
}

TEST(SettingsFile, MissingFileSetsNothing) {
    EXPECT_EQ(parseSettingsFile({}), SettingsRead{});
}

// One row per way a file can be damaged: which values still arrive.
struct DamageCase {
    const char* name;
    int line;          // line to replace (-1: none)
    const char* text;  // its new text
    std::size_t keep;  // lines kept (file cut after this many)
    SettingsRead expected;
};

SettingsRead upTo(int stage) {
    // The values of goodFile() in reading order; stage says how many arrive.
    SettingsRead r;
    if (stage > 0)
        r.language = "deutsch";
    if (stage > 1)
        r.directory = "/home/user/tvx";
    if (stage > 2)
        r.port = 2;
    if (stage > 3)
        r.baudCode = 25;
    if (stage > 4)
        r.lockoutTime = 30;
    if (stage > 5)
        r.mainLeft = -8;
    if (stage > 6)
        r.mainTop = 120;
    if (stage > 7)
        r.helpLeft = 300;
    if (stage > 8)
        r.helpTop = -40;
    return r;
}

class SettingsDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(SettingsDamage, ReadingStopsAtTheFirstBadLine) {
    const DamageCase& c = GetParam();
    Lines lines = goodFile();
    if (c.line >= 0) {
        lines[static_cast<std::size_t>(c.line)] = c.text;
    }
    lines.resize(std::min(lines.size(), c.keep));
    EXPECT_EQ(parseSettingsFile(lines), c.expected) << c.name;
}

SettingsRead with(SettingsRead r, auto change) {
    change(r);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsDamage,
    ::testing::Values(
        DamageCase{"complete", -1, "", 16, upTo(9)},
        DamageCase{"only the first line", -1, "", 1, upTo(0)},
        DamageCase{"cut before the port", -1, "", 5, upTo(2)},
        DamageCase{"cut inside the main position", -1, "", 12, upTo(6)},
        DamageCase{"cut before the last line", -1, "", 15, upTo(8)},
        DamageCase{"capital Deutsch is english", 1, "Deutsch", 16,
                   with(upTo(9), [](SettingsRead& r) { r.language = "english"; })},
        DamageCase{"port 3", 5, "3", 16, with(upTo(9), [](SettingsRead& r) { r.port = 3; })},
        DamageCase{"port 7 is read as it is", 5, "7", 16,
                   with(upTo(9), [](SettingsRead& r) { r.port = 7; })},
        DamageCase{"port not a number", 5, "COM1", 16, upTo(2)},
        DamageCase{"baud 300 keeps the low eight bits", 7, "300", 16,
                   with(upTo(9), [](SettingsRead& r) { r.baudCode = 44; })},
        DamageCase{"baud negative", 7, "-1", 16,
                   with(upTo(9), [](SettingsRead& r) { r.baudCode = 255; })},
        DamageCase{"older file without the baud key", 6, "#Baud#", 16,
                   with(upTo(9), [](SettingsRead& r) { r.baudCode.reset(); })},
        DamageCase{"skipped baud value is not looked at", 7, "junk", 16, upTo(3)},
        DamageCase{"baud key present, value bad", 7, "12a", 16, upTo(3)},
        DamageCase{"keys are case-sensitive", 8, "#wdh#", 16,
                   with(upTo(9), [](SettingsRead& r) { r.lockoutTime.reset(); })},
        DamageCase{"non-numeric left edge skips both positions", 11, "left", 16, upTo(5)},
        DamageCase{"non-numeric top edge keeps the left edge", 12, "", 16, upTo(6)},
        DamageCase{"no main position key", 10, "#pos#", 16,
                   with(upTo(9),
                        [](SettingsRead& r) {
                            r.mainLeft.reset();
                            r.mainTop.reset();
                        })},
        DamageCase{"bad help top", 15, "1.5", 16, upTo(8)},
        DamageCase{"number with blanks", 9, " 30", 16, upTo(4)}));

struct DecimalCase {
    const char* text;
    std::optional<std::int32_t> value;
};

class Decimal : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(Decimal, SignedDecimalOnly) {
    EXPECT_EQ(parseDecimal(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decimal,
    ::testing::Values(DecimalCase{"0", 0}, DecimalCase{"+5", 5}, DecimalCase{"-5", -5},
                      DecimalCase{"2147483647", 2147483647},
                      DecimalCase{"-2147483648", -2147483647 - 1},
                      DecimalCase{"2147483648", std::nullopt}, DecimalCase{"", std::nullopt},
                      DecimalCase{"-", std::nullopt}, DecimalCase{"+", std::nullopt},
                      DecimalCase{"+-5", std::nullopt}, DecimalCase{" 5", std::nullopt},
                      DecimalCase{"5 ", std::nullopt}, DecimalCase{"$1F", std::nullopt},
                      DecimalCase{"0x10", std::nullopt}));

class SettingsFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tovrix-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

TEST_F(SettingsFileOnDisk, WritesCrLfAndReadsBack) {
    const Lines lines = buildSettingsFile(SettingsState{});
    ASSERT_TRUE(writeTextLines(path("tvx.ini"), lines));
    std::ifstream in(path("tvx.ini"), std::ios::binary);
    const std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(raw.substr(0, 23), "#language#\r\ndeutsch\r\n#d");
    EXPECT_EQ(raw.substr(raw.size() - 5), "\r\n0\r\n");
    EXPECT_EQ(readTextLines(path("tvx.ini")), lines);
}

TEST_F(SettingsFileOnDisk, ReplacesALongerFile) {
    ASSERT_TRUE(writeTextLines(path("tvx.ini"), Lines(40, "old line that is long")));
    ASSERT_TRUE(writeTextLines(path("tvx.ini"), goodFile()));
    EXPECT_EQ(readTextLines(path("tvx.ini"))->size(), 16u);
}

TEST_F(SettingsFileOnDisk, ReadsLfOnlyFiles) {
    std::ofstream(path("lf.ini"), std::ios::binary) << "#language#\nenglish\n";
    EXPECT_EQ(readTextLines(path("lf.ini")), (Lines{"#language#", "english"}));
}

TEST_F(SettingsFileOnDisk, FailuresAreReportedNotThrown) {
    EXPECT_FALSE(readTextLines(path("missing.ini")).has_value());
    EXPECT_FALSE(writeTextLines(path("no/such/dir/tvx.ini"), goodFile()));
}

}  // namespace
}  // namespace tovrix
