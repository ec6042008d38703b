// Fuzzes the number syntax: both variants must agree with each other where
// their grammars overlap, stay in range, and checkin must return a value in
// 0..maximum with at most one beep.
#include "config/beep.h"
#include "config/numbers.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int beeps = 0;
    tovrix::setBeepSink([&beeps] { ++beeps; });

    const auto wide = tovrix::parseNumber64(text);
    const auto narrow = tovrix::parseNumber32(text);
    // Every text the 64-bit syntax accepts within 32 bits is read the same by both.
    if (wide && *wide >= INT32_MIN && *wide <= INT32_MAX && narrow != wide) {
        std::abort();
    }
    // The 32-bit variant accepts a superset only through the bare x prefix.
    if (narrow && !wide && text.find_first_of("xX") == std::string_view::npos) {
        std::abort();
    }
    if (wide) {
        // The canonical form reads back to the same value.
        if (tovrix::parseNumber64(tovrix::setString(5, *wide)) != wide) {
            std::abort();
        }
    }
    for (std::int64_t maximum : {std::int64_t{15}, std::int64_t{255}, std::int64_t{65535}}) {
        beeps = 0;
        const std::int64_t value = tovrix::checkin(text, maximum);
        const bool silent = wide && *wide >= 0 && *wide <= maximum;
        if (value < 0 || value > maximum || beeps != (silent ? 0 : 1) ||
            (silent && value != *wide)) {
            std::abort();
        }
    }
    tovrix::setBeepSink({});
    return 0;
}
