#include "receiver/frameassembler.h"

namespace tovrix::receiver {

std::optional<std::size_t> frameLength(std::span<const std::uint8_t> start) {
    if (start.empty()) {
        return std::nullopt;
    }
    switch (start[0]) {
        case cmd::kWriteConfig:
            return 3;
        case cmd::kWriteTable:
            // Command, two address bytes, the count N and N data bytes.
            if (start.size() < 4) {
                return std::nullopt;
            }
            return 4 + std::size_t{start[3]};
        case cmd::kReadConfig:
        case cmd::kSystem:
        case cmd::kEndRun:
            return 2;
        case cmd::kReadTable:
        case cmd::kTestTelegram:
            return 5;
        default:
            return 0;
    }
}

std::vector<AssemblerEvent> FrameAssembler::feed(std::span<const std::uint8_t> bytes,
                                                 Instant arrival) {
    std::vector<AssemblerEvent> events;
    for (std::uint8_t byte : bytes) {
        lastArrival_ = arrival;
        take(byte, arrival, wire_.pass(arrival), events);
    }
    return events;
}

void FrameAssembler::take(std::uint8_t byte, Instant arrival, Instant finish,
                          std::vector<AssemblerEvent>& events) {
    if (partial_.empty() && frameLength(std::span(&byte, 1)) == std::size_t{0}) {
        events.push_back({AssemblerEvent::Kind::Ignored, {byte}, arrival});
        return;
    }
    // The end command is its byte twice. A lone 29 followed by something else
    // was noise: skip it and let the second byte start a frame of its own.
    if (partial_.size() == 1 && partial_[0] == cmd::kEndRun && byte != cmd::kEndRun) {
        events.push_back({AssemblerEvent::Kind::Ignored, partial_, arrival});
        partial_.clear();
        take(byte, arrival, finish, events);
        return;
    }
    partial_.push_back(byte);
    const std::optional<std::size_t> length = frameLength(partial_);
    if (length.has_value() && partial_.size() >= *length) {
        events.push_back({AssemblerEvent::Kind::Frame, std::move(partial_), finish});
        partial_.clear();
    }
}

std::vector<AssemblerEvent> FrameAssembler::expire(Instant quietAt) {
    std::vector<AssemblerEvent> events;
    if (const std::optional<Instant> deadline = silenceDeadline();
        deadline && quietAt > *deadline) {
        events.push_back({AssemblerEvent::Kind::Dropped, std::move(partial_), *deadline});
        partial_.clear();
    }
    return events;
}

std::optional<Instant> FrameAssembler::silenceDeadline() const {
    if (partial_.empty()) {
        return std::nullopt;
    }
    return lastArrival_ + kFrameSilenceLimit;
}

}  // namespace tovrix::receiver
