#include "serial/threadpriority.h"

#include <sys/resource.h>

namespace tovrix {

int niceForPriority(TThreadPriority priority) {
    switch (priority) {
        case tpIdle:
            return 19;
        case tpLowest:
            return 10;
        case tpLower:
            return 5;
        case tpNormal:
            return 0;
        case tpHigher:
            return -5;
        case tpHighest:
            return -10;
        case tpTimeCritical:
            return -20;
    }
    return 0;
}

void applyThreadPriority(pid_t tid, TThreadPriority priority) {
    if (tid <= 0) {
        return;
    }
    // On Linux a thread's nice value is per thread when addressed by its id.
    [[maybe_unused]] const int ignored =
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), niceForPriority(priority));
}

}  // namespace tovrix
