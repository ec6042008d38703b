// What the simulation costs where a person waits for it: the table check
// over all 256 row values, the sweep of all row values, and one update of a
// list of telegrams after an edit of one cell. Three tables: one full of
// jumps and calls, one endless for every row value with the longest cycle a
// table can hold, and the reset table.

#include "sim/simulation.h"
#include "sim/tablecheck.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

namespace {

using namespace tovrix;
using namespace tovrix::sim;

ReceiverSetup baseSetup() {
    ReceiverSetup setup;
    resetConfigBlock(setup.conf);
    for (int op : conf::kConditionOperator) {
        setup.conf[op] = conf::kOpAny;
    }
    resetTable(setup.cells);
    setup.settings = TableSettings{100, 3, 2};
    return setup;
}

// Every cell a jump, a call, a return or a byte, to random lines; a few end
// cells, so that some row values end and others run in circles.
ReceiverSetup jumpsAndCalls() {
    ReceiverSetup setup = baseSetup();
    std::mt19937 random(7);
    auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
    for (TabLine& line : setup.cells) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            const int kind = pick(9);
            if ((kind < 3 || kind == 4) && c + 1 < line.size()) {
                line[c] = {kFunctionCell, kind == 4 ? fcGoto : fcCall};
                line[++c] = {kNumberCell, static_cast<std::uint8_t>(pick(255))};
            } else if (kind < 5) {
                line[c] = {kFunctionCell, fcRet};
            } else if (kind < 9) {
                line[c] = {kNumberCell, static_cast<std::uint8_t>(pick(255))};
            } else {
                line[c] = {kFunctionCell, pick(3) == 0 ? fcEnd : fcPause};
            }
        }
    }
    return setup;
}

// 14 bytes and a GOTO to the next line, on every line: each row value runs
// through all 256 lines (3840 cells) before its cycle closes.
ReceiverSetup endless() {
    ReceiverSetup setup = baseSetup();
    for (int l = 0; l < kTableLines; ++l) {
        TabLine& line = setup.cells[l];
        for (int c = 0; c < 14; ++c) {
            line[c] = {kNumberCell, static_cast<std::uint8_t>('A' + c)};
        }
        line[14] = {kFunctionCell, fcGoto};
        line[15] = {kNumberCell, static_cast<std::uint8_t>((l + 1) % kTableLines)};
    }
    return setup;
}

struct Figures {
    double median;
    double max;
};

// The processor time of this thread, so that other programs on a busy
// machine do not count.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Figures measure(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const double begin = cpuMs();
        work();
        ms.push_back(cpuMs() - begin);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void report(const char* table, const char* what, Figures f) {
    std::printf("%-16s %-34s median %8.3f ms   max %8.3f ms\n", table, what, f.median, f.max);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    struct Table {
        const char* name;
        ReceiverSetup setup;
    };
    const std::vector<Table> tables{
        {"jumps and calls", jumpsAndCalls()}, {"endless", endless()}, {"reset", baseSetup()}};
    // The telegrams a window would keep in its list: ten row values.
    std::vector<Telegram> telegrams;
    for (int i = 0; i < 10; ++i) {
        telegrams.push_back({{0, 0, static_cast<std::uint8_t>(i * 25)}, 100.0 * i});
    }
    std::printf("%d runs each, processor time of the thread\n", runs);
    for (const Table& t : tables) {
        std::size_t findings = 0;
        report(t.name, "check, 256 row values",
               measure(runs, [&] { findings = checkTable(t.setup).findings.size(); }));
        report(t.name, "sweep, 256 row values",
               measure(runs, [&] { (void)sweepRowValues(t.setup); }));
        ReceiverSetup edited = t.setup;
        int n = 0;
        auto edit = [&] {
            edited.cells[(n * 25) % 250][3] = {kNumberCell, static_cast<std::uint8_t>(n)};
            ++n;
        };
        std::vector<TelegramResult> results;
        report(t.name, "update: 1 edit, 10 telegrams", measure(runs, [&] {
                   edit();
                   simulate(edited, telegrams, results);
               }));
        report(t.name, "the same, fresh results", measure(runs, [&] {
                   edit();
                   (void)simulate(edited, telegrams);
               }));
        std::printf("%-16s %zu findings\n", t.name, findings);
    }
    return 0;
}
