#include "table/edithistory.h"

#include <utility>

namespace tovrix {

namespace {

enum class Direction { Back, Forward };

void apply(TableState& state, const TableChange& change, Direction direction) {
    const bool back = direction == Direction::Back;
    for (const CellChange& cell : change.cells) {
        state.sheet.cell(cell.line, cell.column) = back ? cell.before : cell.after;
        state.sheet.text(cell.line, cell.column) = back ? cell.beforeText : cell.afterText;
    }
    if (change.settingsBefore) {
        state.settings = back ? *change.settingsBefore : *change.settingsAfter;
    }
}

}  // namespace

TableChange diffStates(const TableState& from, const TableState& to) {
    TableChange change;
    for (int line = 0; line < kTableLines; ++line) {
        for (int column = 1; column <= kLineCells; ++column) {
            const TabCell& before = from.sheet.cell(line, column);
            const TabCell& after = to.sheet.cell(line, column);
            const std::string& beforeText = from.sheet.text(line, column);
            const std::string& afterText = to.sheet.text(line, column);
            if (before != after || beforeText != afterText) {
                change.cells.push_back(
                    CellChange{line, column, before, after, beforeText, afterText});
            }
        }
    }
    if (from.settings != to.settings) {
        change.settingsBefore = from.settings;
        change.settingsAfter = to.settings;
    }
    return change;
}

void EditHistory::reset(const TableState& state) {
    current_ = state;
    done_.clear();
    undone_.clear();
}

bool EditHistory::record(const TableState& state) {
    TableChange change = diffStates(current_, state);
    if (change.empty()) {
        return false;
    }
    current_ = state;
    undone_.clear();
    done_.push_back(std::move(change));
    if (done_.size() > limit_) {
        done_.pop_front();
    }
    return true;
}

const TableChange& EditHistory::undo() {
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    apply(current_, undone_.back(), Direction::Back);
    return undone_.back();
}

const TableChange& EditHistory::redo() {
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    apply(current_, done_.back(), Direction::Forward);
    return done_.back();
}

}  // namespace tovrix
