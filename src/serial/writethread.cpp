#include "serial/writethread.h"

#include <poll.h>

#include <cerrno>
#include <mutex>

#include "serial/comportcore.h"
#include "serial/deadline.h"
#include "serial/errnomap.h"
#include "serial/serialdevice.h"

namespace tovrix {

namespace {
constexpr int kPurgeAckTimeoutMs = 2000;
}  // namespace

TComPortWriteThread::TComPortWriteThread(TComPortCore& core)
    : TComPortCoreThread(core), OutputBuffer(core.OutBufSize()) {
    Start({&PurgeAckEvent, &PurgeRequestEvent, &DataEvent, &PurgeDoneEvent});
}

TComPortWriteThread::~TComPortWriteThread() {
    TComPortCoreThread::StopThread();
}

void TComPortWriteThread::Execute() {
    Core.threadStartedEvent_->Set();
    while (!Terminated()) {
        pollfd fds[3] = {{StopEvent.fd(), POLLIN, 0},
                         {PurgeRequestEvent.fd(), POLLIN, 0},
                         {DataEvent.fd(), POLLIN, 0}};
        if (pollUntil(fds, 3, Deadline::never()) < 0) {
            StopEvent.WaitFor(-1);
            continue;
        }
        // The first signalled source wins, in this order.
        if (fds[0].revents != 0) {
            Terminate();
        } else if (fds[1].revents != 0) {
            AcknowledgePurge();
        } else if (fds[2].revents != 0) {
            DataEvent.Consume();
            SendQueued();
        }
    }
}

void TComPortWriteThread::SendQueued() {
    const std::uint8_t* piece = nullptr;
    std::int32_t size = 0;
    {
        const std::lock_guard lock(Core.writeLock_);
        size = OutputBuffer.ContiguousCount();
        piece = OutputBuffer.ReadPointer();
    }
    if (size == 0) {
        return;
    }
    std::int32_t sent = 0;
    while (sent < size) {
        const ssize_t written = Device.write(piece + sent, static_cast<std::size_t>(size - sent));
        if (written > 0) {
            // Sent bytes leave the queue at once, so OutputFree grows while a
            // long piece is still going out.
            const std::lock_guard lock(Core.writeLock_);
            OutputBuffer.Remove(static_cast<std::int32_t>(written));
            sent += static_cast<std::int32_t>(written);
            continue;
        }
        if (written < 0 && classifyErrno(errno) == SysErrorKind::TryAgain) {
            // The driver's queue is full: wait until it takes more, or until
            // a stop or a purge request ends the piece.
            pollfd fds[3] = {{StopEvent.fd(), POLLIN, 0},
                             {PurgeRequestEvent.fd(), POLLIN, 0},
                             {Device.fd(), POLLOUT, 0}};
            if (pollUntil(fds, 3, Deadline::never()) < 0) {
                return;
            }
            if (fds[0].revents != 0) {
                Terminate();
                return;
            }
            if (fds[1].revents != 0) {
                // The purge that follows discards the rest of the piece.
                AcknowledgePurge();
                return;
            }
            continue;  // writable, or an error the next write will tell
        }
        // Any other failure (the device hung up): the bytes stay queued and
        // are tried again when more are queued. No retry loop here.
        return;
    }
    const std::lock_guard lock(Core.writeLock_);
    if (OutputBuffer.Count() > 0) {
        DataEvent.Set();  // the next piece, e.g. the part after the wrap
    } else {
        Core.outputEmptyEvent_->Set();
    }
}

void TComPortWriteThread::AcknowledgePurge() {
    PurgeRequestEvent.Consume();
    const std::uint64_t purge = purgeRequested_.load(std::memory_order_acquire);
    PurgeAckEvent.Set();
    // Hold still until the buffer has been cleared: a piece taken now would
    // still point at the bytes being discarded and send them after the purge.
    // If the requester gave up waiting for the acknowledgement, it says so
    // through the same event, and a lost requester cannot hold this thread
    // longer than the time-out either.
    const Deadline deadline = Deadline::after(kPurgeAckTimeoutMs);
    while (purgeFinished_.load(std::memory_order_acquire) < purge) {
        pollfd fds[2] = {{StopEvent.fd(), POLLIN, 0}, {PurgeDoneEvent.fd(), POLLIN, 0}};
        if (pollUntil(fds, 2, deadline) <= 0 || fds[0].revents != 0) {
            return;
        }
        PurgeDoneEvent.Consume();
    }
}

bool TComPortWriteThread::QueueData(const void* buffer, std::int32_t n) {
    const std::lock_guard lock(Core.writeLock_);
    if (!OutputBuffer.Write(buffer, n)) {
        return false;
    }
    DataEvent.Set();
    return true;
}

std::int32_t TComPortWriteThread::FreeSpace() {
    const std::lock_guard lock(Core.writeLock_);
    return OutputBuffer.FreeSpace();
}

bool TComPortWriteThread::ClearOutput() {
    const std::uint64_t purge = purgeRequested_.fetch_add(1, std::memory_order_acq_rel) + 1;
    // An acknowledgement left over from a request that timed out must not
    // stand in for this one.
    PurgeAckEvent.Reset();
    PurgeRequestEvent.Set();
    const bool acknowledged = PurgeAckEvent.WaitFor(kPurgeAckTimeoutMs);
    bool purged = false;
    if (acknowledged) {
        const std::lock_guard lock(Core.writeLock_);
        DataEvent.Reset();
        OutputBuffer.Clear();
        purged = Device.flush(false, true);
    }
    // Releases the write thread: after the purge, or at once if the thread
    // acknowledges this request only after it was given up (nothing was
    // cleared then, and the queued bytes may go out).
    purgeFinished_.store(purge, std::memory_order_release);
    PurgeDoneEvent.Set();
    return acknowledged && purged;
}

void TComPortWriteThread::StopThread() {
    ClearOutput();
    TComPortCoreThread::StopThread();
}

}  // namespace tovrix
