#include "serial/waitevent.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "serial/deadline.h"

namespace tovrix {

WaitEvent::WaitEvent(Mode mode)
    : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), error_(fd_ < 0 ? errno : 0), mode_(mode) {}

WaitEvent::~WaitEvent() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void WaitEvent::Set() {
    const std::uint64_t one = 1;
    // EAGAIN would mean the counter is saturated, i.e. already set.
    [[maybe_unused]] const ssize_t ignored = ::write(fd_, &one, sizeof one);
}

void WaitEvent::Reset() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(fd_, &value, sizeof value);
}

void WaitEvent::Consume() {
    if (mode_ == Mode::AutoReset) {
        Reset();
    }
}

bool WaitEvent::WaitFor(int timeoutMs) {
    pollfd entry{fd_, POLLIN, 0};
    const Deadline deadline = timeoutMs < 0 ? Deadline::never() : Deadline::after(timeoutMs);
    if (pollUntil(&entry, 1, deadline) <= 0) {
        return false;
    }
    Consume();
    return true;
}

}  // namespace tovrix
