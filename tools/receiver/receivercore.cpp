#include "receiver/receivercore.h"

#include "receiver/frameassembler.h"

#include <algorithm>

namespace tovrix::receiver {

namespace {

std::vector<OutByte> one(std::uint8_t value) {
    return {OutByte{value, 0}};
}

int address16(std::uint8_t high, std::uint8_t low) {
    return high * 256 + low;
}

}  // namespace

ReceiverCore::ReceiverCore(ReceiverState state, FaultOptions faults)
    : state_(state), faults_(faults) {}

Response ReceiverCore::handle(std::span<const std::uint8_t> frame) {
    Response response;
    const std::optional<std::size_t> length = frameLength(frame);
    if (!length || *length == 0 || frame.size() != *length) {
        return response;  // not a whole frame: nothing to act on
    }
    response.output = answer(frame, response);
    applyBudgets(response);
    return response;
}

std::vector<OutByte> ReceiverCore::answer(std::span<const std::uint8_t> frame, Response& response) {
    switch (frame[0]) {
        case cmd::kWriteConfig: {
            const std::uint8_t address = frame[1];
            const std::uint8_t value = frame[2];
            if (address >= block::kSize) {
                return {};  // no such byte: an echo would claim a write that did not happen
            }
            state_.conf[address] = value;
            programmed_ = true;
            const bool corrupt = faults_.badEcho == address;
            return one(corrupt ? static_cast<std::uint8_t>(value ^ 0xFF) : value);
        }
        case cmd::kWriteTable:
            return writeTable(frame);
        case cmd::kReadConfig: {
            const std::uint8_t address = frame[1];
            if (address >= block::kSize) {
                return {};
            }
            const std::uint8_t value = state_.conf[address];
            const bool corrupt = programmed_ && faults_.verifyDiffer == address;
            return one(corrupt ? static_cast<std::uint8_t>(value ^ 0xFF) : value);
        }
        case cmd::kReadTable:
            return readTable(frame);
        case cmd::kSystem:
            if (frame[1] < kSystemBytes) {
                return one(state_.system[frame[1]]);
            }
            if (frame[1] == kResetAddress) {
                response.reset = true;
                if (analogue_ != 0) {
                    response.analogueChanged = true;
                }
                analogue_ = 0;
            }
            return {};
        case cmd::kTestTelegram:
            return testTelegram(frame, response);
        case cmd::kEndRun:
            response.endOfRun = true;
            return {};
        default:
            return {};
    }
}

std::vector<OutByte> ReceiverCore::writeTable(std::span<const std::uint8_t> frame) {
    const int address = address16(frame[1], frame[2]);
    const std::span<const std::uint8_t> data = frame.subspan(4);
    const int end = address + static_cast<int>(data.size());
    // A chunk that would run past the image is refused as a whole rather than
    // stored in part and acknowledged.
    if (end > kTableBytes) {
        return one(kChunkNak);
    }
    if (faults_.nakChunk && *faults_.nakChunk >= address && *faults_.nakChunk < end) {
        return one(kChunkNak);
    }
    std::copy(data.begin(), data.end(), state_.image.begin() + address);
    return one(kChunkAck);
}

std::vector<OutByte> ReceiverCore::readTable(std::span<const std::uint8_t> frame) const {
    const int address = address16(frame[1], frame[2]);
    const int length = address16(frame[3], frame[4]);
    // A request that reaches past the image gets the bytes there are.
    const int end = std::min(address + length, kTableBytes);
    std::vector<OutByte> out;
    out.reserve(std::max(end - address, 0) + faults_.extra);
    for (int i = address; i < end; ++i) {
        out.push_back({state_.image[i], 0});
    }
    out.insert(out.end(), faults_.extra, OutByte{kExtraByte, 0});
    return out;
}

std::vector<OutByte> ReceiverCore::testTelegram(std::span<const std::uint8_t> frame,
                                                Response& response) {
    const Payload payload{frame[1], frame[2], frame[3]};
    if (!telegramSumOk(payload, frame[4]) || !conditionsAccept(state_.conf, payload)) {
        return {};
    }
    PlayOutResult played =
        playOut(state_.image, payload, analogue_, state_.conf[block::kResolution]);
    response.analogueChanged = played.analogue != analogue_;
    response.stepLimitReached = played.stepLimitReached;
    response.trailingPauseMs = played.trailingPauseMs;
    analogue_ = played.analogue;
    return std::move(played.output);
}

void ReceiverCore::applyBudgets(Response& response) {
    std::uint64_t allowed = response.output.size();
    if (hungUp_ || faults_.silent) {
        allowed = 0;
    }
    if (faults_.stopAfter) {
        allowed = std::min(allowed, *faults_.stopAfter - std::min(*faults_.stopAfter, answered_));
    }
    if (faults_.hangupAfter && !hungUp_) {
        const std::uint64_t left = *faults_.hangupAfter - std::min(*faults_.hangupAfter, answered_);
        // The line goes dead once the budget is spent and the receiver has
        // something more to say (or has just said its last allowed byte).
        if (!response.output.empty() && response.output.size() >= left) {
            allowed = std::min<std::uint64_t>(allowed, left);
            response.hangUp = true;
            hungUp_ = true;
        }
    }
    if (allowed < response.output.size()) {
        response.output.resize(allowed);
        response.trailingPauseMs = 0;
    }
    answered_ += response.output.size();
}

std::vector<std::uint8_t> ReceiverCore::garbage() {
    ++garbageCount_;
    return {0xAA, 0x55, garbageCount_};
}

}  // namespace tovrix::receiver
