#pragma once

#include <cstdint>

namespace tovrix {

// Divisors of the progress gauge in each phase.
inline constexpr int kSystemGaugeDivisor = 20;
inline constexpr int kConfigReadGaugeDivisor = 127;  // configuration read and read-back
inline constexpr int kConfigWriteGaugeDivisor = 99;

// position / divisor × 100 to the nearest integer, halves going to the even
// neighbour (so 12.5 shows as 12). Computed in integers, so no binary
// fraction tips a half either way. A divisor below 1 gives 0.
int gaugePercent(std::int64_t position, std::int64_t divisor);

}  // namespace tovrix
