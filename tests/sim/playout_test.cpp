#include "sim/playout.h"

#include "simtable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace tovrix::sim {
namespace {

using namespace testing;

using FindingAt = std::pair<FindingKind, CellRef>;

struct PlayCase {
    const char* name;
    SimTable table;
    Payload payload;  // B3 selects the line
    std::vector<OutputByte> bytes;
    OutputEnd end;
    CellRef endAt;
    std::vector<FindingAt> findings = {};
    int analogueBefore = 0;
    int analogueAfter = 0;
    std::uint32_t trailingPauseMs = 0;
};

std::vector<FindingAt> findingPlaces(const PlayOutTrace& trace) {
    std::vector<FindingAt> places;
    for (const Finding& finding : trace.findings) {
        places.emplace_back(finding.kind, finding.at);
    }
    return places;
}

void PrintTo(const PlayCase& c, std::ostream* out) {
    *out << c.name;
}

class PlayOutCase : public ::testing::TestWithParam<PlayCase> {};

TEST_P(PlayOutCase, BytesEndAnalogueAndFindings) {
    const PlayCase& c = GetParam();
    const PlayOutTrace trace =
        playOut(c.table.setup, c.payload[2], c.payload, AnalogueStart{c.analogueBefore, true});
    EXPECT_EQ(trace.bytes, c.bytes);
    EXPECT_EQ(trace.end, c.end);
    EXPECT_EQ(trace.endAt, c.endAt);
    EXPECT_EQ(findingPlaces(trace), c.findings);
    EXPECT_EQ(trace.analogueSteps, c.analogueAfter);
    EXPECT_EQ(trace.trailingPauseMs, c.trailingPauseMs);
    // The path starts at cell 1 of the selected line and stops where the
    // output ended.
    ASSERT_FALSE(trace.path.empty());
    EXPECT_EQ(trace.path.front(), (CellRef{c.payload[2], 1}));
    if (c.end == OutputEnd::endCell) {
        EXPECT_EQ(trace.path.back(), c.endAt);
    }
}

std::vector<TabCell> numbers(int count, std::uint8_t value) {
    return std::vector<TabCell>(static_cast<std::size_t>(count), n(value));
}

std::vector<PlayCase> playCases() {
    const auto E = OutputEnd::endCell;
    const auto L = OutputEnd::lineEnd;
    std::vector<PlayCase> cases;
    cases.push_back({"NumberCellsUpToTheEndCell",
                     SimTable().line(5, {n(65), n(66), f(fcEnd), n(67)}),
                     {0, 0, 5},
                     {{65, 0}, {66, 0}},
                     E,
                     {5, 3}});
    cases.push_back({"PayloadBytesInserted",
                     SimTable().line(7, {f(fcB3), f(fcB1), f(fcB2)}),
                     {11, 22, 7},
                     {{7, 0}, {11, 0}, {22, 0}},
                     E,
                     {7, 4}});
    cases.push_back({"PausesAddUpBeforeTheNextByteAndAfterTheLast",
                     SimTable().line(1, {n(65), f(fcPause), f(fcPause), n(66), f(fcPause)}),
                     {0, 0, 1},
                     {{65, 0}, {66, 20}},
                     E,
                     {1, 6},
                     {},
                     0,
                     0,
                     10});
    cases.push_back({"PauseWithAPauseUnitOfZero",
                     SimTable().pauseUnit(0).line(1, {f(fcPause), n(65)}),
                     {0, 0, 1},
                     {{65, 0}},
                     E,
                     {1, 3},
                     {{FindingKind::zeroPauseUnit, {1, 1}}}});
    cases.push_back({"GotoContinuesAtCellOneOfItsLine",
                     SimTable().line(1, {n(65), f(fcGoto), n(3), n(88)}).line(3, {n(66)}),
                     {0, 0, 1},
                     {{65, 0}, {66, 0}},
                     E,
                     {3, 2}});
    cases.push_back({"GotoToALineThatStartsWithTheEndCell",
                     SimTable().line(1, {n(65), f(fcGoto), n(9)}),
                     {0, 0, 1},
                     {{65, 0}},
                     E,
                     {9, 1},
                     {{FindingKind::jumpToEndLine, {1, 2}}}});
    cases.push_back(
        {"CallReturnsAfterItsOperand",
         SimTable().line(1, {n(65), f(fcCall), n(50), n(67)}).line(50, {n(66), f(fcRet)}),
         {0, 0, 1},
         {{65, 0}, {66, 0}, {67, 0}},
         E,
         {1, 5}});
    cases.push_back({"EndCellInASubroutineEndsTheWholeOutput",
                     SimTable().line(1, {f(fcCall), n(50), n(67)}).line(50, {n(66), f(fcEnd)}),
                     {0, 0, 1},
                     {{66, 0}},
                     E,
                     {50, 2}});
    cases.push_back({"CallInsideASubroutineActsAsGotoAndKeepsTheFirstReturn",
                     SimTable()
                         .line(1, {f(fcCall), n(50), n(69)})
                         .line(50, {n(66), f(fcCall), n(60), n(99)})
                         .line(60, {n(67), f(fcRet)}),
                     {0, 0, 1},
                     {{66, 0}, {67, 0}, {69, 0}},
                     E,
                     {1, 4},
                     {{FindingKind::callInSubroutine, {50, 2}}}});
    cases.push_back({"RetWithoutACallIsIgnored",
                     SimTable().line(1, {n(65), f(fcRet), n(66)}),
                     {0, 0, 1},
                     {{65, 0}, {66, 0}},
                     E,
                     {1, 4},
                     {{FindingKind::retWithoutCall, {1, 2}}}});
    cases.push_back({"UsetSetsTheSteps",
                     SimTable().line(1, {f(fcUset), n(150)}),
                     {0, 0, 1},
                     {},
                     E,
                     {1, 3},
                     {},
                     40,
                     150});
    cases.push_back({"UsetAboveTheResolutionIsHeldThere",
                     SimTable().line(1, {f(fcUset), n(250)}),
                     {0, 0, 1},
                     {},
                     E,
                     {1, 3},
                     {{FindingKind::analogueLimit, {1, 1}}},
                     0,
                     200});
    cases.push_back({"UPlusAndUMinusMoveTheSteps",
                     SimTable().line(1, {f(fcUplus), n(30), f(fcUminus), n(5)}),
                     {0, 0, 1},
                     {},
                     E,
                     {1, 5},
                     {},
                     100,
                     125});
    cases.push_back({"UPlusStopsAtTheResolution",
                     SimTable().line(1, {f(fcUplus), n(20)}),
                     {0, 0, 1},
                     {},
                     E,
                     {1, 3},
                     {{FindingKind::analogueLimit, {1, 1}}},
                     190,
                     200});
    cases.push_back({"UMinusStopsAtZero",
                     SimTable().line(1, {f(fcUminus), n(20)}),
                     {0, 0, 1},
                     {},
                     E,
                     {1, 3},
                     {{FindingKind::analogueLimit, {1, 1}}},
                     10,
                     0});
    cases.push_back({"CodesTheEditorNeverMakesDoNothing",
                     SimTable().line(1, {f(7), n(65), f(200)}),
                     {0, 0, 1},
                     {{65, 0}},
                     E,
                     {1, 4},
                     {{FindingKind::unknownCode, {1, 1}}, {FindingKind::unknownCode, {1, 3}}}});
    // The open cases: what the simulation assumes, always with a finding.
    cases.push_back({"RunningPastCellSixteenEndsTheOutput",
                     SimTable().line(1, numbers(16, 48)).line(2, {n(99)}),
                     {0, 0, 1},
                     std::vector<OutputByte>(16, {48, 0}),
                     L,
                     {1, 16},
                     {{FindingKind::pastLastCell, {1, 16}}}});
    cases.push_back({"RunningPastCellSixteenInASubroutineEndsEverything",
                     SimTable().line(1, {f(fcCall), n(2), n(99)}).line(2, numbers(16, 48)),
                     {0, 0, 1},
                     std::vector<OutputByte>(16, {48, 0}),
                     L,
                     {2, 16},
                     {{FindingKind::pastLastCell, {2, 16}}}});
    {
        std::vector<TabCell> cells = numbers(15, 48);
        cells.push_back(f(fcGoto));
        cases.push_back({"AnOperandBeyondCellSixteenEndsTheOutput",
                         SimTable().line(1, cells),
                         {0, 0, 1},
                         std::vector<OutputByte>(15, {48, 0}),
                         L,
                         {1, 16},
                         {{FindingKind::operandBeyondLine, {1, 16}}}});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cells, PlayOutCase, ::testing::ValuesIn(playCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Endless outputs are cut off after the step bound and named by the lines of
// their cycle, the same cycle whichever line led into it.
TEST(PlayOutEndless, CutOffAtTheBoundWithTheCycleLines) {
    struct Row {
        const char* name;
        SimTable table;
        std::uint8_t line;
        std::size_t bytes;
        std::vector<std::uint8_t> cycle;
        CellRef first;
    };
    const std::vector<Row> rows{
        {"SendingLoopBetweenTwoLines",
         SimTable().line(1, {n(65), f(fcGoto), n(2)}).line(2, {n(66), f(fcGoto), n(1)}),
         1,
         kStepBound / 2,
         {1, 2},
         {1, 1}},
        {"EnteredFromAnotherLine",
         SimTable()
             .line(0, {n(64), f(fcGoto), n(2)})
             .line(1, {n(65), f(fcGoto), n(2)})
             .line(2, {n(66), f(fcGoto), n(1)}),
         0,
         kStepBound / 2,
         {1, 2},
         {1, 1}},
        {"SilentSelfJump", SimTable().line(3, {f(fcGoto), n(3)}), 3, 0, {3}, {3, 1}},
        {"CallsThatActAsGotos",
         SimTable().line(3, {f(fcCall), n(4)}).line(4, {f(fcCall), n(3)}),
         3,
         0,
         {3, 4},
         {3, 1}},
        {"SubroutineThatCallsItsCaller",
         SimTable().line(5, {n(1), f(fcCall), n(6)}).line(6, {n(2), f(fcGoto), n(5)}),
         5,
         kStepBound / 2,
         {5, 6},
         {5, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const PlayOutTrace trace =
            playOut(row.table.setup, row.line, {0, 0, row.line}, AnalogueStart{});
        EXPECT_EQ(trace.end, OutputEnd::endless);
        EXPECT_EQ(trace.bytes.size(), row.bytes);
        EXPECT_EQ(trace.path.size(), std::size_t(kStepBound));
        EXPECT_EQ(trace.cycleLines, row.cycle);
        EXPECT_EQ(trace.endAt, row.first);
        EXPECT_TRUE(std::any_of(trace.findings.begin(), trace.findings.end(),
                                [](const Finding& f) { return f.kind == FindingKind::endless; }));
        // The check stops as soon as the cycle shows, with the same finding.
        const PlayOutTrace quick = playOut(row.table.setup, row.line, {0, 0, row.line},
                                           AnalogueStart{}, PlayOutMode::findingsOnly);
        EXPECT_EQ(quick.cycleLines, row.cycle);
        EXPECT_EQ(quick.endAt, row.first);
    }
}

// An output that ends, but only after more cells than the bound: a
// subroutine of 100 lines called seven times. It is cut off like an endless
// one, with its own finding.
TEST(PlayOutLong, CutOffAtTheBoundButNotEndless) {
    SimTable table;
    std::vector<TabCell> calls;
    for (int i = 0; i < 7; ++i) {
        calls.insert(calls.end(), {f(fcCall), n(1)});
    }
    table.line(0, calls);
    for (int line = 1; line < 100; ++line) {
        std::vector<TabCell> cells = numbers(14, 48);
        cells.insert(cells.end(), {f(fcGoto), n(static_cast<std::uint8_t>(line + 1))});
        table.line(line, cells);
    }
    table.line(100, {f(fcRet)});
    const PlayOutTrace trace = playOut(table.setup, 0, {0, 0, 0}, AnalogueStart{});
    EXPECT_EQ(trace.end, OutputEnd::endCell);
    EXPECT_EQ(trace.endAt, (CellRef{0, 15}));
    EXPECT_EQ(trace.path.size(), std::size_t(kStepBound));
    ASSERT_EQ(trace.findings.size(), 1U);
    EXPECT_EQ(trace.findings[0].kind, FindingKind::longOutput);
}

}  // namespace
}  // namespace tovrix::sim
