// tovrix-receiver: stands in for the radio receiver module on a
// pseudo-terminal, so the tool can be tried and tested without hardware.

#include "config/maker.h"
#include "receiver/comlink.h"
#include "receiver/emulator.h"
#include "receiver/options.h"
#include "receiver/pseudoterminal.h"
#include "receiver/statefile.h"
#include "serial/portnames.h"

#include <sys/prctl.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) {
    stopRequested = 1;
}

// The stop signals stay blocked except while the emulator waits in poll(), so
// a signal can never slip in between the check of the flag and the wait.
// Returns the mask to wait with.
sigset_t installStopSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
        sigaddset(&stopSignals, signal);
    }
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigdelset(&waitMask, signal);
    }
    return waitMask;
}

int fail(const std::string& message, int status = 1) {
    std::cerr << "tovrix-receiver: " << message << '\n';
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tovrix::receiver;

    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        return fail(parsed.error + "\nTry 'tovrix-receiver --help'.", 2);
    }
    const Options& options = parsed.options;
    if (options.help) {
        std::cout << helpText();
        return 0;
    }
    if (options.version) {
        std::cout << "tovrix-receiver " << tovrix::maker::kToolVersion << '\n';
        return 0;
    }

    // Answers are due at exact byte times. The kernel may let a timed wait
    // run up to 50 us late by default to bundle wake-ups; at one or more
    // wake-ups per exchange that alone would stretch a paced transfer by
    // several per cent, so the emulator asks for no slack at all.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);

    ReceiverState state = defaultReceiverState();
    if (!options.statePath.empty()) {
        if (const std::string error = loadOrCreateStateFile(options.statePath, options.com, state);
            !error.empty()) {
            return fail(error);
        }
    }

    const sigset_t waitMask = installStopSignals();
    try {
        PseudoTerminal terminal;
        ComLink link(tovrix::comLinkPath(options.com), terminal.slavePath());
        Emulator emulator(options, std::move(state), terminal, link);
        if (!options.logPath.empty()) {
            emulator.openLog(options.logPath);
        }
        std::cout << "ready COM" << options.com << ' ' << terminal.slavePath() << ' ' << link.path()
                  << std::endl;
        return emulator.run(stopRequested, waitMask);
    } catch (const ComLinkError& error) {
        return fail(std::string("COM") + std::to_string(options.com) +
                    " is not free: " + error.what());
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
