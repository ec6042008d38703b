#pragma once

#include <array>
#include <cstdint>

namespace tovrix::receiver {

// The receiver's memory as its firmware reads it. The layout is written down
// here on its own and shares no code with the tool: the emulator is the peer
// the tool's end-to-end tests meet, so a mistake in the tool's checksums or
// table layout must show there instead of being repeated here.

// The configuration block: 128 bytes. The array has the 256-byte shape of a
// ".tvx" file's block lines, so that the file code can keep the emulator's
// state; bytes 128..255 stay 0.
using ConfigBlock = std::array<std::uint8_t, 256>;

namespace block {
inline constexpr int kSize = 128;
inline constexpr int kBaudCode = 10;
inline constexpr int kRowVariable = 16;  // 1 = B1, 2 = B2, 3 = B3
// Six acceptance conditions, two per payload byte B1, B2, B3 in this order,
// each an operator byte followed by its comparison value.
inline constexpr int kConditions = 20;
inline constexpr int kConditionCount = 6;
inline constexpr int kTransmitterType = 50;
inline constexpr int kBitLength = 51;
inline constexpr int kValidityCount = 52;
inline constexpr int kResolution = 60;
inline constexpr int kGainHigh = 63;  // big-endian, low byte at 64
inline constexpr int kToolVersionMinor = 87;
inline constexpr int kToolVersionMajor = 88;
inline constexpr int kChecksum = 89;
}  // namespace block

// Condition operators.
enum Operator : std::uint8_t { kEqual = 0, kGreater = 1, kLess = 2, kAny = 3 };

// The block's checksum: the sum of bytes 0..88, carries dropped.
std::uint8_t blockChecksum(const ConfigBlock& block);

// The output table: 256 line records of 24 bytes, filler, three settings
// and a checksum.
inline constexpr int kTableBytes = 8192;
using TableImage = std::array<std::uint8_t, kTableBytes>;

namespace table {
inline constexpr int kLines = 256;
inline constexpr int kCells = 16;
inline constexpr int kRecordSize = 24;
inline constexpr int kTestValue = 8160;
inline constexpr int kRowVariable = 8161;
inline constexpr int kPauseUnit = 8162;
inline constexpr int kChecksum = 8191;
}  // namespace table

// Function codes the firmware knows; any other code does nothing.
enum Function : std::uint8_t {
    kEnd = 0,
    kB1 = 1,
    kB2 = 2,
    kB3 = 3,
    kGoto = 4,
    kCall = 5,
    kRet = 6,
    kPause = 8,
    kUset = 20,
    kUplus = 21,
    kUminus = 22,
};

// One cell: a byte to send, or a function.
struct Cell {
    bool function = true;
    std::uint8_t value = kEnd;
};

// Cell c (0..15) of line n (0..255).
Cell tableCell(const TableImage& image, int line, int cell);

// A table of end cells only, with its three settings and the filler, and
// the checksum to match.
TableImage emptyTable(std::uint8_t testValue, std::uint8_t rowVariable, std::uint8_t pauseUnit);

// Writes one cell (and the line's marker byte when it is the first cell).
// The checksum is not brought up to date: sealTable does that.
void setTableCell(TableImage& image, int line, int cell, Cell value);

// The table's checksum: the sum of bytes 0..8190, carries dropped.
std::uint8_t tableChecksum(const TableImage& image);
void sealTable(TableImage& image);

}  // namespace tovrix::receiver
