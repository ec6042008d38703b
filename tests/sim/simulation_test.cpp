#include "sim/simulation.h"

#include "sim/bytetext.h"
#include "simtable.h"

#include <gtest/gtest.h>

namespace tovrix::sim {
namespace {

using namespace testing;

// Condition bytes: operator at 20 + 2k, value at 21 + 2k; k = 0, 1 on B1,
// 2, 3 on B2, 4, 5 on B3.
TEST(Simulation, AcceptanceConditions) {
    struct Row {
        int condition;
        std::uint8_t op;
        std::uint8_t value;
        Payload payload;
        bool accepted;
        const char* reason;
    };
    const std::vector<Row> rows{
        {0, 0, 5, {5, 0, 1}, true, ""},
        {0, 0, 5, {6, 0, 1}, false, "condition 1 on B1 (= 5) not met: B1 = 6"},
        {3, 1, 5, {0, 5, 1}, false, "condition 2 on B2 (> 5) not met: B2 = 5"},
        {3, 1, 5, {0, 6, 1}, true, ""},
        {4, 2, 5, {0, 0, 5}, false, "condition 1 on B3 (< 5) not met: B3 = 5"},
        {4, 2, 5, {0, 0, 4}, true, ""},
        {5, 3, 0, {0, 0, 200}, true, ""},
        {5, 9, 0, {0, 0, 200}, true, ""},  // codes above 3 accept any value
    };
    for (const Row& row : rows) {
        SimTable table;
        table.conf(20 + 2 * row.condition, row.op).conf(21 + 2 * row.condition, row.value);
        table.line(row.payload[2], {n(65)});
        const std::vector<Telegram> telegrams{{row.payload, 0}};
        const TelegramResult result = simulate(table.setup, telegrams).front();
        EXPECT_EQ(result.accepted, row.accepted) << row.reason;
        EXPECT_EQ(result.reason, row.reason);
        EXPECT_EQ(result.end, row.accepted ? OutputEnd::endCell : OutputEnd::rejected);
        EXPECT_EQ(result.bytes.size(), row.accepted ? 1U : 0U);
    }
}

// Lock-out time 10 (100 ms): an identical telegram less than 100 ms after
// the one before it is ignored; a different one, or one 100 ms later, is not.
TEST(Simulation, LockOutOfIdenticalTelegrams) {
    SimTable table;
    table.conf(conf::kLockoutTime, 10).line(1, {n(65)}).line(2, {n(66)});
    const std::vector<Telegram> telegrams{
        {{0, 0, 1}, 0},   {{0, 0, 1}, 99},  {{0, 0, 1}, 199},
        {{0, 0, 2}, 250}, {{0, 0, 1}, 260}, {{0, 0, 1}, 360},
    };
    const std::vector<bool> accepted{true, false, true, true, true, true};
    const std::vector<TelegramResult> results = simulate(table.setup, telegrams);
    for (std::size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].accepted, accepted[i]) << i;
        EXPECT_EQ(results[i].lockedOut, !accepted[i]) << i;
    }
    EXPECT_EQ(results[1].reason,
              "lock-out: identical to the telegram received 99 ms before (lock-out time 100 ms)");
}

