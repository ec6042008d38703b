#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

namespace tovrix {

// Why a port could not be opened. The exception texts stay the component's
// own ("Can't open device COM%d"); this value travels beside them so that a
// caller can explain the failure without reading the text.
enum class PortFailure : std::uint8_t {
    None,          // not an open failure (settings, threads, ...)
    NotPresent,    // there is no such device (unplugged, never there, COM number below 1)
    NoPermission,  // the user may not open it (see DeviceGroup)
    InUse,         // another program holds it
    NotSerial,     // the path is a file, a FIFO or another device that is no terminal
    Other,         // any other system error (see Errno)
    // A network port (the device is its name, e.g. rfc2217://host:4001):
    HostUnknown,  // the name is malformed or its host cannot be resolved
    Refused,      // nothing listens there (connection refused)
    NoAnswer,     // the connection or the server's answer did not come in time
    NotRfc2217,   // an rfc2217:// port whose server does not speak the com-port option
};

// Errors of opening and configuring the device; what() is the bare message,
// for example "Can't open device COM1".
class EComPortCoreError : public std::runtime_error {
  public:
    explicit EComPortCoreError(const std::string& message, PortFailure cause = PortFailure::None,
                               int error = 0, std::string device = {}, std::string group = {},
                               std::string detail = {})
        : std::runtime_error(message),
          cause_(cause),
          errno_(error),
          device_(std::move(device)),
          group_(std::move(group)),
          detail_(std::move(detail)) {}

    PortFailure Cause() const { return cause_; }
    // The system's error number of the failed call; 0 when there was none.
    int Errno() const { return errno_; }
    // The device path the COM number stood for; empty when none was tried.
    const std::string& Device() const { return device_; }
    // For NoPermission: the group that owns the device ("dialout"); empty
    // when it is unknown.
    const std::string& DeviceGroup() const { return group_; }
    // What the device said about refused settings (a network server names
    // the setting it did not take); empty when it said nothing more.
    const std::string& Detail() const { return detail_; }

  private:
    PortFailure cause_;
    int errno_;
    std::string device_;
    std::string group_;
    std::string detail_;
};

// Errors of the component; what() is "<message> - <component name> ".
class EComPortError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The quiet abort: raised in the event thread when the component's delivery
// slot has been switched off (the port is closing). The event thread swallows
// it; it never reaches the user.
class ESilentAbort {};

}  // namespace tovrix
