#pragma once

#include "receiver/receiverstate.h"

#include <string>

namespace tovrix::receiver {

// Reads the receiver's memory from a ".tvx" file; a file that does not exist
// yet is created from the state as it stands. Returns an error message, empty
// on success; on failure the state is unchanged.
std::string loadOrCreateStateFile(const std::string& path, int comNumber, ReceiverState& state);

// Writes the state to a ".tvx" file. The text goes to a temporary file in the
// same folder first and then replaces the old file in one step, so that an
// interrupted write never leaves half a file behind. Returns an error
// message, empty on success.
std::string saveStateFile(const std::string& path, int comNumber, const ReceiverState& state);

}  // namespace tovrix::receiver
