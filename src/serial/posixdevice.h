#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace tovrix {

// The device operations of the port core, on a plain file descriptor.

// Opens the device for COM comNumber for exclusive use: non-blocking, not as
// a controlling terminal, closed on exec, with an exclusive flock (a second
// open, even by root, fails) and the terminal's exclusive mode. Anything that
// is not a terminal device is refused. Throws EComPortCoreError ("Invalid
// port number (COM%d)" or "Can't open device COM%d") carrying the cause;
// comNumber 0 is a port named by its path, whose texts name the path.
int openDevice(const std::string& path, int comNumber);

// Gives the device up without ever waiting for a stuck line: the exclusive
// mode is cleared (it outlives this descriptor when another process keeps the
// device open, as the receiver emulator does), unsent output is discarded,
// the lock released and the descriptor closed.
void closeDevice(int fd);

// Asks the driver for low latency (USB adapters otherwise batch input for
// 16 ms); a driver that refuses, or a pseudo-terminal, is left as it is.
void requestLowLatency(int fd);

// Bytes waiting in the input queue; -1 on failure (errno set).
int inputQueueCount(int fd);
// Bytes not yet sent by the driver; 0 when unknown.
int outputQueueCount(int fd);

// read()/write() retried after EINTR.
ssize_t readDevice(int fd, void* buffer, std::size_t size);
ssize_t writeDevice(int fd, const void* buffer, std::size_t size);

// Modem status lines (TIOCM_* bits). False when the driver has no modem
// lines (a pseudo-terminal answers ENOTTY) or the device is gone.
bool readModemLines(int fd, int& lines);
// Raises or drops an output line (TIOCM_DTR or TIOCM_RTS).
bool setModemLine(int fd, int line, bool on);

// The driver's line-error counters.
struct LineCounters {
    std::uint32_t frame = 0;
    std::uint32_t overrun = 0;
    std::uint32_t parity = 0;
    std::uint32_t brk = 0;
    std::uint32_t bufferOverrun = 0;
};
// False when the driver keeps no counters (a pseudo-terminal).
bool readLineCounters(int fd, LineCounters& counters);
// The line-error flags (CE_*) for what the counters show since `before`.
std::uint32_t lineErrorFlags(const LineCounters& before, const LineCounters& after);

// Whether the terminal's exclusive mode is set (for checks after close).
bool exclusiveModeSet(int fd);

}  // namespace tovrix
