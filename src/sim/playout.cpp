#include "sim/playout.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <limits>

namespace tovrix::sim {

namespace {

constexpr int kPositions = kTableLines * kLineCells;

// Where the play-out stands and where a RET would go back to. The return
// address means something only while a subroutine runs; it is cleared on the
// way out so that equal states compare equal.
struct Control {
    int line = 0;
    int cell = 0;  // 0..15; 16 means the line has run out
    bool inSubroutine = false;
    int returnLine = 0;
    int returnCell = 0;

    friend bool operator==(const Control&, const Control&) = default;
};

bool takesOperand(std::uint8_t code) {
    return isJumpFunction(code) || isAnalogueFunction(code);
}

bool isFunction(const TabCell& cell) {
    return cell.flag != kNumberCell;
}

// Moves the control on past the cell it stands on; false when the output
// stops there (an end cell, the line has run out, a missing operand).
[[gnu::always_inline]] inline bool advance(const TabCells& cells, Control& c) {
    if (c.cell >= kLineCells) {
        return false;
    }
    const TabCell& cell = cells[c.line][c.cell];
    if (!isFunction(cell)) {
        ++c.cell;
        return true;
    }
    const bool hasOperand = takesOperand(cell.value);
    if (hasOperand && c.cell + 1 >= kLineCells) {
        return false;
    }
    const int operand = hasOperand ? cells[c.line][c.cell + 1].value : 0;
    switch (cell.value) {
        case fcEnd:
            return false;
        case fcGoto:
            c.line = operand;
            c.cell = 0;
            return true;
        case fcCall:
            if (!c.inSubroutine) {
                c.inSubroutine = true;
                c.returnLine = c.line;
                c.returnCell = c.cell + 2;
            }
            c.line = operand;
            c.cell = 0;
            return true;
        case fcRet:
            if (c.inSubroutine) {
                c.line = c.returnLine;
                c.cell = c.returnCell;
                c = Control{c.line, c.cell};
            } else {
                ++c.cell;
            }
            return true;
        default:
            c.cell += hasOperand ? 2 : 1;
            return true;
    }
}

// Which control states this play-out has been in. A state seen again means
// the output runs in a circle for ever, since nothing else decides where it
// goes. Outside a subroutine the state is the position; inside, the return
// address is fixed until the RET, so the positions of one subroutine visit
// are stamped with that visit's own mark. A later visit with the same return
// address has to pass the same CALL again, which the outer marks catch. So
// every cycle is found, the first time it closes, with no clearing between
// play-outs.
class VisitMarks {
  public:
    void startPlayOut() { outerMark_ = next(); }
    void enterSubroutine() { innerMark_ = next(); }

    // Marks the state; true when it was marked before.
    bool seenBefore(const Control& c) {
        const auto position = static_cast<std::size_t>(c.line * kLineCells + c.cell);
        auto& marks = c.inSubroutine ? inner_ : outer_;
        const std::uint32_t mark = c.inSubroutine ? innerMark_ : outerMark_;
        const bool seen = marks[position] == mark;
        marks[position] = mark;
        return seen;
    }

  private:
    std::uint32_t next() {
        if (counter_ == std::numeric_limits<std::uint32_t>::max()) {
            outer_.fill(0);
            inner_.fill(0);
            counter_ = 0;
        }
        return ++counter_;
    }

