#include "sim/bytetext.h"

#include <array>
#include <charconv>

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

std::optional<std::uint8_t> parsePayloadByte(std::string_view text) {
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        text.remove_prefix(1);
        base = 16;
    }
    if (text.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || value > 255) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace tovrix::sim
