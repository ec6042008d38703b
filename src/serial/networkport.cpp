#include "serial/networkport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "serial/deadline.h"
#include "serial/errnomap.h"
#include "serial/serialtypes.h"
#include "serial/termiosbackend.h"

namespace tovrix {

using namespace telnet;

namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr int kAnswerTimeoutMs = 3000;
constexpr int kSendTimeoutMs = 3000;
constexpr std::size_t kInboxSize = 64 * 1024;
constexpr std::size_t kChunk = 4096;

// A server that vanishes without a word (power cut, cable) is noticed by
// keep-alive probes after about 10 s of silence, and unacknowledged output
// ends the connection after 10 s as well.
constexpr int kKeepIdleS = 5;
constexpr int kKeepIntervalS = 2;
constexpr int kKeepCount = 3;
constexpr unsigned kUserTimeoutMs = 10000;

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};

void setOption(int fd, int level, int option, int value) {
    [[maybe_unused]] const int ignored = ::setsockopt(fd, level, option, &value, sizeof value);
}

// Waits for a non-blocking connect; 0 when it succeeded, else the error.
int finishConnect(int fd, const Deadline& deadline) {
    pollfd entry{fd, POLLOUT, 0};
    const int ready = pollUntil(&entry, 1, deadline);
    if (ready == 0) {
        return ETIMEDOUT;
    }
    if (ready < 0) {
        return errno;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        return errno;
    }
    return error;
}

PortFailure connectFailure(int error) {
    switch (error) {
        case ECONNREFUSED:
            return PortFailure::Refused;
        case ETIMEDOUT:
            return PortFailure::NoAnswer;
        default:
            return PortFailure::Other;
    }
}

std::uint8_t rfcParity(std::uint8_t parity) {
    // None, odd, even, mark, space: the block's 0..4 are the option's 1..5.
    return static_cast<std::uint8_t>(parity + 1);
}

std::uint8_t rfcStopSize(std::uint8_t stopBits) {
    switch (stopBits) {
        case kOne5StopBits:
            return 3;
        case kTwoStopBits:
            return 2;
        default:
            return 1;
    }
}

std::uint8_t rfcFlowControl(const TDcb& dcb) {
    if ((dcb.Flags & dcbflag::OutxCtsFlow) != 0) {
        return 3;  // hardware
    }
    if ((dcb.Flags & (dcbflag::OutX | dcbflag::InX)) != 0) {
        return 2;  // XON/XOFF
    }
    return 1;  // none
}

}  // namespace

