#pragma once

#include <sys/types.h>

#include "serial/serialtypes.h"

namespace tovrix {

// The nice value that stands for a thread priority (lower is more urgent).
int niceForPriority(TThreadPriority priority);

// Applies the priority to the thread with kernel id tid. A refusal (no
// privilege to raise the priority) is ignored: the thread just runs at the
// priority it has.
void applyThreadPriority(pid_t tid, TThreadPriority priority);

}  // namespace tovrix
