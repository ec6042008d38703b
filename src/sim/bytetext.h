#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovrix::sim {

// A byte as a person reads it in an output string: printable ASCII as
// itself, control characters by name ("<CR>", "<LF>", "<STX>"), the rest as
// "<$E4>".
std::string readableByte(std::uint8_t value);

// "$0D"
std::string hexByte(std::uint8_t value);

// A payload byte as typed: decimal ("13") or hexadecimal with "$" ("$0D"),
// 0..255; nothing for anything else.
std::optional<std::uint8_t> parsePayloadByte(std::string_view text);

}  // namespace tovrix::sim
