#include "serial/eventthread.h"

#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "serial/deadline.h"
#include "serial/errnomap.h"
#include "serial/serialdevice.h"

namespace tovrix {

namespace {

constexpr int kPollIntervalMs = 200;

// epoll tags of the wake-up sources.
constexpr std::uint64_t kStopTag = 1;
constexpr std::uint64_t kOutputEmptyTag = 2;
constexpr std::uint64_t kDeviceTag = 3;

bool addToEpoll(int epollFd, int fd, std::uint32_t events, std::uint64_t tag) {
    epoll_event event{};
    event.events = events;
    event.data.u64 = tag;
    return ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event) == 0;
}

}  // namespace

TComPortEventThread::TComPortEventThread(TComPortCore& core)
    : TComPortCoreThread(core), callback_(core.EventCallback) {
    // Everything the thread waits on is set up here, where a failure can
    // still refuse the open: a thread that cannot see its stop request
    // could never be ended.
    requireEvents({&StopEvent, &*Core.outputEmptyEvent_});
    epollFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (epollFd_ < 0) {
        throw resourceError(errno);
    }
    try {
        if (!addToEpoll(epollFd_, StopEvent.fd(), EPOLLIN, kStopTag) ||
            !addToEpoll(epollFd_, Core.outputEmptyEvent_->fd(), EPOLLIN, kOutputEmptyTag) ||
            !WatchDevice()) {
            throw resourceError(errno);
        }
        Start();
    } catch (...) {
        ::close(epollFd_);
        throw;
    }
}

TComPortEventThread::~TComPortEventThread() {
    TComPortCoreThread::StopThread();
    ::close(epollFd_);
}

void TComPortEventThread::Execute() {
    modemLinesSupported_ = Device.readModemLines(modemLines_);
    lastLineCheck_ = std::chrono::steady_clock::now();
    Core.outputEmptyEvent_->Reset();
    Core.threadStartedEvent_->Set();

    while (!Terminated()) {
        epoll_event events[3];
        const int ready = epollWaitUntil(epollFd_, events, 3, Deadline::after(kPollIntervalMs));
        if (ready < 0) {
            // Cannot happen with a valid epoll set; wait for the stop request
            // rather than turning a broken wait into a busy loop.
            StopEvent.WaitFor(kPollIntervalMs);
            continue;
        }
        if (ready == 0) {
            // Nothing happened for a whole interval: report what waits unread.
            std::uint32_t mask = CheckLines();
            if (mask != 0) {
                Notify(ceCommEvent, mask);
            }
            if (!Core.Active() || Terminated()) {
                continue;
            }
            const std::int32_t waiting = Core.QueuedInput();
            if (waiting > 0) {
                Notify(ceDataAvailable, static_cast<std::uint32_t>(waiting));
            }
            ReportHangUp();
            continue;
        }
        bool stop = false;
        bool outputEmpty = false;
        std::uint32_t mask = 0;
        for (int i = 0; i < ready; ++i) {
            switch (events[i].data.u64) {
                case kStopTag:
                    stop = true;
                    break;
                case kOutputEmptyTag:
                    Core.outputEmptyEvent_->Consume();
                    outputEmpty = true;
                    break;
                case kDeviceTag:
                    if ((events[i].events & EPOLLIN) != 0 && Core.QueuedInput() > 0) {
                        mask |= EV_RXCHAR;
                    }
                    if ((events[i].events & (EPOLLHUP | EPOLLERR)) != 0) {
                        // Gone for good: note it once and stop watching, or
                        // the level-triggered hang-up would wake us for ever.
                        Core.NoteHangUp();
                        ForgetDevice();
                    }
                    break;
                default:
                    break;
            }
        }
        if (stop) {
            Terminate();
            break;
        }
        mask |= CheckLines();
        if (mask != 0) {
            Notify(ceCommEvent, mask);
        }
        if (outputEmpty) {
            Notify(ceOutBufEmpty, 0);
        }
        ReportHangUp();
    }
    ForgetDevice();
}

bool TComPortEventThread::WatchDevice() {
    // Edge-triggered: a wake-up means new bytes, not bytes still lying there.
    deviceWatched_ = addToEpoll(epollFd_, Device.fd(), EPOLLIN | EPOLLET, kDeviceTag);
    return deviceWatched_;
}

void TComPortEventThread::ForgetDevice() {
    if (deviceWatched_) {
        ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, Device.fd(), nullptr);
        deviceWatched_ = false;
    }
}

std::uint32_t TComPortEventThread::CheckLines() {
    // Modem lines and line errors raise no wake-up of their own here, so
    // they are compared at most every poll interval.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLineCheck_ < std::chrono::milliseconds(kPollIntervalMs)) {
        return 0;
    }
    lastLineCheck_ = now;
    if (!Core.Active() || Core.HungUp()) {
        return 0;
    }
    std::uint32_t mask = 0;
    if (Core.UpdateLineErrors() != 0) {
        mask |= EV_ERR;
    }
    if (modemLinesSupported_) {
        int lines = 0;
        if (Device.readModemLines(lines)) {
            const int changed = lines ^ modemLines_;
            if ((changed & TIOCM_CTS) != 0) {
                mask |= EV_CTS;
            }
            if ((changed & TIOCM_DSR) != 0) {
                mask |= EV_DSR;
            }
            if ((changed & TIOCM_CD) != 0) {
                mask |= EV_RLSD;
            }
            if ((changed & TIOCM_RI) != 0 && (lines & TIOCM_RI) != 0) {
                mask |= EV_RING;
            }
            modemLines_ = lines;
        } else {
            if (classifyErrno(errno) == SysErrorKind::Gone) {
                Core.NoteHangUp();
            }
            modemLinesSupported_ = false;
        }
    }
    return mask & Core.EventMask();
}

void TComPortEventThread::ReportHangUp() {
    if (hangUpReported_ || !Core.HungUp() || Terminated()) {
        return;
    }
    hangUpReported_ = true;
    Notify(ceHangUp, 0);
}

void TComPortEventThread::Notify(TCoreEvent kind, std::uint32_t data, std::exception_ptr error) {
    if (callbackCleared_.load(std::memory_order_acquire) || !callback_) {
        return;
    }
    try {
        callback_(Core, kind, data, error);
    } catch (...) {
        HandleException(std::current_exception());
    }
}

void TComPortEventThread::HandleException(std::exception_ptr error) {
    if (!error || IsSilentAbort(error)) {
        return;
    }
    if (!callbackCleared_.load(std::memory_order_acquire) && callback_) {
        try {
            callback_(Core, ceThreadException, 0, error);
        } catch (...) {
            // The report itself was aborted (the port is closing): nothing more to do.
        }
        return;
    }
    TComPortCoreThread::HandleException(error);
}

std::int32_t TComPortEventThread::ReadData(void* buffer, std::int32_t n) {
    if (n <= 0) {
        return 0;
    }
    const ssize_t count = Device.read(buffer, static_cast<std::size_t>(n));
    if (count > 0) {
        return static_cast<std::int32_t>(count);
    }
    if (count == 0 || classifyErrno(errno) == SysErrorKind::Gone) {
        // A read of 0 from a terminal in this mode, or EIO: the device hung up.
        if (count == 0 && Device.inputQueueCount() >= 0) {
            return 0;
        }
        Core.NoteHangUp();
    }
    return 0;
}

void TComPortEventThread::StopThread() {
    callbackCleared_.store(true, std::memory_order_release);
    Terminate();
    // Discard unread input, as the port is going away.
    Device.flush(true, false);
    TComPortCoreThread::StopThread();
}

}  // namespace tovrix
