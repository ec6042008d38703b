#include "sim/bytetext.h"

#include <array>

namespace tovrix::sim {

namespace {

constexpr std::array<const char*, 32> kControlNames{
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

}  // namespace

std::string hexByte(std::uint8_t value) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {'$', kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string readableByte(std::uint8_t value) {
    if (value < kControlNames.size()) {
        return std::string("<") + kControlNames[value] + ">";
    }
    if (value == 127) {
        return "<DEL>";
    }
    if (value > 127) {
        return "<" + hexByte(value) + ">";
    }
    return std::string(1, static_cast<char>(value));
}

}  // namespace tovrix::sim
