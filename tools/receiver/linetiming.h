#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace tovrix::receiver {

// Points in time are durations since an origin the caller chooses (the
// program uses its monotonic clock; tests pass plain numbers).
using Nanos = std::chrono::nanoseconds;
using Instant = Nanos;

// The receiver's line runs at 19200 baud with 8 data bits, no parity and one
// stop bit: ten bit times per byte, about 0.521 ms.
inline constexpr int kLineBaud = 19200;
inline constexpr int kBitsPerByte = 10;
inline constexpr Nanos kLineByteTime{std::int64_t{1'000'000'000} * kBitsPerByte / kLineBaud};

// One direction of a serial line. Bytes handed to it leave one after the
// other, each taking byteTime on the wire; a byte cannot start before the
// previous one has finished nor before it is handed over. A byte time of zero
// models an infinitely fast line.
class WireClock {
  public:
    explicit WireClock(Nanos byteTime) : byteTime_(byteTime) {}

    // The moment a byte handed over at `ready` has completely crossed the line.
    Instant pass(Instant ready) {
        free_ = std::max(ready, free_) + byteTime_;
        return free_;
    }

    // Keeps the line idle until `until` (a pause in the output).
    void holdUntil(Instant until) { free_ = std::max(free_, until); }

    Instant freeAt() const { return free_; }
    Nanos byteTime() const { return byteTime_; }

  private:
    Nanos byteTime_;
    Instant free_{Nanos::min()};
};

}  // namespace tovrix::receiver
