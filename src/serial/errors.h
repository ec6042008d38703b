#pragma once

#include <stdexcept>
#include <string>

namespace tovrix {

// Errors of opening and configuring the device; what() is the bare message,
// for example "Can't open device COM1".
class EComPortCoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
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
