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

// The exception an open of COM comNumber that failed with errno `error` raises:
// "Invalid port number (COM%d)" when the device does not exist, else
// "Can't open device COM%d".
EComPortCoreError openError(int error, int comNumber);

// "Invalid port number (COM%d)".
std::string invalidPortText(int comNumber);

}  // namespace tovrix
