#include "receiver/playout.h"

#include <algorithm>

namespace tovrix::receiver {

namespace {

bool conditionHolds(std::uint8_t op, std::uint8_t value, std::uint8_t byte) {
    switch (op) {
        case kEqual:
            return byte == value;
        case kGreater:
            return byte > value;
        case kLess:
            return byte < value;
        default:
            return true;  // "~", and anything above it, accepts any value
    }
}

// GOTO and CALL take a line number from the next cell, Uset, U+ and U- a
// number of steps.
bool takesOperand(std::uint8_t code) {
    return code == kGoto || code == kCall || code == kUset || code == kUplus || code == kUminus;
}

// Where the play-out stands: a line and a cell index 0..15.
struct Position {
    int line = 0;
    int cell = 0;
};

}  // namespace

bool telegramSumOk(const Payload& payload, std::uint8_t sum) {
    return static_cast<std::uint8_t>(payload[0] + payload[1] + payload[2]) == sum;
}

bool conditionsAccept(const ConfigBlock& conf, const Payload& payload) {
    for (int i = 0; i < block::kConditionCount; ++i) {
        const std::uint8_t byte = payload[static_cast<std::size_t>(i / 2)];  // two per byte
        const auto op = static_cast<std::size_t>(block::kConditions + 2 * i);
        if (!conditionHolds(conf[op], conf[op + 1], byte)) {
            return false;
        }
    }
    return true;
}

PlayOutResult playOut(const TableImage& image, const Payload& payload, int analogue,
                      std::uint8_t resolution) {
    const std::uint8_t rowVariable = image[table::kRowVariable];
    // 1 selects B1, 2 selects B2, every other value B3 (as the tool reads it).
    const std::uint8_t selected =
        (rowVariable == 1 || rowVariable == 2) ? payload[rowVariable - 1] : payload[2];
    const std::uint32_t pauseUnit = image[table::kPauseUnit];

    PlayOutResult result;
    result.analogue = std::clamp(analogue, 0, int{resolution});
    Position at{selected, 0};
    // Where a RET goes back to; meaningful only while a subroutine runs.
    bool inSubroutine = false;
    Position returnTo;
    std::uint32_t pendingPause = 0;

    auto send = [&](std::uint8_t value) {
        result.output.push_back({value, pendingPause});
        pendingPause = 0;
    };

    for (int steps = 0;; ++steps) {
        if (steps >= kPlayOutStepLimit) {
            result.stepLimitReached = true;
            break;
        }
        if (at.cell >= table::kCells) {
            break;  // past cell 16: the output ends, even inside a subroutine
        }
        const Cell cell = tableCell(image, at.line, at.cell);
        if (!cell.function) {
            send(cell.value);
            ++at.cell;
            continue;
        }
        // Functions with an operand read it from the next cell of the line.
        const bool hasOperand = takesOperand(cell.value);
        if (hasOperand && at.cell + 1 >= table::kCells) {
            break;  // the operand would lie beyond cell 16
        }
        const int operand = hasOperand ? tableCell(image, at.line, at.cell + 1).value : 0;
        const Position afterOperand{at.line, at.cell + (hasOperand ? 2 : 1)};

        if (cell.value == kEnd) {
            break;  // ends the whole output, also from inside a subroutine
        }
        switch (cell.value) {
            case kB1:
            case kB2:
            case kB3:
                send(payload[cell.value - kB1]);
                at = afterOperand;
                break;
            case kGoto:
                at = {operand, 0};
                break;
            case kCall:
                // One level only: a CALL inside a subroutine is a plain jump
                // and keeps the return address of the first call.
                if (!inSubroutine) {
                    inSubroutine = true;
                    returnTo = afterOperand;
                }
                at = {operand, 0};
                break;
            case kRet:
                if (inSubroutine) {
                    at = returnTo;
                    inSubroutine = false;
                } else {
                    at = afterOperand;
                }
                break;
            case kPause:
                pendingPause += pauseUnit;
                at = afterOperand;
                break;
            case kUset:
                result.analogue = std::min(operand, int{resolution});
                at = afterOperand;
                break;
            case kUplus:
                result.analogue = std::min(result.analogue + operand, int{resolution});
                at = afterOperand;
                break;
            case kUminus:
                result.analogue = std::max(result.analogue - operand, 0);
                at = afterOperand;
                break;
            default:
                // Codes the editor never produces do nothing.
                at = afterOperand;
                break;
        }
    }
    result.trailingPauseMs = pendingPause;
    return result;
}

}  // namespace tovrix::receiver
