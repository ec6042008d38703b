#include "ports/portmonitor.h"

#include "ports/udevhandles.h"

namespace tovrix {

struct PortMonitor::Udev {
    UdevHandle<udev> context;
    UdevHandle<udev_monitor> monitor;
};

PortMonitor::PortMonitor() : udev_(std::make_unique<Udev>()) {
    udev_->context.reset(udev_new());
    if (!udev_->context) {
        return;
    }
    // "udev", not "kernel": the kernel announces a device before udev has
    // given it its group and its by-id link.
    UdevHandle<udev_monitor> monitor(udev_monitor_new_from_netlink(udev_->context.get(), "udev"));
    if (!monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0) {
        return;
    }
    udev_->monitor = std::move(monitor);
}

PortMonitor::~PortMonitor() = default;

int PortMonitor::fd() const {
    return udev_->monitor ? udev_monitor_get_fd(udev_->monitor.get()) : -1;
}

bool PortMonitor::takeEvents() {
    if (!udev_->monitor) {
        return false;
    }
    // The socket is non-blocking: the loop ends when nothing is left.
    bool changed = false;
    while (UdevHandle<udev_device> device{udev_monitor_receive_device(udev_->monitor.get())}) {
        changed = true;
    }
    return changed;
}

}  // namespace tovrix
