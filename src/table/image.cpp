#include "table/image.h"

#include <algorithm>
#include <numeric>

namespace tovrix {

std::uint8_t imageChecksum(const TabData& data) {
    const unsigned sum = std::accumulate(data.begin(), data.begin() + image::kChecksum, 0U);
    return static_cast<std::uint8_t>(sum);
}

TabData encodeImage(const TabCells& cells, const TableSettings& settings) {
    TabData data;
    data.fill(image::kFiller);
    for (int n = 0; n < kTableLines; ++n) {
        std::uint8_t* record = data.data() + n * image::kRecordSize;
        std::fill_n(record, image::kRecordSize, std::uint8_t{0});
        const TabLine& line = cells[n];
        record[image::kMarker] = isEndCell(line[0]) ? 0 : 1;
        for (int c = 0; c < kLineCells; ++c) {
            if (line[c].flag == kFunctionCell) {
                // Cell 1 goes to bit 7 of the first flag byte, cell 9 to bit 7 of the second.
                record[image::kFlagsLow + c / 8] |= static_cast<std::uint8_t>(0x80U >> (c % 8));
            }
            record[image::kValues + c] = line[c].value;
        }
    }
    data[image::kTestValue] = settings.testValue;
    data[image::kRowVariable] = settings.rowVariable;
    data[image::kPauseUnit] = settings.pauseUnit;
    data[image::kChecksum] = imageChecksum(data);
    return data;
}

DecodedImage decodeImage(const TabData& data) {
    DecodedImage decoded;
    for (int n = 0; n < kTableLines; ++n) {
        const std::uint8_t* record = data.data() + n * image::kRecordSize;
        for (int c = 0; c < kLineCells; ++c) {
            const bool isFunction = (record[image::kFlagsLow + c / 8] & (0x80U >> (c % 8))) != 0;
            decoded.cells[n][c] =
                TabCell{isFunction ? kFunctionCell : kNumberCell, record[image::kValues + c]};
        }
    }
    decoded.settings.testValue = data[image::kTestValue];
    decoded.settings.rowVariable = data[image::kRowVariable];
    decoded.settings.pauseUnit = data[image::kPauseUnit];
    decoded.checksumOk = imageChecksum(data) == data[image::kChecksum];
    return decoded;
}

int rowVariableItem(std::uint8_t code) {
    return code == 1 ? 0 : code == 2 ? 1 : 2;
}

TabData rebuildImage(const TabData& data) {
    // The grid shows every cell with its value and reads number cells back
    // from that text unchanged, so the decoded cells are what it holds.
    DecodedImage decoded = decodeImage(data);
    decoded.settings.rowVariable =
        static_cast<std::uint8_t>(rowVariableItem(decoded.settings.rowVariable) + 1);
    return encodeImage(decoded.cells, decoded.settings);
}

}  // namespace tovrix
