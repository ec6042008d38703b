#pragma once

#include "sim/findings.h"
#include "sim/playout.h"
#include "sim/receiversetup.h"

#include <string>
#include <vector>

namespace tovrix::sim {

// A finding of the table check with the row values whose play-out meets it.
struct CheckFinding {
    Finding finding;
    Severity severity = Severity::warning;
    std::vector<std::uint8_t> rowValues;  // ascending
};

struct TableCheck {
    std::vector<CheckFinding> findings;  // by line, cell, then kind

    // The exit status of a check: any finding above information.
    bool hasProblems() const;
};

// Plays every line 0..255 as the row variable would select it and collects
// what the play-outs run into: endless cycles (with their lines), running past
// cell 16, operands beyond cell 16, CALL inside a subroutine, RET without a
// CALL, analogue commands held at a limit, pauses of 0 ms, unknown codes, and
// jumps to lines that start with an end cell (information). The analogue
// value is unknown at the start of a line, since it depends on the telegrams
// before.
TableCheck checkTable(const ReceiverSetup& setup);

// What the output of one row value looks like, for an overview of all 256.
struct SweepRow {
    std::uint8_t rowValue = 0;
    std::size_t byteCount = 0;
    double totalMs = 0;  // bytes, pauses and the trailing pause
    OutputEnd end = OutputEnd::endCell;
    std::vector<std::string> warnings;
};

// Every row value's play-out from an analogue value of 0, with payload bytes
// all equal to the row value; acceptance and lock-out are left out.
std::vector<SweepRow> sweepRowValues(const ReceiverSetup& setup);

}  // namespace tovrix::sim
