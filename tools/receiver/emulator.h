#pragma once

#include "receiver/comlink.h"
#include "receiver/frameassembler.h"
#include "receiver/options.h"
#include "receiver/outputschedule.h"
#include "receiver/pseudoterminal.h"
#include "receiver/receivercore.h"

#include <csignal>
#include <deque>
#include <fstream>
#include <optional>
#include <span>
#include <string_view>

namespace tovrix::receiver {

// The running emulator: waits on the pseudo-terminal with poll(), cuts what
// the tool sends into frames, acts on each frame when it would have finished
// arriving on a real line, and lets the answers out at line pace.
class Emulator {
  public:
    Emulator(const Options& options, ReceiverState state, PseudoTerminal& terminal, ComLink& link);

    // Runs until `stop` is set (by a signal handler) or the line is hung up.
    // `pollMask` is the signal mask in force while waiting, so that the stop
    // signals, blocked elsewhere, can only arrive there. Returns the exit
    // status.
    int run(const volatile std::sig_atomic_t& stop, const sigset_t& pollMask);

    // Throws std::system_error when the log file cannot be opened.
    void openLog(const std::string& path);

  private:
    Instant now() const;
    // Reads and cuts up whatever is waiting; returns a moment at which
    // nothing was (the line was quiet then).
    Instant readInput();
    void takeEvents(std::vector<AssemblerEvent> events);
    void actOnDueFrames(Instant now);
    void act(const AssemblerEvent& frame);
    void writeDueOutput(Instant now);
    void sendGarbage(Instant now);
    std::optional<Instant> nextWakeUp() const;
    void hangUp();
    void log(Instant at, std::string_view kind, std::span<const std::uint8_t> bytes = {});
    void log(Instant at, std::string_view kind, std::string_view text);

    Options options_;
    PseudoTerminal& terminal_;
    ComLink& link_;
    ReceiverCore core_;
    FrameAssembler assembler_;
    OutputSchedule output_;
    std::deque<AssemblerEvent> frames_;  // complete frames waiting for their moment
    Instant start_;
    Instant nextGarbage_;
    bool outputBlocked_ = false;  // the terminal took no more bytes for now
    bool hangUpPending_ = false;
    std::ofstream log_;
};

}  // namespace tovrix::receiver
