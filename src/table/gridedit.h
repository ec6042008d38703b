#pragma once

#include "table/cells.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// The grid editor's cell language. Columns are counted 1..16 as the user
// sees them (column c shows cell c-1 of the model line); lines 0..255.

inline constexpr int kFirstCellColumn = 1;
inline constexpr int kLastCellColumn = 16;

// What the text being typed into a cell makes of it.
struct EditClass {
    std::uint8_t flag = kNumberCell;
    std::uint8_t code = 0;           // function code; meaningless for a number cell
    bool nextBecomesNumber = false;  // GOTO and CALL: the next cell holds the target line

    friend bool operator==(const EditClass&, const EditClass&) = default;
};

// Classifies an edit text by its first characters. The functions that take
// an operand (GOTO, CALL, Uset, U+, U-) are refused in the last column, where
// no operand cell follows; such a text then counts as a number.
EditClass classifyEditText(std::string_view text, int column);

// Runs the classifier and stores the result in the model: a function sets
// flag and code, a number only clears the flag (the normaliser reads the
// value later). GOTO and CALL also turn the next cell into a number cell,
// keeping its old value. Returns the classification.
EditClass applyEditText(TabCells& cells, int line, int column, std::string_view text);

// One edit of a cell, from the moment its editor opens until it closes.
// Typing classifies as it goes (applyEditText) and may turn the next cell
// into a number cell; Escape must undo both, and a committed edit must bring
// both texts in line with the model, whatever was typed on the way.
class CellEdit {
  public:
    // Remembers the edited cell and the one after it as they are now.
    CellEdit(const TabCells& cells, int line, int column);

    // The edit was abandoned: both cells go back to how they were.
    void cancel(TabCells& cells) const;

    // The edit was committed and its text is in the grid: the columns whose
    // texts must go through the normaliser. Always the edited column, and the
    // next one if the edit changed that cell (a GOTO or CALL typed on the
    // way made it a number cell, even when the final text is not a jump).
    std::vector<int> columnsToNormalise(const TabCells& cells) const;

  private:
    int line_;
    int column_;
    TabCell edited_;
    TabCell next_;  // meaningless in the last column
};

// The colour scheme a cell is drawn with.
enum class CellKind {
    HeaderCorner,     // header row, column 0 (under the row-variable selector)
    Header,           // header row, columns 1..16
    LineNumber,       // column 0 of a table line
    Number,           // a byte the receiver sends
    JumpOperand,      // number right after GOTO or CALL: a line number
    AnalogueOperand,  // number right after Uset, U+ or U-: a number of steps
    End,              // "-e-"
    Pause,            // "P"
    Variable,         // "B1", "B2", "B3"
    Jump,             // "GOTO", "CALL", "RET"
    Analogue,         // "Uset", "U+", "U-"
    Other,            // a function code the editor never produces
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct CellColours {
    Rgb background;
    Rgb text;

    friend bool operator==(const CellColours&, const CellColours&) = default;
};

// Kind of the table cell in line/column (column 1..16), from the model alone.
CellKind cellKind(const TabCells& cells, int line, int column);

CellColours cellColours(CellKind kind);

// Header and line-number cells use a proportional face, table cells a
// fixed-pitch one so that numbers line up.
std::string_view cellFontName(CellKind kind);

// Brings a cell's text into its canonical form and, for a number cell,
// stores the value the text stands for. A number text of one to four
// characters that does not read as a number sounds one beep and counts 0; an
// empty or longer text counts 0 silently; values above 255 count 255 and the
// low eight bits are kept (so "-1" becomes 255). A function cell gets its
// display text; codes outside the editor's set keep their text.
struct NormalisedCell {
    std::string text;
    bool changed = false;  // text differs from the one given
};
NormalisedCell normaliseCell(TabCells& cells, int line, int column, std::string_view text);

// Initial text of a cell: its value in decimal for a number cell, "-e-" for
// an end cell, otherwise the function's display text.
std::string initialCellText(const TabCell& cell);

}  // namespace tovrix
