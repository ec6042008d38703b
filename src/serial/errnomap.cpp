#include "serial/errnomap.h"

#include <cerrno>

namespace tovrix {

namespace {
// The kernel's internal "no such ioctl" code leaks to user space from some drivers.
constexpr int kNoIoctlCommand = 515;
}  // namespace

SysErrorKind classifyErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
            return SysErrorKind::NoDevice;
        case ENXIO:
            // On open: no such device; on an open descriptor: it went away.
            return SysErrorKind::NoDevice;
        case EIO:
            return SysErrorKind::Gone;
        case ENOTTY:
        case EINVAL:
        case kNoIoctlCommand:
            return SysErrorKind::NotSupported;
        case EAGAIN:
            return SysErrorKind::TryAgain;
        case EINTR:
            return SysErrorKind::Interrupted;
        default:
            return SysErrorKind::Other;
    }
}

std::string invalidPortText(int comNumber) {
    return "Invalid port number (COM" + std::to_string(comNumber) + ")";
}

EComPortCoreError openError(int error, int comNumber) {
    if (classifyErrno(error) == SysErrorKind::NoDevice) {
        return EComPortCoreError(invalidPortText(comNumber));
    }
    return EComPortCoreError("Can't open device COM" + std::to_string(comNumber));
}

}  // namespace tovrix
