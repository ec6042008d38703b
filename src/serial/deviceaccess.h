#pragma once

#include <string>

namespace tovrix {

// The name of the group that owns the device file at `path` (on Debian
// "dialout" for serial ports), following links; empty when the file cannot
// be examined or the group has no name.
std::string deviceGroup(const std::string& path);

// Whether the open descriptor is a character device with line settings, as
// a serial port is (a regular file, a FIFO or /dev/null is not).
bool isTerminalDevice(int fd);

}  // namespace tovrix
