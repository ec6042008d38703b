#pragma once

#include <cstdint>
#include <string_view>

namespace tovrix {

// Arithmetic of the radio test panel: each of the payload bytes B1..B3 is
// shown once as a byte and once as two 4-bit halves, and B4 carries the
// 8-bit sum of B1..B3.

struct Nibbles {
    int high = 0;  // 0..15
    int low = 0;   // 0..15

    friend bool operator==(const Nibbles&, const Nibbles&) = default;
};

// Splits a byte 0..255 into its halves.
Nibbles splitByte(int value);

// Joins two halves 0..15 into a byte.
int joinNibbles(int high, int low);

// The byte a test field stands for: its text read by the tool's number
// syntax, low eight bits; a text that does not read (empty, half typed)
// gives 0. This is what the field contributes to the test frame and to B4.
std::uint8_t testFieldValue(std::string_view text);

// B4 from the texts of the three byte fields as they stand, also while the
// user is still typing: each text is read by the tool's number syntax
// without a beep, and a text that does not read (empty, half typed) counts
// as 0. The result is the sum modulo 256.
int testChecksum(std::string_view b1, std::string_view b2, std::string_view b3);

}  // namespace tovrix
