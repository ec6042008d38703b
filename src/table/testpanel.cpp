#include "table/testpanel.h"

#include "config/numbers.h"

#include <cstdint>

namespace tovrix {

namespace {

std::int64_t valueOrZero(std::string_view text) {
    return parseNumber64(text).value_or(0);
}

}  // namespace

Nibbles splitByte(int value) {
    return Nibbles{value / 16, value - 16 * (value / 16)};
}

int joinNibbles(int high, int low) {
    return high * 16 + low;
}

int testChecksum(std::string_view b1, std::string_view b2, std::string_view b3) {
    // Each value is taken modulo 256 first so that three huge typed numbers
    // cannot overflow the sum; the result is the same modulo 256.
    std::int64_t sum = 0;
    for (const std::string_view text : {b1, b2, b3}) {
        sum += valueOrZero(text) % 256;
    }
    return static_cast<int>(((sum % 256) + 256) % 256);
}

}  // namespace tovrix
