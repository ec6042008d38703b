#pragma once

#include "receiver/linetiming.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tovrix::receiver {

// One line of the emulator's log: the time in milliseconds since the start
// (three decimals), a word for the kind of event, then the event's bytes in
// decimal or a text, all separated by single blanks; no line ending.
std::string logLine(Nanos sinceStart, std::string_view kind,
                    std::span<const std::uint8_t> bytes = {});
std::string logLine(Nanos sinceStart, std::string_view kind, std::string_view text);

}  // namespace tovrix::receiver
