#pragma once

#include "cli/request.h"

namespace tovrix::cli {

// Runs a checked request to its end in the running QCoreApplication's event
// loop and returns the exit status.
int runRequest(const Request& request);

}  // namespace tovrix::cli
