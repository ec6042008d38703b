#include "ports/udevscan.h"

#include "ports/udevhandles.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tovrix {

namespace {

constexpr std::string_view kByIdFolder = "/dev/serial/by-id/";
constexpr std::string_view kVirtualDevices = "/devices/virtual/";

std::string text(const char* value) {
    return value != nullptr ? std::string(value) : std::string();
}

std::string property(udev_device* device, const char* key) {
    return text(udev_device_get_property_value(device, key));
}

std::string attribute(udev_device* device, const char* name) {
    return device != nullptr ? text(udev_device_get_sysattr_value(device, name)) : std::string();
}

// The serial core keeps a port for every UART the kernel was told to
// expect (the 8250 driver reserves ttyS0..ttyS31 whether or not a chip
// answers); a port without a chip reports the UART type 0, PORT_UNKNOWN.
// Reading the type from sysfs spares opening the device to ask.
bool isPortWithoutUart(udev_device* tty) {
    const char* type = udev_device_get_sysattr_value(tty, "type");
    return type != nullptr && std::string_view(type) == "0";
}

// udev lists a device's links in one property, separated by spaces.
std::string byIdLink(udev_device* tty) {
    const std::string links = property(tty, "DEVLINKS");
    std::size_t start = 0;
    while (start < links.size()) {
        std::size_t end = links.find(' ', start);
        if (end == std::string::npos) {
            end = links.size();
        }
        const std::string_view link(links.data() + start, end - start);
        if (link.starts_with(kByIdFolder)) {
            return std::string(link);
        }
        start = end + 1;
    }
    return {};
}

// The driver that serves the port: the first one up the device tree. The
// serial core's own bus (serial-base, with its generic "port" and "ctrl"
// drivers) sits between a UART and its real driver on newer kernels and
// says nothing about the hardware.
std::string driverOf(udev_device* tty) {
    for (udev_device* parent = udev_device_get_parent(tty); parent != nullptr;
         parent = udev_device_get_parent(parent)) {
        const char* subsystem = udev_device_get_subsystem(parent);
        if (subsystem != nullptr && std::string_view(subsystem) == "serial-base") {
            continue;
        }
        if (const char* driver = udev_device_get_driver(parent); driver != nullptr) {
            return driver;
        }
    }
    return property(tty, "ID_USB_DRIVER");
}

std::string firstOf(std::string preferred, std::string fallback) {
    return preferred.empty() ? fallback : preferred;
}

SerialPortInfo describe(udev_device* tty, const char* node) {
    SerialPortInfo port;
    port.devicePath = node;
    port.byIdPath = byIdLink(tty);
    port.driver = driverOf(tty);
    // The strings a USB device reports about itself come first; udev's
    // hardware database fills in what the device leaves out.
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
    port.vendor = firstOf(attribute(usb, "manufacturer"), property(tty, "ID_VENDOR_FROM_DATABASE"));
    port.model = firstOf(attribute(usb, "product"), property(tty, "ID_MODEL_FROM_DATABASE"));
    port.serialNumber = firstOf(attribute(usb, "serial"), property(tty, "ID_SERIAL_SHORT"));
    port.vendorId = firstOf(attribute(usb, "idVendor"), property(tty, "ID_VENDOR_ID"));
    port.productId = firstOf(attribute(usb, "idProduct"), property(tty, "ID_MODEL_ID"));
    return port;
}

}  // namespace

bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && digit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && digit(b[endB])) {
                ++endB;
            }
            // Compare the numbers by value: leading zeros aside, the longer is the larger.
            const std::string_view numA = std::string_view(a).substr(i, endA - i);
            const std::string_view numB = std::string_view(b).substr(j, endB - j);
            const auto trim = [](std::string_view n) {
                const std::size_t first = n.find_first_not_of('0');
                return first == std::string_view::npos ? std::string_view() : n.substr(first);
            };
            const std::string_view valueA = trim(numA);
            const std::string_view valueB = trim(numB);
            if (valueA.size() != valueB.size()) {
                return valueA.size() < valueB.size();
            }
            if (valueA != valueB) {
                return valueA < valueB;
            }
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

std::vector<SerialPortInfo> scanSerialDevices() {
    std::vector<SerialPortInfo> ports;
    const UdevHandle<udev> context(udev_new());
    if (!context) {
        return ports;
    }
    const UdevHandle<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0) {
        return ports;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        // Virtual terminals, consoles and the like live under devices/virtual
        // and have no parent: most of the tty subsystem, passed over unread.
        const std::string_view syspath = udev_list_entry_get_name(entry);
        if (syspath.find(kVirtualDevices) != std::string_view::npos) {
            continue;
        }
        const UdevHandle<udev_device> tty(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!tty) {
            continue;  // gone between the listing and now
        }
        const char* node = udev_device_get_devnode(tty.get());
        if (node == nullptr || udev_device_get_parent(tty.get()) == nullptr ||
            isPortWithoutUart(tty.get())) {
            continue;
        }
        ports.push_back(describe(tty.get(), node));
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        return naturalLess(a.devicePath, b.devicePath);
    });
    return ports;
}

}  // namespace tovrix
