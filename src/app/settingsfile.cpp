#include "app/settingsfile.h"

#include "config/textlines.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace tovrix {

namespace {

constexpr const char* kLanguageKey = "#language#";
constexpr const char* kDirectoryKey = "#directory#";
constexpr const char* kPortKey = "#COM#";
constexpr const char* kBaudKey = "#Baudrate#";
constexpr const char* kLockoutKey = "#WDH#";
constexpr const char* kMainKey = "#posmain#";
constexpr const char* kHelpKey = "#poshelp#";

// Reads the lines in order and remembers how far it got; the first missing
// line or unreadable number ends the reading.
class LineReader {
  public:
    explicit LineReader(const std::vector<std::string>& lines) : lines_(lines) {}

    const std::string* text(std::size_t index) {
        return index < lines_.size() ? &lines_[index] : nullptr;
    }

    std::optional<std::int32_t> number(std::size_t index) {
        const std::string* line = text(index);
        return line ? parseDecimal(*line) : std::nullopt;
    }

  private:
    const std::vector<std::string>& lines_;
};

}  // namespace

std::optional<std::int32_t> parseDecimal(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;  // from_chars takes "-" but not "+"
        if (first != last && *first == '-') {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc{} || end != last || first == last) {
        return std::nullopt;
    }
    return value;
}

SettingsRead parseSettingsFile(const std::vector<std::string>& lines) {
    SettingsRead read;
    LineReader in(lines);

    const std::string* language = in.text(1);
    if (!language) {
        return read;
    }
    read.language = *language == "deutsch" ? "deutsch" : "english";

    const std::string* directory = in.text(3);
    if (!directory) {
        return read;
    }
    read.directory = *directory;

    read.port = in.number(5);
    if (!read.port) {
        return read;
    }

    // Each optional pair is applied only under its own key, so an older file
    // with another line 6 still brings the later values.
    const std::string* key = in.text(6);
    if (!key) {
        return read;
    }
    if (*key == kBaudKey) {
        const auto baud = in.number(7);
        if (!baud) {
            return read;
        }
        read.baudCode = static_cast<std::uint8_t>(*baud & 0xFF);
    }

    key = in.text(8);
    if (!key) {
        return read;
    }
    if (*key == kLockoutKey) {
        const auto lockout = in.number(9);
        if (!lockout) {
            return read;
        }
        read.lockoutTime = static_cast<std::uint8_t>(*lockout & 0xFF);
    }

    key = in.text(10);
    if (!key) {
        return read;
    }
    if (*key == kMainKey) {
        if (!(read.mainLeft = in.number(11)) || !(read.mainTop = in.number(12))) {
            return read;
        }
    }

    key = in.text(13);
    if (!key) {
        return read;
    }
    if (*key == kHelpKey) {
        if (!(read.helpLeft = in.number(14))) {
            return read;
        }
        read.helpTop = in.number(15);
    }
    return read;
}

std::vector<std::string> buildSettingsFile(const SettingsState& state) {
    return {
        kLanguageKey,
        state.language,
        kDirectoryKey,
        state.directory,
        kPortKey,
        std::to_string(state.port),
        kBaudKey,
        std::to_string(state.baudCode),
        kLockoutKey,
        std::to_string(state.lockoutTime),
        kMainKey,
        std::to_string(state.mainLeft),
        std::to_string(state.mainTop),
        kHelpKey,
        std::to_string(state.helpLeft),
        std::to_string(state.helpTop),
    };
}

std::optional<std::vector<std::string>> readTextLines(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string content{std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return splitLines(content);
}

bool writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    const std::string content = joinLines(lines);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    file.close();
    return !file.fail();
}

}  // namespace tovrix
