#pragma once

#include <cstdint>

namespace tovrix {

// The device control block in its 28-byte record layout. The component builds
// it from its properties and the port core applies it to the device; the flag
// values are those the record has always carried, so blocks stay comparable.
struct TDcb {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    std::uint8_t XonChar = 0;
    std::uint8_t XoffChar = 0;
    std::uint8_t ErrorChar = 0;
    std::uint8_t EofChar = 0;
    std::uint8_t EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    friend bool operator==(const TDcb&, const TDcb&) = default;
};
static_assert(sizeof(TDcb) == 28, "the control block keeps its 28-byte layout");

constexpr std::uint32_t kDcbLength = 28;

// Flag bits of TDcb::Flags.
namespace dcbflag {
constexpr std::uint32_t Binary = 0x0001;
constexpr std::uint32_t Parity = 0x0002;          // check parity on input
constexpr std::uint32_t OutxCtsFlow = 0x0004;     // send only while CTS is up
constexpr std::uint32_t OutxDsrFlow = 0x0008;     // send only while DSR is up
constexpr std::uint32_t DtrControlMask = 0x0030;  // two bits: disable, enable, handshake
constexpr std::uint32_t DtrEnable = 0x0010;
constexpr std::uint32_t DtrHandshake = 0x0020;
constexpr std::uint32_t DsrSensitivity = 0x0040;
constexpr std::uint32_t TxContinueOnXoff = 0x0080;
constexpr std::uint32_t OutX = 0x0100;
constexpr std::uint32_t InX = 0x0200;
constexpr std::uint32_t ErrorChar = 0x0400;
constexpr std::uint32_t Null = 0x0800;            // strip NUL bytes
constexpr std::uint32_t RtsControlMask = 0x3000;  // two bits: disable, enable, handshake, toggle
constexpr std::uint32_t RtsEnable = 0x1000;
constexpr std::uint32_t RtsHandshake = 0x2000;
constexpr std::uint32_t AbortOnError = 0x4000;
}  // namespace dcbflag

// Stop-bit and parity codes of the block.
constexpr std::uint8_t kOneStopBit = 0;
constexpr std::uint8_t kOne5StopBits = 1;
constexpr std::uint8_t kTwoStopBits = 2;
constexpr std::uint8_t kNoParity = 0;
constexpr std::uint8_t kOddParity = 1;
constexpr std::uint8_t kEvenParity = 2;
constexpr std::uint8_t kMarkParity = 3;
constexpr std::uint8_t kSpaceParity = 4;

}  // namespace tovrix
