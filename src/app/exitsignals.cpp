#include "app/exitsignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace tovrix {

namespace {

constexpr std::array<int, 3> kExitSignals{SIGTERM, SIGHUP, SIGINT};

// The pipe the handler writes into; one per process, as signal handlers are.
int pipeRead = -1;
int pipeWrite = -1;

// Async-signal-safe: one write() of one byte, errno left as it was.
extern "C" void noteExitSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal to act on.
    [[maybe_unused]] const ssize_t written = ::write(pipeWrite, &byte, 1);
    errno = savedErrno;
}

}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
    if (pipeRead >= 0) {
        return;  // another catcher is already installed in this process
    }
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    pipeRead = ends[0];
    pipeWrite = ends[1];
    struct sigaction action = {};
    action.sa_handler = noteExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < kExitSignals.size(); ++i) {
        sigaction(kExitSignals[i], &action, &previous_[i]);
    }
    notifier_ = new QSocketNotifier(pipeRead, QSocketNotifier::Read, this);
    notifier_->setObjectName(QStringLiteral("ExitSignalNotifier"));
    connect(notifier_, &QSocketNotifier::activated, this, &ExitSignals::readPipe);
}

ExitSignals::~ExitSignals() {
    if (notifier_ == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < kExitSignals.size(); ++i) {
        sigaction(kExitSignals[i], &previous_[i], nullptr);
    }
    delete notifier_;
    ::close(pipeRead);
    ::close(pipeWrite);
    pipeRead = -1;
    pipeWrite = -1;
}

void ExitSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(pipeRead, &byte, 1) == 1) {
        emit caught(byte);
    }
}

}  // namespace tovrix
