#pragma once

#include <string>

#include "serial/errors.h"

namespace tovrix {

// Every system error of the serial code is judged here, in one place.
enum class SysErrorKind {
    NoDevice,      // the device does not exist (ENOENT, ENXIO, ENODEV)
    Gone,          // the device hung up or was unplugged (EIO, ENXIO on an open descriptor)
    NotSupported,  // the driver lacks the request (ENOTTY, EINVAL, ENOIOCTLCMD): a pty's modem
                   // lines
    TryAgain,      // nothing to do right now (EAGAIN, EWOULDBLOCK)
    Interrupted,   // EINTR: retry
    Other
};

SysErrorKind classifyErrno(int error);

// Why an open that failed with errno `error` failed.
PortFailure openFailureCause(int error);

// The exception an open of `device` (COM comNumber) that failed with errno
// `error` raises: "Invalid port number (COM%d)" when the device does not
// exist, else "Can't open device COM%d"; the cause, the errno, the device and
// (for a permission failure) the device's group travel with it. A port named
// by its device path rather than a number has comNumber 0: the text is then
// "Can't open device <path>" whatever the cause.
EComPortCoreError openError(int error, int comNumber, const std::string& device = {});

// The same for a device that opened but is no terminal: "Can't open device
// COM%d" (or the path, for comNumber 0) with the cause NotSerial.
EComPortCoreError notSerialError(int comNumber, const std::string& device);

// The exception an open raises when something the port needs besides the
// device cannot be had (a wake-up descriptor, an epoll set, a thread; near
// the process's descriptor limit, say): "Error creating threads" with the
// cause Other and the system's error number.
EComPortCoreError resourceError(int error);

// The exception a network port that cannot be had raises: "Can't open
// device COM%d" (or the name, for comNumber 0), with the cause, the errno
// (0 when there is none) and the port's name as the device.
EComPortCoreError networkError(PortFailure cause, int error, int comNumber,
                               const std::string& name);

// "Invalid port number (COM%d)".
std::string invalidPortText(int comNumber);

// The cause in a few English words, as logs and the command line print it
// ("device not present", "permission denied", ...).
std::string portFailureText(PortFailure cause);

}  // namespace tovrix
