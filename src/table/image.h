#pragma once

#include "table/cells.h"

#include <array>
#include <cstdint>

namespace tovrix {

// The 8192-byte table image that travels to and from the receiver and into
// the configuration file.
inline constexpr int kImageSize = 8192;
using TabData = std::array<std::uint8_t, kImageSize>;

namespace image {

inline constexpr int kRecordSize = 24;
inline constexpr int kRecordsEnd = kTableLines * kRecordSize;  // 6144: filler from here
// Record layout of one line.
inline constexpr int kMarker = 0;     // 0 when cell 1 is an end cell, else 1
inline constexpr int kFlagsLow = 3;   // function flags of cells 1..8, cell 1 in bit 7
inline constexpr int kFlagsHigh = 4;  // function flags of cells 9..16, cell 9 in bit 7
inline constexpr int kValues = 5;     // values of cells 1..16
// Trailer bytes.
inline constexpr int kTestValue = 8160;
inline constexpr int kRowVariable = 8161;
inline constexpr int kPauseUnit = 8162;
inline constexpr int kChecksum = 8191;
inline constexpr std::uint8_t kFiller = 255;

}  // namespace image

// The three settings of the output-table page that travel in the image.
struct TableSettings {
    std::uint8_t testValue = 100;
    std::uint8_t rowVariable = 3;  // 1 = B1, 2 = B2, 3 = B3, 0 = none selected
    std::uint8_t pauseUnit = 1;    // milliseconds per pause cell

    friend bool operator==(const TableSettings&, const TableSettings&) = default;
};

// Sum of bytes 0..8190, carries dropped.
std::uint8_t imageChecksum(const TabData& data);

// Cell model and page settings to image, with filler, markers and checksum.
TabData encodeImage(const TabCells& cells, const TableSettings& settings);

struct DecodedImage {
    TabCells cells;
    TableSettings settings;
    bool checksumOk = false;
};

// Image to cell model and page settings. Markers, zero bytes and filler are
// not looked at; the cells are taken over even when the checksum is wrong.
DecodedImage decodeImage(const TabData& data);

// The row-variable selector's item for an image's row-variable byte: 1
// selects item 0 (B1), 2 item 1 (B2), any other value item 2 (B3).
int rowVariableItem(std::uint8_t code);

// The image the table page builds from an image it has taken over: the same
// cells, test value and pause unit, with markers, zero bytes and filler
// written anew, the row variable one of 1..3 and a fresh checksum. This is
// what the window programs or saves after a table read or a file load.
TabData rebuildImage(const TabData& data);

}  // namespace tovrix
