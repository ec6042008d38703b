#include "serial/posixdevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "serial/deviceaccess.h"
#include "serial/errnomap.h"
#include "serial/serialtypes.h"
#include "serial/termiosbackend.h"

namespace tovrix {

int openDevice(const std::string& path, int comNumber) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw openError(errno, comNumber, path);
    }
    if (!isTerminalDevice(fd)) {
        ::close(fd);
        throw notSerialError(comNumber, path);
    }
    // The lock is what keeps a second user out: root ignores TIOCEXCL.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        // A held lock means "in use", never "no such device".
        throw openError(error == EWOULDBLOCK ? EBUSY : error, comNumber, path);
    }
    // Exclusive mode keeps other non-root openers out; not every device has it.
    [[maybe_unused]] const int ignored = ::ioctl(fd, TIOCEXCL);
    return fd;
}

void closeDevice(int fd) {
    if (fd < 0) {
        return;
    }
    [[maybe_unused]] int ignored = ::ioctl(fd, TIOCNXCL);
    // Discard, never drain: a drain can hang for ever on a line held by flow control.
    flushDevice(fd, false, true);
    ignored = ::flock(fd, LOCK_UN);
    ::close(fd);
}

void requestLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) {
        return;
    }
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) {
        return;
    }
    serial.flags |= ASYNC_LOW_LATENCY;
    [[maybe_unused]] const int ignored = ::ioctl(fd, TIOCSSERIAL, &serial);
}

int inputQueueCount(int fd) {
    int count = 0;
    if (::ioctl(fd, FIONREAD, &count) != 0) {
        return -1;
    }
    return count;
}

int outputQueueCount(int fd) {
    int count = 0;
    if (::ioctl(fd, TIOCOUTQ, &count) != 0) {
        return 0;
    }
    return count;
}

ssize_t readDevice(int fd, void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

ssize_t writeDevice(int fd, const void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(fd, buffer, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

bool readModemLines(int fd, int& lines) {
    return ::ioctl(fd, TIOCMGET, &lines) == 0;
}

bool setModemLine(int fd, int line, bool on) {
    return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool readLineCounters(int fd, LineCounters& counters) {
    serial_icounter_struct raw{};
    if (::ioctl(fd, TIOCGICOUNT, &raw) != 0) {
        return false;
    }
    counters.frame = static_cast<std::uint32_t>(raw.frame);
    counters.overrun = static_cast<std::uint32_t>(raw.overrun);
    counters.parity = static_cast<std::uint32_t>(raw.parity);
    counters.brk = static_cast<std::uint32_t>(raw.brk);
    counters.bufferOverrun = static_cast<std::uint32_t>(raw.buf_overrun);
    return true;
}

std::uint32_t lineErrorFlags(const LineCounters& before, const LineCounters& after) {
    std::uint32_t flags = 0;
    if (after.bufferOverrun != before.bufferOverrun) {
        flags |= CE_RXOVER;
    }
    if (after.overrun != before.overrun) {
        flags |= CE_OVERRUN;
    }
    if (after.parity != before.parity) {
        flags |= CE_RXPARITY;
    }
    if (after.frame != before.frame) {
        flags |= CE_FRAME;
    }
    if (after.brk != before.brk) {
        flags |= CE_BREAK;
    }
    return flags;
}

bool exclusiveModeSet(int fd) {
    int exclusive = 0;
    return ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

}  // namespace tovrix
