#include "config/numbers.h"

#include "config/beep.h"

#include <limits>

namespace tovrix {

namespace {

std::string padded(int width, char fill, std::int64_t number) {
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width) {
        text.insert(0, static_cast<std::size_t>(width) - text.size(), fill);
    }
    return text;
}

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// Parses into a signed type T; bareHexX admits "x1F" as hexadecimal.
template <typename T>
std::optional<T> parseNumber(std::string_view text, bool bareHexX) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    if (at(i) == '$') {
        base = 16;
        i += 1;
    } else if (at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X')) {
        base = 16;
        i += 2;
    } else if (bareHexX && (at(i) == 'x' || at(i) == 'X')) {
        base = 16;
        i += 1;
    }
    if (i >= text.size()) {
        return std::nullopt;  // at least one digit is required
    }
    // The magnitude may reach max()+1 only for a negative number.
    using U = std::uint64_t;
    const U limit = static_cast<U>(std::numeric_limits<T>::max()) + (negative ? 1U : 0U);
    U magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0) {
            return std::nullopt;
        }
        if (magnitude > (limit - static_cast<U>(digit)) / static_cast<U>(base)) {
            return std::nullopt;
        }
        magnitude = magnitude * static_cast<U>(base) + static_cast<U>(digit);
    }
    if (!negative) {
        return static_cast<T>(magnitude);
    }
    // -(max+1) is representable; compute it without overflowing.
    return magnitude == 0 ? T{0} : static_cast<T>(-static_cast<T>(magnitude - 1) - 1);
}

}  // namespace

std::string setString(int width, std::int64_t number) {
    return padded(width, ' ', number);
}

std::string fillString(int width, char fill, std::int64_t number) {
    return padded(width, fill, number);
}

std::string inttobin(std::int64_t value) {
    std::string bits;
    std::int64_t remainder = value;
    for (std::int64_t weight = 128; weight >= 2; weight /= 2) {
        if (remainder >= weight) {
            bits += '1';
            remainder -= weight;
        } else {
            bits += '0';
        }
    }
    bits += remainder >= 1 ? '1' : '0';
    return bits;
}

std::optional<std::int64_t> parseNumber64(std::string_view text) {
    return parseNumber<std::int64_t>(text, false);
}

std::optional<std::int32_t> parseNumber32(std::string_view text) {
    return parseNumber<std::int32_t>(text, true);
}

std::int64_t checkin(std::string_view text, std::int64_t maximum) {
    const std::optional<std::int64_t> parsed = parseNumber64(text);
    if (!parsed) {
        beep();
        return 0;
    }
    if (*parsed > maximum) {
        beep();
        return maximum;
    }
    if (*parsed < 0) {
        beep();
        return 0;
    }
    return *parsed;
}

}  // namespace tovrix
