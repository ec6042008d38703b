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

void TCustomComPort::SetComNumber(std::uint16_t value) {
    if (value == comNumber_) {
        return;
    }
    if (IsOpen()) {
        Close();
        comNumber_ = value;
        Open();
    } else {
        comNumber_ = value;
    }
}

bool TCustomComPort::ShowConfigDialog() {
    return false;
}

void TCustomComPort::OpenDevice() {
    const BusyScope busy;
    Core().Open(comNumber_);
}

}  // namespace tovrix
