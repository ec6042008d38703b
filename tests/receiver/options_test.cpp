#include "receiver/options.h"
#include "receiver/eventlog.h"

#include <gtest/gtest.h>

namespace tovrix::receiver {
namespace {

using namespace std::chrono_literals;

ParsedOptions parse(std::vector<std::string_view> args) {
    return parseOptions(args);
}

TEST(Options, DefaultsWithoutArguments) {
    const ParsedOptions parsed = parse({});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.com, 1);
    EXPECT_FALSE(parsed.options.fast);
    EXPECT_FALSE(parsed.options.faults.silent);
    EXPECT_FALSE(parsed.options.faults.hangupAfter.has_value());
}

TEST(Options, EveryOptionIsTaken) {
    const ParsedOptions parsed =
        parse({"--com", "3", "--fast", "--state", "a.tvx", "--log=l.txt", "--silent",
               "--stop-after", "57", "--bad-echo=13", "--nak-chunk", "1024", "--verify-differ",
               "95", "--extra", "4", "--hangup-after", "100", "--garbage"});
    ASSERT_EQ(parsed.error, "");
    const Options& o = parsed.options;
    EXPECT_EQ(o.com, 3);
    EXPECT_TRUE(o.fast);
    EXPECT_EQ(o.statePath, "a.tvx");
    EXPECT_EQ(o.logPath, "l.txt");
    EXPECT_TRUE(o.faults.silent);
    EXPECT_EQ(o.faults.stopAfter, 57U);
    EXPECT_EQ(o.faults.badEcho, 13);
    EXPECT_EQ(o.faults.nakChunk, 1024);
    EXPECT_EQ(o.faults.verifyDiffer, 95);
    EXPECT_EQ(o.faults.extra, 4U);
    EXPECT_EQ(o.faults.hangupAfter, 100U);
    EXPECT_TRUE(o.faults.garbage);
}

struct BadCase {
    std::vector<std::string_view> args;
    const char* message;
};

class BadOptions : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadOptions, AreRefusedWithAReason) {
    const ParsedOptions parsed = parse(GetParam().args);
    EXPECT_NE(parsed.error.find(GetParam().message), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadOptions,
    ::testing::Values(BadCase{{"--com", "0"}, "--com needs a whole number from 1"},
                      BadCase{{"--com"}, "--com needs"}, BadCase{{"--com", "x"}, "--com needs"},
                      BadCase{{"--com", "2x"}, "--com needs"},
                      BadCase{{"--com", "-1"}, "--com needs"},
                      BadCase{{"--nak-chunk", "8192"}, "from 0 to 8191"},
                      BadCase{{"--verify-differ", "128"}, "from 0 to 127"},
                      BadCase{{"--state"}, "--state needs a file name"},
                      BadCase{{"--log="}, "--log needs a file name"},
                      BadCase{{"--fast=1"}, "--fast takes no value"},
                      BadCase{{"--quick"}, "unknown option --quick"},
                      BadCase{{"com1"}, "unknown option com1"}));

TEST(Options, HelpNamesEveryOption) {
    const std::string help = helpText();
    for (const char* option : {"--com", "--state", "--fast", "--log", "--help", "--version",
                               "--silent", "--stop-after", "--bad-echo", "--nak-chunk",
                               "--verify-differ", "--extra", "--hangup-after", "--garbage"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
}

TEST(EventLog, LinesCarryMillisecondsKindAndBytes) {
    const std::vector<std::uint8_t> bytes{24, 1};
    EXPECT_EQ(logLine(1234567us, "rx", bytes), "1234.567 rx 24 1");
    EXPECT_EQ(logLine(5ms, "tx", std::vector<std::uint8_t>{3}), "5.000 tx 3");
    EXPECT_EQ(logLine(0ms, "hangup"), "0.000 hangup");
    EXPECT_EQ(logLine(2s, "saved", std::string_view("/tmp/a b.tvx")),
              "2000.000 saved /tmp/a b.tvx");
}

}  // namespace
}  // namespace tovrix::receiver
