#include "table/gridedit.h"

#include "config/beep.h"
#include "config/numbers.h"

#include <cstddef>
#include <utility>

namespace tovrix {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool startsWithEither(std::string_view text, char upper, char lower) {
    return !text.empty() && (text[0] == upper || text[0] == lower);
}

EditClass function(std::uint8_t code, bool nextBecomesNumber = false) {
    return EditClass{kFunctionCell, code, nextBecomesNumber};
}

// Characters, not bytes: a typed umlaut counts once.
std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char ch : utf8) {
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

TabCell& cellAt(TabCells& cells, int line, int column) {
    return cells.at(static_cast<std::size_t>(line)).at(static_cast<std::size_t>(column - 1));
}

const TabCell& cellAt(const TabCells& cells, int line, int column) {
    return cells.at(static_cast<std::size_t>(line)).at(static_cast<std::size_t>(column - 1));
}

// Value of a number cell's text; also reports whether the text was unreadable.
std::uint8_t numberValue(std::string_view text, bool& unreadable) {
    unreadable = false;
    const std::size_t length = characterCount(text);
    if (length < 1 || length > 4) {
        return 0;
    }
    std::int64_t value = 0;
    if (const auto parsed = parseNumber64(text)) {
        value = *parsed;
    } else {
        unreadable = true;
    }
    if (value > 255) {
        value = 255;
    }
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

EditClass classifyEditText(std::string_view text, int column) {
    const bool operandFollows = column < kLastCellColumn;
    if (startsWithEither(text, 'P', 'p')) {
        return function(fcPause);
    }
    if (startsWithEither(text, 'E', 'e')) {
        return function(fcEnd);
    }
    if (startsWithEither(text, 'B', 'b')) {
        const char second = text.size() > 1 ? text[1] : '\0';
        return function(second == '2' ? fcB2 : second == '3' ? fcB3 : fcB1);
    }
    if (operandFollows && startsWithEither(text, 'G', 'g')) {
        return function(fcGoto, true);
    }
    if (operandFollows && startsWithEither(text, 'C', 'c')) {
        return function(fcCall, true);
    }
    if (startsWithEither(text, 'R', 'r')) {
        return function(fcRet);
    }
    if (operandFollows) {
        if (startsWith(text, "+") || startsWith(text, "u+") || startsWith(text, "U+")) {
            return function(fcUplus);
        }
        if (startsWith(text, "-") || startsWith(text, "u-") || startsWith(text, "U-")) {
            return function(fcUminus);
        }
        if (startsWithEither(text, 'U', 'u')) {
            return function(fcUset);
        }
    }
    return EditClass{};
}

EditClass applyEditText(TabCells& cells, int line, int column, std::string_view text) {
    const EditClass result = classifyEditText(text, column);
    TabCell& cell = cellAt(cells, line, column);
    cell.flag = result.flag;
    if (result.flag == kFunctionCell) {
        cell.value = result.code;
    }
    if (result.nextBecomesNumber) {
        cellAt(cells, line, column + 1).flag = kNumberCell;
    }
    return result;
}

CellEdit::CellEdit(const TabCells& cells, int line, int column)
    : line_(line),
      column_(column),
      edited_(cellAt(cells, line, column)),
      next_(column < kLastCellColumn ? cellAt(cells, line, column + 1) : TabCell{}) {}

void CellEdit::cancel(TabCells& cells) const {
    cellAt(cells, line_, column_) = edited_;
    if (column_ < kLastCellColumn) {
        cellAt(cells, line_, column_ + 1) = next_;
    }
}

std::vector<int> CellEdit::columnsToNormalise(const TabCells& cells) const {
    std::vector<int> columns{column_};
    if (column_ < kLastCellColumn && cellAt(cells, line_, column_ + 1) != next_) {
        columns.push_back(column_ + 1);
    }
    return columns;
}

CellKind cellKind(const TabCells& cells, int line, int column) {
    const TabCell& cell = cellAt(cells, line, column);
    if (cell.flag == kNumberCell) {
        if (column > kFirstCellColumn) {
            const TabCell& previous = cellAt(cells, line, column - 1);
            if (previous.flag == kFunctionCell && isJumpFunction(previous.value)) {
                return CellKind::JumpOperand;
            }
            if (previous.flag == kFunctionCell && isAnalogueFunction(previous.value)) {
                return CellKind::AnalogueOperand;
            }
        }
        return CellKind::Number;
    }
    switch (cell.value) {
        case fcEnd:
            return CellKind::End;
        case fcPause:
            return CellKind::Pause;
        case fcB1:
        case fcB2:
        case fcB3:
            return CellKind::Variable;
        case fcGoto:
        case fcCall:
        case fcRet:
            return CellKind::Jump;
        case fcUset:
        case fcUplus:
        case fcUminus:
            return CellKind::Analogue;
        default:
            return CellKind::Other;
    }
}

CellColours cellColours(CellKind kind) {
    constexpr Rgb kGrey{192, 192, 192};
    constexpr Rgb kMaroon{128, 0, 0};
    constexpr Rgb kNavy{0, 0, 128};
    constexpr Rgb kPurple{128, 0, 128};
    constexpr Rgb kLightYellow{255, 255, 172};
    constexpr Rgb kLightCyan{128, 255, 255};
    constexpr Rgb kBlack{0, 0, 0};
    constexpr Rgb kWhite{255, 255, 255};
    switch (kind) {
        case CellKind::HeaderCorner:
            return {kGrey, kMaroon};
        case CellKind::Header:
            return {kGrey, kNavy};
        case CellKind::LineNumber:
            return {kLightYellow, kPurple};
        case CellKind::Number:
            return {{221, 255, 204}, kNavy};
        case CellKind::JumpOperand:
        case CellKind::Jump:
            return {kLightYellow, kPurple};
        case CellKind::AnalogueOperand:
        case CellKind::Analogue:
            return {kLightCyan, kBlack};
        case CellKind::End:
            return {kWhite, {128, 128, 128}};
        case CellKind::Pause:
            return {{216, 216, 216}, {255, 0, 0}};
        case CellKind::Variable:
            return {{255, 214, 193}, kPurple};
        case CellKind::Other:
            break;
    }
    // A code the editor never writes has no scheme of its own: plain grid colours.
    return {kWhite, kBlack};
}

std::string_view cellFontName(CellKind kind) {
    switch (kind) {
        case CellKind::HeaderCorner:
        case CellKind::Header:
        case CellKind::LineNumber:
            return "Arial";
        default:
            return "Courier New";
    }
}

NormalisedCell normaliseCell(TabCells& cells, int line, int column, std::string_view text) {
    TabCell& cell = cellAt(cells, line, column);
    std::string canonical(text);
    if (cell.flag == kNumberCell) {
        bool unreadable = false;
        cell.value = numberValue(text, unreadable);
        if (unreadable) {
            beep();
        }
        canonical = std::to_string(cell.value);
    } else if (cell.value == fcB1 || cell.value == fcB2 || cell.value == fcB3) {
        // "B2" followed by anything still reads as B2 and keeps the user's text.
        const char digit = static_cast<char>('0' + cell.value);
        if (!(text.size() >= 2 && text[0] == 'B' && text[1] == digit)) {
            canonical = std::string(functionDisplayText(cell.value));
        }
    } else if (const std::string_view display = functionDisplayText(cell.value); !display.empty()) {
        canonical = std::string(display);
    }
    const bool changed = canonical != text;
    return NormalisedCell{std::move(canonical), changed};
}

std::string initialCellText(const TabCell& cell) {
    if (cell.flag == kNumberCell) {
        return std::to_string(cell.value);
    }
    const std::string_view display = functionDisplayText(cell.value);
    return display.empty() ? std::to_string(cell.value) : std::string(display);
}

}  // namespace tovrix
