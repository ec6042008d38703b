#pragma once

// The serial port component as the program uses it: TComPort with its
// enumerations, events and the two exception classes.

#include "serial/customcomport.h"
#include "serial/customserialport.h"
#include "serial/errors.h"
#include "serial/serialtypes.h"

namespace tovrix {

// The component with all of its properties and events published; it adds no
// behaviour of its own.
class TComPort : public TCustomComPort {
  public:
    explicit TComPort(std::string name) : TCustomComPort(std::move(name)) {}
};

}  // namespace tovrix
