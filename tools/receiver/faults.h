#pragma once

#include <cstdint>
#include <optional>

namespace tovrix::receiver {

// Misbehaviour the emulated receiver can be told to show, so that the tool's
// transfer sequences can be tested against it. Everything off by default.
struct FaultOptions {
    bool silent = false;                       // never answers
    std::optional<std::uint64_t> stopAfter;    // answers this many bytes, then silence
    std::optional<std::uint8_t> badEcho;       // wrong echo for this configuration address
    std::optional<std::uint16_t> nakChunk;     // answers 7 to the table chunk holding this position
    std::optional<std::uint8_t> verifyDiffer;  // reads back a different byte here once programmed
    std::uint32_t extra = 0;                   // bytes appended to every table stream
    std::optional<std::uint64_t> hangupAfter;  // unplugs the line after this many answer bytes
    bool garbage = false;                      // sends unsolicited bytes every second
};

}  // namespace tovrix::receiver
