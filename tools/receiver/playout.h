#pragma once

#include "receiver/receivermemory.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tovrix::receiver {

// One byte on the receiver's output, with the pause the table asks for
// before it (in milliseconds; zero for none).
struct OutByte {
    std::uint8_t value = 0;
    std::uint32_t pauseBeforeMs = 0;

    friend bool operator==(const OutByte&, const OutByte&) = default;
};

// The three payload bytes B1, B2, B3 of a radio telegram.
using Payload = std::array<std::uint8_t, 3>;

// A test telegram carries the payload and, as fourth byte, its 8-bit sum.
bool telegramSumOk(const Payload& payload, std::uint8_t sum);

// Whether the six acceptance conditions of the block (two per payload byte,
// all combined with AND) let the payload through. Operators: 0 "=", 1 ">",
// 2 "<", 3 and above "~" (any value).
bool conditionsAccept(const ConfigBlock& conf, const Payload& payload);

// Bounds the cells one play-out executes, so that a table that loops (a GOTO
// back to its own line, say) ends instead of sending for ever.
inline constexpr int kPlayOutStepLimit = 8192;

struct PlayOutResult {
    std::vector<OutByte> output;
    int analogue = 0;                   // analogue output afterwards, in steps
    std::uint32_t trailingPauseMs = 0;  // pauses after the last byte sent
    bool stepLimitReached = false;
};

// Plays out the output-table line that the row variable (image byte 8161)
// selects for this payload, as the receiver's firmware does: fixed bytes are
// sent, B1..B3 inserted, GOTO/CALL/RET followed (one call level; a CALL in a
// subroutine acts as a GOTO, a RET without a call is ignored), P pauses one
// pause unit, Uset/U+/U- move the analogue value within 0..resolution, and
// the output ends at the first end cell, after cell 16 of a line, or when a
// function's operand would lie beyond cell 16.
PlayOutResult playOut(const TableImage& image, const Payload& payload, int analogue,
                      std::uint8_t resolution);

}  // namespace tovrix::receiver
