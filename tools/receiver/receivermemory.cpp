#include "receiver/receivermemory.h"

#include <numeric>

namespace tovrix::receiver {

namespace {

// Inside a line record: a marker (0 when the first cell is an end cell, 1
// otherwise), two zero bytes, the function flags of cells 1..8 and 9..16
// (the first cell of each eight in bit 7), the sixteen values, three zero
// bytes.
constexpr int kMarker = 0;
constexpr int kFlags = 3;
constexpr int kValues = 5;
constexpr std::uint8_t kFiller = 255;

std::size_t at(int line, int offset) {
    return static_cast<std::size_t>(line * table::kRecordSize + offset);
}

std::uint8_t flagBit(int cell) {
    return static_cast<std::uint8_t>(0x80U >> (cell % 8));
}

}  // namespace

std::uint8_t blockChecksum(const ConfigBlock& block) {
    return static_cast<std::uint8_t>(
        std::accumulate(block.begin(), block.begin() + block::kChecksum, 0U));
}

Cell tableCell(const TableImage& image, int line, int cell) {
    const bool function = (image[at(line, kFlags + cell / 8)] & flagBit(cell)) != 0;
    return Cell{function, image[at(line, kValues + cell)]};
}

TableImage emptyTable(std::uint8_t testValue, std::uint8_t rowVariable, std::uint8_t pauseUnit) {
    TableImage image;
    image.fill(kFiller);
    for (int line = 0; line < table::kLines; ++line) {
        for (int offset = 0; offset < table::kRecordSize; ++offset) {
            image[at(line, offset)] = 0;
        }
        // Every cell a function, and every value 0: the end.
        image[at(line, kFlags)] = 0xFF;
        image[at(line, kFlags + 1)] = 0xFF;
    }
    image[table::kTestValue] = testValue;
    image[table::kRowVariable] = rowVariable;
    image[table::kPauseUnit] = pauseUnit;
    sealTable(image);
    return image;
}

void setTableCell(TableImage& image, int line, int cell, Cell value) {
    std::uint8_t& flags = image[at(line, kFlags + cell / 8)];
    flags =
        static_cast<std::uint8_t>(value.function ? flags | flagBit(cell) : flags & ~flagBit(cell));
    image[at(line, kValues + cell)] = value.value;
    if (cell == 0) {
        image[at(line, kMarker)] = value.function && value.value == kEnd ? 0 : 1;
    }
}

std::uint8_t tableChecksum(const TableImage& image) {
    return static_cast<std::uint8_t>(
        std::accumulate(image.begin(), image.begin() + table::kChecksum, 0U));
}

void sealTable(TableImage& image) {
    image[table::kChecksum] = tableChecksum(image);
}

}  // namespace tovrix::receiver