NetworkPort::NetworkPort(const std::string& name, const NetworkAddress& address, int comNumber)
    : name_(name), comNumber_(comNumber), protocol_(address.protocol), inbox_(kInboxSize) {
    connectSocket(address);
    try {
        if (rfc2217()) {
            negotiateComPort();
        }
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

NetworkPort::~NetworkPort() {
    ::close(fd_);
}

void NetworkPort::connectSocket(const NetworkAddress& address) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    if (::getaddrinfo(address.host.c_str(), address.port.c_str(), &hints, &found) != 0 ||
        found == nullptr) {
        throw networkError(PortFailure::HostUnknown, 0, comNumber_, name_);
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
    // One time limit for all addresses a name stands for.
    const Deadline deadline = Deadline::after(kConnectTimeoutMs);
    int error = ECONNREFUSED;
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        const int fd = ::socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                entry->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        int result = ::connect(fd, entry->ai_addr, entry->ai_addrlen);
        result = result == 0 ? 0 : (errno == EINPROGRESS ? finishConnect(fd, deadline) : errno);
        if (result == 0) {
            fd_ = fd;
            break;
        }
        ::close(fd);
        error = result;
        if (error == ETIMEDOUT) {
            break;  // the time is used up
        }
    }
    if (fd_ < 0) {
        throw networkError(connectFailure(error), error, comNumber_, name_);
    }
    // A frame leaves at once and in one piece, not after Nagle's wait.
    setOption(fd_, IPPROTO_TCP, TCP_NODELAY, 1);
    setOption(fd_, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd_, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleS);
    setOption(fd_, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalS);
    setOption(fd_, IPPROTO_TCP, TCP_KEEPCNT, kKeepCount);
    setOption(fd_, IPPROTO_TCP, TCP_USER_TIMEOUT, static_cast<int>(kUserTimeoutMs));
}

void NetworkPort::negotiateComPort() {
    std::uint8_t opening[Rfc2217Decoder::kOpeningSize];
    {
        const std::lock_guard lock(rxLock_);
        decoder_.writeOpening(opening);
    }
    if (!sendControl(opening, sizeof opening)) {
        throw networkError(PortFailure::NotRfc2217, errno, comNumber_, name_);
    }
    const bool answered = waitForServer(kAnswerTimeoutMs, [this] {
        return decoder_.comPort() != Rfc2217Decoder::ComPort::Pending;
    });
    const std::lock_guard lock(rxLock_);
    if (!answered || decoder_.comPort() != Rfc2217Decoder::ComPort::Accepted) {
        // Silence, a refusal or a closed connection: no Telnet server with
        // the com-port option listens there.
        throw networkError(PortFailure::NotRfc2217, 0, comNumber_, name_);
    }
    // Line errors and modem lines as they change; the server keeps them to
    // itself otherwise.
    std::uint8_t masks[2 * kMaxComPortCommand];
    std::size_t length = encodeComPortCommand(
        SET_LINESTATE_MASK, LINE_OVERRUN | LINE_PARITY | LINE_FRAMING | LINE_BREAK, 1, masks);
    length += encodeComPortCommand(SET_MODEMSTATE_MASK, MODEM_CTS | MODEM_DSR | MODEM_RI | MODEM_CD,
                                   1, masks + length);
    sendControl(masks, length);
}

template <typename Done>
bool NetworkPort::waitForServer(int timeoutMs, Done done) {
    const Deadline deadline = Deadline::after(timeoutMs);
    for (;;) {
        {
            const std::lock_guard lock(rxLock_);
            pump();
            if (done()) {
                return true;
            }
            if (gone_) {
                return false;
            }
        }
        // Short looks: the event thread may take the answer off the socket
        // between our pump and this wait.
        pollfd entry{fd_, POLLIN, 0};
        const Deadline look = Deadline::after(10);
        if (deadline.expired()) {
            return false;
        }
        pollUntil(&entry, 1, look.remainingMs() < deadline.remainingMs() ? look : deadline);
    }
}

void NetworkPort::noteGone() {
    gone_.store(true, std::memory_order_release);
}

void NetworkPort::pushInput(const std::uint8_t* bytes, std::size_t n) {
    // The caller never pushes more than inputFree().
    std::size_t tail = (inHead_ + inCount_) % inbox_.size();
    for (std::size_t i = 0; i < n; ++i) {
        inbox_[tail] = bytes[i];
        tail = tail + 1 == inbox_.size() ? 0 : tail + 1;
    }
    inCount_ += n;
}

void NetworkPort::pump() {
    socketBacklog_ = false;
    while (!gone_) {
        if (inputFree() < kChunk) {
            socketBacklog_ = true;  // read on once the queue has been read
            return;
        }
        std::uint8_t raw[kChunk];
        const ssize_t received = ::recv(fd_, raw, sizeof raw, MSG_DONTWAIT);
        if (received == 0) {
            noteGone();  // the server closed the connection
            return;
        }
        if (received < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                noteGone();  // reset, or keep-alive gave up
            }
            return;
        }
        // Acknowledge at once: a server that sends with Nagle's algorithm
        // holds its next small write (an answer byte, the answers to the
        // line settings) until our acknowledgement, which the kernel would
        // otherwise delay by up to 40 ms. The option does not stay set, so
        // it is renewed after every read.
        setOption(fd_, IPPROTO_TCP, TCP_QUICKACK, 1);
        const auto count = static_cast<std::size_t>(received);
        if (!rfc2217()) {
            pushInput(raw, count);
            continue;
        }
        std::size_t done = 0;
        while (done < count) {
            std::uint8_t data[kChunk];
            std::size_t dataCount = 0;
            done += decoder_.decode(raw + done, count - done, data, dataCount);
            pushInput(data, dataCount);
            if (decoder_.replyCount() > 0) {
                sendControl(decoder_.replies(), decoder_.replyCount());
                decoder_.clearReplies();
            }
        }
        const std::uint8_t errors = decoder_.takeLineErrors();
        counters_.overrun += (errors & LINE_OVERRUN) != 0 ? 1 : 0;
        counters_.parity += (errors & LINE_PARITY) != 0 ? 1 : 0;
        counters_.frame += (errors & LINE_FRAMING) != 0 ? 1 : 0;
        counters_.brk += (errors & LINE_BREAK) != 0 ? 1 : 0;
    }
}

int NetworkPort::inputQueueCount() {
    const std::lock_guard lock(rxLock_);
    pump();
    if (inCount_ == 0 && gone_) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(inCount_);
}

ssize_t NetworkPort::read(void* buffer, std::size_t size) {
    const std::lock_guard lock(rxLock_);
    if (inCount_ == 0 || socketBacklog_) {
        pump();
    }
    if (inCount_ == 0) {
        errno = gone_ ? EIO : EAGAIN;
        return -1;
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::size_t n = std::min(size, inCount_);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = inbox_[inHead_];
        inHead_ = inHead_ + 1 == inbox_.size() ? 0 : inHead_ + 1;
    }
    inCount_ -= n;
    return static_cast<ssize_t>(n);
}