// The row variable of the table selects the payload byte; the analogue value
// carries over, also across a rejected telegram, and turns into volts with
// resolution, gain and offset.
TEST(Simulation, RowVariableAnalogueCarryAndVolts) {
    SimTable table;
    table.line(10, {f(fcUset), n(100)}).line(20, {f(fcUplus), n(60)}).line(30, {f(fcUminus), n(1)});
    table.setup.settings.rowVariable = 1;        // B1 selects
    table.conf(20, conf::kOpLess).conf(21, 30);  // B1 < 30
    const std::vector<Telegram> telegrams{
        {{10, 0, 0}, 0}, {{20, 0, 0}, 1000}, {{30, 0, 0}, 2000}, {{20, 0, 0}, 3000}};
    const std::vector<TelegramResult> results = simulate(table.setup, telegrams);
    EXPECT_EQ(results[0].line, 10);
    EXPECT_EQ(results[0].analogueSteps, 100);
    EXPECT_DOUBLE_EQ(results[0].analogueVolts, 5.0);
    EXPECT_EQ(results[1].analogueSteps, 160);
    EXPECT_FALSE(results[2].accepted);
    EXPECT_EQ(results[2].analogueSteps, 160);
    EXPECT_EQ(results[3].analogueSteps, 200);
    EXPECT_EQ(results[3].warnings.size(), 1U);

    struct VoltRow {
        std::uint8_t resolution;
        std::uint16_t offset;
        std::uint16_t gain;
        int steps;
        double volts;
    };
    const std::vector<VoltRow> volts{{200, 0, 1024, 160, 8.0},  {100, 0, 1024, 35, 3.5},
                                     {200, 0, 512, 100, 2.5},   {200, 250, 1024, 10, 0.75},
                                     {200, 0, 2048, 150, 10.0},  // held at 10 V
                                     {0, 0, 1024, 0, 0.0}};
    for (const VoltRow& row : volts) {
        ConfData conf{};
        conf[conf::kResolution] = row.resolution;
        writeWord(conf, conf::kOffsetHigh, row.offset);
        writeWord(conf, conf::kGainHigh, row.gain);
        EXPECT_DOUBLE_EQ(analogueVolts(conf, row.steps), row.volts) << int(row.resolution);
    }
}

// Bytes leave one byte time apart at the output baud rate (ten bits a byte),
// after their pauses; the next telegram's output waits for the line.
TEST(Simulation, ByteTimesAtTheOutputBaudRate) {
    SimTable table;
    table.pauseUnit(5).line(1, {n(65), f(fcPause), n(66), f(fcPause)});
    const std::vector<std::pair<std::uint8_t, double>> bauds{
        {207, 1200}, {103, 2400}, {51, 4800}, {25, 9600}, {12, 19200}, {0, 19200}, {99, 19200}};
    for (const auto& [code, baud] : bauds) {
        table.conf(conf::kBaudCode, code);
        const double byte = 10000.0 / baud;
        const std::vector<Telegram> telegrams{{{0, 0, 1}, 100}, {{0, 0, 1}, 100}};
        const std::vector<TelegramResult> results = simulate(table.setup, telegrams);
        ASSERT_EQ(results[0].startMs.size(), 2U);
        EXPECT_DOUBLE_EQ(results[0].startMs[0], 100);
        EXPECT_DOUBLE_EQ(results[0].startMs[1], 100 + byte + 5);
        EXPECT_DOUBLE_EQ(results[0].outputEndMs, 100 + 2 * byte + 10);
        EXPECT_DOUBLE_EQ(results[1].startMs[0], results[0].outputEndMs);
    }
}

TEST(Simulation, ExecutedCellsIncludeTheOperandsRead) {
    SimTable table;
    table.line(1, {n(65), f(fcGoto), n(2), n(99)}).line(2, {f(fcUset), n(3)});
    const std::vector<Telegram> telegrams{{{0, 0, 1}, 0}};
    const TelegramResult result = simulate(table.setup, telegrams).front();
    const CellMarks marks = executedCells(table.setup, result);
    EXPECT_EQ(marks.count(), 6U);  // 1:1..3, 2:1..3
    EXPECT_TRUE(marks.test(16 + 2));
    EXPECT_FALSE(marks.test(16 + 3));
    EXPECT_TRUE(marks.test(32 + 2));
}

TEST(ByteText, ReadableAndHex) {
    EXPECT_EQ(readableByte(13) + readableByte(10), "<CR><LF>");
    EXPECT_EQ(readableByte('A'), "A");
    EXPECT_EQ(readableByte(127), "<DEL>");
    EXPECT_EQ(readableByte(0xE4), "<$E4>");
    EXPECT_EQ(hexByte(0x0D), "$0D");
}

}  // namespace
}  // namespace tovrix::sim
