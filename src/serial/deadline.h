#pragma once

#include <poll.h>

#include <chrono>

struct epoll_event;

namespace tovrix {

// A point in time by which a wait must end. Waits that are interrupted by a
// signal (EINTR) and retried ask it for the time that is left, so a retry
// never restarts the full time-out.
class Deadline {
  public:
    using Clock = std::chrono::steady_clock;

    static Deadline after(int milliseconds) {
        return Deadline(Clock::now() + std::chrono::milliseconds(milliseconds), false);
    }
    static Deadline never() { return Deadline(Clock::time_point{}, true); }

    bool infinite() const { return infinite_; }
    bool expired() const { return !infinite_ && Clock::now() >= end_; }
    // Milliseconds left, rounded up so that a wait never ends early and turns
    // into a string of zero-length waits; -1 when there is no limit.
    int remainingMs() const;

  private:
    Deadline(Clock::time_point end, bool infinite) : end_(end), infinite_(infinite) {}

    Clock::time_point end_;
    bool infinite_;
};

// poll() until something is ready or the deadline passes, retrying after
// EINTR with the time that is left. Returns the number of ready descriptors,
// 0 when the deadline passed, -1 on any other error (errno set).
int pollUntil(pollfd* fds, nfds_t count, const Deadline& deadline);

// The same for an epoll set.
int epollWaitUntil(int epollFd, epoll_event* events, int maxEvents, const Deadline& deadline);

}  // namespace tovrix
