#include "sim/simulation.h"

#include <algorithm>

namespace tovrix::sim {

TelegramResult simulateTelegram(const ReceiverSetup& setup, const Telegram& telegram,
                                SimulationState& state) {
    TelegramResult result;
    result.telegram = telegram;
    result.analogueSteps = state.analogueSteps;
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
        result.analogueVolts = analogueVolts(setup.conf, result.analogueSteps);
        result.outputEndMs = telegram.arrivalMs;
        return result;
    }

    result.accepted = true;
    result.line = telegram.payload[static_cast<std::size_t>(rowVariableIndex(setup))];
    PlayOutTrace trace =
        playOut(setup, result.line, telegram.payload, AnalogueStart{state.analogueSteps, true});
    result.bytes = std::move(trace.bytes);
    result.trailingPauseMs = trace.trailingPauseMs;
    result.end = trace.end;
    result.endAt = trace.endAt;
    result.path = std::move(trace.path);
    result.cycleLines = std::move(trace.cycleLines);
    result.findings = std::move(trace.findings);
    result.analogueSteps = trace.analogueSteps;
    result.analogueVolts = analogueVolts(setup.conf, result.analogueSteps);
    for (const Finding& finding : result.findings) {
        if (severityOf(finding.kind) != Severity::information) {
            result.warnings.push_back(describe(finding));
        }
    }

    const double start =
        std::max(telegram.arrivalMs, state.lineFreeAtMs.value_or(telegram.arrivalMs));
    const double t = scheduleBytes(result.bytes, result.trailingPauseMs,
                                   byteTimeMs(outputBaud(setup.conf)), start, &result.startMs);
    result.outputEndMs = t;
    state.lineFreeAtMs = t;
    state.analogueSteps = result.analogueSteps;
    return result;
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
    SimulationState state;
    std::vector<TelegramResult> results;
    results.reserve(telegrams.size());
    for (const Telegram& telegram : telegrams) {
        results.push_back(simulateTelegram(setup, telegram, state));
    }
    return results;
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
