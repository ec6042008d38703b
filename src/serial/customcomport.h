#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "serial/customserialport.h"

namespace tovrix {

// Shows or hides the busy pointer while a port is being opened. The library
// has no user interface of its own; the program installs a function that sets
// the toolkit's wait cursor. Returns the previous function.
using BusyIndicator = std::function<void(bool busy)>;
BusyIndicator setBusyIndicator(BusyIndicator indicator);

// A serial port addressed by its COM number (see serial/portnames.h for how
// the number becomes a device), or by a device path.
class TCustomComPort : public TCustomSerialPort {
  public:
    explicit TCustomComPort(std::string name) : TCustomSerialPort(std::move(name)) {}

    std::uint16_t ComNumber() const { return comNumber_; }
    // While open the port is closed and reopened on the new number (both
    // events fire); otherwise the number is only stored.
    void SetComNumber(std::uint16_t value);

    // A device path that is opened instead of COM ComNumber (the command
    // line names ports either way); empty, the default, opens by number.
    // Error texts then name the path: "Can't open device /dev/ttyUSB0".
    // Like ComNumber, a change while open closes and reopens the port.
    const std::string& DevicePath() const { return devicePath_; }
    void SetDevicePath(const std::string& value);

    // The platform's port settings dialog is a widget; this library stays
    // free of widget code, so there is no dialog: returns false (nothing
    // confirmed, nothing changed). The program never calls it.
    bool ShowConfigDialog() override;

  protected:
    void OpenDevice() override;

  private:
    void ChangeDevice(const std::function<void()>& store);

    std::uint16_t comNumber_ = 0;
    std::string devicePath_;
};

}  // namespace tovrix
