#include "serial/corethread.h"

#include <unistd.h>

#include <system_error>

#include "serial/comportcore.h"
#include "serial/errnomap.h"
#include "serial/errors.h"
#include "serial/exceptiondisplay.h"
#include "serial/safesync.h"
#include "serial/threadpriority.h"

namespace tovrix {

void requireEvents(std::initializer_list<const WaitEvent*> events) {
    for (const WaitEvent* event : events) {
        if (!event->valid()) {
            throw resourceError(event->error());
        }
    }
}

TComPortCoreThread::TComPortCoreThread(TComPortCore& core) : Core(core), Device(*core.device_) {}

TComPortCoreThread::~TComPortCoreThread() {
    if (thread_.joinable()) {
        // Only reached when a derived class forgot StopThread; never leave a
        // running thread behind an object that is going away.
        Terminate();
        StopEvent.Set();
        thread_.join();
    }
}

void TComPortCoreThread::Start(std::initializer_list<const WaitEvent*> events) {
    requireEvents({&StopEvent, &endedEvent_});
    requireEvents(events);
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& error) {
        throw resourceError(error.code().value());
    }
}

void TComPortCoreThread::Run() {
    tid_.store(::gettid(), std::memory_order_release);
    try {
        Execute();
    } catch (...) {
        HandleException(std::current_exception());
    }
    endedEvent_.Set();
}

void TComPortCoreThread::StopThread() {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    Terminate();
    StopEvent.Set();
    if (thread_.joinable()) {
        SafeSyncWaitReadable(endedEvent_.fd());
        thread_.join();
    }
}

void TComPortCoreThread::SetPriority(TThreadPriority priority) {
    applyThreadPriority(tid_.load(std::memory_order_acquire), priority);
}

bool TComPortCoreThread::IsSilentAbort(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const ESilentAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

void TComPortCoreThread::HandleException(std::exception_ptr error) {
    if (!error || IsSilentAbort(error)) {
        return;
    }
    if (SafeSyncOnOwnerThread()) {
        showException(error);
    } else {
        SafeSyncPostProc([error] { showException(error); });
    }
}

}  // namespace tovrix
