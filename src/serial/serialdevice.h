#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>

#include "serial/dcb.h"
#include "serial/posixdevice.h"

namespace tovrix {

// What the port core needs of an open device. Two kinds stand behind it: a
// terminal device (a local serial port or pseudo-terminal) and a network
// port (a serial line carried over TCP, raw or with RFC 2217). Everything
// above this seam - the core, its threads, buffers and events - is the
// same code for both. Failures are reported as the terminal calls report
// them: false or -1 with errno set, EAGAIN for "nothing now" and EIO for a
// device that is gone.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // The descriptor the threads wait on: readable when input may have
    // arrived, writable when write() may take more.
    virtual int fd() const = 0;

    // Raw mode with reads that return at once; false on failure.
    virtual bool setRawMode() = 0;
    // Low latency where the driver offers it; failures are ignored.
    virtual void requestLowLatency() = 0;
    // Applies the block's line settings; false when the device refuses them
    // (then the previous settings stay in force and refusal() says why).
    virtual bool applyDcb(const TDcb& dcb) = 0;
    // Reads the settings in force back into the block; false when unknown.
    virtual bool readDcb(TDcb& dcb) = 0;
    // Why the last applyDcb() failed, when the device can say more than errno.
    virtual std::string refusal() const { return {}; }
    // Discards unread input and unsent output.
    virtual bool flush(bool input, bool output) = 0;

    // Bytes ready for read(); -1 on failure (errno EIO: gone).
    virtual int inputQueueCount() = 0;
    // Bytes taken by write() but not yet sent on; 0 when unknown.
    virtual int outputQueueCount() = 0;
    virtual ssize_t read(void* buffer, std::size_t size) = 0;
    // Takes as many bytes as fit now; -1 with EAGAIN when none do.
    virtual ssize_t write(const void* buffer, std::size_t size) = 0;

    // Modem status lines (TIOCM_* bits); false when the device has none.
    virtual bool readModemLines(int& lines) = 0;
    // Raises or drops an output line (TIOCM_DTR or TIOCM_RTS).
    virtual bool setModemLine(int line, bool on) = 0;
    // Line-error counters; false when the device keeps none.
    virtual bool readLineCounters(LineCounters& counters) = 0;

    // Whether a close and an immediate open of the same name may keep this
    // device as it is. A terminal is always opened afresh: that is cheap
    // and resets its driver. A network connection that is up is kept, as
    // building it again costs round trips and makes the server close and
    // reopen its serial line.
    virtual bool reusable() { return false; }

  protected:
    SerialDevice() = default;
};

// Opens the port a name stands for: rfc2217://, socket:// or tcp:// names a
// network port, anything else is a device path. comNumber (0 for a port
// named directly) goes into the error texts. Throws EComPortCoreError.
std::unique_ptr<SerialDevice> openSerialDevice(const std::string& name, int comNumber);

}  // namespace tovrix
