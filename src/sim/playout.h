#pragma once

#include "sim/acceptance.h"
#include "sim/findings.h"
#include "sim/receiversetup.h"

#include <cstdint>
#include <vector>

namespace tovrix::sim {

// An endless output is cut off after this many executed cells (a function
// and its operand count as one). What the receiver would have sent up to
// there is what the simulation shows.
inline constexpr int kStepBound = 8192;

// One byte on the receiver's output and the pause the table asks for before
// it (pause cells add up).
struct OutputByte {
    std::uint8_t value = 0;
    std::uint32_t pauseBeforeMs = 0;

    friend bool operator==(const OutputByte&, const OutputByte&) = default;
};

enum class OutputEnd : std::uint8_t {
    endCell,   // an end cell, also one inside a subroutine
    lineEnd,   // past cell 16, or an operand that would lie beyond it
    endless,   // a jump cycle: cut off after kStepBound cells
    rejected,  // the telegram was not accepted: nothing played
};
// "end", "line-end", "endless", "rejected"
const char* endName(OutputEnd end);

// The analogue value a play-out starts from. In the check, where no earlier
// telegram set it, it is unknown until the line's first Uset: then only a U+
// or U- that hits a limit from every start value is reported.
struct AnalogueStart {
    int steps = 0;
    bool known = true;
};

enum class PlayOutMode {
    full,          // bytes, path and analogue value up to the step bound
    summary,       // the same without the bytes and the path, only their count
    findingsOnly,  // only the findings: stops as soon as a cycle shows
};

struct PlayOutTrace {
    std::vector<OutputByte> bytes;
    std::size_t byteCount = 0;          // also where the bytes are not kept
    std::uint64_t pauseTotalMs = 0;     // the pauses before the bytes
    std::uint32_t trailingPauseMs = 0;  // pauses after the last byte
    int analogueSteps = 0;              // afterwards
    bool analogueKnown = true;
    OutputEnd end = OutputEnd::endCell;
    // The end cell, the cell 16 the line ran past, the function whose operand
    // was missing, or the cycle's first cell (its lowest line and cell).
    CellRef endAt;
    std::vector<CellRef> path;             // every executed cell in order, at most kStepBound
    std::vector<Finding> findings;         // each kind at each cell once
    std::vector<std::uint8_t> cycleLines;  // endless: the cycle's lines in running order
};

// Plays line `startLine` for a telegram with `payload`: number cells send
// their byte, B1..B3 the payload byte, P adds a pause unit before the next
// byte, GOTO and CALL continue at cell 1 of their operand's line (CALL one
// level deep, a CALL inside a subroutine acts as a GOTO and keeps the first
// return address), RET returns after the CALL's operand or is ignored, the
// end cell ends everything, Uset/U+/U- move the analogue value within
// 0..resolution, other codes do nothing. Running past cell 16 or meeting a
// function whose operand would be cell 17 ends the output.
PlayOutTrace playOut(const ReceiverSetup& setup, int startLine, const Payload& payload,
                     AnalogueStart analogue, PlayOutMode mode = PlayOutMode::full);
// The same into a trace whose buffers are used again, so that a play-out
// repeated after every edit allocates nothing once they are large enough.
void playOut(const ReceiverSetup& setup, int startLine, const Payload& payload,
             AnalogueStart analogue, PlayOutMode mode, PlayOutTrace& trace);

}  // namespace tovrix::sim
