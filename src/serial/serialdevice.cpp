#include "serial/serialdevice.h"

#include <cerrno>

#include "serial/errnomap.h"
#include "serial/networkname.h"
#include "serial/networkport.h"
#include "serial/terminaldevice.h"

namespace tovrix {

std::unique_ptr<SerialDevice> openSerialDevice(const std::string& name, int comNumber) {
    if (!isNetworkPortName(name)) {
        return std::make_unique<TerminalDevice>(name, comNumber);
    }
    const std::optional<NetworkAddress> address = parseNetworkPortName(name);
    if (!address) {
        throw networkError(PortFailure::HostUnknown, EINVAL, comNumber, name);
    }
    return std::make_unique<NetworkPort>(name, *address, comNumber);
}

}  // namespace tovrix
