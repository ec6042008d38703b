#pragma once

#include <cstdint>
#include <string>

namespace tovrix::sim {

// A byte as a person reads it in an output string: printable ASCII as
// itself, control characters by name ("<CR>", "<LF>", "<STX>"), the rest as
// "<$E4>".
std::string readableByte(std::uint8_t value);

// "$0D"
std::string hexByte(std::uint8_t value);

}  // namespace tovrix::sim
