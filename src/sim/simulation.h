#pragma once

#include "sim/acceptance.h"
#include "sim/findings.h"
#include "sim/playout.h"
#include "sim/receiversetup.h"

#include <bitset>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tovrix::sim {

// A radio telegram and when it arrives, in milliseconds from time 0.
struct Telegram {
    Payload payload{};
    double arrivalMs = 0;
};

// What the receiver does with one telegram.
struct TelegramResult {
    Telegram telegram;
    bool accepted = false;
    // Why not: the first failed acceptance condition, or the lock-out.
    std::optional<FailedCondition> failedCondition;
    bool lockedOut = false;
    std::string reason;  // empty when accepted

    int line = -1;  // the line played, -1 when rejected
    std::vector<OutputByte> bytes;
    std::vector<double> startMs;  // when each byte starts to leave, same length as bytes
    std::uint32_t trailingPauseMs = 0;
    double outputEndMs = 0;  // when the last byte and the trailing pause are over
    int analogueSteps = 0;   // afterwards (unchanged when rejected)
    double analogueVolts = 0;
    OutputEnd end = OutputEnd::rejected;
    CellRef endAt;
    std::vector<CellRef> path;  // executed cells, cells numbered 1..16
    std::vector<std::uint8_t> cycleLines;
    std::vector<Finding> findings;      // all, including information
    std::vector<std::string> warnings;  // the findings above information, as text
};

// What carries from one telegram to the next: the analogue value (0 at the
// start), the previous telegram for the lock-out, and when the output line is
// free again (a telegram's output waits for the previous one to finish).
struct SimulationState {
    int analogueSteps = 0;
    std::optional<Telegram> previous;
    std::optional<double> lineFreeAtMs;
};

// One telegram: acceptance conditions first, then the lock-out (a telegram
// identical to the one received just before it, less than the lock-out time
// after it, is ignored), then the play-out of the line the row variable
// selects. Bytes leave at the output baud rate; the analogue value carries.
TelegramResult simulateTelegram(const ReceiverSetup& setup, const Telegram& telegram,
                                SimulationState& state);
// The same into a result whose buffers are used again (see simulate below).
void simulateTelegram(const ReceiverSetup& setup, const Telegram& telegram, SimulationState& state,
                      TelegramResult& result);

// Lays the bytes out on the output line from `startMs`: each waits for its
// pause, then takes one byte time. Fills `starts` (when each byte starts to
// leave) when given, and returns when the trailing pause is over.
double scheduleBytes(const std::vector<OutputByte>& bytes, std::uint32_t trailingPauseMs,
                     double byteTime, double startMs, std::vector<double>* starts = nullptr);

// The telegrams in order, from a fresh state.
std::vector<TelegramResult> simulate(const ReceiverSetup& setup,
                                     std::span<const Telegram> telegrams);
// The same into the results of the previous run: what a view calls after
// every edit. Their buffers are used again, so an update allocates nothing
// once they are large enough (an endless output fills several hundred KB).
void simulate(const ReceiverSetup& setup, std::span<const Telegram> telegrams,
              std::vector<TelegramResult>& results);

// The cells a play-out executed together with the operand cells it read, for
// marking them in the grid: bit line * 16 + (cell - 1).
using CellMarks = std::bitset<kTableLines * kLineCells>;
CellMarks executedCells(const ReceiverSetup& setup, const TelegramResult& result);

}  // namespace tovrix::sim
