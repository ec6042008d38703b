#include "receiver/playout.h"

// The tables are built with the tool's encoder and played with the
// emulator's own reading of the layout, so each case also checks that the
// two agree.
#include "config/confblock.h"
#include "table/cells.h"
#include "table/image.h"

#include <gtest/gtest.h>

#include <vector>

namespace tovrix::receiver {
namespace {

using Bytes = std::vector<std::uint8_t>;

TabCell n(std::uint8_t value) {
    return {kNumberCell, value};
}
TabCell f(FunctionCode code) {
    return {kFunctionCell, code};
}

// A table whose lines are all end cells, with the given lines filled in.
struct Table {
    TabCells cells;
    TableSettings settings{100, 3, 10};

    Table() { resetTable(cells); }
    Table& line(int index, std::vector<TabCell> content) {
        std::copy(content.begin(), content.end(), cells[index].begin());
        return *this;
    }
    TabData image() const { return encodeImage(cells, settings); }
};

Bytes values(const PlayOutResult& result) {
    Bytes bytes;
    for (const OutByte& b : result.output) {
        bytes.push_back(b.value);
    }
    return bytes;
}

// The row variable is B3 unless a case says otherwise, so payload {.., .., L}
// plays line L.
struct PlayCase {
    const char* name;
    Table table;
    Payload payload;
    Bytes expected;
};

class PlayOut : public ::testing::TestWithParam<PlayCase> {};

TEST_P(PlayOut, SendsWhatTheFirmwareWould) {
    const PlayCase& c = GetParam();
    const PlayOutResult result = playOut(c.table.image(), c.payload, 0, 200);
    EXPECT_EQ(values(result), c.expected);
    EXPECT_FALSE(result.stepLimitReached);
}

std::vector<PlayCase> playCases() {
    std::vector<PlayCase> cases;
    cases.push_back({"FixedBytesUpToTheEndCell",
                     Table().line(5, {n(65), n(66), f(fcEnd), n(67)}),
                     {0, 0, 5},
                     {65, 66}});
    cases.push_back(
        {"EndInCellOneSendsNothing", Table().line(5, {f(fcEnd), n(65)}), {0, 0, 5}, {}});
    cases.push_back({"PayloadBytesInserted",
                     Table().line(7, {f(fcB3), f(fcB1), f(fcB2), n(13)}),
                     {11, 22, 7},
                     {7, 11, 22, 13}});
    {
        Table full;
        std::vector<TabCell> cells;
        for (std::uint8_t i = 0; i < 16; ++i)
            cells.push_back(n(i));
        full.line(9, cells).line(10, {n(99)});
        cases.push_back({"EndsAfterCellSixteenWithoutRunningOn",
                         full,
                         {0, 0, 9},
                         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}});
    }
    cases.push_back({"GotoContinuesAtCellOneOfItsLine",
                     Table().line(1, {n(65), f(fcGoto), n(3), n(88)}).line(3, {n(66), n(67)}),
                     {0, 0, 1},
                     {65, 66, 67}});
    cases.push_back(
        {"CallRunsTheSubroutineAndReturnsAfterTheOperand",
         Table().line(1, {n(65), f(fcCall), n(50), n(67)}).line(50, {n(66), f(fcRet), n(99)}),
         {0, 0, 1},
         {65, 66, 67}});
    cases.push_back(
        {"EndInsideASubroutineEndsTheWholeOutput",
         Table().line(1, {n(65), f(fcCall), n(50), n(67)}).line(50, {n(66), f(fcEnd), f(fcRet)}),
         {0, 0, 1},
         {65, 66}});
    cases.push_back({"CallInsideASubroutineActsAsGoto",
                     // 1 calls 50, which "calls" 60: a plain jump, so the RET
                     // in 60 goes back to line 1, not to line 50.
                     Table()
                         .line(1, {n(65), f(fcCall), n(50), n(69)})
                         .line(50, {n(66), f(fcCall), n(60), n(99)})
                         .line(60, {n(67), f(fcRet)}),
                     {0, 0, 1},
                     {65, 66, 67, 69}});
    cases.push_back({"RetWithoutCallIsIgnored",
                     Table().line(1, {n(65), f(fcRet), n(66)}),
                     {0, 0, 1},
                     {65, 66}});
    cases.push_back({"SecondRetAfterReturnIsIgnored",
                     Table().line(1, {f(fcCall), n(2), f(fcRet), n(67)}).line(2, {n(66), f(fcRet)}),
                     {0, 0, 1},
                     {66, 67}});
    cases.push_back({"SubroutineRunningPastCellSixteenEndsTheOutput",
                     [] {
                         Table t;
                         std::vector<TabCell> sub(16, n(48));
                         t.line(1, {f(fcCall), n(2), n(99)}).line(2, sub);
                         return t;
                     }(),
                     {0, 0, 1},
                     Bytes(16, 48)});
    cases.push_back({"OperandBeyondCellSixteenEndsTheOutput",
                     [] {
                         Table t;
                         std::vector<TabCell> cells(15, n(48));
                         cells.push_back(f(fcGoto));
                         t.line(1, cells).line(0, {n(99)});
                         return t;
                     }(),
                     {0, 0, 1},
                     Bytes(15, 48)});
    cases.push_back(
        {"AnalogueCommandsAndUnknownCodesSendNothing",
         Table().line(
             1, {f(fcUset), n(65), {kFunctionCell, 7}, f(fcUplus), n(1), f(fcUminus), n(2), n(70)}),
         {0, 0, 1},
         {70}});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, PlayOut, ::testing::ValuesIn(playCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlayOut, RowVariableSelectsThePayloadByte) {
    Table table;
    table.line(1, {n(1)}).line(2, {n(2)}).line(3, {n(3)});
    const Payload payload{1, 2, 3};
    // Image byte 8161: 1 = B1, 2 = B2, anything else B3.
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> cases{{1, 1}, {2, 2}, {3, 3},
                                                                   {0, 3}, {4, 3}, {255, 3}};
    for (const auto& [rowVariable, line] : cases) {
        TabData image = table.image();
        image[image::kRowVariable] = rowVariable;
        EXPECT_EQ(values(playOut(image, payload, 0, 200)), Bytes{line}) << int(rowVariable);
    }
}

TEST(PlayOut, PausesAttachToTheNextByteInPauseUnits) {
    Table table;
    table.settings.pauseUnit = 25;
    table.line(1, {n(65), f(fcPause), f(fcPause), n(66), f(fcPause)});
    const PlayOutResult result = playOut(table.image(), {0, 0, 1}, 0, 200);
    const std::vector<OutByte> expected{{65, 0}, {66, 50}};
    EXPECT_EQ(result.output, expected);
    EXPECT_EQ(result.trailingPauseMs, 25U);
}

TEST(PlayOut, AnalogueValueStaysWithinTheResolution) {
    Table table;
    table.line(1, {f(fcUset), n(150)})
        .line(2, {f(fcUplus), n(100)})
        .line(3, {f(fcUminus), n(200)})
        .line(4, {f(fcUplus), n(5), f(fcUplus), n(6)});
    const TabData image = table.image();
    EXPECT_EQ(playOut(image, {0, 0, 1}, 0, 200).analogue, 150);
    EXPECT_EQ(playOut(image, {0, 0, 1}, 0, 100).analogue, 100);
    EXPECT_EQ(playOut(image, {0, 0, 2}, 150, 200).analogue, 200);
    EXPECT_EQ(playOut(image, {0, 0, 3}, 150, 200).analogue, 0);
    EXPECT_EQ(playOut(image, {0, 0, 4}, 10, 200).analogue, 21);
    EXPECT_EQ(playOut(image, {0, 0, 9}, 42, 200).analogue, 42);  // untouched
}

TEST(PlayOut, LoopsEndAtTheStepBound) {
    Table table;
    table
        .line(1, {n(65), f(fcGoto), n(1)})  // sends for ever
        .line(2, {f(fcGoto), n(2)})         // silent loop
        .line(3, {f(fcCall), n(4)})         // CALL-as-GOTO ping-pong
        .line(4, {f(fcCall), n(3)});
    for (std::uint8_t line : {1, 2, 3}) {
        const PlayOutResult result = playOut(table.image(), {0, 0, line}, 0, 200);
        EXPECT_TRUE(result.stepLimitReached) << int(line);
        EXPECT_LE(result.output.size(), std::size_t(kPlayOutStepLimit));
    }
}

TEST(Telegram, FourthByteIsTheSumOfTheFirstThree) {
    EXPECT_TRUE(telegramSumOk({1, 2, 3}, 6));
    EXPECT_TRUE(telegramSumOk({200, 100, 10}, 54));  // 310 mod 256
    EXPECT_FALSE(telegramSumOk({1, 2, 3}, 7));
    EXPECT_FALSE(telegramSumOk({200, 100, 10}, 255));
}

// Conditions are written as (operator, value) for B1/1, B1/2, B2/1, B2/2,
// B3/1, B3/2.
struct ConditionCase {
    std::array<std::pair<std::uint8_t, std::uint8_t>, 6> conditions;
    Payload payload;
    bool accepted;
};

class Conditions : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(Conditions, AllSixMustHold) {
    const ConditionCase& c = GetParam();
    ConfData conf{};
    for (std::size_t i = 0; i < 6; ++i) {
        conf[conf::kConditionOperator[i]] = c.conditions[i].first;
        conf[conf::kConditionValue[i]] = c.conditions[i].second;
    }
    EXPECT_EQ(conditionsAccept(conf, c.payload), c.accepted);
}

constexpr std::pair<std::uint8_t, std::uint8_t> kAny{3, 0};

INSTANTIATE_TEST_SUITE_P(
    Operators, Conditions,
    ::testing::Values(
        // The tool's reset block: everything "=" 0.
        ConditionCase{{{{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, {0, 0, 0}, true},
        ConditionCase{{{{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, {0, 0, 1}, false},
        ConditionCase{{{kAny, kAny, kAny, kAny, kAny, kAny}}, {9, 200, 255}, true},
        // "=" on B2 only.
        ConditionCase{{{kAny, kAny, {0, 42}, kAny, kAny, kAny}}, {1, 42, 3}, true},
        ConditionCase{{{kAny, kAny, {0, 42}, kAny, kAny, kAny}}, {1, 43, 3}, false},
        // ">" is strict.
        ConditionCase{{{{1, 10}, kAny, kAny, kAny, kAny, kAny}}, {11, 0, 0}, true},
        ConditionCase{{{{1, 10}, kAny, kAny, kAny, kAny, kAny}}, {10, 0, 0}, false},
        // "<" is strict.
        ConditionCase{{{kAny, kAny, kAny, kAny, {2, 10}, kAny}}, {0, 0, 9}, true},
        ConditionCase{{{kAny, kAny, kAny, kAny, {2, 10}, kAny}}, {0, 0, 10}, false},
        // A range as two conditions on one byte: 10 < B3 < 20.
        ConditionCase{{{kAny, kAny, kAny, kAny, {1, 10}, {2, 20}}}, {0, 0, 15}, true},
        ConditionCase{{{kAny, kAny, kAny, kAny, {1, 10}, {2, 20}}}, {0, 0, 25}, false},
        // An impossible pair rejects everything.
        ConditionCase{{{{2, 10}, {1, 20}, kAny, kAny, kAny, kAny}}, {15, 0, 0}, false},
        // Conditions on different bytes combine with AND.
        ConditionCase{{{{0, 1}, kAny, {0, 2}, kAny, {0, 3}, kAny}}, {1, 2, 3}, true},
        ConditionCase{{{{0, 1}, kAny, {0, 2}, kAny, {0, 3}, kAny}}, {1, 2, 4}, false},
        // Operators above 3 count as "~" whatever their value.
        ConditionCase{{{{4, 0}, {255, 0}, {7, 9}, kAny, kAny, kAny}}, {77, 88, 99}, true}));

}  // namespace
}  // namespace tovrix::receiver
