#include "sim/findings.h"

#include "sim/playout.h"

namespace tovrix::sim {

namespace {

std::string place(const CellRef& at) {
    return "line " + std::to_string(at.line) + " cell " + std::to_string(at.cell) + ": ";
}

std::string lineList(const std::vector<std::uint8_t>& lines) {
    std::string text;
    for (std::uint8_t line : lines) {
        text += (text.empty() ? "" : ", ") + std::to_string(line);
    }
    return text;
}

}  // namespace

Severity severityOf(FindingKind kind) {
    switch (kind) {
        case FindingKind::endless:
            return Severity::error;
        case FindingKind::jumpToEndLine:
            return Severity::information;
        default:
            return Severity::warning;
    }
}

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::information:
            return "information";
        case Severity::warning:
            return "warning";
        case Severity::error:
            return "error";
    }
    return "";
}

const char* kindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::endless:
            return "endless";
        case FindingKind::pastLastCell:
            return "past-cell-16";
        case FindingKind::operandBeyondLine:
            return "operand-beyond-cell-16";
        case FindingKind::callInSubroutine:
            return "call-in-subroutine";
        case FindingKind::retWithoutCall:
            return "ret-without-call";
        case FindingKind::analogueLimit:
            return "analogue-limit";
        case FindingKind::zeroPauseUnit:
            return "pause-unit-0";
        case FindingKind::unknownCode:
            return "unknown-code";
        case FindingKind::jumpToEndLine:
            return "jump-to-end-line";
        case FindingKind::longOutput:
            return "long-output";
    }
    return "";
}

std::string describe(const Finding& finding) {
    const std::string at = place(finding.at);
    const std::string operand = std::to_string(finding.operand);
    switch (finding.kind) {
        case FindingKind::endless:
            return at + "endless output, cycle through line(s) " + lineList(finding.cycleLines) +
                   "; assumed: stopped after " + std::to_string(kStepBound) + " cells";
        case FindingKind::pastLastCell:
            return at + "the output runs past cell 16 without an end cell; assumed: it ends there";
        case FindingKind::operandBeyondLine:
            return at + "the operand would lie beyond cell 16; assumed: the output ends there";
        case FindingKind::callInSubroutine:
            return at + "CALL " + operand +
                   " inside a subroutine acts as a GOTO and keeps the first return address";
        case FindingKind::retWithoutCall:
            return at + "RET without a pending CALL is ignored";
        case FindingKind::analogueLimit:
            return at + "the analogue value is held at its limit (0 or the resolution)";
        case FindingKind::zeroPauseUnit:
            return at + "P with a pause unit of 0 ms pauses nothing";
        case FindingKind::unknownCode:
            return at + "function code " + operand + " is none the editor makes; it does nothing";
        case FindingKind::jumpToEndLine:
            return at + "jumps to line " + operand + ", whose cell 1 is an end cell";
        case FindingKind::longOutput:
            return at + "the output ends here after more than " + std::to_string(kStepBound) +
                   " cells; shown up to cell " + std::to_string(kStepBound);
    }
    return at;
}

const std::vector<std::string>& assumptions() {
    static const std::vector<std::string> texts{
        "an output that runs past cell 16 without an end cell ends there",
        "a GOTO, CALL, Uset, U+ or U- in cell 16, whose operand would lie beyond it, ends the "
        "output there",
        "an endless output (a jump cycle without an end cell) is stopped after " +
            std::to_string(kStepBound) +
            " executed cells; an output that ends only after more "
            "cells is shown up to there as well",
    };
    return texts;
}

}  // namespace tovrix::sim
