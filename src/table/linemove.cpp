#include "table/linemove.h"

#include "table/gridedit.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

namespace tovrix {

namespace {

// Where a line's content is after the move; none when it is gone.
using LineMap = std::optional<int> (*)(int line, int at, int count);

std::optional<int> afterInsert(int line, int at, int count) {
    if (line < at) {
        return line;
    }
    if (line + count < kTableLines) {
        return line + count;
    }
    return std::nullopt;
}

std::optional<int> afterDelete(int line, int at, int count) {
    if (line < at) {
        return line;
    }
    if (line >= at + count) {
        return line - count;
    }
    return std::nullopt;
}

LineMoveResult renumberJumps(TableSheet& sheet, LineMap map, int at, int count) {
    LineMoveResult result;
    for (int line = 0; line < kTableLines; ++line) {
        for (int column = kFirstCellColumn; column < kLastCellColumn; ++column) {
            const JumpOperand operand = jumpOperand(sheet.cells, line, column);
            if (!operand.present) {
                continue;
            }
            const std::optional<int> target = map(operand.target, at, count);
            if (!target) {
                result.danglingOperands.push_back(CellPlace{line, column + 1});
            } else if (*target != operand.target) {
                sheet.cell(line, column + 1).value = static_cast<std::uint8_t>(*target);
                sheet.text(line, column + 1) = std::to_string(*target);
            }
        }
    }
    return result;
}

void clearLine(TableSheet& sheet, int line) {
    clearBlock(sheet, CellBlock{line, line, kFirstCellColumn, kLastCellColumn});
}

int clampedCount(int at, int count) {
    return std::clamp(count, 0, kTableLines - at);
}

}  // namespace

JumpOperand jumpOperand(const TabCells& cells, int line, int column) {
    if (column >= kLastCellColumn) {
        return {};
    }
    const TabLine& cellsOfLine = cells.at(static_cast<std::size_t>(line));
    const TabCell& jump = cellsOfLine.at(static_cast<std::size_t>(column - 1));
    const TabCell& operand = cellsOfLine.at(static_cast<std::size_t>(column));
    if (jump.flag != kFunctionCell || !isJumpFunction(jump.value) || operand.flag != kNumberCell) {
        return {};
    }
    return JumpOperand{true, operand.value};
}

bool linesEmpty(const TabCells& cells, int first, int last) {
    for (int line = first; line <= last; ++line) {
        const TabLine& cellsOfLine = cells.at(static_cast<std::size_t>(line));
        if (!std::all_of(cellsOfLine.begin(), cellsOfLine.end(), isEndCell)) {
            return false;
        }
    }
    return true;
}

LineMoveResult insertLines(TableSheet& sheet, int at, int count) {
    count = clampedCount(at, count);
    if (count == 0) {
        return {};
    }
    const auto first = static_cast<std::ptrdiff_t>(at);
    const auto shift = static_cast<std::ptrdiff_t>(count);
    std::shift_right(sheet.cells.begin() + first, sheet.cells.end(), shift);
    std::shift_right(sheet.texts.begin() + first, sheet.texts.end(), shift);
    for (int line = at; line < at + count; ++line) {
        clearLine(sheet, line);
    }
    return renumberJumps(sheet, afterInsert, at, count);
}

LineMoveResult deleteLines(TableSheet& sheet, int at, int count) {
    count = clampedCount(at, count);
    if (count == 0) {
        return {};
    }
    const auto first = static_cast<std::ptrdiff_t>(at);
    const auto shift = static_cast<std::ptrdiff_t>(count);
    std::shift_left(sheet.cells.begin() + first, sheet.cells.end(), shift);
    std::shift_left(sheet.texts.begin() + first, sheet.texts.end(), shift);
    for (int line = kTableLines - count; line < kTableLines; ++line) {
        clearLine(sheet, line);
    }
    return renumberJumps(sheet, afterDelete, at, count);
}

}  // namespace tovrix