    std::array<std::uint32_t, kPositions> outer_{};
    std::array<std::uint32_t, kPositions> inner_{};
    std::uint32_t counter_ = 0;
    std::uint32_t outerMark_ = 0;
    std::uint32_t innerMark_ = 0;
};

// The cycle that `start` lies on, told the same way from wherever it was
// entered: it starts at its lowest position (line, then cell), and its lines
// are listed in running order from there, each once.
struct Cycle {
    Control first;
    std::vector<std::uint8_t> lines;
};
Cycle cycleThrough(const TabCells& cells, const Control& start) {
    thread_local std::vector<Control> states;
    states.clear();
    std::size_t first = 0;
    auto position = [](const Control& c) { return c.line * kLineCells + c.cell; };
    Control c = start;
    do {
        if (position(c) < position(states.empty() ? c : states[first])) {
            first = states.size();
        }
        states.push_back(c);
    } while (advance(cells, c) && !(c == start));

    Cycle cycle{states[first], {}};
    std::bitset<kTableLines> listed;
    for (std::size_t i = 0; i < states.size(); ++i) {
        const int line = states[(first + i) % states.size()].line;
        if (!listed.test(static_cast<std::size_t>(line))) {
            listed.set(static_cast<std::size_t>(line));
            cycle.lines.push_back(static_cast<std::uint8_t>(line));
        }
    }
    return cycle;
}

// Collects findings, each kind at each cell once however often it is met.
class FindingSet {
  public:
    explicit FindingSet(std::vector<Finding>& out) : out_(out) {}

    void add(FindingKind kind, CellRef at, int operand = 0) {
        const auto index = static_cast<std::size_t>(at.line * kLineCells + at.cell - 1);
        auto& seen = seen_[static_cast<std::size_t>(kind)];
        if (seen.test(index)) {
            return;
        }
        seen.set(index);
        out_.push_back(Finding{kind, at, operand, {}});
    }

