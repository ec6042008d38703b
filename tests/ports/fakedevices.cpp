#include "fakedevices.h"

#include <umockdev.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace tovrix::test {

namespace {

constexpr const char* kPreload = "libumockdev-preload.so.0";

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string devPath(const std::string& node) {
    return "/dev/" + node;
}

// A string umockdev hands over to its caller.
std::string taken(gchar* text) {
    std::string copy = text != nullptr ? text : "";
    g_free(text);
    return copy;
}

// Lets the client's own descriptor carry out the request.
gboolean executeOnClient(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer) {
    gint error = 0;
    const gint result = umockdev_ioctl_client_execute(client, &error, nullptr);
    umockdev_ioctl_client_complete(client, result, error);
    return TRUE;
}

}  // namespace

void runUnderUmockdev(char** argv) {
    const std::string preload = env("LD_PRELOAD");
    if (preload.find("libumockdev-preload") != std::string::npos) {
        return;
    }
    const std::string newPreload =
        preload.empty() ? kPreload : std::string(kPreload) + ":" + preload;
    ::setenv("LD_PRELOAD", newPreload.c_str(), 1);
    const std::string asan = env("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS",
             (asan + (asan.empty() ? "" : ":") + "verify_asan_link_order=0").c_str(), 1);
    ::execv("/proc/self/exe", argv);
    std::perror("restarting under umockdev");
    std::exit(1);
}

FakeDevices::FakeDevices() : bed_(umockdev_testbed_new()), passThrough_(umockdev_ioctl_base_new()) {
    g_signal_connect(passThrough_, "handle-ioctl", G_CALLBACK(executeOnClient), nullptr);
}

FakeDevices::~FakeDevices() {
    g_object_unref(bed_);
    g_object_unref(passThrough_);
}

void FakeDevices::passControls(const std::string& syspath, std::vector<std::string> paths) {
    for (const std::string& path : paths) {
        GError* error = nullptr;
        if (!umockdev_testbed_attach_ioctl(bed_, path.c_str(), passThrough_, &error)) {
            const std::string message = error != nullptr ? error->message : "unknown error";
            g_clear_error(&error);
            throw std::runtime_error("cannot pass the controls of " + path + ": " + message);
        }
    }
    controlledPaths_[syspath] = std::move(paths);
}

std::string FakeDevices::root() const {
    return taken(umockdev_testbed_get_root_dir(bed_));
}

std::string FakeDevices::add(const std::string& description, const std::string& ttyPath) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed_, description.c_str(), &error)) {
        const std::string message = error != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("umockdev refused a device: " + message);
    }
    return "/sys" + ttyPath;
}

// A USB device, its first interface, for usb-serial drivers the port device
// between interface and tty, and the tty with the properties udev gives it.
std::string FakeDevices::addUsb(const std::string& node, const std::string& usbPort,
                                const std::string& deviceLines, const std::string& interfaceDriver,
                                bool usbSerialPort, const std::string& byId,
                                const std::string& ttyLines) {
    const std::string device = "/devices/pci0000:00/0000:00:14.0/usb1/" + usbPort;
    const std::string interface = device + "/" + usbPort + ":1.0";
    const std::string ttyParent = usbSerialPort ? interface + "/" + node : interface;
    const std::string tty = ttyParent + "/tty/" + node;
    std::string text = "P: " + device + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" +
                       "L: driver=../../../../../bus/usb/drivers/usb\n" + deviceLines + "\n";
    text += "P: " + interface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n" +
            "L: driver=../../../../../../bus/usb/drivers/" + interfaceDriver + "\n\n";
    if (usbSerialPort) {
        text += "P: " + ttyParent + "\nE: SUBSYSTEM=usb-serial\n" +
                "L: driver=../../../../../../../bus/usb-serial/drivers/" + interfaceDriver + "\n\n";
    }
    // udev keeps the links of a device both as files and in its DEVLINKS
    // property; umockdev makes the file from "S:", the property from "E:".
    text += "P: " + tty + "\nN: " + node + "\nS: serial/by-id/" + byId + "\nE: SUBSYSTEM=tty\n" +
            "E: DEVNAME=" + devPath(node) + "\nE: DEVLINKS=/dev/serial/by-id/" + byId + "\n" +
            ttyLines + "\n";
    const std::string syspath = add(text, tty);
    passControls(syspath, {devPath(node), "/dev/serial/by-id/" + byId});
    return syspath;
}

std::string FakeDevices::addFtdi(const std::string& node, const std::string& serial,
                                 const std::string& usbPort) {
    return addUsb(node, usbPort,
                  "A: idVendor=0403\nA: idProduct=6001\nA: manufacturer=FTDI\n"
                  "A: product=FT232R USB UART\nA: serial=" +
                      serial + "\n",
                  "ftdi_sio", true, "usb-FTDI_FT232R_USB_UART_" + serial + "-if00-port0",
                  "E: ID_SERIAL_SHORT=" + serial + "\n");
}

