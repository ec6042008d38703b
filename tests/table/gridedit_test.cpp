#include "table/gridedit.h"

#include "common/beep_counter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace tovrix {
namespace {

using test::BeepCounter;

TabCells endTable() {
    TabCells cells;
    resetTable(cells);
    return cells;
}

// ---- edit classifier --------------------------------------------------------

struct ClassifyCase {
    const char* text;
    int column;
    EditClass expected;
};

constexpr EditClass number() {
    return EditClass{kNumberCell, 0, false};
}
constexpr EditClass fn(std::uint8_t code, bool next = false) {
    return EditClass{kFunctionCell, code, next};
}

class Classifier : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classifier, TextGivesCellKind) {
    const ClassifyCase& c = GetParam();
    EXPECT_EQ(classifyEditText(c.text, c.column), c.expected)
        << "text \"" << c.text << "\" column " << c.column;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Classifier,
    ::testing::Values(
        // pause and end are allowed everywhere
        ClassifyCase{"P", 1, fn(fcPause)}, ClassifyCase{"p", 16, fn(fcPause)},
        ClassifyCase{"E", 1, fn(fcEnd)}, ClassifyCase{"e", 16, fn(fcEnd)},
        ClassifyCase{"end", 7, fn(fcEnd)},
        // "-e-" as typed is U-, not the end function
        ClassifyCase{"-e-", 5, fn(fcUminus)},
        // variables: the second character picks the byte, anything else is B1
        ClassifyCase{"b", 3, fn(fcB1)}, ClassifyCase{"B", 16, fn(fcB1)},
        ClassifyCase{"B7", 2, fn(fcB1)}, ClassifyCase{"b1", 2, fn(fcB1)},
        ClassifyCase{"b2", 2, fn(fcB2)}, ClassifyCase{"B3", 16, fn(fcB3)},
        ClassifyCase{"B33", 4, fn(fcB3)}, ClassifyCase{"bx2", 4, fn(fcB1)},
        // jumps claim the next cell, and are refused in the last column
        ClassifyCase{"g", 5, fn(fcGoto, true)}, ClassifyCase{"GOTO", 15, fn(fcGoto, true)},
        ClassifyCase{"g", 16, number()}, ClassifyCase{"c", 1, fn(fcCall, true)},
        ClassifyCase{"Call", 15, fn(fcCall, true)}, ClassifyCase{"c", 16, number()},
        ClassifyCase{"R", 16, fn(fcRet)}, ClassifyCase{"ret", 1, fn(fcRet)},
        // analogue commands: operand follows, so not in column 16
        ClassifyCase{"+", 1, fn(fcUplus)}, ClassifyCase{"u+", 8, fn(fcUplus)},
        ClassifyCase{"U+5", 15, fn(fcUplus)}, ClassifyCase{"+", 16, number()},
        ClassifyCase{"-", 15, fn(fcUminus)}, ClassifyCase{"U-", 2, fn(fcUminus)},
        ClassifyCase{"u-", 2, fn(fcUminus)}, ClassifyCase{"-", 16, number()},
        ClassifyCase{"-1", 16, number()}, ClassifyCase{"u", 1, fn(fcUset)},
        ClassifyCase{"Uset", 3, fn(fcUset)}, ClassifyCase{"U9", 3, fn(fcUset)},
        ClassifyCase{"u", 16, number()}, ClassifyCase{"U+", 16, number()},
        // everything else is a number
        ClassifyCase{"v1", 1, number()}, ClassifyCase{"V1", 1, number()},
        ClassifyCase{"", 1, number()}, ClassifyCase{"12", 4, number()},
        ClassifyCase{" 12", 4, number()}, ClassifyCase{" P", 4, number()},
        ClassifyCase{"$1F", 4, number()}, ClassifyCase{"x", 4, number()}));

TEST(ApplyEditText, GotoTurnsTheNextCellIntoANumberKeepingItsValue) {
    TabCells cells = endTable();
    cells[3][5] = {kFunctionCell, fcRet};
    applyEditText(cells, 3, 5, "g");
    EXPECT_EQ(cells[3][4], (TabCell{kFunctionCell, fcGoto}));
    EXPECT_EQ(cells[3][5], (TabCell{kNumberCell, fcRet}));
}

