#pragma once

#include <string>

namespace tovrix::receiver {

// The emulator's end of the cable: a pseudo-terminal whose slave side the
// tool opens as its serial port.
//
// The emulator keeps a descriptor of the slave open for its whole life, so
// the tool can open and close the port as often as it likes without the
// master seeing a hang-up. The slave is in raw mode from the start, so the
// line discipline never echoes the answers back.
class PseudoTerminal {
  public:
    // Throws std::system_error when the pseudo-terminal cannot be set up.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // A descriptor that becomes readable when someone closes the slave
    // device; -1 when closes cannot be watched.
    int closeWatch() const { return watch_; }

    // Call when closeWatch() is readable. The tool marks the port exclusive
    // while it has it open; because the emulator's own descriptor keeps the
    // terminal alive, that mark would outlast the tool's close and make every
    // later open by an ordinary user fail as busy. Once the tool has closed
    // the port the mark is lifted again.
    void handleCloses();

    // Closes both sides, as an unplugged cable would.
    void close();

  private:
    int master_ = -1;
    int slave_ = -1;
    int watch_ = -1;
    std::string slavePath_;
};

}  // namespace tovrix::receiver
