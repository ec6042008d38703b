#pragma once

#include "ports/portinfo.h"

#include <optional>
#include <string>
#include <vector>

namespace tovrix {

// The tool's COM numbers: COM1..COM4.
inline constexpr int kComPorts = 4;

// Where the catalogue looks for UUCP lock files (LCK..ttyUSB0).
struct CatalogueOptions {
    std::vector<std::string> lockDirectories{"/run/lock", "/var/lock"};
};

// The serial devices present (see scanSerialDevices), each with whether the
// current user may open it, the group that owns it, who holds it and which
// COM numbers point at it. No device is opened.
std::vector<SerialPortInfo> listSerialPorts(const CatalogueOptions& options = {});

// What COM n stands for at the moment.
struct ComPortState {
    int number = 0;
    bool linked = false;                 // COM n has a link; without one it is /dev/ttyS<n-1>
    std::string devicePath;              // the path COM n opens
    bool present = false;                // something exists at that path
    std::optional<SerialPortInfo> port;  // the listed device it is, if any
    // COM n stands for a port on a network serial server (devicePath is its
    // name); whether the server is there shows only when it is opened, so
    // such a port counts as present.
    bool network = false;
    bool mayOpen = true;  // this user may read and write what is there
};

ComPortState comPortState(int n, const std::vector<SerialPortInfo>& ports);

// Who owns a device node and what its permission bits allow.
struct NodeOwner {
    std::string owner;  // user name, or the number when it has none
    std::string group;  // group name; empty when it has none
    unsigned mode = 0;  // permission bits, e.g. 0660
};
std::optional<NodeOwner> nodeOwner(const std::string& path);

}  // namespace tovrix
