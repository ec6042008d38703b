#include "serial/deadline.h"

#include <sys/epoll.h>

#include <cerrno>

namespace tovrix {

int Deadline::remainingMs() const {
    if (infinite_) {
        return -1;
    }
    const auto left = end_ - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

int pollUntil(pollfd* fds, nfds_t count, const Deadline& deadline) {
    for (;;) {
        const int n = ::poll(fds, count, deadline.remainingMs());
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

int epollWaitUntil(int epollFd, epoll_event* events, int maxEvents, const Deadline& deadline) {
    for (;;) {
        const int n = ::epoll_wait(epollFd, events, maxEvents, deadline.remainingMs());
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

}  // namespace tovrix
