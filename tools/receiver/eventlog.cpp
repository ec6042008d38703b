#include "receiver/eventlog.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace tovrix::receiver {

namespace {

std::string stamp(Nanos sinceStart, std::string_view kind) {
    const std::int64_t micros = std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::microseconds>(sinceStart).count());
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ".%03" PRId64, micros / 1000, micros % 1000);
    return std::string(text) + " " + std::string(kind);
}

}  // namespace

std::string logLine(Nanos sinceStart, std::string_view kind, std::span<const std::uint8_t> bytes) {
    std::string line = stamp(sinceStart, kind);
    line.reserve(line.size() + bytes.size() * 4);
    for (std::uint8_t byte : bytes) {
        line += ' ';
        line += std::to_string(byte);
    }
    return line;
}

std::string logLine(Nanos sinceStart, std::string_view kind, std::string_view text) {
    return stamp(sinceStart, kind) + " " + std::string(text);
}

}  // namespace tovrix::receiver
