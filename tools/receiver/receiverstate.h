#pragma once

#include "config/configfile.h"
#include "receiver/receivermemory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrix::receiver {

inline constexpr int kSystemBytes = 21;
using SystemData = std::array<std::uint8_t, kSystemBytes>;

// Positions in the system data.
namespace sys {
inline constexpr int kModuleType = 0;
inline constexpr int kFirmwareMinor = 1;
inline constexpr int kFirmwareMajor = 2;
}  // namespace sys

// What the receiver keeps in its memory.
struct ReceiverState {
    SystemData system{};
    ConfigBlock conf{};
    TableImage image{};
};

// A receiver fresh from the factory: firmware 1.03, a configuration block
// that accepts every telegram, and a small demonstration table.
ReceiverState defaultReceiverState();

SystemData defaultSystemData();
ConfigBlock defaultConfigBlock();
TableImage demoTableImage();

// The firmware version as the tool shows it, e.g. "1.03".
std::string firmwareText(const SystemData& system);

// The state as the lines of a ".tvx" file for COM port `comNumber`. The
// tool's file reader and writer keep the state: they carry the bytes as they
// are and compute nothing, so the emulator stays independent of the tool in
// what the bytes mean.
std::vector<std::string> stateFileLines(const ReceiverState& state, int comNumber);

// Takes the block and the image from the lines of a ".tvx" file; the system
// data stay. A rejected file changes nothing.
ConfigFileLoad loadStateFile(const std::vector<std::string>& lines, ReceiverState& state);

}  // namespace tovrix::receiver
