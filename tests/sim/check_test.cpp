#include "sim/tablecheck.h"

#include "simtable.h"

#include <gtest/gtest.h>

namespace tovrix::sim {
namespace {

using namespace testing;

struct Expected {
    FindingKind kind;
    CellRef at;
    Severity severity;
    std::vector<std::uint8_t> rows;
};

// A table with one mistake of each kind; every other line starts with its
// end cell and is clean.
SimTable craftedTable() {
    SimTable table;
    table
        .line(1, {n(65), f(fcGoto), n(2)})  // endless with line 2
        .line(2, {n(66), f(fcGoto), n(1)})
        .line(3, {f(fcCall), n(4), f(fcEnd)})  // 4 calls again inside
        .line(4, {f(fcCall), n(5), f(fcRet)})
        .line(5, {f(fcRet)})                       // played alone: no CALL
        .line(6, std::vector<TabCell>(16, n(48)))  // no end cell
        .line(7, {f(fcUminus), n(250)})            // beyond every start value
        .line(8, {f(fcUminus), n(5), f(fcPause)})  // fine from a start of 5 up
        .line(9, {f(fcGoto), n(10)})               // to a line that only ends
        .line(11, {f(fcUset), n(3), f(fcUminus), n(4), f(33)});
    table.pauseUnit(0);
    return table;
}

TEST(TableCheck, FindsEachMistakeOnceWithItsRowValues) {
    const TableCheck check = checkTable(craftedTable().setup);
    const auto W = Severity::warning;
    const std::vector<Expected> expected{
        {FindingKind::endless, {1, 1}, Severity::error, {1, 2}},
        {FindingKind::callInSubroutine, {4, 1}, W, {3}},
        {FindingKind::retWithoutCall, {4, 3}, W, {4}},
        {FindingKind::retWithoutCall, {5, 1}, W, {5}},
        {FindingKind::pastLastCell, {6, 16}, W, {6}},
        {FindingKind::analogueLimit, {7, 1}, W, {7}},
        {FindingKind::zeroPauseUnit, {8, 3}, W, {8}},
        {FindingKind::jumpToEndLine, {9, 1}, Severity::information, {9}},
        {FindingKind::analogueLimit, {11, 3}, W, {11}},
        {FindingKind::unknownCode, {11, 5}, W, {11}},
    };
    ASSERT_EQ(check.findings.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const CheckFinding& got = check.findings[i];
        SCOPED_TRACE(describe(got.finding));
        EXPECT_EQ(got.finding.kind, expected[i].kind);
        EXPECT_EQ(got.finding.at, expected[i].at);
        EXPECT_EQ(got.severity, expected[i].severity);
        EXPECT_EQ(got.rowValues, expected[i].rows);
    }
    EXPECT_EQ(check.findings[0].finding.cycleLines, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(describe(check.findings[0].finding),
              "line 1 cell 1: endless output, cycle through line(s) 1, 2; assumed: stopped "
              "after 8192 cells");
    EXPECT_TRUE(check.hasProblems());
}

TEST(TableCheck, InformationAloneIsNoProblem) {
    SimTable table;
    table.line(9, {f(fcGoto), n(10)});
    const TableCheck check = checkTable(table.setup);
    ASSERT_EQ(check.findings.size(), 1U);
    EXPECT_FALSE(check.hasProblems());
    EXPECT_FALSE(checkTable(SimTable().setup).hasProblems());
}

TEST(TableCheck, SweepListsEveryRowValue) {
    const std::vector<SweepRow> rows = sweepRowValues(craftedTable().setup);
    ASSERT_EQ(rows.size(), 256U);
    EXPECT_EQ(rows[1].end, OutputEnd::endless);
    EXPECT_EQ(rows[1].byteCount, std::size_t(kStepBound / 2));
    EXPECT_EQ(rows[6].end, OutputEnd::lineEnd);
    EXPECT_EQ(rows[6].byteCount, 16U);
    EXPECT_DOUBLE_EQ(rows[6].totalMs, 16 * 10000.0 / 19200);  // reset block: 19200 baud
    EXPECT_EQ(rows[6].warnings.size(), 1U);
    EXPECT_EQ(rows[200].end, OutputEnd::endCell);
    EXPECT_EQ(rows[200].byteCount, 0U);
}

}  // namespace
}  // namespace tovrix::sim
