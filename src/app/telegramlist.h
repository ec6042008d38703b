#pragma once

#include "sim/simulation.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// The telegrams a user types into the simulation window, one a line:
// "B1 B2 B3", each byte in decimal or as $hex, optionally followed by
// "@ MS", the arrival time in milliseconds. A line without a time arrives
// `intervalMs` after the one before (the first at 0). Blank lines and lines
// starting with "#" are skipped.
struct TelegramList {
    std::vector<sim::Telegram> telegrams;
    std::vector<int> lineNumbers;  // the text line (1..) of each telegram
    // The first line that does not read, empty when all do; the telegrams
    // before it are kept.
    std::string error;
};

TelegramList parseTelegramList(std::string_view text, double intervalMs = 1000);

// "12 $0D 200" -> the line a telegram is written as, with its time.
std::string telegramLine(const sim::Telegram& telegram);

}  // namespace tovrix
