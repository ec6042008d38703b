#pragma once

#include "config/confblock.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// The ".tvx" configuration file: the whole configuration block and the table
// image as 617 lines of readable text.
namespace tvx {

inline constexpr int kLineCount = 617;
inline constexpr int kImageBytes = 8192;
inline constexpr int kTableLines = 342;  // 24 values each, 8208 positions
inline constexpr int kValuesPerLine = 24;
inline constexpr int kComLine = 256;
inline constexpr int kFirmwareLine = 267;
inline constexpr int kTableMarkerLine = 270;
inline constexpr int kLastSearchedLine = 999;  // markers are looked for up to here
inline constexpr const char* kTableMarker = "--T--";
inline constexpr const char* kChecksumTag = "[CHK]";
inline constexpr const char* kCommentTag = "comments: ";
inline constexpr const char* kNoComment = "-reserved-";  // the comment line a file is written with

}  // namespace tvx

using ImageBytes = std::array<std::uint8_t, tvx::kImageBytes>;

// Builds the 617 lines. The checksum line repeats image byte 8191 as it
// stands; the caller brings the image up to date first. The comment goes
// into the comment line after "comments: ", which no loader reads as data.
std::vector<std::string> buildConfigFile(const ConfData& conf, const ImageBytes& image,
                                         int comNumber, std::string_view firmwareText,
                                         std::string_view comment = tvx::kNoComment);

enum class LoadError {
    None,
    BadConfigLine,   // one of lines 0..127 is not a number
    NoTableMarker,   // no "--T--" line between lines 128 and 999
    NoChecksumLine,  // no "[CHK]" line after the table start
};

struct ConfigFileLoad {
    LoadError error = LoadError::None;
    int line = -1;  // the offending line for BadConfigLine
    // Table values that did not read as numbers (each left at 255 with a
    // beep; the file is loaded all the same): how many, and the line and
    // the place in it (0..23) of the first.
    int badValues = 0;
    int firstBadValueLine = -1;
    int firstBadValueIndex = -1;
    // Numbers outside 0..255 in the lines that are read (the block, every
    // table value, the checksum line); the loader keeps their low 8 bits as
    // the format prescribes. How many, and the first: its line, its place
    // in a table line (-1 elsewhere) and the number as written.
    int outOfRange = 0;
    int firstOutOfRangeLine = -1;
    int firstOutOfRangeIndex = -1;
    std::int64_t firstOutOfRangeValue = 0;
    // The text of the comment line after the end-of-data marker, without
    // "comments: "; empty when the file has none.
    std::string comment;
};

// Reads a configuration file's lines into block bytes 0..127 and the image.
// Nothing is changed unless the whole file is accepted. A table value that
// does not read as a number beeps once and leaves its byte at 255; image
// byte 8191 comes from the "[CHK]" line (0 when that is unreadable).
ConfigFileLoad loadConfigFile(const std::vector<std::string>& lines, ConfData& conf,
                              ImageBytes& image);

// What was wrong with a file, in English words with the line counted from 1
// ("line 6 is not a number"): the error that rejected it, else the first
// table value that did not read; empty when there was neither.
std::string loadErrorText(const ConfigFileLoad& result);

// The first number outside 0..255 in words ("line 6 holds 300, outside 0 to
// 255"); empty when there is none.
std::string outOfRangeText(const ConfigFileLoad& result);

}  // namespace tovrix
