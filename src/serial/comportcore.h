#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "serial/dcb.h"
#include "serial/posixdevice.h"
#include "serial/serialdevice.h"
#include "serial/serialtypes.h"
#include "serial/waitevent.h"

namespace tovrix {

class TComPortEventThread;
class TComPortWriteThread;

// The open serial device and its two worker threads. All operations are
// called on the user-interface thread except where noted; the core itself
// knows nothing about that thread, it only reports through EventCallback
// (on its event thread).
class TComPortCore {
  public:
    // Sender, kind, data (see TCoreEvent) and, for ceThreadException, the
    // exception caught in the event thread.
    using TEventCallback = std::function<void(TComPortCore& Sender, TCoreEvent EventKind,
                                              std::uint32_t Data, std::exception_ptr Error)>;

    TComPortCore();
    ~TComPortCore();
    TComPortCore(const TComPortCore&) = delete;
    TComPortCore& operator=(const TComPortCore&) = delete;

    // Opens COM n; false when already open. Throws EComPortCoreError.
    bool Open(std::int32_t n);
    // Opens the device at `path` instead of a COM number (ComNumber() is
    // then 0, and the error texts name the path); false when already open.
    bool OpenPath(const std::string& path);
    void Close();

    // A close and an immediate open may keep the device as it is: true when
    // the port is open, has not hung up, its device allows it (a network
    // connection that is up, see SerialDevice::reusable) and the port's name
    // still stands for the device it opened (a COM link may point elsewhere
    // by now).
    bool CanKeepDevice();
    // The close and the open that keep the device: StopThreads() ends both
    // threads and discards what either direction still holds, as a close
    // does; StartThreads() starts them again as an open does. When they
    // cannot start, the device is closed and the error propagates as from
    // Open().
    void StopThreads();
    void StartThreads();

    // Copies the block; while open it is applied at once (may throw "Error
    // setting parameters from DCB", after which Dcb() is still the block the
    // device runs on).
    void SetDcb(const TDcb& block);
    const TDcb& Dcb() const { return dcb_; }
    void SetInBufSize(std::int32_t n) { inBufSize_ = n; }
    void SetOutBufSize(std::int32_t n) { outBufSize_ = n; }
    std::int32_t InBufSize() const { return inBufSize_; }
    std::int32_t OutBufSize() const { return outBufSize_; }
    void SetEventThreadPriority(TThreadPriority priority);
    void SetWriteThreadPriority(TThreadPriority priority);

    bool WriteData(const void* buffer, std::int32_t n);
    // Bytes read (0 when nothing waits); -1 when not active.
    std::int32_t ReadData(void* buffer, std::int32_t n);
    std::int32_t OutputFree();
    bool ClearOutput();
    std::uint32_t TakeErrors();
    void GetComStat(TComStat& status);
    bool EscapeFunction(std::uint32_t code);

    // The name errors and dialogs use for port n: "COM%d".
    static std::string PortDeviceName(std::int32_t n);

    bool IsOpen() const { return isOpen_; }
    bool Active() const { return active_.load(std::memory_order_acquire); }
    // The descriptor the port waits on (-1 while closed).
    int Handle() const { return device_ ? device_->fd() : -1; }
    std::int32_t ComNumber() const { return comNumber_; }
    std::uint32_t EventMask() const { return eventMask_; }
    // True once the device has hung up (far end gone, adapter unplugged).
    bool HungUp() const { return hungUp_.load(std::memory_order_acquire); }

    TEventCallback EventCallback;

  private:
    friend class TComPortCoreThread;
    friend class TComPortEventThread;
    friend class TComPortWriteThread;

    void InternalOpen();
    void InternalClose();
    // The name the port stands for now: its path, or what COM n resolves to.
    std::string CurrentName() const;
    void WaitThreadStarted();
    void ApplyDcb(const TDcb& block);
    void ApplyModemOutputs();
    // Input queue count as the event thread sees it (no lock: the device
    // outlives the thread and guards its own state).
    std::int32_t QueuedInput();
    // Adds line errors the driver counted since the last look to Errors and
    // returns the flags that were new.
    std::uint32_t UpdateLineErrors();
    void NoteHangUp() { hungUp_.store(true, std::memory_order_release); }

    std::atomic<bool> active_{false};
    std::int32_t comNumber_ = 0;
    std::string devicePath_;  // set by OpenPath; empty when opened by number
    TDcb dcb_{};
    std::uint32_t eventMask_ = kDefaultEventMask;
    std::unique_ptr<SerialDevice> device_;
    std::string openedName_;  // what device_ was opened as
    bool isOpen_ = false;
    std::atomic<std::uint32_t> errors_{0};
    std::atomic<bool> hungUp_{false};
    std::int32_t inBufSize_ = 8192;
    std::int32_t outBufSize_ = 4096;
    std::recursive_mutex readLock_;
    std::recursive_mutex writeLock_;
    std::mutex countersMutex_;
    bool countersSupported_ = false;
    LineCounters counters_{};
    std::unique_ptr<TComPortEventThread> eventThread_;
    std::unique_ptr<TComPortWriteThread> writeThread_;
    // Made by each open and released by its close, so that an open is where
    // a shortage of descriptors shows (and a later open can succeed).
    std::optional<WaitEvent> threadStartedEvent_;
    std::optional<WaitEvent> outputEmptyEvent_;
    TThreadPriority writeThreadPriority_ = tpHigher;
    TThreadPriority eventThreadPriority_ = tpNormal;
};

}  // namespace tovrix
