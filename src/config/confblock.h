#pragma once

#include <array>
#include <cstdint>

namespace tovrix {

// The configuration block as the main window holds it: bytes 0..127 are the
// receiver's block, bytes 128..255 a scratch copy that undoes a failed
// verification.
using ConfData = std::array<std::uint8_t, 256>;

namespace conf {

inline constexpr int kBlockSize = 128;       // bytes read from / restored into the receiver block
inline constexpr int kProgrammedSize = 100;  // bytes 0..99 are programmed
inline constexpr int kVerifyCopy = 128;      // start of the verification copy

// Field map of the receiver block (byte indices).
inline constexpr int kBaudCode = 10;
inline constexpr int kLockoutTime = 11;  // units of 10 ms
inline constexpr int kRtsHandshake = 12;
inline constexpr int kCtsHandshake = 13;
inline constexpr int kOptionFlags = 14;  // bit 0: init string enabled
inline constexpr int kInitStringLine = 15;
inline constexpr int kRowVariable = 16;  // 1 = B1, 2 = B2, 3 = B3
// Two acceptance conditions per payload byte B1..B3: operator byte followed
// by its comparison value, in the order B1/1, B1/2, B2/1, B2/2, B3/1, B3/2.
inline constexpr std::array<int, 6> kConditionOperator{20, 22, 24, 26, 28, 30};
inline constexpr std::array<int, 6> kConditionValue{21, 23, 25, 27, 29, 31};
inline constexpr int kTransmitterType = 50;  // 0 = programmable RS232, 1 = standard
inline constexpr int kBitLength = 51;
inline constexpr int kValidityCount = 52;
inline constexpr int kResolution = 60;
inline constexpr int kOffsetHigh = 61;  // 16-bit big-endian, low byte at 62
inline constexpr int kGainHigh = 63;    // 16-bit big-endian, low byte at 64
inline constexpr int kToolVersionMinor = 87;
inline constexpr int kToolVersionMajor = 88;
inline constexpr int kChecksum = 89;
inline constexpr int kChecksummedBytes = 89;  // the checksum covers bytes 0..88

inline constexpr std::uint8_t kOptionInitString = 0x01;

// Condition operators.
inline constexpr std::uint8_t kOpEqual = 0;
inline constexpr std::uint8_t kOpGreater = 1;
inline constexpr std::uint8_t kOpLess = 2;
inline constexpr std::uint8_t kOpAny = 3;

// Handshake settings (bytes 12 and 13).
inline constexpr std::uint8_t kHandshakeOff = 0;
inline constexpr std::uint8_t kHandshakeMax = 2;

// Transmitter types (byte 50).
inline constexpr std::uint8_t kTransmitterProgrammable = 0;
inline constexpr std::uint8_t kTransmitterStandard = 1;

// Baud divisor codes (byte 10), slowest first, with their rates.
struct BaudCode {
    int rate;
    std::uint8_t code;
};
inline constexpr std::array<BaudCode, 5> kBaudCodes{
    {{1200, 207}, {2400, 103}, {4800, 51}, {9600, 25}, {19200, 12}}};
inline constexpr std::uint8_t kBaudCode19200 = 12;

// Values written into the block by the tool itself.
inline constexpr std::uint8_t kToolMajor = 1;
inline constexpr std::uint8_t kToolMinor = 5;

// Start-up values applied after the reset.
inline constexpr std::uint16_t kNominalGain = 1024;
inline constexpr std::uint8_t kDefaultBitLength = 12;
inline constexpr std::uint8_t kDefaultValidityCount = 2;
inline constexpr std::uint8_t kDefaultResolution = 200;

}  // namespace conf

// Bytes 0..127 := 0, then the start-up values (standard transmitter, bit
// length 12, validity count 2, resolution 200, gain 1024). Bytes 128..255
// are left as they are.
void resetConfigBlock(ConfData& block);

// 16-bit big-endian field whose high byte is at highIndex.
std::uint16_t readWord(const ConfData& block, int highIndex);
void writeWord(ConfData& block, int highIndex, std::uint16_t value);

// 8-bit sum of bytes 0..88.
std::uint8_t configChecksum(const ConfData& block);

bool isBaudCode(std::uint8_t code);

// What the display step does to the block before it fills the controls:
// operators above 3 become 3, handshakes above 2 become 0, a transmitter type
// above 1 becomes 0, an unknown baud code becomes 12, and the tool version
// bytes 87/88 become 5/1.
void normaliseConfigBlock(ConfData& block);

}  // namespace tovrix
