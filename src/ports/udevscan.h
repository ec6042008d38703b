#pragma once

#include "ports/portinfo.h"

#include <vector>

namespace tovrix {

// The serial devices udev knows, in natural order of their paths (ttyS2
// before ttyS10): every device of the tty subsystem that has hardware behind
// it. Virtual terminals, consoles and pseudo-terminals have no parent device
// and are left out, and so are the UART ports the kernel reserves without a
// chip behind them. Fills the path, the by-id link, vendor, model, serial
// number, the USB ids and the driver; the rest of the record is left as it
// is. Empty when udev cannot be asked.
std::vector<SerialPortInfo> scanSerialDevices();

// Orders device paths as people count: the numbers in them by value.
bool naturalLess(const std::string& a, const std::string& b);

}  // namespace tovrix
