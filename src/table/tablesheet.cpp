#include "table/tablesheet.h"

#include "table/gridedit.h"

#include <algorithm>
#include <cstddef>

namespace tovrix {

namespace {

constexpr std::string_view kEndText = "-e-";

std::size_t lineIndex(int line) {
    return static_cast<std::size_t>(line);
}
std::size_t cellIndex(int column) {
    return static_cast<std::size_t>(column - 1);
}

// One pasted text in one cell, as if typed there and committed: the cell
// is classified and normalised, and a GOTO or CALL that made the next cell
// a number gets that cell normalised too - unless the paste writes that
// cell itself right after, as then its own text decides.
void pasteCell(TableSheet& sheet, int line, int column, std::string_view typed, bool nextIsPasted) {
    if (typed == kEndText) {
        sheet.cell(line, column) = endCell();
        sheet.text(line, column) = std::string(kEndText);
        return;
    }
    const CellEdit edit(sheet.cells, line, column);
    applyEditText(sheet.cells, line, column, typed);
    sheet.text(line, column) = std::string(typed);
    for (const int changed : edit.columnsToNormalise(sheet.cells)) {
        if (changed != column && nextIsPasted) {
            continue;
        }
        std::string& shown = sheet.text(line, changed);
        shown = normaliseCell(sheet.cells, line, changed, shown).text;
    }
}

}  // namespace

TabCell& TableSheet::cell(int line, int column) {
    return cells.at(lineIndex(line)).at(cellIndex(column));
}
const TabCell& TableSheet::cell(int line, int column) const {
    return cells.at(lineIndex(line)).at(cellIndex(column));
}
std::string& TableSheet::text(int line, int column) {
    return texts.at(lineIndex(line)).at(cellIndex(column));
}
const std::string& TableSheet::text(int line, int column) const {
    return texts.at(lineIndex(line)).at(cellIndex(column));
}

TableSheet emptySheet() {
    TableSheet sheet;
    resetTable(sheet.cells);
    for (LineTexts& line : sheet.texts) {
        line.fill(std::string(kEndText));
    }
    return sheet;
}

std::string blockText(const TableSheet& sheet, const CellBlock& block) {
    std::string text;
    for (int line = block.firstLine; line <= block.lastLine; ++line) {
        for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
            if (column > block.firstColumn) {
                text += '\t';
            }
            text += sheet.text(line, column);
        }
        text += '\n';
    }
    return text;
}

std::vector<std::vector<std::string>> splitBlockText(std::string_view text) {
    if (!text.empty() && text.back() == '\n') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    std::vector<std::vector<std::string>> lines;
    if (text.empty()) {
        return lines;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view lineText = text.substr(start, end - start);
        if (!lineText.empty() && lineText.back() == '\r') {
            lineText.remove_suffix(1);
        }
        std::vector<std::string> fields;
        std::size_t from = 0;
        while (true) {
            const std::size_t tab = lineText.find('\t', from);
            fields.emplace_back(lineText.substr(from, tab - from));
            if (tab == std::string_view::npos) {
                break;
            }
            from = tab + 1;
        }
        lines.push_back(std::move(fields));
        start = end + 1;
    }
    return lines;
}

PasteResult pasteBlockText(TableSheet& sheet, int line, int column, std::string_view text) {
    PasteResult result;
    const auto lines = splitBlockText(text);
    result.written = CellBlock{line, line - 1, column, column - 1};
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const int target = line + static_cast<int>(n);
        if (target >= kTableLines) {
            result.linesCut = static_cast<int>(lines.size() - n);
            break;
        }
        const std::vector<std::string>& fields = lines[n];
        const int fitting = std::min(static_cast<int>(fields.size()), kLastCellColumn - column + 1);
        result.columnsCut = std::max(result.columnsCut, static_cast<int>(fields.size()) - fitting);
        for (int f = 0; f < fitting; ++f) {
            pasteCell(sheet, target, column + f, fields[static_cast<std::size_t>(f)],
                      f + 1 < fitting);
        }
        if (fitting > 0) {
            result.cellsWritten += fitting;
            result.written.lastLine = target;
            result.written.lastColumn = std::max(result.written.lastColumn, column + fitting - 1);
        }
    }
    return result;
}

void clearBlock(TableSheet& sheet, const CellBlock& block) {
    for (int line = block.firstLine; line <= block.lastLine; ++line) {
        for (int column = block.firstColumn; column <= block.lastColumn; ++column) {
            sheet.cell(line, column) = endCell();
            sheet.text(line, column) = std::string(kEndText);
        }
    }
}

}  // namespace tovrix
