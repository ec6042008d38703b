#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovrix {

// The settings file "tvx.ini": sixteen lines of alternating keys and values
// that carry the language, the working directory, the port, the baud code,
// the lock-out time and the two window positions from one run to the next.

inline constexpr const char* kSettingsFileName = "tvx.ini";
inline constexpr int kSettingsLineCount = 16;

// Everything a settings file can set. Reading goes line by line and stops at
// the first line that is missing or does not hold a number where one is
// needed; whatever was read before stays, the rest is absent. A key line
// that does not match skips its value lines and reading goes on.
struct SettingsRead {
    std::optional<std::string> language;   // "deutsch" or "english"
    std::optional<std::string> directory;  // bytes as stored
    std::optional<std::int32_t> port;
    std::optional<std::uint8_t> baudCode;     // low 8 bits of the stored number
    std::optional<std::uint8_t> lockoutTime;  // low 8 bits of the stored number
    std::optional<std::int32_t> mainLeft;
    std::optional<std::int32_t> mainTop;
    std::optional<std::int32_t> helpLeft;
    std::optional<std::int32_t> helpTop;

    friend bool operator==(const SettingsRead&, const SettingsRead&) = default;
};

SettingsRead parseSettingsFile(const std::vector<std::string>& lines);

// What the program writes at exit.
struct SettingsState {
    std::string language = "deutsch";
    std::string directory;
    int port = 1;
    std::uint8_t baudCode = 0;
    std::uint8_t lockoutTime = 0;
    int mainLeft = 0;
    int mainTop = 0;
    int helpLeft = 0;
    int helpTop = 0;
};

std::vector<std::string> buildSettingsFile(const SettingsState& state);

// A signed decimal number filling the whole text (an optional sign, then
// digits, 32-bit range).
std::optional<std::int32_t> parseDecimal(const std::string& text);

// Whole-file helpers: read accepts CR LF and LF, write ends every line with
// CR LF and replaces the file. Both report failure instead of throwing.
std::optional<std::vector<std::string>> readTextLines(const std::string& path);
bool writeTextLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tovrix
