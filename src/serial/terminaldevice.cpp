#include "serial/terminaldevice.h"

#include "serial/termiosbackend.h"

namespace tovrix {

TerminalDevice::TerminalDevice(const std::string& path, int comNumber)
    : fd_(openDevice(path, comNumber)) {}

TerminalDevice::~TerminalDevice() {
    closeDevice(fd_);
}

bool TerminalDevice::setRawMode() {
    return tovrix::setRawMode(fd_);
}

void TerminalDevice::requestLowLatency() {
    tovrix::requestLowLatency(fd_);
}

bool TerminalDevice::applyDcb(const TDcb& dcb) {
    return applyDcbToDevice(fd_, dcb);
}

bool TerminalDevice::readDcb(TDcb& dcb) {
    return readDcbFromDevice(fd_, dcb);
}

bool TerminalDevice::flush(bool input, bool output) {
    return flushDevice(fd_, input, output);
}

int TerminalDevice::inputQueueCount() {
    return tovrix::inputQueueCount(fd_);
}

int TerminalDevice::outputQueueCount() {
    return tovrix::outputQueueCount(fd_);
}

ssize_t TerminalDevice::read(void* buffer, std::size_t size) {
    return readDevice(fd_, buffer, size);
}

ssize_t TerminalDevice::write(const void* buffer, std::size_t size) {
    return writeDevice(fd_, buffer, size);
}

bool TerminalDevice::readModemLines(int& lines) {
    return tovrix::readModemLines(fd_, lines);
}

bool TerminalDevice::setModemLine(int line, bool on) {
    return tovrix::setModemLine(fd_, line, on);
}

bool TerminalDevice::readLineCounters(LineCounters& counters) {
    return tovrix::readLineCounters(fd_, counters);
}

}  // namespace tovrix
