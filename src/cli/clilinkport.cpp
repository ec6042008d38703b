#include "cli/clilinkport.h"

#include "serial/comport.h"
#include "serial/errnomap.h"

#include <cstring>
#include <stdexcept>

namespace tovrix::cli {

CliLinkPort::CliLinkPort(TComPort& port) : port_(port) {}

bool CliLinkPort::restart() {
    openFailure_.clear();
    try {
        port_.Close();
        port_.Open();
        return true;
    } catch (const std::exception& error) {
        openFailure_ = describeOpenFailure(error);
        return false;
    }
}

void CliLinkPort::writeByte(std::uint8_t byte) {
    if (held_) {
        throw std::runtime_error("sending is held back");
    }
    port_.WriteByte(byte);
    answered_ = false;
    ++bytesOut_;
}

std::uint8_t CliLinkPort::readByte() {
    const std::uint8_t byte = port_.ReadByte();
    answered_ = true;
    ++bytesIn_;
    return byte;
}

void CliLinkPort::clearOutput() {
    // As in the window: the purge is a handshake with the port's write
    // thread, so it runs only when unsent bytes wait.
    if (port_.OutputFree() < port_.OutBufSize()) {
        port_.ClearOutput();
    }
}

void CliLinkPort::resetCounts() {
    bytesOut_ = 0;
    bytesIn_ = 0;
    answered_ = false;
}

std::string describeOpenFailure(const std::exception& error) {
    const auto* core = dynamic_cast<const EComPortCoreError*>(&error);
    if (core == nullptr || core->Cause() == PortFailure::None) {
        return error.what();
    }
    std::string text =
        core->Device().empty()
            ? std::string(error.what()) + ": " + portFailureText(core->Cause())
            : "cannot open " + core->Device() + ": " + portFailureText(core->Cause());
    if (core->Cause() == PortFailure::NoPermission && !core->DeviceGroup().empty()) {
        text += " (the device belongs to group " + core->DeviceGroup() + ")";
    } else if (core->Cause() == PortFailure::Other && core->Errno() != 0) {
        text += " (" + std::string(std::strerror(core->Errno())) + ")";
    }
    return text;
}

}  // namespace tovrix::cli
