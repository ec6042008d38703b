#include "receiver/emulator.h"

#include "receiver/eventlog.h"
#include "receiver/statefile.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <system_error>

namespace tovrix::receiver {

namespace {

using namespace std::chrono_literals;

constexpr Nanos kGarbageInterval = 1s;
// Unsolicited bytes are held back while this much output is still queued, so
// that a port nobody reads does not make the queue grow without end.
constexpr std::size_t kGarbageQueueLimit = 64;
// Answers are dropped while this many bytes wait to leave: far more than any
// real exchange needs (a table stream is 8192 bytes), but a peer that keeps
// asking for streams without reading them cannot make the queue grow for ever.
constexpr std::size_t kOutputQueueLimit = std::size_t{1} << 20;

Nanos lineByteTime(const Options& options) {
    return options.fast ? Nanos::zero() : kLineByteTime;
}

}  // namespace

Emulator::Emulator(const Options& options, ReceiverState state, PseudoTerminal& terminal,
                   ComLink& link)
    : options_(options),
      terminal_(terminal),
      link_(link),
      core_(std::move(state), options.faults),
      assembler_(lineByteTime(options)),
      output_(lineByteTime(options)),
      start_(now()),
      nextGarbage_(start_ + kGarbageInterval) {}

void Emulator::openLog(const std::string& path) {
    log_.open(path, std::ios::out | std::ios::trunc);
    if (!log_) {
        throw std::system_error(errno, std::generic_category(), "cannot open the log " + path);
    }
}

Instant Emulator::now() const {
    return std::chrono::duration_cast<Nanos>(std::chrono::steady_clock::now().time_since_epoch());
}

int Emulator::run(const volatile std::sig_atomic_t& stop, const sigset_t& pollMask) {
    while (stop == 0) {
        // Silence is judged only after reading what is waiting: bytes that
        // arrived while this process was held up (a busy machine, a stop
        // signal) must join their frame, not count as a gap on the line.
        takeEvents(assembler_.expire(readInput()));
        const Instant current = now();
        actOnDueFrames(current);
        writeDueOutput(current);
        if (hangUpPending_ && output_.empty()) {
            hangUp();
            return 0;
        }
        if (options_.faults.garbage && !hangUpPending_) {
            sendGarbage(current);
            writeDueOutput(current);
        }

        std::array<pollfd, 2> fds{};
        fds[0] = {terminal_.master(), static_cast<short>(POLLIN | (outputBlocked_ ? POLLOUT : 0)),
                  0};
        fds[1] = {terminal_.closeWatch(), POLLIN, 0};  // a negative descriptor is skipped
        timespec timeout{};
        const timespec* timeoutPointer = nullptr;
        if (const std::optional<Instant> wake = nextWakeUp()) {
            const Nanos wait = std::max(*wake - now(), Nanos::zero());
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
            timeoutPointer = &timeout;
        }
        if (::ppoll(fds.data(), fds.size(), timeoutPointer, &pollMask) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::cerr << "tovrix-receiver: poll: " << std::strerror(errno) << '\n';
            return 1;
        }
        if ((fds[0].revents & POLLOUT) != 0) {
            outputBlocked_ = false;
        }
        // Waiting input is read at the top of the loop.
        if ((fds[0].revents & POLLIN) == 0 &&
            (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            // The emulator holds the slave open itself, so this means the
            // terminal is broken; waiting on it again would only spin.
            std::cerr << "tovrix-receiver: the pseudo-terminal failed\n";
            return 1;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            terminal_.handleCloses();
        }
    }
    return 0;
}

Instant Emulator::readInput() {
    std::array<std::uint8_t, 4096> buffer;
    for (;;) {
        const Instant before = now();
        const ssize_t count = ::read(terminal_.master(), buffer.data(), buffer.size());
        if (count > 0) {
            takeEvents(assembler_.feed(std::span(buffer.data(), std::size_t(count)), now()));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // EAGAIN: all read; EIO: nobody on the other side right now. Either
        // way nothing was waiting when the read began.
        return before;
    }
}

void Emulator::takeEvents(std::vector<AssemblerEvent> events) {
    for (AssemblerEvent& event : events) {
        switch (event.kind) {
            case AssemblerEvent::Kind::Frame:
                frames_.push_back(std::move(event));
                break;
            case AssemblerEvent::Kind::Ignored:
                log(event.at, "ignore", event.bytes);
                break;
            case AssemblerEvent::Kind::Dropped:
                log(event.at, "drop", event.bytes);
                break;
        }
    }
}

void Emulator::actOnDueFrames(Instant current) {
    while (!frames_.empty() && frames_.front().at <= current) {
        const AssemblerEvent frame = std::move(frames_.front());
        frames_.pop_front();
        act(frame);
    }
}

void Emulator::act(const AssemblerEvent& frame) {
    log(frame.at, "rx", frame.bytes);
    const Response response = core_.handle(frame.bytes);
    if (response.reset) {
        output_.clear();  // a receiver that restarts stops talking
    }
    if (!response.output.empty()) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(response.output.size());
        for (const OutByte& byte : response.output) {
            bytes.push_back(byte.value);
        }
        log(frame.at, "tx", bytes);
    }
    // Answers are timed from the frame's modelled arrival, not from when the
    // loop got round to it, so that late wake-ups do not add up.
    if (output_.size() + response.output.size() <= kOutputQueueLimit) {
        output_.add(response.output, frame.at, response.trailingPauseMs);
    } else {
        log(frame.at, "overflow");
    }
    if (response.analogueChanged) {
        log(frame.at, "analogue", std::to_string(core_.analogue()));
    }
    if (response.stepLimitReached) {
        log(frame.at, "steplimit");
    }
    if (response.hangUp) {
        hangUpPending_ = true;
    }
    if (response.endOfRun && !options_.statePath.empty()) {
        const std::string error = saveStateFile(options_.statePath, options_.com, core_.state());
        if (error.empty()) {
            log(frame.at, "saved", options_.statePath);
        } else {
            std::cerr << "tovrix-receiver: " << error << '\n';
            log(frame.at, "savefailed", error);
        }
    }
}

void Emulator::writeDueOutput(Instant current) {
    if (outputBlocked_) {
        return;
    }
    const std::vector<std::uint8_t> bytes = output_.due(current);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count =
            ::write(terminal_.master(), bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            outputBlocked_ = true;  // full: wait until the terminal takes more
            break;
        }
    }
    output_.consume(written);
}

void Emulator::sendGarbage(Instant current) {
    if (current < nextGarbage_) {
        return;
    }
    while (nextGarbage_ <= current) {
        nextGarbage_ += kGarbageInterval;
    }
    if (output_.size() >= kGarbageQueueLimit) {
        return;
    }
    const std::vector<std::uint8_t> bytes = core_.garbage();
    log(current, "garbage", bytes);
    output_.add(bytes, current);
}

std::optional<Instant> Emulator::nextWakeUp() const {
    std::optional<Instant> wake;
    auto consider = [&wake](std::optional<Instant> at) {
        if (at && (!wake || *at < *wake)) {
            wake = at;
        }
    };
    if (!frames_.empty()) {
        consider(frames_.front().at);
    }
    if (!outputBlocked_) {
        consider(output_.nextDue());
    }
    if (const std::optional<Instant> silence = assembler_.silenceDeadline()) {
        consider(*silence + Nanos(1));  // dropped only once the limit is exceeded
    }
    if (options_.faults.garbage && !hangUpPending_) {
        consider(nextGarbage_);
    }
    return wake;
}

void Emulator::hangUp() {
    log(now(), "hangup");
    terminal_.close();
    link_.unplug();
}

void Emulator::log(Instant at, std::string_view kind, std::span<const std::uint8_t> bytes) {
    if (log_.is_open()) {
        log_ << logLine(at - start_, kind, bytes) << '\n' << std::flush;
    }
}

void Emulator::log(Instant at, std::string_view kind, std::string_view text) {
    if (log_.is_open()) {
        log_ << logLine(at - start_, kind, text) << '\n' << std::flush;
    }
}

}  // namespace tovrix::receiver
