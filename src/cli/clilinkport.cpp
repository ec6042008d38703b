#include "cli/clilinkport.h"

#include "serial/comport.h"
#include "serial/errnomap.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace tovrix::cli {

CliLinkPort::CliLinkPort(TComPort& port, std::string name) : port_(port), name_(std::move(name)) {}

bool CliLinkPort::restart() {
    openFailure_.clear();
    try {
        // Closed and opened again; a network port keeps a connection that is up.
        port_.Reopen();
        return true;
    } catch (const std::exception& error) {
        openFailure_ = describeOpenFailure(error);
        return false;
    }
}

void CliLinkPort::writeFrame(const std::vector<std::uint8_t>& frame) {
    if (held_) {
        throw std::runtime_error("sending is held back");
    }
    port_.WriteData(frame.data(), static_cast<std::int32_t>(frame.size()));
    answered_ = false;
    bytesOut_ += frame.size();
}

std::uint8_t CliLinkPort::readByte() {
    const std::uint8_t byte = port_.ReadByte();
    answered_ = true;
    ++bytesIn_;
    return byte;
}

void CliLinkPort::close() {
    try {
        port_.Close();
    } catch (const std::exception&) {
        // the device is gone already
    }
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
        return core != nullptr && !core->Detail().empty()
                   ? std::string(error.what()) + ": " + core->Detail()
                   : std::string(error.what());
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
