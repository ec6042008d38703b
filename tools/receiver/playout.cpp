#include "receiver/playout.h"

#include "table/cells.h"

#include <algorithm>

namespace tovrix::receiver {

namespace {

bool conditionHolds(std::uint8_t op, std::uint8_t value, std::uint8_t byte) {
    switch (op) {
        case conf::kOpEqual:
            return byte == value;
        case conf::kOpGreater:
            return byte > value;
        case conf::kOpLess:
            return byte < value;
        default:
            return true;  // "~", and anything above it, accepts any value
    }
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

bool conditionsAccept(const ConfData& conf, const Payload& payload) {
    for (std::size_t i = 0; i < conf::kConditionOperator.size(); ++i) {
        const std::uint8_t byte = payload[i / 2];  // two conditions per payload byte
        if (!conditionHolds(conf[conf::kConditionOperator[i]], conf[conf::kConditionValue[i]],
                            byte)) {
            return false;
        }
    }
    return true;
}

PlayOutResult playOut(const TabData& image, const Payload& payload, int analogue,
                      std::uint8_t resolution) {
    const DecodedImage table = decodeImage(image);
    const std::uint8_t rowVariable = image[image::kRowVariable];
    // 1 selects B1, 2 selects B2, every other value B3 (as the tool reads it).
    const std::uint8_t selected =
        (rowVariable == 1 || rowVariable == 2) ? payload[rowVariable - 1] : payload[2];
    const std::uint32_t pauseUnit = image[image::kPauseUnit];

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
        if (at.cell >= kLineCells) {
            break;  // past cell 16: the output ends, even inside a subroutine
        }
        const TabCell cell = table.cells[at.line][at.cell];
        if (cell.flag == kNumberCell) {
            send(cell.value);
            ++at.cell;
            continue;
        }
        // Functions with an operand read it from the next cell of the line.
        const bool hasOperand = isJumpFunction(cell.value) || isAnalogueFunction(cell.value);
        if (hasOperand && at.cell + 1 >= kLineCells) {
            break;  // the operand would lie beyond cell 16
        }
        const int operand = hasOperand ? table.cells[at.line][at.cell + 1].value : 0;
        const Position afterOperand{at.line, at.cell + (hasOperand ? 2 : 1)};

        if (cell.value == fcEnd) {
            break;  // ends the whole output, also from inside a subroutine
        }
        switch (cell.value) {
            case fcB1:
            case fcB2:
            case fcB3:
                send(payload[cell.value - fcB1]);
                at = afterOperand;
                break;
            case fcGoto:
                at = {operand, 0};
                break;
            case fcCall:
                // One level only: a CALL inside a subroutine is a plain jump
                // and keeps the return address of the first call.
                if (!inSubroutine) {
                    inSubroutine = true;
                    returnTo = afterOperand;
                }
                at = {operand, 0};
                break;
            case fcRet:
                if (inSubroutine) {
                    at = returnTo;
                    inSubroutine = false;
                } else {
                    at = afterOperand;
                }
                break;
            case fcPause:
                pendingPause += pauseUnit;
                at = afterOperand;
                break;
            case fcUset:
                result.analogue = std::min(operand, int{resolution});
                at = afterOperand;
                break;
            case fcUplus:
                result.analogue = std::min(result.analogue + operand, int{resolution});
                at = afterOperand;
                break;
            case fcUminus:
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
