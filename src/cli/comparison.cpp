#include "cli/comparison.h"

#include "table/gridedit.h"

#include <algorithm>
#include <map>

namespace tovrix::cli {

namespace {

// The configuration bytes the tool gives a meaning to.
const std::map<int, std::string>& fieldNames() {
    static const std::map<int, std::string> names = [] {
        std::map<int, std::string> map{
            {conf::kBaudCode, "baud rate"},
            {conf::kLockoutTime, "lock-out time"},
            {conf::kRtsHandshake, "RTS handshake"},
            {conf::kCtsHandshake, "CTS handshake"},
            {conf::kOptionFlags, "option flags"},
            {conf::kInitStringLine, "init string line"},
            {conf::kRowVariable, "row variable"},
            {conf::kTransmitterType, "transmitter type"},
            {conf::kBitLength, "bit length"},
            {conf::kValidityCount, "validity count"},
            {conf::kResolution, "analogue resolution"},
            {conf::kOffsetHigh, "analogue offset"},
            {conf::kGainHigh, "analogue gain"},
            {conf::kToolVersionMinor, "tool version, minor part"},
            {conf::kToolVersionMajor, "tool version, major part"},
            {conf::kChecksum, "checksum"},
        };
        for (std::size_t i = 0; i < conf::kConditionOperator.size(); ++i) {
            // Appended piece by piece: GCC 12's -O3 sees a false overlap in
            // "B" + std::to_string(...).
            std::string condition = "B";
            condition += std::to_string(i / 2 + 1);
            condition += " condition ";
            condition += std::to_string(i % 2 + 1);
            map[conf::kConditionOperator[i]] = condition + " operator";
            map[conf::kConditionValue[i]] = condition + " value";
        }
        return map;
    }();
    return names;
}

bool isWordField(int index) {
    return index == conf::kOffsetHigh || index == conf::kGainHigh;
}

void diffBlocks(const ConfData& a, const ConfData& b, std::vector<FileDifference>& out) {
    for (int i = 0; i < conf::kBlockSize; ++i) {
        const auto name = fieldNames().find(i);
        const std::string where = "configuration byte " + std::to_string(i) +
                                  (name != fieldNames().end() ? " (" + name->second + ")" : "");
        if (isWordField(i)) {
            const std::uint16_t first = readWord(a, i);
            const std::uint16_t second = readWord(b, i);
            if (first != second) {
                out.push_back({where, std::to_string(first), std::to_string(second)});
            }
            ++i;  // the low byte belongs to the same field
            continue;
        }
        const auto index = static_cast<std::size_t>(i);
        if (a[index] != b[index]) {
            out.push_back({where, std::to_string(a[index]), std::to_string(b[index])});
        }
    }
}

// Image positions the decoded cells and settings account for.
bool carriesCellOrSetting(int position) {
    if (position < image::kRecordsEnd) {
        const int offset = position % image::kRecordSize;
        return offset >= image::kFlagsLow && offset < image::kValues + kLineCells;
    }
    return position == image::kTestValue || position == image::kRowVariable ||
           position == image::kPauseUnit || position == image::kChecksum;
}

void diffImages(const TabData& a, const TabData& b, std::vector<FileDifference>& out) {
    const DecodedImage first = decodeImage(a);
    const DecodedImage second = decodeImage(b);
    for (int line = 0; line < kTableLines; ++line) {
        for (int cell = 0; cell < kLineCells; ++cell) {
            const TabCell& x =
                first.cells[static_cast<std::size_t>(line)][static_cast<std::size_t>(cell)];
            const TabCell& y =
                second.cells[static_cast<std::size_t>(line)][static_cast<std::size_t>(cell)];
            if (x != y) {
                out.push_back(
                    {"table line " + std::to_string(line) + ", column " + std::to_string(cell + 1),
                     initialCellText(x), initialCellText(y)});
            }
        }
    }
    const auto setting = [&](const char* name, int position) {
        const auto index = static_cast<std::size_t>(position);
        if (a[index] != b[index]) {
            out.push_back({name, std::to_string(a[index]), std::to_string(b[index])});
        }
    };
    setting("table test value", image::kTestValue);
    setting("table row variable", image::kRowVariable);
    setting("table pause unit", image::kPauseUnit);
    setting("table checksum", image::kChecksum);
    int others = 0;
    int firstOther = -1;
    for (int position = 0; position < kImageSize; ++position) {
        const auto index = static_cast<std::size_t>(position);
        if (a[index] != b[index] && !carriesCellOrSetting(position)) {
            if (others++ == 0) {
                firstOther = position;
            }
        }
    }
    if (others > 0) {
        out.push_back({"other table image bytes (markers, filler)",
                       others == 1
                           ? "1 byte differs, at position " + std::to_string(firstOther)
                           : std::to_string(others) + " bytes differ, the first at position " +
                                 std::to_string(firstOther),
                       {}});
    }
}

}  // namespace

std::vector<Difference> differingBytes(const std::string& part,
                                       std::span<const std::uint8_t> expected,
                                       std::span<const std::uint8_t> actual) {
    std::vector<Difference> differences;
    const std::size_t size = std::min(expected.size(), actual.size());
    for (std::size_t i = 0; i < size; ++i) {
        if (expected[i] != actual[i]) {
            differences.push_back({part, static_cast<int>(i), expected[i], actual[i]});
        }
    }
    return differences;
}

std::span<const std::uint8_t> programmedBlock(const ConfData& block) {
    return std::span<const std::uint8_t>(block.data(), conf::kProgrammedSize);
}

std::string describeDifferences(const std::vector<Difference>& differences, std::size_t shown) {
    std::string text =
        std::to_string(differences.size()) +
        (differences.size() == 1 ? " byte differs, at " : " bytes differ, the first at ");
    for (std::size_t i = 0; i < differences.size() && i < shown; ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(differences[i].position);
    }
    return text;
}

std::vector<FileDifference> diffContents(const ConfData& firstBlock, const TabData& firstImage,
                                         const ConfData& secondBlock, const TabData& secondImage) {
    std::vector<FileDifference> out;
    diffBlocks(firstBlock, secondBlock, out);
    diffImages(firstImage, secondImage, out);
    return out;
}

}  // namespace tovrix::cli
