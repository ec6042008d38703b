#include "serial/comportcore.h"

#include <sys/ioctl.h>

#include <cerrno>

#include "serial/errnomap.h"
#include "serial/errors.h"
#include "serial/eventthread.h"
#include "serial/portnames.h"
#include "serial/termiosbackend.h"
#include "serial/writethread.h"

namespace tovrix {

namespace {
constexpr int kThreadStartTimeoutMs = 3000;
}  // namespace

TComPortCore::TComPortCore() = default;

TComPortCore::~TComPortCore() {
    Close();
}

std::string TComPortCore::PortDeviceName(std::int32_t n) {
    return "COM" + std::to_string(n);
}

bool TComPortCore::Open(std::int32_t n) {
    if (isOpen_) {
        return false;
    }
    if (n <= 0) {
        throw EComPortCoreError(invalidPortText(n), PortFailure::NotPresent);
    }
    comNumber_ = n;
    devicePath_.clear();
    InternalOpen();
    return true;
}

bool TComPortCore::OpenPath(const std::string& path) {
    if (isOpen_) {
        return false;
    }
    comNumber_ = 0;
    devicePath_ = path;
    InternalOpen();
    return true;
}

void TComPortCore::Close() {
    if (isOpen_) {
        InternalClose();
        isOpen_ = false;
    }
}

std::string TComPortCore::CurrentName() const {
    return devicePath_.empty() ? comDevicePath(comNumber_) : devicePath_;
}

void TComPortCore::InternalOpen() {
    openedName_ = CurrentName();
    device_ = openSerialDevice(openedName_, comNumber_);
    hungUp_.store(false, std::memory_order_release);
    eventThread_.reset();
    writeThread_.reset();
    try {
        // Raw mode with reads that return at once is what the time-outs were.
        if (!device_->setRawMode()) {
            throw EComPortCoreError("Error setting timeouts");
        }
        // The driver's queue sizes are fixed on Linux; InBufSize and
        // OutBufSize size the flow limits and the output ring buffer.
        device_->requestLowLatency();
        ApplyDcb(dcb_);
    } catch (...) {
        InternalClose();
        throw;
    }
    StartThreads();
}

void TComPortCore::StartThreads() {
    try {
        threadStartedEvent_.emplace(WaitEvent::Mode::AutoReset);
        outputEmptyEvent_.emplace(WaitEvent::Mode::AutoReset);
        requireEvents({&*threadStartedEvent_, &*outputEmptyEvent_});
        errors_.store(0, std::memory_order_release);
        {
            const std::lock_guard lock(countersMutex_);
            countersSupported_ = device_->readLineCounters(counters_);
        }
        writeThread_ = std::make_unique<TComPortWriteThread>(*this);
        WaitThreadStarted();
        writeThread_->SetPriority(writeThreadPriority_);
        active_.store(true, std::memory_order_release);
        eventThread_ = std::make_unique<TComPortEventThread>(*this);
        WaitThreadStarted();
        eventThread_->SetPriority(eventThreadPriority_);
        isOpen_ = true;
    } catch (...) {
        InternalClose();
        isOpen_ = false;
        throw;
    }
}

bool TComPortCore::CanKeepDevice() {
    return isOpen_ && !HungUp() && device_->reusable() && CurrentName() == openedName_;
}

void TComPortCore::WaitThreadStarted() {
    if (!threadStartedEvent_->WaitFor(kThreadStartTimeoutMs)) {
        throw resourceError(ETIMEDOUT);
    }
}

void TComPortCore::InternalClose() {
    if (!device_) {
        return;
    }
    StopThreads();
    device_.reset();
}

void TComPortCore::StopThreads() {
    // Cleared first, so that the event thread's poll leaves the device alone
    // and a read finds the port inactive.
    active_.store(false, std::memory_order_release);
    // The threads stop without the read lock held: stopping the event thread
    // delivers what other ports have queued for the user-interface thread,
    // and their handlers take their own ports' locks, so holding ours would
    // nest the ports' locks in whatever order the ports close. The write
    // thread goes first (it discards its queue on the way), so that the purge
    // below is the last word: a writer still running would send the rest of
    // its piece after it.
    if (writeThread_) {
        writeThread_->StopThread();
    }
    if (eventThread_) {
        eventThread_->StopThread();
    }
    {
        // A read under way on another thread ends before the threads go.
        const std::lock_guard lock(readLock_);
        writeThread_.reset();
        eventThread_.reset();
        device_->flush(true, true);
    }
    threadStartedEvent_.reset();
    outputEmptyEvent_.reset();
}

void TComPortCore::SetDcb(const TDcb& block) {
    if (Active()) {
        ApplyDcb(block);
    } else {
        dcb_ = block;
    }
}

void TComPortCore::ApplyDcb(const TDcb& block) {
    if (!device_->applyDcb(block)) {
        // The device keeps its previous settings, and so does the block:
        // the device holds only part of it, so what it reports is read over
        // the block it runs on, never over the refused one.
        const int error = errno;
        device_->readDcb(dcb_);
        throw EComPortCoreError("Error setting parameters from DCB", PortFailure::None, error,
                                devicePath_.empty() ? comDevicePath(comNumber_) : devicePath_, {},
                                device_->refusal());
    }
    dcb_ = block;
    ApplyModemOutputs();
}

void TComPortCore::ApplyModemOutputs() {
    // DTR and RTS follow the block unless a handshake drives them; a
    // pseudo-terminal has no modem lines, which is fine.
    const std::uint32_t dtr = dcb_.Flags & dcbflag::DtrControlMask;
    if (dtr != dcbflag::DtrHandshake) {
        device_->setModemLine(TIOCM_DTR, dtr == dcbflag::DtrEnable);
    }
    const std::uint32_t rts = dcb_.Flags & dcbflag::RtsControlMask;
    if (rts == 0 || rts == dcbflag::RtsEnable) {
        device_->setModemLine(TIOCM_RTS, rts == dcbflag::RtsEnable);
    }
}

void TComPortCore::SetEventThreadPriority(TThreadPriority priority) {
    if (priority == eventThreadPriority_) {
        return;
    }
    eventThreadPriority_ = priority;
    if (Active() && eventThread_) {
        eventThread_->SetPriority(priority);
    }
}

void TComPortCore::SetWriteThreadPriority(TThreadPriority priority) {
    if (priority == writeThreadPriority_) {
        return;
    }
    writeThreadPriority_ = priority;
    if (Active() && writeThread_) {
        writeThread_->SetPriority(priority);
    }
}

bool TComPortCore::WriteData(const void* buffer, std::int32_t n) {
    if (!Active() || !writeThread_) {
        return false;
    }
    return writeThread_->QueueData(buffer, n);
}

std::int32_t TComPortCore::ReadData(void* buffer, std::int32_t n) {
    // Looked at under the lock, so that a close cannot take the thread away
    // between the look and the read.
    const std::lock_guard lock(readLock_);
    if (!Active() || !eventThread_) {
        return -1;
    }
    return eventThread_->ReadData(buffer, n);
}

std::int32_t TComPortCore::OutputFree() {
    if (!Active() || !writeThread_) {
        return 0;
    }
    return writeThread_->FreeSpace();
}

bool TComPortCore::ClearOutput() {
    if (!Active() || !writeThread_) {
        return false;
    }
    return writeThread_->ClearOutput();
}

std::uint32_t TComPortCore::TakeErrors() {
    if (!Active()) {
        return 0;
    }
    const std::lock_guard lock(readLock_);
    return errors_.exchange(0, std::memory_order_acq_rel);
}

void TComPortCore::GetComStat(TComStat& status) {
    status = TComStat{};
    if (!Active()) {
        return;
    }
    const std::lock_guard lock(readLock_);
    UpdateLineErrors();
    const int waiting = device_->inputQueueCount();
    status.cbInQue = waiting > 0 ? static_cast<std::uint32_t>(waiting) : 0U;
    status.cbOutQue = static_cast<std::uint32_t>(device_->outputQueueCount());
}

std::int32_t TComPortCore::QueuedInput() {
    const int waiting = device_->inputQueueCount();
    if (waiting < 0) {
        if (classifyErrno(errno) == SysErrorKind::Gone) {
            NoteHangUp();
        }
        return 0;
    }
    return waiting;
}

std::uint32_t TComPortCore::UpdateLineErrors() {
    const std::lock_guard lock(countersMutex_);
    if (!countersSupported_ || HungUp()) {
        return 0;
    }
    LineCounters now;
    if (!device_->readLineCounters(now)) {
        return 0;
    }
    const std::uint32_t flags = lineErrorFlags(counters_, now);
    counters_ = now;
    if (flags != 0) {
        errors_.fetch_or(flags, std::memory_order_acq_rel);
    }
    return flags;
}

bool TComPortCore::EscapeFunction(std::uint32_t code) {
    if (!Active()) {
        return false;
    }
    switch (code) {
        case SETRTS:
            return device_->setModemLine(TIOCM_RTS, true);
        case CLRRTS:
            return device_->setModemLine(TIOCM_RTS, false);
        case SETDTR:
            return device_->setModemLine(TIOCM_DTR, true);
        case CLRDTR:
            return device_->setModemLine(TIOCM_DTR, false);
        default:
            return false;
    }
}

}  // namespace tovrix
