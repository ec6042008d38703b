// Editing the table as a whole: clipboard text, pasting through the cell
// rules, line moves that keep jumps on their lines, find, undo history.
#include "table/edithistory.h"
#include "table/gridedit.h"
#include "table/linemove.h"
#include "table/tablefind.h"
#include "table/tablesheet.h"

#include "common/beep_counter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tovrix {
namespace {

using test::BeepCounter;

// ---- clipboard text -----------------------------------------------------------

TEST(BlockText, SplitsAsSpreadsheetsWriteIt) {
    using Lines = std::vector<std::vector<std::string>>;
    const struct {
        const char* text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"\n", {}},
        {"65", {{"65"}}},
        {"65\t-e-\tGOTO\n", {{"65", "-e-", "GOTO"}}},
        {"1\t2\r\n3\r\n", {{"1", "2"}, {"3"}}},
        {"a\t\tb\n\nc", {{"a", "", "b"}, {""}, {"c"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitBlockText(c.text), c.lines) << c.text;
    }
}

TableSheet sheetWith(std::initializer_list<std::pair<int, std::string>> firstLine) {
    TableSheet sheet = emptySheet();
    for (const auto& [column, text] : firstLine) {
        pasteBlockText(sheet, 0, column, text);
    }
    return sheet;
}

TEST(BlockText, BlockOfGridTextsComesBackUnchanged) {
    TableSheet sheet = sheetWith(
        {{1, "65"}, {2, "g"}, {3, "12"}, {4, "B2x"}, {5, "u"}, {6, "7"}, {7, "P"}, {16, "-e-"}});
    const CellBlock block{0, 1, 1, 16};
    const std::string text = blockText(sheet, block);
    EXPECT_EQ(text.substr(0, 27), "65\tGOTO\t12\tB2x\tUset\t7\tP\t-e-");
    TableSheet copy = emptySheet();
    pasteBlockText(copy, 10, 1, text);
    for (int line = 0; line <= 1; ++line) {
        EXPECT_EQ(copy.cells[static_cast<std::size_t>(10 + line)],
                  sheet.cells[static_cast<std::size_t>(line)]);
        EXPECT_EQ(copy.texts[static_cast<std::size_t>(10 + line)],
                  sheet.texts[static_cast<std::size_t>(line)]);
    }
}

// ---- pasting through the cell rules -------------------------------------------

// Typing a text into a cell and committing it, as the grid does.
void type(TableSheet& sheet, int line, int column, const std::string& typed) {
    const CellEdit edit(sheet.cells, line, column);
    applyEditText(sheet.cells, line, column, typed);
    sheet.text(line, column) = typed;
    for (const int changed : edit.columnsToNormalise(sheet.cells)) {
        sheet.text(line, changed) =
            normaliseCell(sheet.cells, line, changed, sheet.text(line, changed)).text;
    }
}

TEST(Paste, EachCellAsTypedThere) {
    const struct {
        int column;
        const char* text;  // pasted at line 3; lines of one cell each go down
        int beeps;
    } cases[] = {
        {16, "g\n12\n$1F\nc\n-5\n", 2},  // no operand in the last column: unreadable numbers
        {5, "g\n12\n$1F\nc\n-5\n", 2},   // the jumps' operands were end cells
        {1, "300\n0255\n 12\n12345\n\n0x1f\nv1\n", 1},
        {15, "u\nU-\n+\nb7\nB3x\nr\n", 0},
    };
    for (const auto& c : cases) {
        TableSheet pasted = emptySheet();
        BeepCounter beeps;
        pasteBlockText(pasted, 3, c.column, c.text);
        EXPECT_EQ(beeps.take(), c.beeps) << c.text;
        TableSheet typed = emptySheet();
        int line = 3;
        for (const auto& fields : splitBlockText(c.text)) {
            type(typed, line++, c.column, fields.front());
        }
        EXPECT_EQ(beeps.take(), c.beeps) << c.text;
        EXPECT_EQ(pasted, typed) << c.text;
    }
}

TEST(Paste, JumpAndItsOperandInOneLine) {
    // The operand is pasted right after its GOTO: its own text decides and
    // the end cell it replaces is not judged first.
    TableSheet sheet = emptySheet();
    BeepCounter beeps;
    pasteBlockText(sheet, 0, 1, "GOTO\t17\t-e-\tCALL\n");
    EXPECT_EQ(beeps.count(), 1);  // CALL's operand stays outside the paste: "-e-" is no number
    EXPECT_EQ(sheet.cell(0, 2), (TabCell{kNumberCell, 17}));
    EXPECT_EQ(sheet.cell(0, 3), endCell());
    EXPECT_EQ(sheet.text(0, 5), "0");
}

TEST(Paste, CutsOffAtTheEdges) {
    TableSheet sheet = emptySheet();
    const PasteResult result = pasteBlockText(sheet, 254, 15, "1\t2\t3\n4\t5\n6\t7\t8\t9\n");
    EXPECT_EQ(result.cellsWritten, 4);
    EXPECT_EQ(result.linesCut, 1);
    EXPECT_EQ(result.columnsCut, 1);
    EXPECT_EQ(sheet.text(255, 16), "5");
    EXPECT_EQ(result.written.lastLine, 255);
    EXPECT_EQ(result.written.lastColumn, 16);
}

// ---- line moves ---------------------------------------------------------------

// A table of random cells in which many cells are jumps to random lines.
TableSheet randomSheet(std::mt19937& random) {
    TableSheet sheet = emptySheet();
    std::uniform_int_distribution<int> byte(0, 255);
    const char* functions[] = {"g", "c", "P", "B2", "u", "r", "e"};
    for (int line = 0; line < kTableLines; ++line) {
        for (int column = 1; column <= kLastCellColumn; ++column) {
            const int roll = byte(random);
            if (roll < 60) {
                type(sheet, line, column, functions[roll % 7]);
            } else if (roll < 200) {
                type(sheet, line, column, std::to_string(byte(random)));
            }
        }
    }
    return sheet;
}

TEST(LineMove, JumpsKeepReachingTheSameLines) {
    std::mt19937 random(21);
    for (int round = 0; round < 60; ++round) {
        const TableSheet before = randomSheet(random);
        const bool insert = round % 2 == 0;
        const int at = std::uniform_int_distribution<int>(0, 255)(random);
        const int count = std::uniform_int_distribution<int>(1, 4)(random);
        TableSheet after = before;
        const LineMoveResult result =
            insert ? insertLines(after, at, count) : deleteLines(after, at, count);
        const int moved = std::min(count, kTableLines - at);
        // Where a line's content went, or -1.
        const auto whereNow = [&](int line) {
            if (line < at) {
                return line;
            }
            if (insert) {
                return line + moved < kTableLines ? line + moved : -1;
            }
            return line >= at + moved ? line - moved : -1;
        };
        std::vector<CellPlace> dangling;
        for (int line = 0; line < kTableLines; ++line) {
            const int now = whereNow(line);
            if (now < 0) {
                continue;
            }
            for (int column = 1; column <= kLastCellColumn; ++column) {
                const TabCell& was = before.cell(line, column);
                if (column > 1 && jumpOperand(before.cells, line, column - 1).present) {
                    const int target = jumpOperand(before.cells, line, column - 1).target;
                    const int reached = whereNow(target);
                    if (reached < 0) {
                        dangling.push_back(CellPlace{now, column});
                        EXPECT_EQ(after.cell(now, column), was);
                    } else {
                        EXPECT_EQ(after.cell(now, column).value, reached);
                        EXPECT_EQ(after.text(now, column), std::to_string(reached));
                    }
                } else {
                    EXPECT_EQ(after.cell(now, column), was) << line << " " << column;
                    EXPECT_EQ(after.text(now, column), before.text(line, column));
                }
            }
        }
        EXPECT_EQ(result.danglingOperands, dangling);
        // The lines that came in are empty.
        const int firstNew = insert ? at : kTableLines - moved;
        EXPECT_TRUE(linesEmpty(after.cells, firstNew, firstNew + moved - 1));
        // One history step takes it all back.
        EditHistory history;
        history.reset(TableState{before, {}});
        ASSERT_TRUE(history.record(TableState{after, {}}));
        history.undo();
        EXPECT_EQ(history.current().sheet, before);
    }
}

// ---- find ---------------------------------------------------------------------

TEST(Find, ValuesFunctionsAndJumps) {
    TableSheet sheet = emptySheet();
    pasteBlockText(sheet, 2, 1, "31\tGOTO\t31\tB2\n");
    pasteBlockText(sheet, 7, 14, "CALL\t31\t$1F\n");
    const struct {
        FindKind kind;
        const char* text;
        std::vector<CellPlace> places;
    } cases[] = {
        {FindKind::Value, "$1F", {{2, 1}, {2, 3}, {7, 15}, {7, 16}}},
        {FindKind::Value, " 31", {{2, 1}, {2, 3}, {7, 15}, {7, 16}}},
        {FindKind::Function, "goto", {{2, 2}}},
        {FindKind::Function, "b2", {{2, 4}}},
        {FindKind::JumpsTo, "31", {{2, 2}, {7, 14}}},
        {FindKind::JumpsTo, "30", {}},
    };
    for (const auto& c : cases) {
        const auto query = parseFindQuery(c.kind, c.text);
        ASSERT_TRUE(query) << c.text;
        EXPECT_EQ(findAll(sheet.cells, *query), c.places) << c.text;
    }
    EXPECT_FALSE(parseFindQuery(FindKind::Value, "256"));
    EXPECT_FALSE(parseFindQuery(FindKind::Function, "GO"));
    const std::vector<CellPlace> places{{2, 1}, {7, 15}};
    EXPECT_EQ(nextPlace(places, {2, 1}, true), (CellPlace{7, 15}));
    EXPECT_EQ(nextPlace(places, {7, 15}, true), (CellPlace{2, 1}));
    EXPECT_EQ(nextPlace(places, {5, 1}, false), (CellPlace{2, 1}));
    EXPECT_EQ(nextPlace(places, {0, 1}, false), (CellPlace{7, 15}));
}

// ---- history ------------------------------------------------------------------

TEST(History, StepsBackAndForthAndForgetsWhatWasUndone) {
    TableState state{emptySheet(), PageSettings{2, "   B3 =", "  1", "100"}};
    EditHistory history(3);
    history.reset(state);
    std::vector<TableState> seen{state};
    for (int step = 1; step <= 4; ++step) {
        pasteBlockText(state.sheet, step, 1, std::to_string(step));
        state.settings.pauseText = std::to_string(step);
        EXPECT_TRUE(history.record(state));
        seen.push_back(state);
    }
    EXPECT_FALSE(history.record(state));
    EXPECT_EQ(history.steps(), 3u);  // the oldest step fell out of the limit
    for (int step = 3; step >= 1; --step) {
        ASSERT_TRUE(history.canUndo());
        history.undo();
        EXPECT_EQ(history.current(), seen[static_cast<std::size_t>(step)]);
    }
    EXPECT_FALSE(history.canUndo());
    history.redo();
    EXPECT_EQ(history.current(), seen[2]);
    pasteBlockText(state.sheet, 100, 1, "P");
    EXPECT_TRUE(history.record(state));
    EXPECT_FALSE(history.canRedo());
}

}  // namespace
}  // namespace tovrix
