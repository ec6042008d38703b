#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix::cli {

// A port as the command line names it: COM1..COM4, resolved as the window
// resolves them, or a device path.
struct PortSpec {
    std::string name;    // "COM1" or the path as given
    int comNumber = 0;   // 1..4, or 0 for a device path
    std::string device;  // the device the port opens
};

// Reads one -p value. On failure returns nothing and sets error.
std::optional<PortSpec> parsePortSpec(std::string_view text, std::string& error);

// The name of the first port that stands for the same device as an earlier
// one (the same name, or COM n and the path its link points to); empty when
// every port is a different device.
std::string repeatedPort(const std::vector<PortSpec>& ports);

// The file a read on one of several ports writes: FILE with "-" and the
// port's name before the extension, the slashes of a device path turned
// into "_" (out.tvx on COM1 gives out-COM1.tvx).
std::string perPortFileName(const std::string& file, const PortSpec& port);

}  // namespace tovrix::cli
