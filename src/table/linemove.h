#pragma once

#include "table/tablesheet.h"

#include <vector>

namespace tovrix {

// A cell in the user's terms: line 0..255, column 1..16.
struct CellPlace {
    int line = 0;
    int column = 1;

    friend bool operator==(const CellPlace&, const CellPlace&) = default;
    friend auto operator<=>(const CellPlace&, const CellPlace&) = default;
};

// The line a GOTO or CALL in line/column jumps to: the value of the number
// cell right after it. None for any other cell, for a jump in the last
// column and for a jump whose next cell holds a function.
struct JumpOperand {
    bool present = false;
    int target = 0;
};
JumpOperand jumpOperand(const TabCells& cells, int line, int column);

// True when every cell of the lines first..last is an end cell.
bool linesEmpty(const TabCells& cells, int first, int last);

// Inserting lines moves the lines below down and lets the last ones fall
// off; deleting moves them up and fills the bottom with empty lines. Every
// jump's operand is renumbered so that it still reaches the same line
// content. An operand whose line fell off or was deleted keeps its value
// and is reported by the place of the operand cell after the move.
struct LineMoveResult {
    std::vector<CellPlace> danglingOperands;
};
LineMoveResult insertLines(TableSheet& sheet, int at, int count);
LineMoveResult deleteLines(TableSheet& sheet, int at, int count);

}  // namespace tovrix