TEST(ApplyEditText, AnalogueCommandsLeaveTheNextCellAlone) {
    TabCells cells = endTable();
    applyEditText(cells, 0, 1, "u+");
    EXPECT_EQ(cells[0][0], (TabCell{kFunctionCell, fcUplus}));
    EXPECT_EQ(cells[0][1], endCell());
}

TEST(ApplyEditText, NumberTextClearsTheFlagButLeavesTheValue) {
    TabCells cells = endTable();
    cells[9][2] = {kFunctionCell, fcCall};
    applyEditText(cells, 9, 3, "12");
    EXPECT_EQ(cells[9][2], (TabCell{kNumberCell, fcCall}));
}

TEST(ApplyEditText, GotoInColumn15ReachesTheLastCell) {
    TabCells cells = endTable();
    applyEditText(cells, 255, 15, "G");
    EXPECT_EQ(cells[255][15].flag, kNumberCell);
}

// ---- one edit from open to close ---------------------------------------------

struct CellEditCase {
    const char* name;
    TabCell next;                    // the cell after the edited one, before the edit
    int column;                      // the edited column
    std::vector<const char*> texts;  // the editor's text after each key
    std::vector<int> normalised;     // columns to normalise when committed
};

class CellEditSession : public ::testing::TestWithParam<CellEditCase> {};

TEST_P(CellEditSession, CommitNamesEveryCellTheEditChangedAndCancelUndoesThem) {
    const CellEditCase& c = GetParam();
    TabCells cells = endTable();
    if (c.column < kLastCellColumn) {
        cells[7][static_cast<std::size_t>(c.column)] = c.next;  // index c is cell c+1
    }
    const TabCells before = cells;
    const CellEdit edit(cells, 7, c.column);
    for (const char* text : c.texts) {
        applyEditText(cells, 7, c.column, text);
    }
    EXPECT_EQ(edit.columnsToNormalise(cells), c.normalised) << c.name;
    edit.cancel(cells);
    EXPECT_EQ(cells, before) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CellEditSession,
    ::testing::Values(
        // "g" made the end cell beside it a number; the final "5" does not undo that
        CellEditCase{"g, Backspace, 5", endCell(), 5, {"g", "", "5"}, {5, 6}},
        CellEditCase{"c then p", {kFunctionCell, fcPause}, 5, {"c", "p"}, {5, 6}},
        CellEditCase{"goto", {kFunctionCell, fcB1}, 15, {"g"}, {15, 16}},
        CellEditCase{"plain number", endCell(), 5, {"1", "12"}, {5}},
        CellEditCase{"goto beside a number", {kNumberCell, 9}, 5, {"g"}, {5}},
        CellEditCase{"u leaves the next cell", endCell(), 5, {"u"}, {5}},
        CellEditCase{"last column", endCell(), 16, {"g"}, {16}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        return name;
    });

// ---- normaliser: number cells -----------------------------------------------

struct NumberCase {
    const char* text;
    int column;
    const char* shown;
    int value;
    int beeps;
};

class NumberNormaliser : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberNormaliser, TextBecomesValue) {
    const NumberCase& c = GetParam();
    TabCells cells = endTable();
    cells[7][c.column - 1] = {kNumberCell, 99};
    BeepCounter beeps;
    const NormalisedCell result = normaliseCell(cells, 7, c.column, c.text);
    EXPECT_EQ(result.text, c.shown) << "text \"" << c.text << "\"";
    EXPECT_EQ(result.changed, std::string(c.shown) != c.text);
    EXPECT_EQ(cells[7][c.column - 1], (TabCell{kNumberCell, static_cast<std::uint8_t>(c.value)}));
    EXPECT_EQ(beeps.count(), c.beeps) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumberNormaliser,
    ::testing::Values(NumberCase{"42", 3, "42", 42, 0}, NumberCase{"0", 1, "0", 0, 0},
                      NumberCase{"300", 3, "255", 255, 0}, NumberCase{"0255", 3, "255", 255, 0},
                      NumberCase{" 12", 3, "12", 12, 0}, NumberCase{"  5", 3, "5", 5, 0},
                      NumberCase{"12345", 3, "0", 0, 0}, NumberCase{"", 3, "0", 0, 0},
                      NumberCase{"-e-", 6, "0", 0, 1}, NumberCase{"abc", 3, "0", 0, 1},
                      NumberCase{"g", 16, "0", 0, 1}, NumberCase{"-", 16, "0", 0, 1},
                      NumberCase{"12 ", 3, "0", 0, 1}, NumberCase{"-1", 16, "255", 255, 0},
                      NumberCase{"-300", 16, "212", 212, 0}, NumberCase{"$1F", 3, "31", 31, 0},
                      NumberCase{"0x10", 3, "16", 16, 0}, NumberCase{"9999", 3, "255", 255, 0},
                      // characters, not bytes, decide between "unreadable" and "too long"
                      NumberCase{"\xC3\xA4", 3, "0", 0, 1},
                      NumberCase{"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", 3, "0", 0, 1},
                      NumberCase{"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9Fx", 3, "0", 0, 0}));

