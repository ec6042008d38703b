#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovrix {

// Decimal form of number, padded on the left with blanks to at least width
// characters; never cut.
std::string setString(int width, std::int64_t number);

// Decimal form of number, padded on the left with fill to at least width
// characters; never cut.
std::string fillString(int width, char fill, std::int64_t number);

// Eight "0"/"1" characters, most significant bit first. Values above 255 give
// all ones, negative values all zeros.
std::string inttobin(std::int64_t value);

// The tool's number syntax: leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$" or "0x"/"0X". Nothing may follow the
// digits. Out-of-range values are invalid.
// The 64-bit variant is what numeric fields use.
std::optional<std::int64_t> parseNumber64(std::string_view text);
// The 32-bit variant (configuration file loader) also takes a bare "x"/"X"
// as hexadecimal prefix.
std::optional<std::int32_t> parseNumber32(std::string_view text);

// Reads a numeric entry into 0..maximum. An unreadable text gives 0, a value
// above maximum gives maximum, a negative value gives 0; each correction
// sounds exactly one beep.
std::int64_t checkin(std::string_view text, std::int64_t maximum);

}  // namespace tovrix
