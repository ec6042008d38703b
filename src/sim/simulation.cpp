#include "sim/simulation.h"

#include <algorithm>

namespace tovrix::sim {

TelegramResult simulateTelegram(const ReceiverSetup& setup, const Telegram& telegram,
                                SimulationState& state) {
    TelegramResult result;
    simulateTelegram(setup, telegram, state, result);
    return result;
}

void simulateTelegram(const ReceiverSetup& setup, const Telegram& telegram, SimulationState& state,
                      TelegramResult& result) {
    result.telegram = telegram;
    result.accepted = false;
    result.failedCondition.reset();
    result.lockedOut = false;
    result.reason.clear();
    result.line = -1;
    result.bytes.clear();
    result.startMs.clear();
    result.trailingPauseMs = 0;
    result.outputEndMs = telegram.arrivalMs;
    result.analogueSteps = state.analogueSteps;
    result.analogueVolts = analogueVolts(setup.conf, result.analogueSteps);
    result.end = OutputEnd::rejected;
    result.endAt = {};
    result.path.clear();
    result.cycleLines.clear();
    result.findings.clear();
    result.warnings.clear();

    const std::optional<Telegram> previous = state.previous;
    state.previous = telegram;
    result.failedCondition = failedCondition(setup.conf, telegram.payload);
    if (result.failedCondition) {
        result.reason = describe(*result.failedCondition);
    } else if (previous && previous->payload == telegram.payload &&
               telegram.arrivalMs - previous->arrivalMs < lockoutMs(setup.conf)) {
        result.lockedOut = true;
        result.reason =
            "lock-out: identical to the telegram received " +
            std::to_string(static_cast<long long>(telegram.arrivalMs - previous->arrivalMs)) +
            " ms before (lock-out time " + std::to_string(lockoutMs(setup.conf)) + " ms)";
    }
    if (!result.reason.empty()) {
        return;
    }

    result.accepted = true;
    result.line = telegram.payload[static_cast<std::size_t>(rowVariableIndex(setup))];
    // The play-out fills the result's own buffers.
    PlayOutTrace trace;
    trace.bytes.swap(result.bytes);
    trace.path.swap(result.path);
    trace.findings.swap(result.findings);
    trace.cycleLines.swap(result.cycleLines);
    playOut(setup, result.line, telegram.payload, AnalogueStart{state.analogueSteps, true},
            PlayOutMode::full, trace);
    result.bytes.swap(trace.bytes);
    result.path.swap(trace.path);
    result.findings.swap(trace.findings);
    result.cycleLines.swap(trace.cycleLines);
    result.trailingPauseMs = trace.trailingPauseMs;
    result.end = trace.end;
    result.endAt = trace.endAt;
    result.analogueSteps = trace.analogueSteps;
    result.analogueVolts = analogueVolts(setup.conf, result.analogueSteps);
    for (const Finding& finding : result.findings) {
        if (severityOf(finding.kind) != Severity::information) {
            result.warnings.push_back(describe(finding));
        }
    }

    const double start =
        std::max(telegram.arrivalMs, state.lineFreeAtMs.value_or(telegram.arrivalMs));
    result.outputEndMs = scheduleBytes(result.bytes, result.trailingPauseMs,
                                       byteTimeMs(outputBaud(setup.conf)), start, &result.startMs);
    state.lineFreeAtMs = result.outputEndMs;
    state.analogueSteps = result.analogueSteps;
}

double scheduleBytes(const std::vector<OutputByte>& bytes, std::uint32_t trailingPauseMs,
                     double byteTime, double startMs, std::vector<double>* starts) {
    double t = startMs;
    if (starts != nullptr) {
        starts->reserve(bytes.size());
    }
    for (const OutputByte& byte : bytes) {
        t += byte.pauseBeforeMs;
        if (starts != nullptr) {
            starts->push_back(t);
        }
        t += byteTime;
    }
    return t + trailingPauseMs;
}

std::vector<TelegramResult> simulate(const ReceiverSetup& setup,
                                     std::span<const Telegram> telegrams) {
    std::vector<TelegramResult> results;
    simulate(setup, telegrams, results);
    return results;
}

void simulate(const ReceiverSetup& setup, std::span<const Telegram> telegrams,
              std::vector<TelegramResult>& results) {
    SimulationState state;
    results.resize(telegrams.size());
    for (std::size_t i = 0; i < telegrams.size(); ++i) {
        simulateTelegram(setup, telegrams[i], state, results[i]);
    }
}

CellMarks executedCells(const ReceiverSetup& setup, const TelegramResult& result) {
    CellMarks marks;
    for (const CellRef& at : result.path) {
        const std::size_t index = at.line * kLineCells + (at.cell - 1);
        marks.set(index);
        const TabCell& cell = setup.cells[at.line][at.cell - 1];
        const bool readsOperand = cell.flag != kNumberCell &&
                                  (isJumpFunction(cell.value) || isAnalogueFunction(cell.value));
        if (readsOperand && at.cell < kLineCells) {
            marks.set(index + 1);
        }
    }
    return marks;
}

}  // namespace tovrix::sim