  private:
    static constexpr std::size_t kKinds = static_cast<std::size_t>(FindingKind::longOutput) + 1;
    std::vector<Finding>& out_;
    std::array<std::bitset<kPositions>, kKinds> seen_{};
};

CellRef refOf(int line, int cell) {
    return CellRef{static_cast<std::uint8_t>(line), static_cast<std::uint8_t>(cell + 1)};
}

}  // namespace

const char* endName(OutputEnd end) {
    switch (end) {
        case OutputEnd::endCell:
            return "end";
        case OutputEnd::lineEnd:
            return "line-end";
        case OutputEnd::endless:
            return "endless";
        case OutputEnd::rejected:
            return "rejected";
    }
    return "";
}

PlayOutTrace playOut(const ReceiverSetup& setup, int startLine, const Payload& payload,
                     AnalogueStart analogue, PlayOutMode mode) {
    PlayOutTrace trace;
    playOut(setup, startLine, payload, analogue, mode, trace);
    return trace;
}

void playOut(const ReceiverSetup& setup, int startLine, const Payload& payload,
             AnalogueStart analogue, PlayOutMode mode, PlayOutTrace& trace) {
    thread_local VisitMarks marks;
    marks.startPlayOut();

    const TabCells& cells = setup.cells;
    const int resolution = analogueResolution(setup.conf);
    const std::uint32_t pauseUnit = setup.settings.pauseUnit;
    const bool full = mode == PlayOutMode::full;

    // A fresh record in the buffers of the old one.
    trace.bytes.clear();
    trace.path.clear();
    trace.findings.clear();
    trace.cycleLines.clear();
    trace.byteCount = 0;
    trace.pauseTotalMs = 0;
    trace.trailingPauseMs = 0;
    trace.end = OutputEnd::endCell;
    trace.endAt = {};
    FindingSet findings(trace.findings);
    trace.analogueKnown = analogue.known;
    trace.analogueSteps = analogue.known ? std::clamp(analogue.steps, 0, resolution) : 0;

    Control c{std::clamp(startLine, 0, kTableLines - 1), 0};
    std::uint32_t pendingPause = 0;
    bool cycleFound = false;
    // Past the step bound nothing more is sent or changed; the play-out only
    // goes on, unrecorded, until it has found its cycle or its end.
    bool frozen = false;
    int steps = 0;

    // Moves the analogue value, noting when it is held at a limit. An unknown
    // value stays unknown; only an operand beyond the resolution hits a limit
    // from every start value.
    auto moveAnalogue = [&](CellRef at, std::uint8_t code, int operand) {
        int target = 0;
        bool certain = true;
        if (code == fcUset) {
            target = operand;
        } else if (trace.analogueKnown) {
            target = trace.analogueSteps + (code == fcUplus ? operand : -operand);
        } else {
            certain = operand > resolution;
            target = code == fcUplus ? resolution + 1 : -1;
        }
        if (certain && (target < 0 || target > resolution)) {
            findings.add(FindingKind::analogueLimit, at, operand);
        }
        if (code == fcUset) {
            trace.analogueKnown = true;
        }
        if (trace.analogueKnown) {
            trace.analogueSteps = std::clamp(target, 0, resolution);
        }
    };

    auto send = [&](std::uint8_t value) {
        if (frozen) {
            return;
        }
        ++trace.byteCount;
        trace.pauseTotalMs += pendingPause;
        if (full) {
            trace.bytes.push_back({value, pendingPause});
        }
        pendingPause = 0;
    };

    for (;;) {
        if (steps >= kStepBound && !frozen) {
            frozen = true;
            trace.trailingPauseMs = pendingPause;
        }
        if (frozen && cycleFound) {
            break;
        }
        if (c.cell >= kLineCells) {
            trace.end = OutputEnd::lineEnd;
            trace.endAt = refOf(c.line, kLineCells - 1);
            findings.add(FindingKind::pastLastCell, trace.endAt);
            break;
        }
        if (!cycleFound && marks.seenBefore(c)) {
            cycleFound = true;
            const Cycle cycle = cycleThrough(cells, c);
            trace.endAt = refOf(cycle.first.line, cycle.first.cell);
            trace.cycleLines = cycle.lines;
            Finding endless{FindingKind::endless, trace.endAt, 0, trace.cycleLines};
            trace.findings.push_back(std::move(endless));
            if (mode == PlayOutMode::findingsOnly) {
                break;
            }
        }
        const TabCell& cell = cells[c.line][c.cell];
        const CellRef here = refOf(c.line, c.cell);
        if (full && !frozen) {
            trace.path.push_back(here);
        }
        ++steps;
        if (!isFunction(cell)) {
            send(cell.value);
            ++c.cell;
            continue;
        }
        const std::uint8_t code = cell.value;
        if (takesOperand(code) && c.cell + 1 >= kLineCells) {
            trace.end = OutputEnd::lineEnd;
            trace.endAt = here;
            findings.add(FindingKind::operandBeyondLine, here, code);
            break;
        }
        const int operand = takesOperand(code) ? cells[c.line][c.cell + 1].value : 0;
        switch (code) {
            case fcEnd:
                trace.end = OutputEnd::endCell;
                trace.endAt = here;
                break;
            case fcB1:
            case fcB2:
            case fcB3:
                send(payload[code - fcB1]);
                break;
            case fcGoto:
            case fcCall:
                if (code == fcCall && c.inSubroutine) {
                    findings.add(FindingKind::callInSubroutine, here, operand);
                }
                if (isEndCell(cells[operand][0])) {
                    findings.add(FindingKind::jumpToEndLine, here, operand);
                }
                if (code == fcCall && !c.inSubroutine) {
                    marks.enterSubroutine();
                }
                break;
            case fcRet:
                if (!c.inSubroutine) {
                    findings.add(FindingKind::retWithoutCall, here);
                }
                break;
            case fcPause:
                if (pauseUnit == 0) {
                    findings.add(FindingKind::zeroPauseUnit, here);
                }
                pendingPause += pauseUnit;
                break;
            case fcUset:
            case fcUplus:
            case fcUminus:
                if (!frozen) {
                    moveAnalogue(here, code, operand);
                }
                break;
            default:
                findings.add(FindingKind::unknownCode, here, code);
                break;
        }
        if (code == fcEnd) {
            break;
        }
        advance(cells, c);
    }
    if (!frozen) {
        trace.trailingPauseMs = pendingPause;
    }
    if (cycleFound) {
        trace.end = OutputEnd::endless;
    } else if (frozen) {
        // Long, but not endless: what the receiver sends past the bound is
        // left out, as for an endless output.
        findings.add(FindingKind::longOutput, trace.endAt);
    }
}

}  // namespace tovrix::sim
