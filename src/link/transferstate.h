#pragma once

#include "config/confblock.h"
#include "table/image.h"

#include <array>
#include <cstdint>

namespace tovrix {

inline constexpr int kSysDataSize = 21;
// The receiver's system data; bytes 1 and 2 are its firmware version.
using SysData = std::array<std::uint8_t, kSysDataSize>;

// Where a transfer stands. All flags are off until a transfer starts.
struct TransferState {
    std::int32_t xferpos = 0;  // address of the next byte or chunk; bytes handled in this phase
    std::int32_t xferlen = 0;  // table transfer length
    bool readmode = false;     // a configuration or table read runs
    bool writemode = false;    // a configuration or table programming run runs
    bool verifymode = false;   // the read-back after programming the configuration runs
    bool sysphase = false;     // the system data are being read before a configuration transfer
    bool tablemode = false;    // the transfer concerns the table image (stays on afterwards)
    bool testmode = false;     // a test telegram was sent and its answer is being logged
    bool sendend = false;      // send the end command when the transfer closes
    std::array<std::uint8_t, conf::kBlockSize> rxdata{};  // system data, then configuration bytes
    TabData rxtab{};                                      // the table image while it is read
};

}  // namespace tovrix
