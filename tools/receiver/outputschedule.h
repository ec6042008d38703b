#pragma once

#include "receiver/linetiming.h"
#include "receiver/playout.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace tovrix::receiver {

// The receiver's outgoing line: answer bytes queue up here and become due at
// the moment they would have finished crossing a real line, one byte time
// after another. Pauses from the output table hold the line idle. With a byte
// time of zero (unpaced) every byte is due at once and pauses are skipped.
class OutputSchedule {
  public:
    explicit OutputSchedule(Nanos byteTime) : wire_(byteTime) {}

    // Queues bytes that the receiver has ready at `ready`; a trailing pause
    // keeps the line busy after them.
    void add(std::span<const OutByte> bytes, Instant ready, std::uint32_t trailingPauseMs = 0);
    void add(std::span<const std::uint8_t> bytes, Instant ready);

    // When the next queued byte is due, if any byte is queued.
    std::optional<Instant> nextDue() const;

    // The queued bytes that are due by `now`, oldest first; they stay queued
    // until consume() takes them.
    std::vector<std::uint8_t> due(Instant now) const;
    void consume(std::size_t count);

    // Forgets every queued byte (the receiver was reset).
    void clear();

    bool empty() const { return queue_.empty(); }
    std::size_t size() const { return queue_.size(); }

  private:
    struct Entry {
        std::uint8_t value;
        Instant at;
    };

    bool paced() const { return wire_.byteTime() > Nanos::zero(); }
    void hold(Instant ready, std::uint32_t pauseMs);

    WireClock wire_;
    std::deque<Entry> queue_;
};

}  // namespace tovrix::receiver
