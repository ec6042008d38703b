#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "serial/comportcore.h"
#include "serial/corethread.h"
#include "serial/posixdevice.h"

namespace tovrix {

// Watches an open port: reports arriving bytes and line events at once, the
// output queue running empty, and every 200 ms whatever waits unread. The
// device is watched edge-triggered, so bytes nobody reads do not wake the
// thread again until more arrive or the 200 ms poll comes round; a device
// that hangs up is noted once and no longer watched.
class TComPortEventThread : public TComPortCoreThread {
  public:
    explicit TComPortEventThread(TComPortCore& core);
    ~TComPortEventThread() override;

    // Reads what is waiting, up to n bytes; runs on the caller's thread
    // under the core's read lock. Never waits for bytes that have not arrived.
    std::int32_t ReadData(void* buffer, std::int32_t n);
    void StopThread() override;

  protected:
    void Execute() override;
    void HandleException(std::exception_ptr error) override;

  private:
    void Notify(TCoreEvent kind, std::uint32_t data, std::exception_ptr error = nullptr);
    // Reports a hang-up noted anywhere (here, or by a read on another
    // thread) once; a read elsewhere is seen at the next poll round.
    void ReportHangUp();
    bool WatchDevice();
    void ForgetDevice();
    // Line-state and line-error changes as event-mask bits.
    std::uint32_t CheckLines();

    TComPortCore::TEventCallback callback_;
    std::atomic<bool> callbackCleared_{false};
    int epollFd_ = -1;
    bool deviceWatched_ = false;
    bool hangUpReported_ = false;
    bool modemLinesSupported_ = false;
    int modemLines_ = 0;
    std::chrono::steady_clock::time_point lastLineCheck_{};
};

}  // namespace tovrix
