#pragma once

#include "table/tablesheet.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tovrix {

// The page's three settings that travel with the table, as their fields
// show them: the row-variable selector (item, or -1 with a typed text), the
// pause unit and the test value.
struct PageSettings {
    int rowItem = 2;
    std::string rowText;
    std::string pauseText;
    std::string testText;

    friend bool operator==(const PageSettings&, const PageSettings&) = default;
};

struct TableState {
    TableSheet sheet;
    PageSettings settings;

    friend bool operator==(const TableState&, const TableState&) = default;
};

// One step of the history: the cells it changed, before and after, and the
// settings if they changed.
struct CellChange {
    int line = 0;
    int column = 1;
    TabCell before;
    TabCell after;
    std::string beforeText;
    std::string afterText;
};
struct TableChange {
    std::vector<CellChange> cells;
    std::optional<PageSettings> settingsBefore;  // set when the settings changed
    std::optional<PageSettings> settingsAfter;

    bool empty() const { return cells.empty() && !settingsBefore; }
};

// What changed from one state to the next; empty when nothing did.
TableChange diffStates(const TableState& from, const TableState& to);

// Undo and redo for the table page. The history follows the table from a
// starting state; every recorded state that differs from the last one is
// one step. Undo and redo move along the steps and say which cells to show
// again. A new step drops the steps that were undone.
class EditHistory {
  public:
    explicit EditHistory(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    // The table was replaced as a whole: the history starts again here.
    void reset(const TableState& state);

    // The table now looks like this. Returns whether it was a step (the
    // state differed from the last one).
    bool record(const TableState& state);

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }

    // Steps back (forward) and returns the step; current() is then the
    // state to show. Only when canUndo() (canRedo()).
    const TableChange& undo();
    const TableChange& redo();

    const TableState& current() const { return current_; }
    std::size_t steps() const { return done_.size(); }

    static constexpr std::size_t kDefaultLimit = 200;

  private:
    std::size_t limit_;
    TableState current_;
    std::deque<TableChange> done_;
    std::vector<TableChange> undone_;
};

}  // namespace tovrix
