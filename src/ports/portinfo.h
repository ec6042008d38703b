#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace tovrix {

// A process that holds a serial device: through a file lock on the device
// (flock, POSIX or open-file-description lock) or through a UUCP lock file
// (LCK..ttyUSB0).
struct PortHolder {
    pid_t pid = 0;        // -1 when the lock does not name its process (OFD locks)
    std::string program;  // the holder's command name; empty when unknown
};

// One serial device as the catalogue lists it.
struct SerialPortInfo {
    std::string devicePath;  // the device node, e.g. /dev/ttyUSB0
    std::string byIdPath;    // its /dev/serial/by-id link; empty when udev made none
    std::string vendor;      // manufacturer (USB string or the udev database's name)
    std::string model;       // product (USB string or the udev database's name)
    std::string serialNumber;
    std::string vendorId;   // USB vendor id, four hex digits; empty for other buses
    std::string productId;  // USB product id, four hex digits
    std::string driver;     // kernel driver, e.g. ftdi_sio, cdc_acm, serial
    bool mayOpen = true;    // whether the current user may open it for reading and writing
    std::string group;      // the group that owns the device node (dialout, uucp, ...)
    std::string owner;      // the user that owns the device node (root, ...)
    std::optional<unsigned>
        mode;  // the node's permission bits (0660, ...); unknown if not examined
    std::optional<PortHolder> holder;  // who holds it, if anyone
    std::vector<int> comNumbers;       // the COM numbers that point at it, ascending
};

// The device node's name without its folder: "ttyUSB0".
std::string deviceName(const SerialPortInfo& port);

// "FT232R USB UART (ttyUSB0)": the model, or the vendor when the model is
// unknown, with the node's name; just "ttyS0" when neither is known.
std::string portLabel(const SerialPortInfo& port);

}  // namespace tovrix
