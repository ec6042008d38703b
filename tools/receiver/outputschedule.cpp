#include "receiver/outputschedule.h"

#include <chrono>

namespace tovrix::receiver {

void OutputSchedule::hold(Instant ready, std::uint32_t pauseMs) {
    if (pauseMs > 0 && paced()) {
        // A pause starts when the byte before it has left (or when the answer
        // is ready, if the line is idle by then).
        wire_.holdUntil(std::max(ready, wire_.freeAt()) + std::chrono::milliseconds(pauseMs));
    }
}

void OutputSchedule::add(std::span<const OutByte> bytes, Instant ready,
                         std::uint32_t trailingPauseMs) {
    for (const OutByte& byte : bytes) {
        hold(ready, byte.pauseBeforeMs);
        queue_.push_back({byte.value, wire_.pass(ready)});
    }
    hold(ready, trailingPauseMs);
}

void OutputSchedule::add(std::span<const std::uint8_t> bytes, Instant ready) {
    for (std::uint8_t byte : bytes) {
        queue_.push_back({byte, wire_.pass(ready)});
    }
}

std::optional<Instant> OutputSchedule::nextDue() const {
    if (queue_.empty()) {
        return std::nullopt;
    }
    return queue_.front().at;
}

std::vector<std::uint8_t> OutputSchedule::due(Instant now) const {
    std::vector<std::uint8_t> bytes;
    for (const Entry& entry : queue_) {
        if (entry.at > now) {
            break;
        }
        bytes.push_back(entry.value);
    }
    return bytes;
}

void OutputSchedule::consume(std::size_t count) {
    queue_.erase(queue_.begin(), queue_.begin() + std::min(count, queue_.size()));
}

void OutputSchedule::clear() {
    queue_.clear();
}

}  // namespace tovrix::receiver
