#pragma once

#include "config/confblock.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tovrix::sim {

using Payload = std::array<std::uint8_t, 3>;

// The first of the six acceptance conditions (configuration bytes 20..31,
// two per payload byte, all combined with AND) that the payload fails.
struct FailedCondition {
    int index = 0;  // 0..5: condition index % 2 + 1 on payload byte index / 2
    std::uint8_t op = 0;
    std::uint8_t value = 0;
    std::uint8_t received = 0;
};
std::optional<FailedCondition> failedCondition(const ConfData& conf, const Payload& payload);

// "condition 2 on B1 (< 10) not met: B1 = 12"
std::string describe(const FailedCondition& failed);

// The lock-out time of configuration byte 11, in milliseconds.
int lockoutMs(const ConfData& conf);

}  // namespace tovrix::sim
