#include "cli/interruptwatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace tovrix::cli {

namespace {

int pipeFds[2] = {-1, -1};
struct sigaction previousInt {};
struct sigaction previousTerm {};
struct sigaction previousHup {};

extern "C" void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost by failing.
    [[maybe_unused]] const ssize_t ignored = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

InterruptWatcher::InterruptWatcher(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
        return;  // without the pipe Ctrl+C keeps its default effect
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char bytes[16];
        while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
        }
        if (onInterrupt_) {
            onInterrupt_();
        }
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &previousInt);
    ::sigaction(SIGTERM, &action, &previousTerm);
    // A closed terminal or a dropped remote session ends a run like Ctrl+C,
    // through its failure path, instead of killing it half-way.
    ::sigaction(SIGHUP, &action, &previousHup);
}

InterruptWatcher::~InterruptWatcher() {
    if (pipeFds[0] < 0) {
        return;
    }
    ::sigaction(SIGINT, &previousInt, nullptr);
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::sigaction(SIGHUP, &previousHup, nullptr);
    notifier_.reset();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

}  // namespace tovrix::cli
