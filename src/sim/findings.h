#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tovrix::sim {

// A place in the table as the user sees it: line 0..255, cell 1..16.
struct CellRef {
    std::uint8_t line = 0;
    std::uint8_t cell = 1;

    friend bool operator==(const CellRef&, const CellRef&) = default;
};

// Something a play-out ran into that the user should know about.
enum class FindingKind : std::uint8_t {
    endless,            // a jump cycle that never reaches an end cell
    pastLastCell,       // the output ran past cell 16 without an end cell
    operandBeyondLine,  // a function in cell 16 whose operand would be cell 17
    callInSubroutine,   // acts as a GOTO and keeps the first return address
    retWithoutCall,     // ignored
    analogueLimit,      // Uset, U+ or U- was held at 0 or at the resolution
    zeroPauseUnit,      // P with a pause unit of 0 ms pauses nothing
    unknownCode,        // a function code the editor never produces: does nothing
    jumpToEndLine,      // GOTO/CALL to a line whose cell 1 is an end cell
    longOutput,         // ends, but after more cells than the simulation shows
};

enum class Severity : std::uint8_t { information, warning, error };

Severity severityOf(FindingKind kind);
// "information", "warning", "error"
const char* severityName(Severity severity);
// A short fixed name for scripts: "endless", "past-cell-16", ...
const char* kindName(FindingKind kind);

// One finding at one cell. `operand` is the cell's operand or code where it
// matters (the jump target, the unknown code, the analogue operand);
// `cycleLines` lists the lines of an endless cycle in the order they run.
struct Finding {
    FindingKind kind{};
    CellRef at;
    int operand = 0;
    std::vector<std::uint8_t> cycleLines;
};

// The sentence a person reads, starting with "line L cell C: ". The open
// cases carry the behaviour this simulation assumes for them.
std::string describe(const Finding& finding);

// The behaviour assumed for what the receiver's description leaves open, one
// sentence each; printed with the simulation's output.
const std::vector<std::string>& assumptions();

}  // namespace tovrix::sim
