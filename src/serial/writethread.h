#pragma once

#include <atomic>
#include <cstdint>

#include "serial/circularbuffer.h"
#include "serial/corethread.h"
#include "serial/waitevent.h"

namespace tovrix {

// Sends what the component queued in the ring buffer. It sends straight from
// the buffer, one contiguous piece at a time, and removes bytes once the
// driver took them; when the queue runs empty it sets the core's
// output-empty event. A clear request is acknowledged only while the thread
// waits, never in the middle of taking a piece or removing sent bytes.
class TComPortWriteThread : public TComPortCoreThread {
  public:
    explicit TComPortWriteThread(TComPortCore& core);
    ~TComPortWriteThread() override;

    // Appends bytes (all or nothing) and wakes the thread. Any thread.
    bool QueueData(const void* buffer, std::int32_t n);
    // Free bytes in the ring buffer, under the core's write lock.
    std::int32_t FreeSpace();
    // Discards everything queued and aborts the transmission in progress;
    // false when the thread did not acknowledge within 2000 ms or the device
    // refused the purge.
    bool ClearOutput();
    void StopThread() override;

  protected:
    void Execute() override;

  private:
    void SendQueued();
    void AcknowledgePurge();

    WaitEvent PurgeAckEvent{WaitEvent::Mode::AutoReset};
    WaitEvent PurgeRequestEvent{WaitEvent::Mode::AutoReset};
    WaitEvent DataEvent{WaitEvent::Mode::AutoReset};
    // Set by ClearOutput once the buffer is cleared and the device purged
    // (or once it gave up waiting for the acknowledgement).
    WaitEvent PurgeDoneEvent{WaitEvent::Mode::AutoReset};
    // Numbers of the last purge requested and the last one finished, so
    // that the write thread waits for the end of the purge it acknowledged
    // and neither a late signal of an earlier purge nor a quick next
    // request can confuse it.
    std::atomic<std::uint64_t> purgeRequested_{0};
    std::atomic<std::uint64_t> purgeFinished_{0};
    TCircularBuffer OutputBuffer;
};

}  // namespace tovrix
