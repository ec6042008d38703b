#pragma once

#include <map>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;

namespace tovrix::test {

// Restarts the running test program under umockdev's preload library
// unless it runs under it already: the library redirects /sys, /dev and
// udev's announcements to the fake devices of a FakeDevices bed. Under
// AddressSanitizer the preload comes before the sanitizer's runtime, which
// the sanitizer accepts only with verify_asan_link_order=0; that option is
// added to ASAN_OPTIONS for the restarted program. Call it first in main().
void runUnderUmockdev(char** argv);

// A bed of fake serial devices as udev would present them: a sysfs tree,
// the udev properties, a node in /dev backed by a pseudo-terminal, the
// /dev/serial/by-id link of each USB port, and an announcement for every
// device that comes or goes. The terminal controls that umockdev would
// otherwise refuse on its nodes (it answers every ioctl of an unknown device
// with ENOTTY) reach the pseudo-terminal behind the node, so that the serial
// component works on a fake device as on a real one.
class FakeDevices {
  public:
    FakeDevices();
    ~FakeDevices();
    FakeDevices(const FakeDevices&) = delete;
    FakeDevices& operator=(const FakeDevices&) = delete;

    // USB adapters on USB port `usbPort` ("1-1"); each returns the tty
    // device's sysfs path. An FTDI FT232R and a Silicon Labs CP2102 behind
    // the usb-serial drivers, with the strings the chips report.
    std::string addFtdi(const std::string& node, const std::string& serial,
                        const std::string& usbPort);
    std::string addCp210x(const std::string& node, const std::string& serial,
                          const std::string& usbPort);
    // A CDC-ACM modem that reports no strings of its own: its names come
    // from udev's hardware database.
    std::string addCdcAcm(const std::string& node, const std::string& serial,
                          const std::string& usbPort);
    // ttyS<index> with a 16550A behind it (on the ISA-PnP bus, behind the
    // serial core's own devices), and one the 8250 driver reserves without a chip.
    std::string addUart(int index);
    std::string addUartPlaceholder(int index);
    // A virtual terminal (tty<index>): no hardware, no parent device.
    std::string addVirtualTerminal(int index);

    // Removes the device and its by-id link, as unplugging does.
    void unplug(const std::string& syspath);

    // The pseudo-terminal behind a fake node ("ttyUSB0"), e.g. /dev/pts/4.
    std::string terminalOf(const std::string& node) const;
    // Points the fake node at another terminal, such as the receiver
    // emulator's, so that whoever opens the node talks to that one.
    void rewire(const std::string& node, const std::string& terminal);

    // The bed's folder, standing in for / in /sys and /dev.
    std::string root() const;

  private:
    std::string add(const std::string& description, const std::string& ttyPath);
    std::string addUsb(const std::string& node, const std::string& usbPort,
                       const std::string& deviceLines, const std::string& interfaceDriver,
                       bool usbSerialPort, const std::string& byId, const std::string& ttyLines);
    void passControls(const std::string& syspath, std::vector<std::string> paths);

    UMockdevTestbed* bed_ = nullptr;
    UMockdevIoctlBase* passThrough_ = nullptr;
    std::map<std::string, std::vector<std::string>> controlledPaths_;  // by sysfs path
};

}  // namespace tovrix::test
