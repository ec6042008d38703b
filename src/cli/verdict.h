#pragma once

#include "link/statusmessages.h"

#include <string>
#include <vector>

namespace tovrix::cli {

// Exit statuses; with several ports the highest one counts.
enum Status : int {
    kSuccess = 0,
    kDiffers = 1,        // the receiver's data differs, or it reported an error
    kUsage = 2,          // bad usage, or a file that cannot be read or is invalid
    kPortError = 3,      // a port that cannot be opened
    kCommunication = 4,  // no answer, unplugged, interrupted
    kNotSaved = 5,       // read: the receiver was read, but the file could not be written
};

// The window's transfers as the command line runs them.
enum class Transfer { readConfig, writeConfig, readTable, writeTable, test, reset };

// Words for a transfer in messages and figures ("configuration write").
const char* transferName(Transfer transfer);

// Everything known about how one transfer ended.
struct TransferEnd {
    Transfer transfer = Transfer::readConfig;
    bool opened = true;                // false: the port could not be opened
    std::string openFailure;           // then: why, in words
    std::vector<StatusMessage> shown;  // status messages in the order shown
    bool answeredLastFrame = false;    // bytes came after the last frame went out
    bool hungUp = false;               // the device went away
    bool interrupted = false;          // Ctrl+C ended it
    bool frameRefused = false;         // the port would not take a frame
    std::string phase;                 // phase text at the end, quotation marks included
    int count = 0;                     // bytes or chunk position reached in that phase
};

struct Verdict {
    int status = kSuccess;
    std::string result;   // one word for scripts: ok, differs, receiver-error, ...
    std::string message;  // one line for people
};

// The verdict on a transfer: what the window would have shown in black or
// red, turned into an exit status and English words.
Verdict judgeTransfer(const TransferEnd& end);

// Whether the transfer programs the receiver (an interruption may then have
// left it partly written).
bool programs(Transfer transfer);

}  // namespace tovrix::cli
