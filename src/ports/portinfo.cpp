#include "ports/portinfo.h"

namespace tovrix {

std::string deviceName(const SerialPortInfo& port) {
    const std::size_t slash = port.devicePath.rfind('/');
    return slash == std::string::npos ? port.devicePath : port.devicePath.substr(slash + 1);
}

std::string portLabel(const SerialPortInfo& port) {
    const std::string& name = port.model.empty() ? port.vendor : port.model;
    return name.empty() ? deviceName(port) : name + " (" + deviceName(port) + ")";
}

}  // namespace tovrix