ssize_t NetworkPort::write(const void* buffer, std::size_t size) {
    const std::lock_guard lock(txLock_);
    if (gone_) {
        errno = EIO;
        return -1;
    }
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    if (!rfc2217()) {
        for (;;) {
            const ssize_t sent = ::send(fd_, in, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent >= 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
                return sent;
            }
            if (errno != EINTR) {
                noteGone();
                errno = EIO;
                return -1;
            }
        }
    }
    // The caller offers again whatever is not reported taken, so a doubled
    // 255 split by a full socket is finished before anything else.
    std::size_t taken = 0;
    if (size > 0 && halfIacCompleted_) {
        halfIacCompleted_ = false;
        taken = 1;
    } else if (size > 0 && halfIacSent_) {
        const std::uint8_t second = IAC;
        const ssize_t sent = ::send(fd_, &second, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent != 1) {
            if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                noteGone();
                errno = EIO;
            } else {
                errno = EAGAIN;
            }
            return -1;
        }
        halfIacSent_ = false;
        taken = 1;
    }
    std::uint8_t encoded[2 * kChunk];
    std::size_t consumed = 0;
    const std::size_t length = encodeTelnetData(in + taken, std::min(size - taken, kChunk), encoded,
                                                sizeof encoded, consumed);
    ssize_t sent = length == 0 ? 0 : ::send(fd_, encoded, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            noteGone();
            errno = EIO;
            return -1;
        }
        sent = 0;
    }
    // Count the input bytes whose encoding went out whole.
    const std::uint8_t* encodedFrom = in + taken;
    std::size_t covered = 0;
    for (std::size_t i = 0; i < consumed; ++i) {
        const std::size_t cost = encodedFrom[i] == IAC ? 2 : 1;
        if (covered + cost > static_cast<std::size_t>(sent)) {
            halfIacSent_ = covered + 1 == static_cast<std::size_t>(sent);
            break;
        }
        covered += cost;
        ++taken;
    }
    if (taken == 0) {
        errno = EAGAIN;
        return -1;
    }
    return static_cast<ssize_t>(taken);
}

bool NetworkPort::sendAll(const std::uint8_t* bytes, std::size_t n) {
    const Deadline deadline = Deadline::after(kSendTimeoutMs);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t sent = ::send(fd_, bytes + done, n - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd entry{fd_, POLLOUT, 0};
            if (pollUntil(&entry, 1, deadline) > 0) {
                continue;
            }
            errno = ETIMEDOUT;
            return false;
        }
        noteGone();
        errno = EIO;
        return false;
    }
    return true;
}

bool NetworkPort::sendControl(const std::uint8_t* bytes, std::size_t n) {
    const std::lock_guard lock(txLock_);
    if (gone_) {
        errno = EIO;
        return false;
    }
    if (halfIacSent_) {
        // A command must not land between the two halves of a data 255.
        const std::uint8_t second = IAC;
        if (!sendAll(&second, 1)) {
            return false;
        }
        halfIacSent_ = false;
        halfIacCompleted_ = true;
    }
    return sendAll(bytes, n);
}

bool NetworkPort::sendComPortCommand(std::uint8_t command, std::uint32_t value, int valueBytes) {
    std::uint8_t encoded[kMaxComPortCommand];
    return sendControl(encoded, encodeComPortCommand(command, value, valueBytes, encoded));
}

