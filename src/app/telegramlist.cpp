#include "app/telegramlist.h"

#include "config/numbers.h"

#include <cmath>
#include <sstream>

namespace tovrix {

namespace {

std::vector<std::string> tokens(std::string_view line) {
    std::vector<std::string> out;
    std::string current;
    const auto flush = [&] {
        if (!current.empty()) {
            out.push_back(current);
            current.clear();
        }
    };
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r') {
            flush();
        } else if (c == '@') {
            // "@500" and "@ 500" read alike.
            flush();
            out.emplace_back("@");
        } else {
            current.push_back(c);
        }
    }
    flush();
    return out;
}

}  // namespace

TelegramList parseTelegramList(std::string_view text, double intervalMs) {
    TelegramList list;
    std::optional<double> previousMs;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        const std::vector<std::string> words = tokens(line);
        if (words.empty() || words.front().front() == '#') {
            continue;
        }
        const std::string where = "Zeile " + std::to_string(lineNumber) + ": ";
        std::size_t byteCount = words.size();
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (words[i] == "@") {
                byteCount = i;
                break;
            }
        }
        if (byteCount != 3) {
            list.error = where + "drei Bytes B1 B2 B3 erwartet";
            return list;
        }
        sim::Telegram telegram;
        for (std::size_t i = 0; i < 3; ++i) {
            const auto value = parseNumber64(words[i]);
            if (!value || *value < 0 || *value > 255) {
                list.error = where + "\"" + words[i] + "\" ist kein Byte (0..255, $hex)";
                return list;
            }
            telegram.payload[i] = static_cast<std::uint8_t>(*value);
        }
        if (byteCount < words.size()) {
            const auto ms =
                words.size() == byteCount + 2 ? parseNumber64(words[byteCount + 1]) : std::nullopt;
            if (!ms || *ms < 0) {
                list.error = where + "nach \"@\" eine Zeit in ms erwartet";
                return list;
            }
            telegram.arrivalMs = static_cast<double>(*ms);
        } else {
            telegram.arrivalMs = previousMs ? *previousMs + intervalMs : 0.0;
        }
        if (previousMs && telegram.arrivalMs < *previousMs) {
            list.error = where + "die Zeit liegt vor der des vorigen Telegramms";
            return list;
        }
        previousMs = telegram.arrivalMs;
        list.telegrams.push_back(telegram);
        list.lineNumbers.push_back(lineNumber);
    }
    return list;
}

std::string telegramLine(const sim::Telegram& telegram) {
    std::ostringstream out;
    out << int(telegram.payload[0]) << ' ' << int(telegram.payload[1]) << ' '
        << int(telegram.payload[2]) << " @" << std::llround(telegram.arrivalMs);
    return out.str();
}

}  // namespace tovrix
