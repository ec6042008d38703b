#pragma once

#include "receiver/linetiming.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tovrix::receiver {

// Command bytes the receiver understands.
namespace cmd {
inline constexpr std::uint8_t kWriteConfig = 20;   // 20 A V
inline constexpr std::uint8_t kWriteTable = 21;    // 21 AH AL N d1..dN
inline constexpr std::uint8_t kReadConfig = 22;    // 22 A
inline constexpr std::uint8_t kReadTable = 23;     // 23 AH AL NH NL
inline constexpr std::uint8_t kSystem = 24;        // 24 A (0..20), 24 254 resets
inline constexpr std::uint8_t kTestTelegram = 25;  // 25 T1 T2 T3 T4
inline constexpr std::uint8_t kEndRun = 29;        // 29 29
}  // namespace cmd

// Length of the frame that starts with the given bytes, as far as they tell:
// 0 when the first byte is no command, nullopt when more bytes are needed to
// know (the length byte of a table write).
std::optional<std::size_t> frameLength(std::span<const std::uint8_t> start);

// A gap longer than this between two bytes of one frame drops the frame.
inline constexpr Nanos kFrameSilenceLimit = std::chrono::milliseconds(100);

struct AssemblerEvent {
    enum class Kind {
        Frame,    // a complete frame, to be acted on at `at`
        Ignored,  // a byte that starts no frame
        Dropped,  // an incomplete frame abandoned after silence
    };
    Kind kind;
    std::vector<std::uint8_t> bytes;
    // Frame: when its last byte would have finished arriving on the modelled
    // line. Ignored: its arrival. Dropped: when the silence limit ran out.
    Instant at;
};

// Cuts the incoming byte stream into command frames, whatever pieces it
// arrives in. Frames have no marker or checksum, so the assembler relies on
// the command byte and the lengths it implies; a byte that cannot start a
// frame is skipped so that the stream can get back in step.
//
// A frame is dropped for silence only on evidence that the line really was
// silent: a moment, more than the limit after the frame's last byte, at which
// nothing was waiting to be read (expire). Bytes that are fed late prove
// nothing of the kind, for the reader may have been held up while they
// waited, so feeding never drops a frame.
class FrameAssembler {
  public:
    // byteTime is the modelled duration of one byte on the incoming line
    // (zero when the line is not modelled).
    explicit FrameAssembler(Nanos byteTime) : wire_(byteTime) {}

    // `arrival` is when the bytes were read.
    std::vector<AssemblerEvent> feed(std::span<const std::uint8_t> bytes, Instant arrival);

    // The line was seen silent at `quietAt` (nothing was waiting to be
    // read): drops an incomplete frame whose silence limit had passed by then.
    std::vector<AssemblerEvent> expire(Instant quietAt);

    // When the incomplete frame, if any, will be dropped.
    std::optional<Instant> silenceDeadline() const;

  private:
    void take(std::uint8_t byte, Instant arrival, Instant finish,
              std::vector<AssemblerEvent>& events);

    WireClock wire_;
    std::vector<std::uint8_t> partial_;
    Instant lastArrival_{};
};

}  // namespace tovrix::receiver