bool NetworkPort::applyDcb(const TDcb& dcb) {
    {
        const std::lock_guard lock(rxLock_);
        refusal_.clear();
    }
    if (dcb.BaudRate == 0 || !lineSettingsExpressible(dcb)) {
        const std::lock_guard lock(rxLock_);
        refusal_ = "settings a serial line cannot have";
        errno = EINVAL;
        return false;
    }
    if (!rfc2217()) {
        applied_ = dcb;  // the server holds the line settings of a plain stream
        appliedAny_ = true;
        return true;
    }
    struct Setting {
        std::uint8_t command;
        std::uint32_t value;
        int bytes;
        const char* what;
    };
    const Setting settings[] = {
        {SET_BAUDRATE, dcb.BaudRate, 4, "baud rate"},
        {SET_DATASIZE, dcb.ByteSize, 1, "data bits"},
        {SET_PARITY, rfcParity(dcb.Parity), 1, "parity"},
        {SET_STOPSIZE, rfcStopSize(dcb.StopBits), 1, "stop bits"},
        {SET_CONTROL, rfcFlowControl(dcb), 1, "flow control"},
    };
    std::uint32_t expected = 0;
    {
        const std::lock_guard lock(rxLock_);
        decoder_.clearAnswers();
    }
    for (const Setting& setting : settings) {
        if (!sendComPortCommand(setting.command, setting.value, setting.bytes)) {
            const std::lock_guard lock(rxLock_);
            refusal_ = "connection lost";
            return false;
        }
        expected |= 1U << setting.command;
    }
    const bool answered = waitForServer(
        kAnswerTimeoutMs, [&] { return (decoder_.answersSeen() & expected) == expected; });
    const std::lock_guard lock(rxLock_);
    if (!answered) {
        refusal_ = gone_ ? "connection lost" : "the server did not answer the line settings";
        errno = gone_ ? EIO : ETIMEDOUT;
        return false;
    }
    for (const Setting& setting : settings) {
        if (decoder_.answer(setting.command) != setting.value) {
            refusal_ = "the server refused the " + std::string(setting.what) + " (" +
                       std::to_string(setting.value) + ", set " +
                       std::to_string(decoder_.answer(setting.command)) + ")";
            errno = EINVAL;
            return false;
        }
    }
    applied_ = dcb;
    appliedAny_ = true;
    return true;
}

bool NetworkPort::readDcb(TDcb& dcb) {
    if (!appliedAny_) {
        return false;  // nothing set yet: the block keeps what it holds
    }
    dcb.BaudRate = applied_.BaudRate;
    dcb.ByteSize = applied_.ByteSize;
    dcb.Parity = applied_.Parity;
    dcb.StopBits = applied_.StopBits;
    return true;
}

std::string NetworkPort::refusal() const {
    const std::lock_guard lock(rxLock_);
    return refusal_;
}

bool NetworkPort::flush(bool input, bool output) {
    bool purgeOutput = output && outputQueueCount() > 0;
    if (output) {
        // The bytes a half-sent 255 belonged to are being discarded: finish
        // it, or the server would read the next byte as a command.
        const std::lock_guard lock(txLock_);
        if (halfIacSent_) {
            const std::uint8_t second = IAC;
            sendAll(&second, 1);
        }
        halfIacSent_ = false;
        halfIacCompleted_ = false;
    }
    if (input) {
        const std::lock_guard lock(rxLock_);
        // Whatever the socket holds now is old input too, but its commands
        // still count: decode it, then drop the data.
        for (int round = 0; round < 64; ++round) {
            inHead_ = 0;
            inCount_ = 0;
            pump();
            if (!socketBacklog_) {
                break;
            }
        }
        inHead_ = 0;
        inCount_ = 0;
    }
    if (!rfc2217() || (!input && !purgeOutput)) {
        return true;
    }
    // 1: the server's buffer towards us, 2: towards the line, 3: both.
    const std::uint8_t which = input && purgeOutput ? 3 : (input ? 1 : 2);
    return sendComPortCommand(PURGE_DATA, which, 1);
}

int NetworkPort::outputQueueCount() {
    int count = 0;
    return ::ioctl(fd_, TIOCOUTQ, &count) == 0 ? count : 0;
}

bool NetworkPort::readModemLines(int& lines) {
    const std::lock_guard lock(rxLock_);
    if (!rfc2217() || !decoder_.modemStateKnown()) {
        return false;
    }
    const std::uint8_t state = decoder_.modemState();
    lines = ((state & MODEM_CTS) != 0 ? TIOCM_CTS : 0) |
            ((state & MODEM_DSR) != 0 ? TIOCM_DSR : 0) | ((state & MODEM_RI) != 0 ? TIOCM_RI : 0) |
            ((state & MODEM_CD) != 0 ? TIOCM_CD : 0);
    return true;
}

bool NetworkPort::setModemLine(int line, bool on) {
    if (!rfc2217()) {
        return false;  // a plain stream has no lines to set
    }
    // SET-CONTROL: 8/9 DTR on/off, 11/12 RTS on/off.
    const std::uint8_t value = line == TIOCM_DTR ? (on ? 8 : 9) : (on ? 11 : 12);
    return sendComPortCommand(SET_CONTROL, value, 1);
}

bool NetworkPort::reusable() {
    // Up, as far as the socket tells (a close or reset from the server is
    // seen by reading), and everything sent has been acknowledged: a server
    // that went silent leaves bytes unacknowledged, and is then connected
    // to afresh rather than trusted.
    return inputQueueCount() >= 0 && !gone_ && outputQueueCount() == 0;
}

bool NetworkPort::readLineCounters(LineCounters& counters) {
    if (!rfc2217()) {
        return false;
    }
    const std::lock_guard lock(rxLock_);
    counters = counters_;
    return true;
}

}  // namespace tovrix
