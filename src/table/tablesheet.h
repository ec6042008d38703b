#pragma once

#include "table/cells.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// The table as the grid holds it: the cell model and, beside it, the text
// each cell shows. The texts are kept because a few are the user's own
// ("B2x" stays "B2x") and because clipboard and undo must give back exactly
// what the grid showed.
using LineTexts = std::array<std::string, kLineCells>;
struct TableSheet {
    TabCells cells{};
    std::array<LineTexts, kTableLines> texts;  // std::string starts empty

    // Cell and text in the user's terms: line 0..255, column 1..16.
    TabCell& cell(int line, int column);
    const TabCell& cell(int line, int column) const;
    std::string& text(int line, int column);
    const std::string& text(int line, int column) const;

    friend bool operator==(const TableSheet&, const TableSheet&) = default;
};

// An empty table: every cell an end cell showing "-e-".
TableSheet emptySheet();

// A rectangle of cells, inclusive, in the user's terms.
struct CellBlock {
    int firstLine = 0;
    int lastLine = 0;
    int firstColumn = 1;
    int lastColumn = 1;
};

// The block as text for the clipboard: the cells' texts separated by tabs,
// every table line on a text line of its own ended by a line break, as
// spreadsheets exchange cells.
std::string blockText(const TableSheet& sheet, const CellBlock& block);

// Clipboard text split into lines of cell texts. Line breaks may be LF or
// CR LF; the break after the last line is no extra line.
std::vector<std::vector<std::string>> splitBlockText(std::string_view text);

// Writes clipboard text into the table from line/column to the right and
// down, every cell through the same rules as a text typed into it. The one
// exception is "-e-", the grid's own text for an end cell, which typed is
// U- (or an unreadable number in the last column) but pasted is the end
// cell it was copied from. Cells beyond the table's edges are left out.
struct PasteResult {
    CellBlock written;  // the cells written (empty when none)
    int cellsWritten = 0;
    int linesCut = 0;    // text lines that fell below the last table line
    int columnsCut = 0;  // most cells of one line that fell beyond column 16
};
PasteResult pasteBlockText(TableSheet& sheet, int line, int column, std::string_view text);

// Every cell of the block becomes an end cell.
void clearBlock(TableSheet& sheet, const CellBlock& block);

}  // namespace tovrix