std::string FakeDevices::addCp210x(const std::string& node, const std::string& serial,
                                   const std::string& usbPort) {
    return addUsb(node, usbPort,
                  "A: idVendor=10c4\nA: idProduct=ea60\nA: manufacturer=Silicon Labs\n"
                  "A: product=CP2102 USB to UART Bridge Controller\nA: serial=" +
                      serial + "\n",
                  "cp210x", true,
                  "usb-Silicon_Labs_CP2102_USB_to_UART_Bridge_Controller_" + serial + "-if00-port0",
                  "E: ID_SERIAL_SHORT=" + serial + "\n");
}

std::string FakeDevices::addCdcAcm(const std::string& node, const std::string& serial,
                                   const std::string& usbPort) {
    return addUsb(node, usbPort, "A: idVendor=1546\nA: idProduct=01a7\n", "cdc_acm", false,
                  "usb-1546_01a7_" + serial + "-if00",
                  "E: ID_VENDOR_FROM_DATABASE=U-Blox AG\n"
                  "E: ID_MODEL_FROM_DATABASE=[u-blox 7]\n"
                  "E: ID_SERIAL_SHORT=" +
                      serial + "\nE: ID_VENDOR_ID=1546\nE: ID_MODEL_ID=01a7\n");
}

std::string FakeDevices::addUart(int index) {
    const std::string name = "ttyS" + std::to_string(index);
    const std::string pnp = "/devices/pnp0/00:0" + std::to_string(index + 1);
    const std::string controller = pnp + "/" + pnp.substr(pnp.rfind('/') + 1) + ":0";
    const std::string port = controller + "/" + controller.substr(controller.rfind('/') + 1) + ".0";
    const std::string tty = port + "/tty/" + name;
    const std::string syspath = add(
        "P: " + pnp + "\nE: SUBSYSTEM=pnp\nL: driver=../../../bus/pnp/drivers/serial\n\n" +
            "P: " + controller + "\nE: SUBSYSTEM=serial-base\n" +
            "L: driver=../../../../bus/serial-base/drivers/ctrl\n\n" + "P: " + port +
            "\nE: SUBSYSTEM=serial-base\n" +
            "L: driver=../../../../../bus/serial-base/drivers/port\n\n" + "P: " + tty +
            "\nN: " + name + "\nE: SUBSYSTEM=tty\nE: DEVNAME=" + devPath(name) + "\nA: type=4\n\n",
        tty);
    passControls(syspath, {devPath(name)});
    return syspath;
}

std::string FakeDevices::addUartPlaceholder(int index) {
    const std::string name = "ttyS" + std::to_string(index);
    const std::string platform = "/devices/platform/serial8250";
    const std::string tty = platform + "/tty/" + name;
    std::string text;
    if (!std::filesystem::exists(root() + "/sys" + platform)) {
        text = "P: " + platform + "\nE: SUBSYSTEM=platform\n" +
               "L: driver=../../../bus/platform/drivers/serial8250\n\n";
    }
    return add(text + "P: " + tty + "\nN: " + name +
                   "\nE: SUBSYSTEM=tty\nE: DEVNAME=" + devPath(name) + "\nA: type=0\n\n",
               tty);
}

std::string FakeDevices::addVirtualTerminal(int index) {
    const std::string name = "tty" + std::to_string(index);
    const std::string tty = "/devices/virtual/tty/" + name;
    return add(
        "P: " + tty + "\nN: " + name + "\nE: SUBSYSTEM=tty\nE: DEVNAME=" + devPath(name) + "\n\n",
        tty);
}

void FakeDevices::unplug(const std::string& syspath) {
    // udev removes a device's links along with it; umockdev leaves them.
    const std::string link =
        taken(umockdev_testbed_get_property(bed_, syspath.c_str(), "DEVLINKS"));
    // umockdev announces new devices by itself but not removed ones; the
    // announcement needs the device still in place to describe it.
    umockdev_testbed_uevent(bed_, syspath.c_str(), "remove");
    umockdev_testbed_remove_device(bed_, syspath.c_str());
    for (const std::string& path : controlledPaths_[syspath]) {
        umockdev_testbed_detach_ioctl(bed_, path.c_str(), nullptr);
    }
    controlledPaths_.erase(syspath);
    if (!link.empty()) {
        ::unlink((root() + link).c_str());
    }
}

std::string FakeDevices::terminalOf(const std::string& node) const {
    std::error_code error;
    return std::filesystem::read_symlink(root() + devPath(node), error).string();
}

void FakeDevices::rewire(const std::string& node, const std::string& terminal) {
    const std::string path = root() + devPath(node);
    ::unlink(path.c_str());
    if (::symlink(terminal.c_str(), path.c_str()) != 0) {
        throw std::runtime_error("cannot point " + path + " at " + terminal);
    }
}

}  // namespace tovrix::test
