#pragma once

#include <libudev.h>

#include <memory>

namespace tovrix {

// Owning handles for libudev's reference-counted objects.
struct UdevUnref {
    void operator()(udev* context) const { udev_unref(context); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
    void operator()(udev_enumerate* enumerate) const { udev_enumerate_unref(enumerate); }
    void operator()(udev_monitor* monitor) const { udev_monitor_unref(monitor); }
};

template <typename T>
using UdevHandle = std::unique_ptr<T, UdevUnref>;

}  // namespace tovrix
