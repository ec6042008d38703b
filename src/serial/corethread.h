#pragma once

#include <sys/types.h>

#include <atomic>
#include <exception>
#include <initializer_list>
#include <thread>

#include "serial/serialtypes.h"
#include "serial/waitevent.h"

namespace tovrix {

class TComPortCore;
class SerialDevice;

// Throws the open error (see resourceError) unless every event got its descriptor.
void requireEvents(std::initializer_list<const WaitEvent*> events);

// Base of the two worker threads of an open port. The derived constructor
// starts the thread; StopThread ends it and must run before destruction. A
// thread that cannot get what it needs is never started: its constructor
// throws the open error instead.
class TComPortCoreThread {
  public:
    virtual ~TComPortCoreThread();
    TComPortCoreThread(const TComPortCoreThread&) = delete;
    TComPortCoreThread& operator=(const TComPortCoreThread&) = delete;

    // Requests termination, sets StopEvent and waits until the thread has
    // ended. On the user-interface thread the wait keeps serving the
    // registry's pending sends, so an event thread blocked in one can finish.
    virtual void StopThread();
    void SetPriority(TThreadPriority priority);

  protected:
    explicit TComPortCoreThread(TComPortCore& core);

    // Starts the thread once StopEvent, the thread's own end signal and the
    // derived class's events all have their descriptors; otherwise, or when
    // the system has no thread to give, throws the open error. A thread
    // without them could never be stopped.
    void Start(std::initializer_list<const WaitEvent*> events = {});
    virtual void Execute() = 0;
    // Called with an exception caught in the thread. The base shows it on
    // the user-interface thread, except the quiet abort.
    virtual void HandleException(std::exception_ptr error);

    bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
    void Terminate() { terminated_.store(true, std::memory_order_release); }

    static bool IsSilentAbort(std::exception_ptr error);

    TComPortCore& Core;
    SerialDevice& Device;  // the core's device at creation; outlives the thread
    WaitEvent StopEvent{WaitEvent::Mode::ManualReset};

  private:
    void Run();

    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<pid_t> tid_{0};
    WaitEvent endedEvent_{WaitEvent::Mode::ManualReset};
    bool stopped_ = false;
};

}  // namespace tovrix
