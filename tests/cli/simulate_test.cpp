// simulate and check on the real program: exit statuses, the JSON fields
// scripts rely on, and that bad input writes nothing to standard output.
#include "clibench.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fstream>
#include <sstream>

namespace tovrix::cli::test {
namespace {

TabCell n(std::uint8_t value) {
    return {kNumberCell, value};
}
TabCell f(std::uint8_t code) {
    return {kFunctionCell, code};
}

// A block that accepts everything (19200 baud, resolution 200) and a table
// with row variable B3 and pause unit 5 ms.
ReceiverData dataWith(const std::vector<std::pair<int, std::vector<TabCell>>>& lines) {
    ReceiverData data;
    resetConfigBlock(data.conf);
    for (int op : conf::kConditionOperator) {
        data.conf[op] = conf::kOpAny;
    }
    normaliseConfigBlock(data.conf);
    TabCells cells;
    resetTable(cells);
    for (const auto& [line, content] : lines) {
        std::copy(content.begin(), content.end(), cells[line].begin());
    }
    data.image = encodeImage(cells, TableSettings{100, 3, 5});
    return data;
}

struct OfflineCase {
    const char* name;
    std::vector<std::string> args;  // CLEAN, INFO, FAULTY, BROKEN stand for files
    int status;
    std::string expected;  // in stdout, or in stderr when stdout must stay empty
};

void PrintTo(const OfflineCase& c, std::ostream* out) {
    *out << c.name;
}

class Offline : public testing::TestWithParam<OfflineCase> {};

TEST_P(Offline, EndsWithItsStatus) {
    const OfflineCase& c = GetParam();
    CliBench bench;
    bench.writeFile(bench.path("clean.tvx"),
                    dataWith({{5, {n(65), f(fcPause), n(13), n(10), f(fcUset), n(100)}}}));
    bench.writeFile(bench.path("info.tvx"), dataWith({{5, {f(fcGoto), n(6)}}}));
    bench.writeFile(
        bench.path("faulty.tvx"),
        dataWith({{1, {n(65), f(fcGoto), n(2)}}, {2, {f(fcCall), n(3)}}, {3, {f(fcCall), n(1)}}}));
    {
        std::ofstream broken(bench.path("broken.tvx"));
        broken << "no configuration\r\n";
    }
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
        const bool file = arg == "CLEAN" || arg == "INFO" || arg == "FAULTY" || arg == "BROKEN";
        std::string name = arg;
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        args.push_back(file ? bench.path(name + ".tvx") : arg);
    }
    const CliRun run = bench.run(args);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    const bool json = std::find(c.args.begin(), c.args.end(), "--json") != c.args.end();
    if (c.status == 2) {
        EXPECT_NE(run.err.find(c.expected), std::string::npos) << run.err;
        // Refused: nothing on stdout, or with --json the one object saying so.
        if (json) {
            EXPECT_NE(run.out.find("\"result\":\"usage-error\""), std::string::npos) << run.out;
            EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(run.out, "");
        }
    } else {
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Offline,
    testing::Values(
        OfflineCase{"Simulate", {"simulate", "CLEAN", "0", "0", "5"}, 0, "text:     A<CR><LF>"},
        OfflineCase{"SimulateHex", {"simulate", "CLEAN", "$00", "0", "$05"}, 0, "5.000 V"},
        OfflineCase{"SimulateEndless",
                    {"simulate", "FAULTY", "0", "0", "2"},
                    0,
                    "cycle through line(s) 1, 2, 3"},
        OfflineCase{"CheckClean", {"check", "CLEAN"}, 0, "0 finding(s)"},
        OfflineCase{"CheckInformationOnly",
                    {"check", "INFO"},
                    0,
                    "information line 5 cell 1: jumps to line 6"},
        OfflineCase{"CheckFindings", {"check", "FAULTY", "--json"}, 1, "\"kind\":\"endless\""},
        OfflineCase{"ByteAbove255",
                    {"simulate", "CLEAN", "0", "256", "5"},
                    2,
                    "B2 '256' of telegram 1 is not a number from 0 to 255"},
        OfflineCase{
            "IncompleteTelegram", {"simulate", "CLEAN", "0", "0", "5", "1"}, 2, "come in threes"},
        OfflineCase{"NoTelegram", {"simulate", "CLEAN"}, 2, "come in threes"},
        OfflineCase{"BadInterval",
                    {"simulate", "CLEAN", "0", "0", "5", "--interval", "-3"},
                    2,
                    "--interval '-3'"},
        OfflineCase{"IntervalWithCheck",
                    {"check", "CLEAN", "--interval", "5"},
                    2,
                    "--interval goes with simulate"},
        OfflineCase{
            "SimulateMalformedFile", {"simulate", "BROKEN", "0", "0", "5"}, 2, "broken.tvx"},
        OfflineCase{"CheckMalformedFile", {"check", "BROKEN", "--json"}, 2, "broken.tvx"},
        OfflineCase{"CheckMissingFile", {"check", "missing.tvx"}, 2, "missing.tvx"},
        OfflineCase{"SimulateMissingFileJson",
                    {"simulate", "missing.tvx", "0", "0", "5", "--json"},
                    2,
                    "missing.tvx"}));

// One JSON object per telegram and line, with the fields scripts rely on.
TEST(Offline, SimulateJsonPerTelegram) {
    CliBench bench;
    bench.writeFile(bench.path("clean.tvx"),
                    dataWith({{5, {n(65), f(fcPause), n(13), n(10), f(fcUset), n(100)}}}));
    const CliRun run = bench.run({"simulate", bench.path("clean.tvx"), "0", "0", "5", "0", "0", "5",
                                  "1", "2", "3", "--interval", "40", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::vector<QJsonObject> objects;
    for (std::string line; std::getline(lines, line);) {
        objects.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
    }
    ASSERT_EQ(objects.size(), 3U);
    const QJsonObject& first = objects[0];
    EXPECT_EQ(first["telegram"].toArray(), (QJsonArray{0, 0, 5}));
    EXPECT_TRUE(first["accepted"].toBool());
    EXPECT_TRUE(first["reason"].isNull());
    EXPECT_EQ(first["bytes"].toArray(), (QJsonArray{65, 13, 10}));
    EXPECT_EQ(first["pauses_ms"].toArray(), (QJsonArray{0, 5, 0}));
    EXPECT_EQ(first["trailing_pause_ms"].toInt(), 0);
    EXPECT_EQ(first["analogue_steps"].toInt(), 100);
    EXPECT_DOUBLE_EQ(first["analogue_volts"].toDouble(), 5.0);
    EXPECT_EQ(first["end"].toString(), "end");
    EXPECT_EQ(first["path"].toArray(),
              (QJsonArray{QJsonArray{5, 1}, QJsonArray{5, 2}, QJsonArray{5, 3}, QJsonArray{5, 4},
                          QJsonArray{5, 5}, QJsonArray{5, 7}}));
    EXPECT_EQ(first["warnings"].toArray(), QJsonArray{});
    // The lock-out of the reset block is 0: the repeat plays again; line 3
    // sends nothing and leaves the analogue value where it was.
    EXPECT_TRUE(objects[1]["accepted"].toBool());
    EXPECT_DOUBLE_EQ(objects[1]["arrival_ms"].toDouble(), 40);
    EXPECT_EQ(objects[2]["bytes"].toArray(), QJsonArray{});
    EXPECT_EQ(objects[2]["analogue_steps"].toInt(), 100);
}

}  // namespace
}  // namespace tovrix::cli::test
