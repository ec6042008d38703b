#include "table/testpanel.h"

#include "config/numbers.h"

#include <cstdint>

namespace tovrix {

std::uint8_t testFieldValue(std::string_view text) {
    const std::int64_t value = parseNumber64(text).value_or(0);
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) & 0xFFu);
}

Nibbles splitByte(int value) {
    return Nibbles{value / 16, value - 16 * (value / 16)};
}

int joinNibbles(int high, int low) {
    return high * 16 + low;
}

int testChecksum(std::string_view b1, std::string_view b2, std::string_view b3) {
    return (testFieldValue(b1) + testFieldValue(b2) + testFieldValue(b3)) % 256;
}

}  // namespace tovrix
