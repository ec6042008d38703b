#include "serial/customcomport.h"

#include <mutex>
#include <utility>

namespace tovrix {

namespace {

std::mutex& indicatorMutex() {
    static std::mutex mutex;
    return mutex;
}

BusyIndicator& installedIndicator() {
    static BusyIndicator indicator;
    return indicator;
}

// Shows the busy pointer for its lifetime, so it is restored on every path.
class BusyScope {
  public:
    BusyScope() : indicator_(current()) {
        if (indicator_) {
            indicator_(true);
        }
    }
    ~BusyScope() {
        if (indicator_) {
            indicator_(false);
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    static BusyIndicator current() {
        const std::lock_guard lock(indicatorMutex());
        return installedIndicator();
    }
    BusyIndicator indicator_;
};

}  // namespace

BusyIndicator setBusyIndicator(BusyIndicator indicator) {
    const std::lock_guard lock(indicatorMutex());
    return std::exchange(installedIndicator(), std::move(indicator));
}

// The number and the path both name the device: while the port is open a
// change closes it and opens it again on the new device (both events fire);
// otherwise the value is only stored.
void TCustomComPort::ChangeDevice(const std::function<void()>& store) {
    if (IsOpen()) {
        Close();
        store();
        Open();
    } else {
        store();
    }
}

void TCustomComPort::SetComNumber(std::uint16_t value) {
    if (value != comNumber_) {
        ChangeDevice([&] { comNumber_ = value; });
    }
}

void TCustomComPort::SetDevicePath(const std::string& value) {
    if (value != devicePath_) {
        ChangeDevice([&] { devicePath_ = value; });
    }
}

bool TCustomComPort::ShowConfigDialog() {
    return false;
}

void TCustomComPort::OpenDevice() {
    const BusyScope busy;
    if (devicePath_.empty()) {
        Core().Open(comNumber_);
    } else {
        Core().OpenPath(devicePath_);
    }
}

}  // namespace tovrix
