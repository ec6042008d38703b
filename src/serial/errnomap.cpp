#include "serial/errnomap.h"

#include <cerrno>

#include "serial/deviceaccess.h"

namespace tovrix {

namespace {
// The kernel's internal "no such ioctl" code leaks to user space from some drivers.
constexpr int kNoIoctlCommand = 515;

// COM 0 is no port the user can choose: it stands for a port named by its
// device path, and the text names that path.
std::string cantOpenText(int comNumber, const std::string& device) {
    return "Can't open device " + (comNumber == 0 ? device : "COM" + std::to_string(comNumber));
}
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

PortFailure openFailureCause(int error) {
    if (classifyErrno(error) == SysErrorKind::NoDevice) {
        return PortFailure::NotPresent;
    }
    switch (error) {
        case EACCES:
        case EPERM:
            return PortFailure::NoPermission;
        case EBUSY:
        case EWOULDBLOCK:
            return PortFailure::InUse;
        case EISDIR:
        case ENOTTY:
            return PortFailure::NotSerial;
        default:
            return PortFailure::Other;
    }
}

std::string invalidPortText(int comNumber) {
    return "Invalid port number (COM" + std::to_string(comNumber) + ")";
}

EComPortCoreError openError(int error, int comNumber, const std::string& device) {
    const PortFailure cause = openFailureCause(error);
    const std::string text = cause == PortFailure::NotPresent && comNumber != 0
                                 ? invalidPortText(comNumber)
                                 : cantOpenText(comNumber, device);
    std::string group;
    if (cause == PortFailure::NoPermission && !device.empty()) {
        group = deviceGroup(device);
    }
    return EComPortCoreError(text, cause, error, device, group);
}

EComPortCoreError notSerialError(int comNumber, const std::string& device) {
    return EComPortCoreError(cantOpenText(comNumber, device), PortFailure::NotSerial, ENOTTY,
                             device);
}

EComPortCoreError networkError(PortFailure cause, int error, int comNumber,
                               const std::string& name) {
    return EComPortCoreError(cantOpenText(comNumber, name), cause, error, name);
}

EComPortCoreError resourceError(int error) {
    return EComPortCoreError("Error creating threads", PortFailure::Other, error);
}

std::string portFailureText(PortFailure cause) {
    switch (cause) {
        case PortFailure::None:
            return "no open failure";
        case PortFailure::NotPresent:
            return "device not present";
        case PortFailure::NoPermission:
            return "permission denied";
        case PortFailure::InUse:
            return "in use by another program";
        case PortFailure::NotSerial:
            return "not a serial device";
        case PortFailure::Other:
            return "system error";
        case PortFailure::HostUnknown:
            return "unknown host";
        case PortFailure::Refused:
            return "connection refused";
        case PortFailure::NoAnswer:
            return "no answer (time-out)";
        case PortFailure::NotRfc2217:
            return "the server does not speak RFC 2217";
    }
    return "system error";
}

}  // namespace tovrix
