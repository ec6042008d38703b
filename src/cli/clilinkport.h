#pragma once

#include "link/linkinterfaces.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tovrix {
class TComPort;
}

namespace tovrix::cli {

// The command line's serial port as the transfers use it. Besides passing
// bytes on it notes what the verdicts need: why the port could not be
// opened, whether the last frame was answered, and the bytes each way. It
// can hold back new frames, so that an interrupted run sends nothing more
// until its end command.
class CliLinkPort : public LinkPort {
  public:
    CliLinkPort(TComPort& port, std::string name);

    bool restart() override;
    std::string openFailure() const override { return openFailure_; }
    void writeFrame(const std::vector<std::uint8_t>& frame) override;
    std::uint8_t readByte() override;
    void close() override;
    std::string name() const override { return name_; }

    // Discards what waits unsent (an interrupted run sends nothing more).
    void clearOutput();
    // Whether a byte arrived after the last byte sent.
    bool answeredLastFrame() const { return answered_; }
    // While held, every frame is refused as the port refuses a full buffer.
    void holdWrites(bool held) { held_ = held; }
    std::uint64_t bytesOut() const { return bytesOut_; }
    std::uint64_t bytesIn() const { return bytesIn_; }
    void resetCounts();

  private:
    TComPort& port_;
    std::string name_;
    std::string openFailure_;
    bool answered_ = false;
    bool held_ = false;
    std::uint64_t bytesOut_ = 0;
    std::uint64_t bytesIn_ = 0;
};

// Why an open failed, for people: the device and the system's reason,
// "/dev/ttyUSB0: permission denied (the device belongs to group dialout)".
std::string describeOpenFailure(const std::exception& error);

}  // namespace tovrix::cli
