#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace tovrix::cli {

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop's thread. The
// signal handler only writes a byte into a pipe; a socket notifier on the
// pipe's other end makes the call, so no Qt code ever runs in the handler.
// One watcher at a time; the old handlers come back when it goes.
class InterruptWatcher {
  public:
    explicit InterruptWatcher(std::function<void()> onInterrupt);
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

  private:
    std::function<void()> onInterrupt_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tovrix::cli
