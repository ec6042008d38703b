// The simulation and the receiver emulator play the same random tables and
// telegrams; they must agree byte for byte and pause for pause. They share no
// play-out code: the emulator answers the test telegram frame as the
// end-to-end tests see it, the simulation works from the tool's cell model.

#include "sim/simulation.h"

#include "receiver/frameassembler.h"
#include "receiver/receivercore.h"
#include "receiver/receiverstate.h"
#include "simtable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

namespace tovrix::sim {
namespace {

using namespace testing;

// Jumps and play-outs stay among a few lines, so that calls, returns and
// cycles meet often.
constexpr int kBusyLines = 8;

class RandomTables {
  public:
    explicit RandomTables(std::uint32_t seed) : random_(seed) {}

    SimTable next() {
        SimTable table;
        for (int line = 0; line < kBusyLines; ++line) {
            fillLine(table.setup.cells[line]);
        }
        table.setup.settings.rowVariable = pick(0, 4);
        table.setup.settings.pauseUnit =
            static_cast<std::uint8_t>(pick(0, 3) == 0 ? 0 : pick(1, 50));
        table.conf(conf::kResolution,
                   static_cast<std::uint8_t>(pick(0, 3) == 0 ? pick(0, 3) : pick(2, 255)));
        // One condition in three is a real one, so some telegrams are refused.
        for (int k = 0; k < 6; ++k) {
            const bool real = pick(0, 2) == 0;
            table.conf(conf::kConditionOperator[k], real ? pick(0, 7) : conf::kOpAny);
            table.conf(conf::kConditionValue[k], pick(0, kBusyLines));
        }
        return table;
    }

    Payload payload() { return {byte(), byte(), byte()}; }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    std::uint8_t byte() { return static_cast<std::uint8_t>(pick(0, kBusyLines - 1)); }

    void fillLine(TabLine& line) {
        static constexpr std::uint8_t kCodes[] = {fcEnd,    fcB1,  fcB2,    fcB3,   fcGoto,
                                                  fcCall,   fcRet, fcPause, fcUset, fcUplus,
                                                  fcUminus, 7,     99};
        for (TabCell& cell : line) {
            const int kind = pick(0, 9);
            if (kind < 4) {
                cell = {kNumberCell, static_cast<std::uint8_t>(pick(0, 255))};
            } else if (kind < 6 && pick(0, 3) > 0) {
                // an operand-sized number: a busy line or a few steps
                cell = {kNumberCell, byte()};
            } else {
                const int code = pick(0, int(std::size(kCodes)) - 1);
                // End cells are rarer than the rest, so outputs run longer.
                cell = {kFunctionCell, kCodes[code == 0 && pick(0, 2) > 0 ? 4 : code]};
            }
        }
    }

    std::mt19937 random_;
};

struct Played {
    std::vector<OutputByte> bytes;
    std::uint32_t trailingPauseMs = 0;
    int analogue = 0;
};

std::string show(const std::vector<OutputByte>& bytes) {
    std::ostringstream text;
    for (const OutputByte& b : bytes) {
        text << int(b.value) << "/" << b.pauseBeforeMs << " ";
    }
    return text.str();
}

// The emulator's answer to a test telegram frame 25 B1 B2 B3 B4.
Played emulatorAnswer(receiver::ReceiverCore& core, const Payload& payload) {
    const auto sum = static_cast<std::uint8_t>(payload[0] + payload[1] + payload[2]);
    const std::vector<std::uint8_t> frame{receiver::cmd::kTestTelegram, payload[0], payload[1],
                                          payload[2], sum};
    const receiver::Response response = core.handle(frame);
    Played played{{}, response.trailingPauseMs, core.analogue()};
    for (const receiver::OutByte& b : response.output) {
        played.bytes.push_back({b.value, b.pauseBeforeMs});
    }
    return played;
}

TEST(Differential, SimulationAgreesWithTheEmulator) {
    constexpr int kTables = 1200;
    constexpr int kTelegramsPerTable = 3;
    RandomTables tables(20261209);
    std::map<OutputEnd, int> ends;
    for (int t = 0; t < kTables; ++t) {
        SimTable table = tables.next();
        receiver::ReceiverState state = receiver::defaultReceiverState();
        std::copy(table.setup.conf.begin(), table.setup.conf.end(), state.conf.begin());
        const TabData image = encodeImage(table.setup.cells, table.setup.settings);
        std::copy(image.begin(), image.end(), state.image.begin());
        receiver::ReceiverCore core(state, {});

        SimulationState simState;
        for (int k = 0; k < kTelegramsPerTable; ++k) {
            const Telegram telegram{tables.payload(), 1000.0 * k};
            const TelegramResult simulated = simulateTelegram(table.setup, telegram, simState);
            const Played emulated = emulatorAnswer(core, telegram.payload);
            ++ends[simulated.end];
            SCOPED_TRACE("table " + std::to_string(t) + " telegram " + std::to_string(k));
            ASSERT_EQ(show(simulated.bytes), show(emulated.bytes));
            ASSERT_EQ(simulated.trailingPauseMs, emulated.trailingPauseMs);
            ASSERT_EQ(simulated.analogueSteps, emulated.analogue);
        }
    }
    // Every way an output can end came up often enough to mean something.
    for (OutputEnd end :
         {OutputEnd::endCell, OutputEnd::lineEnd, OutputEnd::endless, OutputEnd::rejected}) {
        EXPECT_GE(ends[end], 50) << endName(end);
    }
}

}  // namespace
}  // namespace tovrix::sim
