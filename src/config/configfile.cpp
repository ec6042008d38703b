#include "config/configfile.h"

#include "config/beep.h"
#include "config/maker.h"
#include "config/numbers.h"

#include <algorithm>
#include <optional>

namespace tovrix {

namespace {

constexpr int kReservedLines = 10;
constexpr int kFirstValueColumn = 6;  // 0-based column of a table line's first value
constexpr int kValueStride = 4;       // three digits and a blank
constexpr int kChecksumColumn = 6;    // 0-based column of the value on the "[CHK]" line

std::string threeDigits(int value) {
    return fillString(3, '0', value);
}

std::string tableLine(const ImageBytes& image, int k) {
    // Appended piece by piece: GCC 12 at -O3 misreads '"[" + text' as an
    // overlapping copy (-Wrestrict) once the standard library is inlined.
    std::string line(1, '[');
    line += threeDigits(k);
    line += "] ";
    for (int j = 0; j < tvx::kValuesPerLine; ++j) {
        const int position = k * tvx::kValuesPerLine + j;
        // The 16 positions after the image's end carry no data; they are
        // written as filler so that the layout holds.
        const int value = position < tvx::kImageBytes ? image[position] : 255;
        line += threeDigits(value) + " ";
    }
    return line;
}

const std::string& lineAt(const std::vector<std::string>& lines, int i) {
    static const std::string empty;
    return i < static_cast<int>(lines.size()) ? lines[i] : empty;
}

std::string_view field(const std::string& line, std::size_t start, std::size_t length) {
    if (start >= line.size()) {
        return {};
    }
    return std::string_view(line).substr(start, length);
}

ConfigFileLoad rejected(LoadError error, int line = -1) {
    ConfigFileLoad result;
    result.error = error;
    result.line = line;
    return result;
}

void noteRange(ConfigFileLoad& result, std::int64_t value, int line, int index) {
    if (value >= 0 && value <= 255) {
        return;
    }
    if (result.outOfRange++ == 0) {
        result.firstOutOfRangeLine = line;
        result.firstOutOfRangeIndex = index;
        result.firstOutOfRangeValue = value;
    }
}

std::optional<int> findLine(const std::vector<std::string>& lines, int from, auto matches) {
    const int last = std::min<int>(tvx::kLastSearchedLine, static_cast<int>(lines.size()) - 1);
    for (int i = from; i <= last; ++i) {
        if (matches(lines[i])) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> buildConfigFile(const ConfData& conf, const ImageBytes& image,
                                         int comNumber, std::string_view firmwareText,
                                         std::string_view comment) {
    std::vector<std::string> lines;
    lines.reserve(tvx::kLineCount);
    for (std::uint8_t byte : conf) {
        lines.push_back(std::to_string(byte));
    }
    lines.push_back("COM" + std::to_string(comNumber));
    lines.insert(lines.end(), kReservedLines, "freier String");
    lines.push_back("Firmware: " + std::string(firmwareText));
    lines.push_back("1");
    lines.push_back("05");
    lines.push_back(tvx::kTableMarker);
    for (int k = 0; k < tvx::kTableLines; ++k) {
        lines.push_back(tableLine(image, k));
    }
    lines.push_back(std::string(tvx::kChecksumTag) + " " +
                    threeDigits(image[tvx::kImageBytes - 1]));
    lines.push_back("--*--");
    lines.push_back(tvx::kCommentTag + std::string(comment));
    lines.push_back(std::string("Tovrix v") + maker::kToolVersion + " - " + maker::kCompany +
                    " - 11/2007 - " + maker::kHomePage);
    return lines;
}

ConfigFileLoad loadConfigFile(const std::vector<std::string>& lines, ConfData& conf,
                              ImageBytes& image) {
    // Everything is read into copies first, so that a rejected file leaves
    // the block and the image exactly as they were.
    ConfigFileLoad ranges;
    std::array<std::uint8_t, conf::kBlockSize> block{};
    for (int i = 0; i < conf::kBlockSize; ++i) {
        const std::optional<std::int32_t> value = parseNumber32(lineAt(lines, i));
        if (!value) {
            return rejected(LoadError::BadConfigLine, i);
        }
        block[i] = static_cast<std::uint8_t>(*value);
        noteRange(ranges, *value, i, -1);
    }

    const std::optional<int> marker = findLine(
        lines, conf::kBlockSize, [](const std::string& line) { return line == tvx::kTableMarker; });
    if (!marker) {
        return rejected(LoadError::NoTableMarker);
    }
    const int tableStart = *marker + 1;
    const std::optional<int> checksumLine = findLine(
        lines, tableStart,
        [](const std::string& line) { return line.compare(0, 5, tvx::kChecksumTag) == 0; });
    if (!checksumLine) {
        return rejected(LoadError::NoChecksumLine);
    }

    ConfigFileLoad result = std::move(ranges);
    ImageBytes loaded;
    loaded.fill(255);
    for (int k = 0; k < tvx::kTableLines; ++k) {
        const std::string& line = lineAt(lines, tableStart + k);
        for (int j = 0; j < tvx::kValuesPerLine; ++j) {
            const std::optional<std::int32_t> value =
                parseNumber32(field(line, kFirstValueColumn + kValueStride * j, 3));
            const int position = k * tvx::kValuesPerLine + j;
            if (!value) {
                beep();
                if (result.badValues++ == 0) {
                    result.firstBadValueLine = tableStart + k;
                    result.firstBadValueIndex = j;
                }
            } else {
                noteRange(result, *value, tableStart + k, j);
                if (position < tvx::kImageBytes) {
                    loaded[position] = static_cast<std::uint8_t>(*value);
                }
            }
        }
    }
    const std::optional<std::int32_t> checksum =
        parseNumber32(field(lines[*checksumLine], kChecksumColumn, 3));
    loaded[tvx::kImageBytes - 1] = static_cast<std::uint8_t>(checksum.value_or(0));
    if (checksum) {
        noteRange(result, *checksum, *checksumLine, -1);
    }
    if (const std::string& line = lineAt(lines, *checksumLine + 2);
        line.starts_with(tvx::kCommentTag)) {
        result.comment = line.substr(std::string_view(tvx::kCommentTag).size());
    }

    std::copy(block.begin(), block.end(), conf.begin());
    image = loaded;
    return result;
}

std::string loadErrorText(const ConfigFileLoad& result) {
    switch (result.error) {
        case LoadError::BadConfigLine:
            return "line " + std::to_string(result.line + 1) + " is not a number";
        case LoadError::NoTableMarker:
            return "no \"--T--\" line between lines 129 and 1000";
        case LoadError::NoChecksumLine:
            return "no \"[CHK]\" line after the table";
        case LoadError::None:
            break;
    }
    if (result.badValues > 0) {
        return "line " + std::to_string(result.firstBadValueLine + 1) + ", value " +
               std::to_string(result.firstBadValueIndex + 1) + " is not a number";
    }
    return {};
}

std::string outOfRangeText(const ConfigFileLoad& result) {
    if (result.outOfRange == 0) {
        return {};
    }
    std::string text = "line " + std::to_string(result.firstOutOfRangeLine + 1);
    if (result.firstOutOfRangeIndex >= 0) {
        text += ", value " + std::to_string(result.firstOutOfRangeIndex + 1) + ",";
    }
    return text + " holds " + std::to_string(result.firstOutOfRangeValue) + ", outside 0 to 255";
}

}  // namespace tovrix
