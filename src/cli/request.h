#pragma once

#include "cli/portspec.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrix::cli {

enum class Command { ports, info, read, write, verify, test, reset, diff, simulate, check };

// The command's name as typed ("read").
const char* commandName(Command command);

// What one call of the program asks for, checked and complete.
struct Request {
    Command command = Command::info;
    std::vector<PortSpec> ports;  // at least one for the commands that use a port
    bool quiet = false;
    bool json = false;
    bool config = true;       // read, write, verify: the configuration block
    bool table = true;        // read, write, verify: the table image
    bool partsGiven = false;  // --config or --table was given
    bool verifyTable = true;  // write: read the table back and compare
    std::string file;         // read, write, verify; diff: the first file
    std::string secondFile;   // diff: the second file
    // test: the texts of B1..B4 as the window's test fields hold them
    // after being left (three places, right-aligned).
    std::array<std::string, 4> testTexts;
    // simulate: the telegrams B1 B2 B3, arriving intervalMs apart.
    std::vector<std::array<std::uint8_t, 3>> telegrams;
    int intervalMs = 1000;
};

// Whether the command talks to receivers.
bool usesPorts(Command command);

}  // namespace tovrix::cli
