#pragma once

#include "receiver/faults.h"

#include <string>
#include <string_view>
#include <vector>

namespace tovrix::receiver {

struct Options {
    int com = 1;
    bool fast = false;
    std::string statePath;  // empty: no state file
    std::string logPath;    // empty: no log
    FaultOptions faults;
    bool help = false;
    bool version = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line was accepted
};

// Reads the command line (without the program name). Options take their
// value as the next argument or after "=" ("--com 2", "--com=2").
ParsedOptions parseOptions(const std::vector<std::string_view>& args);

// The text --help prints: every option and the log format.
std::string helpText();

}  // namespace tovrix::receiver
