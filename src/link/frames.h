#pragma once

#include "config/confblock.h"
#include "table/image.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace tovrix {

// Command bytes spoken with the receiver.
enum class Command : std::uint8_t {
    writeConfig = 20,  // 20 A V: program one configuration byte, answer is its echo
    writeString = 21,  // 21 AH AL N d..: program N image bytes, answer is the byte 8
    readConfig = 22,   // 22 A: answer is configuration byte A
    readString = 23,   // 23 AH AL NH NL: answer is a stream of N image bytes
    readSystem = 24,   // 24 A: answer is system byte A; 24 254 resets and answers nothing
    sendTest = 25,     // 25 T1 T2 T3 T4: radio test telegram, answered by any number of bytes
    end = 29,          // 29 29: closes a programming run, no answer
};

inline constexpr std::uint8_t kResetAddress = 254;
inline constexpr std::uint8_t kChunkAnswer = 8;  // the receiver's acknowledgement of a table chunk
inline constexpr int kChunkSize = 8;

inline constexpr std::chrono::milliseconds kAnswerWatchdog{1000};
inline constexpr std::chrono::milliseconds kStreamWatchdog{10000};
inline constexpr std::chrono::milliseconds kTestWatchdog{2000};

// The values of the four test fields, in the order B1, B2, B3, B4.
using TestBytes = std::array<std::uint8_t, 4>;

// Where the data bytes of a frame come from.
struct FrameSources {
    const ConfData& confdata;
    const TabData& tabdata;
    TestBytes testBytes{};
};

// One command as it goes out: every byte in order, and how long the
// watchdog waits for the answer (none for the commands that get no answer).
struct Frame {
    std::vector<std::uint8_t> bytes;
    std::optional<std::chrono::milliseconds> watchdog;
};

// Low eight bits of the transfer position (configuration and system data).
constexpr std::uint8_t addressByte(std::int32_t position) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(position) & 0xFFu);
}
// High byte of the transfer position as a 16-bit number (table image).
constexpr std::uint8_t addressHighByte(std::int32_t position) {
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(position) >> 8) & 0xFFu);
}

// Builds the frame for command at the transfer position. count is the
// length for writeString (N, its low eight bits on the wire, followed by
// exactly count image bytes) and readString (NH NL); other commands ignore
// it. A writeString frame whose bytes would reach past the image throws
// std::out_of_range; the transfer sequence never asks for one.
Frame buildFrame(Command command, std::int32_t position, int count, const FrameSources& sources);

}  // namespace tovrix
