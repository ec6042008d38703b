#pragma once

#include "serial/serialdevice.h"

namespace tovrix {

// A local serial port or pseudo-terminal, through termios and the driver's
// ioctls (see posixdevice.h and termiosbackend.h).
class TerminalDevice final : public SerialDevice {
  public:
    // Opens the device exclusively (see openDevice).
    TerminalDevice(const std::string& path, int comNumber);
    ~TerminalDevice() override;

    int fd() const override { return fd_; }
    bool setRawMode() override;
    void requestLowLatency() override;
    bool applyDcb(const TDcb& dcb) override;
    bool readDcb(TDcb& dcb) override;
    bool flush(bool input, bool output) override;
    int inputQueueCount() override;
    int outputQueueCount() override;
    ssize_t read(void* buffer, std::size_t size) override;
    ssize_t write(const void* buffer, std::size_t size) override;
    bool readModemLines(int& lines) override;
    bool setModemLine(int line, bool on) override;
    bool readLineCounters(LineCounters& counters) override;

  private:
    int fd_;
};

}  // namespace tovrix
