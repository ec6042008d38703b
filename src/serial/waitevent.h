#pragma once

namespace tovrix {

// An event object on an eventfd, so that it can be waited for together with
// the device in one poll(). Auto-reset events are cleared by the wait that
// sees them; manual-reset events stay set until Reset(). Getting the
// descriptor can fail (the process is at its descriptor limit): whoever
// needs the event checks valid() before relying on it.
class WaitEvent {
  public:
    enum class Mode { AutoReset, ManualReset };

    explicit WaitEvent(Mode mode);
    ~WaitEvent();
    WaitEvent(const WaitEvent&) = delete;
    WaitEvent& operator=(const WaitEvent&) = delete;

    void Set();
    void Reset();
    // Waits up to timeoutMs (-1: no limit); true when the event was set.
    bool WaitFor(int timeoutMs);
    // After a poll() saw fd() readable: consumes the event if it auto-resets.
    void Consume();

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // The system's error number when the descriptor could not be had, else 0.
    int error() const { return error_; }

  private:
    int fd_;
    int error_;
    Mode mode_;
};

}  // namespace tovrix
