#pragma once

// Builds the receiver setups of the simulation tests: a reset configuration
// block and a table of end cells with the lines a case fills in.

#include "config/confblock.h"
#include "sim/receiversetup.h"
#include "table/cells.h"

#include <algorithm>
#include <vector>

namespace tovrix::sim::testing {

inline TabCell n(std::uint8_t value) {
    return {kNumberCell, value};
}
inline TabCell f(std::uint8_t code) {
    return {kFunctionCell, code};
}

// Row variable B3 and a pause unit of 10 ms unless a case says otherwise,
// so the payload {.., .., L} plays line L.
struct SimTable {
    ReceiverSetup setup;

    SimTable() {
        resetConfigBlock(setup.conf);
        // The reset block accepts only 0 0 0; the cases open all conditions.
        for (int op : conf::kConditionOperator) {
            setup.conf[op] = conf::kOpAny;
        }
        resetTable(setup.cells);
        setup.settings = TableSettings{100, 3, 10};
    }
    SimTable& line(int index, std::vector<TabCell> content) {
        std::copy(content.begin(), content.end(), setup.cells[index].begin());
        return *this;
    }
    SimTable& conf(int index, std::uint8_t value) {
        setup.conf[index] = value;
        return *this;
    }
    SimTable& pauseUnit(std::uint8_t ms) {
        setup.settings.pauseUnit = ms;
        return *this;
    }
};

}  // namespace tovrix::sim::testing
