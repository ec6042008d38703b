#include "cli/cliparser.h"
#include "cli/argumentbytes.h"

#include <gtest/gtest.h>

namespace tovrix::cli {
namespace {

ParseResult parse(const std::vector<std::string>& args) {
    QStringList list{QStringLiteral("tovrix-cli")};
    for (const std::string& arg : args) {
        list << argumentText(arg);
    }
    return parseCommandLine(list);
}

// Names that are no valid UTF-8 (Latin-1, a cut sequence, an encoded
// surrogate, an overlong slash) reach the file system byte for byte, valid
// ones too.
TEST(CommandLine, FileNamesKeepTheirBytes) {
    for (const std::string name : {"out\xe9.tvx", "caf\xc3\xa9.tvx", "cut\xc3", "\xed\xa0\x80",
                                   "\xc0\xaf", "\xf0\x9f\x93\x9f \xff\xfe.tvx"}) {
        const ParseResult result = parse({"read", name});
        ASSERT_EQ(result.kind, ParseResult::Kind::run) << result.error;
        EXPECT_EQ(result.request.file, name);
    }
}

struct UsageCase {
    std::vector<std::string> args;
    std::string error;  // empty: accepted
};

class CommandLine : public testing::TestWithParam<UsageCase> {};

TEST_P(CommandLine, IsAcceptedOrRefusedWithItsReason) {
    const ParseResult result = parse(GetParam().args);
    if (GetParam().error.empty()) {
        EXPECT_EQ(result.kind, ParseResult::Kind::run) << result.error;
    } else {
        EXPECT_EQ(result.kind, ParseResult::Kind::usageError);
        EXPECT_NE(result.error.find(GetParam().error), std::string::npos) << result.error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CommandLine,
    testing::Values(UsageCase{{"info"}, ""}, UsageCase{{"-p", "COM4", "-q", "--json", "reset"}, ""},
                    UsageCase{{"-p", "/dev/ttyUSB0", "read", "x.tvx", "--table"}, ""},
                    UsageCase{{"write", "x.tvx", "--no-verify"}, ""},
                    UsageCase{{"test", "1", "0x10", "$FF", "7"}, ""},
                    UsageCase{{}, "no command given"},
                    UsageCase{{"erase"}, "unknown command 'erase'"},
                    UsageCase{{"--erase", "info"}, "Unknown option 'erase'"},
                    UsageCase{{"read"}, "usage: tovrix-cli [options] read FILE"},
                    UsageCase{{"info", "extra"}, "usage: tovrix-cli [options] info"},
                    UsageCase{{"-p", "COM5", "info"}, "the ports are COM1 to COM4"},
                    UsageCase{{"-p", "ttyUSB0", "info"}, "not COM1 to COM4 and not a device path"},
                    UsageCase{{"-p", "COM2", "-p", "com2", "info"}, "port COM2 is given twice"},
                    UsageCase{{"read", "x.tvx", "--config", "--table"}, "exclude each other"},
                    UsageCase{{"info", "--table"}, "go with read, write and verify"},
                    UsageCase{{"verify", "x.tvx", "--no-verify"}, "goes with write"},
                    UsageCase{{"write", "x.tvx", "--config", "--no-verify"}, "concerns the table"},
                    UsageCase{{"-p", "COM1", "diff", "a", "b"}, "uses no port"},
                    UsageCase{{"test", "1", "2", "256"}, "B3 '256' is not a number from 0 to 255"},
                    UsageCase{{"test", "1", "2"}, "test B1 B2 B3 [B4]"},
                    UsageCase{{"simulate", "x.tvx", "1", "$02", "0x3", "--interval", "0"}, ""},
                    UsageCase{{"check", "x.tvx", "--json"}, ""},
                    UsageCase{{"-p", "COM1", "check", "x.tvx"}, "uses no port"},
                    UsageCase{{"simulate", "x.tvx", "1", "2"}, "for each telegram; 2 given"},
                    UsageCase{{"info", "--interval", "5"}, "--interval goes with simulate"}));

TEST(CommandLine, FillsTheRequest) {
    ParseResult result = parse({"test", "200", "255", "255"});
    ASSERT_EQ(result.kind, ParseResult::Kind::run);
    // The fields as the window shows them; B4 is the sum, as there.
    EXPECT_EQ(result.request.testTexts, (std::array<std::string, 4>{"200", "255", "255", "198"}));
    ASSERT_EQ(result.request.ports.size(), 1u);
    EXPECT_EQ(result.request.ports[0].name, "COM1");

    result = parse({"-p", "com3", "-p", "/dev/x", "write", "f.tvx", "--table", "--no-verify"});
    ASSERT_EQ(result.kind, ParseResult::Kind::run);
    const Request& r = result.request;
    EXPECT_EQ(r.ports[0].name, "COM3");
    EXPECT_EQ(r.ports[0].comNumber, 3);
    EXPECT_EQ(r.ports[1].device, "/dev/x");
    EXPECT_FALSE(r.config);
    EXPECT_TRUE(r.table);
    EXPECT_FALSE(r.verifyTable);
    EXPECT_EQ(r.file, "f.tvx");

    result = parse({"simulate", "f.tvx", "1", "2", "3", "$FF", "0", "7", "--interval", "40"});
    ASSERT_EQ(result.kind, ParseResult::Kind::run);
    EXPECT_EQ(result.request.telegrams,
              (std::vector<std::array<std::uint8_t, 3>>{{1, 2, 3}, {255, 0, 7}}));
    EXPECT_EQ(result.request.intervalMs, 40);
    EXPECT_TRUE(result.request.ports.empty());

    EXPECT_EQ(parse({"-h"}).kind, ParseResult::Kind::help);
    EXPECT_EQ(parse({"--version", "info"}).kind, ParseResult::Kind::version);
}

TEST(CommandLine, EachPortOfARead) {
    const PortSpec com{"COM2", 2, "/dev/ttyS1"};
    const PortSpec usb{"/dev/ttyUSB0", 0, "/dev/ttyUSB0"};
    EXPECT_EQ(perPortFileName("out.tvx", com), "out-COM2.tvx");
    EXPECT_EQ(perPortFileName("dir.d/out", com), "dir.d/out-COM2");
    EXPECT_EQ(perPortFileName("/tmp/a.b.tvx", usb), "/tmp/a.b-_dev_ttyUSB0.tvx");
}

}  // namespace
}  // namespace tovrix::cli