// ---- normaliser: function cells ---------------------------------------------

struct FunctionCase {
    std::uint8_t code;
    const char* text;
    const char* shown;
};

class FunctionNormaliser : public ::testing::TestWithParam<FunctionCase> {};

TEST_P(FunctionNormaliser, TextBecomesDisplayText) {
    const FunctionCase& c = GetParam();
    TabCells cells = endTable();
    cells[0][4] = {kFunctionCell, c.code};
    BeepCounter beeps;
    const NormalisedCell result = normaliseCell(cells, 0, 5, c.text);
    EXPECT_EQ(result.text, c.shown);
    EXPECT_EQ(cells[0][4], (TabCell{kFunctionCell, c.code}));
    EXPECT_EQ(beeps.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FunctionNormaliser,
    ::testing::Values(FunctionCase{fcEnd, "e", "-e-"}, FunctionCase{fcEnd, "  0", "-e-"},
                      FunctionCase{fcPause, "p", "P"}, FunctionCase{fcB1, "b", "B1"},
                      FunctionCase{fcB1, "B7", "B1"}, FunctionCase{fcB2, "b2", "B2"},
                      FunctionCase{fcB2, "B2x", "B2x"}, FunctionCase{fcB3, "  3", "B3"},
                      FunctionCase{fcGoto, "g", "GOTO"}, FunctionCase{fcCall, "  5", "CALL"},
                      FunctionCase{fcRet, "r", "RET"}, FunctionCase{fcUset, "U9", "Uset"},
                      FunctionCase{fcUplus, "+", "U+"}, FunctionCase{fcUminus, "-e-", "U-"},
                      // codes the editor never writes keep whatever the image gave them
                      FunctionCase{7, "  7", "  7"}, FunctionCase{200, "200", "200"}));

TEST(Normaliser, GotoTypedInColumnFiveTurnsAnEndCellBesideItIntoZeroWithOneBeep) {
    TabCells cells = endTable();
    applyEditText(cells, 2, 5, "g");
    BeepCounter beeps;
    const NormalisedCell edited = normaliseCell(cells, 2, 5, "g");
    const NormalisedCell operand = normaliseCell(cells, 2, 6, "-e-");
    EXPECT_EQ(edited.text, "GOTO");
    EXPECT_EQ(operand.text, "0");
    EXPECT_EQ(cells[2][5], (TabCell{kNumberCell, 0}));
    EXPECT_EQ(beeps.count(), 1);
    EXPECT_EQ(cellKind(cells, 2, 6), CellKind::JumpOperand);
}

// ---- colours -----------------------------------------------------------------

struct KindCase {
    TabCell previous;  // cell in column 4
    TabCell cell;      // cell in column 5
    CellKind kind;
    CellColours colours;
};

class Colours : public ::testing::TestWithParam<KindCase> {};

TEST_P(Colours, KindAndColoursFollowTheModel) {
    const KindCase& c = GetParam();
    TabCells cells = endTable();
    cells[4][3] = c.previous;
    cells[4][4] = c.cell;
    EXPECT_EQ(cellKind(cells, 4, 5), c.kind);
    EXPECT_EQ(cellColours(c.kind), c.colours);
}

constexpr TabCell num(std::uint8_t v) {
    return TabCell{kNumberCell, v};
}
constexpr TabCell fnc(std::uint8_t code) {
    return TabCell{kFunctionCell, code};
}
constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kPurple{128, 0, 128};
constexpr Rgb kYellow{255, 255, 172};
constexpr Rgb kCyan{128, 255, 255};

INSTANTIATE_TEST_SUITE_P(
    Table, Colours,
    ::testing::Values(
        KindCase{num(1), num(2), CellKind::Number, {{221, 255, 204}, kNavy}},
        KindCase{fnc(fcB2), num(2), CellKind::Number, {{221, 255, 204}, kNavy}},
        KindCase{fnc(fcGoto), num(2), CellKind::JumpOperand, {kYellow, kPurple}},
        KindCase{fnc(fcCall), num(2), CellKind::JumpOperand, {kYellow, kPurple}},
        KindCase{fnc(fcRet), num(2), CellKind::Number, {{221, 255, 204}, kNavy}},
        KindCase{fnc(fcUset), num(2), CellKind::AnalogueOperand, {kCyan, {0, 0, 0}}},
        KindCase{fnc(fcUplus), num(2), CellKind::AnalogueOperand, {kCyan, {0, 0, 0}}},
        KindCase{fnc(fcUminus), num(2), CellKind::AnalogueOperand, {kCyan, {0, 0, 0}}},
        KindCase{fnc(7), num(2), CellKind::Number, {{221, 255, 204}, kNavy}},
        KindCase{num(4), fnc(fcGoto), CellKind::Jump, {kYellow, kPurple}},
        KindCase{num(4), fnc(fcRet), CellKind::Jump, {kYellow, kPurple}},
        KindCase{fnc(fcGoto), fnc(fcEnd), CellKind::End, {{255, 255, 255}, {128, 128, 128}}},
        KindCase{num(4), fnc(fcPause), CellKind::Pause, {{216, 216, 216}, {255, 0, 0}}},
        KindCase{num(4), fnc(fcB3), CellKind::Variable, {{255, 214, 193}, kPurple}},
        KindCase{num(4), fnc(fcUminus), CellKind::Analogue, {kCyan, {0, 0, 0}}},
        KindCase{num(4), fnc(23), CellKind::Other, {{255, 255, 255}, {0, 0, 0}}}));

TEST(Colours, ColumnOneIsAlwaysAPlainNumber) {
    TabCells cells = endTable();
    cells[0][15] = fnc(fcGoto);  // the previous line's end must not leak into column 1
    cells[1][0] = num(3);
    EXPECT_EQ(cellKind(cells, 1, 1), CellKind::Number);
}

TEST(Colours, FixedCellsAndFonts) {
    EXPECT_EQ(cellColours(CellKind::HeaderCorner), (CellColours{{192, 192, 192}, {128, 0, 0}}));
    EXPECT_EQ(cellColours(CellKind::Header), (CellColours{{192, 192, 192}, kNavy}));
    EXPECT_EQ(cellColours(CellKind::LineNumber), (CellColours{kYellow, kPurple}));
    EXPECT_EQ(cellFontName(CellKind::Header), "Arial");
    EXPECT_EQ(cellFontName(CellKind::LineNumber), "Arial");
    EXPECT_EQ(cellFontName(CellKind::Number), "Courier New");
    EXPECT_EQ(cellFontName(CellKind::Variable), "Courier New");
}

TEST(InitialText, NumberEndAndFunctionCells) {
    EXPECT_EQ(initialCellText(endCell()), "-e-");
    EXPECT_EQ(initialCellText(num(17)), "17");
    EXPECT_EQ(initialCellText(fnc(fcCall)), "CALL");
    EXPECT_EQ(initialCellText(fnc(9)), "9");
}

}  // namespace
}  // namespace tovrix
