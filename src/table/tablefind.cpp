#include "table/tablefind.h"

#include "config/numbers.h"
#include "table/gridedit.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace tovrix {

namespace {

std::string lowered(std::string_view text) {
    std::string result;
    for (const char ch : text) {
        if (ch != ' ') {
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        }
    }
    return result;
}

std::optional<std::uint8_t> functionNamed(std::string_view text) {
    const std::string wanted = lowered(text);
    for (const std::uint8_t code :
         {fcEnd, fcB1, fcB2, fcB3, fcGoto, fcCall, fcRet, fcPause, fcUset, fcUplus, fcUminus}) {
        if (lowered(functionDisplayText(code)) == wanted) {
            return code;
        }
    }
    return std::nullopt;
}

bool matches(const TabCells& cells, int line, int column, const FindQuery& query) {
    const TabCell& cell =
        cells[static_cast<std::size_t>(line)][static_cast<std::size_t>(column - 1)];
    switch (query.kind) {
        case FindKind::Value:
            return cell.flag == kNumberCell && cell.value == query.value;
        case FindKind::Function:
            return cell.flag == kFunctionCell && cell.value == query.value;
        case FindKind::JumpsTo: {
            const JumpOperand operand = jumpOperand(cells, line, column);
            return operand.present && operand.target == query.value;
        }
    }
    return false;
}

}  // namespace

std::optional<FindQuery> parseFindQuery(FindKind kind, std::string_view text) {
    if (kind == FindKind::Function) {
        if (const auto code = functionNamed(text)) {
            return FindQuery{kind, *code};
        }
        return std::nullopt;
    }
    const auto number = parseNumber64(text);
    if (!number || *number < 0 || *number > 255) {
        return std::nullopt;
    }
    return FindQuery{kind, static_cast<std::uint8_t>(*number)};
}

std::vector<CellPlace> findAll(const TabCells& cells, const FindQuery& query) {
    std::vector<CellPlace> places;
    for (int line = 0; line < kTableLines; ++line) {
        for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
            if (matches(cells, line, column, query)) {
                places.push_back(CellPlace{line, column});
            }
        }
    }
    return places;
}

std::optional<CellPlace> nextPlace(const std::vector<CellPlace>& places, CellPlace from,
                                   bool forward) {
    if (places.empty()) {
        return std::nullopt;
    }
    if (forward) {
        const auto after = std::upper_bound(places.begin(), places.end(), from);
        return after == places.end() ? places.front() : *after;
    }
    const auto at = std::lower_bound(places.begin(), places.end(), from);
    return at == places.begin() ? places.back() : *(at - 1);
}

}  // namespace tovrix
