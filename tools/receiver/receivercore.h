#pragma once

#include "receiver/faults.h"
#include "receiver/playout.h"
#include "receiver/receiverstate.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tovrix::receiver {

// Answer to a table chunk that the receiver takes; anything else refuses it.
inline constexpr std::uint8_t kChunkAck = 8;
inline constexpr std::uint8_t kChunkNak = 7;
// Appended to a table stream by the "extra bytes" fault.
inline constexpr std::uint8_t kExtraByte = 0xEE;
// Second parameter of command 24 that resets the receiver.
inline constexpr std::uint8_t kResetAddress = 254;

// What the receiver does about one frame.
struct Response {
    std::vector<OutByte> output;        // the answer, after the fault options
    std::uint32_t trailingPauseMs = 0;  // pauses after the last answer byte
    bool endOfRun = false;              // 29 29: a programming run is complete
    bool reset = false;                 // 24 254
    bool hangUp = false;                // unplug once the output has left
    bool analogueChanged = false;
    bool stepLimitReached = false;  // a play-out was cut off by the step bound
};

// The receiver's command handling: a complete frame in, the state changed and
// the answer out. It keeps no clock; the caller decides when frames are acted
// on and when answer bytes leave.
class ReceiverCore {
  public:
    ReceiverCore(ReceiverState state, FaultOptions faults);

    Response handle(std::span<const std::uint8_t> frame);

    const ReceiverState& state() const { return state_; }
    int analogue() const { return analogue_; }
    // Answer bytes produced so far (after the fault options).
    std::uint64_t answered() const { return answered_; }

    // A few unsolicited bytes, different each time.
    std::vector<std::uint8_t> garbage();

  private:
    std::vector<OutByte> answer(std::span<const std::uint8_t> frame, Response& response);
    std::vector<OutByte> writeTable(std::span<const std::uint8_t> frame);
    std::vector<OutByte> readTable(std::span<const std::uint8_t> frame) const;
    std::vector<OutByte> testTelegram(std::span<const std::uint8_t> frame, Response& response);
    void applyBudgets(Response& response);

    ReceiverState state_;
    FaultOptions faults_;
    int analogue_ = 0;
    bool programmed_ = false;  // a configuration byte has been written
    std::uint64_t answered_ = 0;
    bool hungUp_ = false;
    std::uint8_t garbageCount_ = 0;
};

}  // namespace tovrix::receiver
