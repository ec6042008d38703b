#pragma once

#include "table/cells.h"
#include "table/linemove.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tovrix {

// What the user looks for in the table.
enum class FindKind {
    Value,     // a number cell holding this byte (jump and analogue operands included)
    Function,  // a function cell of this code
    JumpsTo,   // a GOTO or CALL whose operand is this line
};

struct FindQuery {
    FindKind kind = FindKind::Value;
    std::uint8_t value = 0;
};

// Reads what the user typed: a byte in the tool's number syntax (decimal,
// "$" or "0x" hexadecimal) for a value or a line, a function's display text
// in any case ("GOTO", "b2", "-e-", "uset") for a function. None when the
// text does not name one.
std::optional<FindQuery> parseFindQuery(FindKind kind, std::string_view text);

// Every cell that matches, line by line from the top, left to right; a jump
// is found at its GOTO or CALL cell.
std::vector<CellPlace> findAll(const TabCells& cells, const FindQuery& query);

// The place after (or before) `from` in reading order, wrapping around the
// table's end; none when there are no places.
std::optional<CellPlace> nextPlace(const std::vector<CellPlace>& places, CellPlace from,
                                   bool forward);

}  // namespace tovrix
