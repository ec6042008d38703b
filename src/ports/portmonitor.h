#pragma once

#include <memory>

namespace tovrix {

// Tells when serial devices come, go or change, from udev's own
// announcements (after udev has set the device's permissions and links).
// The caller watches fd() in its event loop; nothing here waits or polls.
class PortMonitor {
  public:
    // Never throws: where udev cannot be listened to (no netlink in a
    // container, no memory) fd() is -1 and no change is ever reported.
    PortMonitor();
    ~PortMonitor();
    PortMonitor(const PortMonitor&) = delete;
    PortMonitor& operator=(const PortMonitor&) = delete;

    // Readable when announcements wait; -1 when there is nothing to watch.
    int fd() const;

    // Takes every waiting announcement off the socket, so that the
    // descriptor is quiet again; true when a tty device was among them.
    bool takeEvents();

  private:
    struct Udev;
    std::unique_ptr<Udev> udev_;
};

}  // namespace tovrix
