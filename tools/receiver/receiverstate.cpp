#include "receiver/receiverstate.h"

#include "config/numbers.h"
#include "table/cells.h"

#include <algorithm>
#include <string_view>

namespace tovrix::receiver {

namespace {

TabCell number(std::uint8_t value) {
    return TabCell{kNumberCell, value};
}
TabCell function(FunctionCode code) {
    return TabCell{kFunctionCell, code};
}

// Fills a line from its first cell on; the remaining cells stay end cells.
void setLine(TabCells& cells, int line, std::initializer_list<TabCell> content) {
    std::copy(content.begin(), content.end(), cells[line].begin());
}

void setText(std::vector<TabCell>& out, std::string_view text) {
    for (char c : text) {
        out.push_back(number(static_cast<std::uint8_t>(c)));
    }
}

}  // namespace

SystemData defaultSystemData() {
    SystemData system{};
    system[sys::kModuleType] = 16;
    system[sys::kFirmwareMinor] = 3;  // firmware 1.03
    system[sys::kFirmwareMajor] = 1;
    system[3] = 2;  // hardware revision
    // Serial number 123456, big-endian like every multi-byte value here.
    system[4] = 0x00;
    system[5] = 0x01;
    system[6] = 0xE2;
    system[7] = 0x40;
    system[8] = 7;     // production year (2007)
    system[9] = 46;    // production week
    system[10] = 1;    // one serial output
    system[11] = 32;   // table memory in pages of 256 bytes (8192 bytes)
    system[12] = 128;  // configuration block size
    return system;
}

ConfData defaultConfigBlock() {
    ConfData conf{};
    resetConfigBlock(conf);
    // Unlike the tool's reset block (which accepts only the telegram 0 0 0),
    // the emulated receiver accepts everything out of the box, so that test
    // telegrams show output before anything has been programmed.
    for (int op : conf::kConditionOperator) {
        conf[op] = conf::kOpAny;
    }
    conf[conf::kRowVariable] = 3;
    normaliseConfigBlock(conf);
    conf[conf::kChecksum] = configChecksum(conf);
    return conf;
}

TabData demoTableImage() {
    TabCells cells;
    resetTable(cells);

    // Line 0: "Tovrix " followed by the three payload bytes, CR LF.
    std::vector<TabCell> greeting;
    setText(greeting, "Tovrix ");
    greeting.insert(greeting.end(),
                    {function(fcB1), function(fcB2), function(fcB3), number(13), number(10)});
    std::copy(greeting.begin(), greeting.end(), cells[0].begin());

    // Line 1 jumps to line 0.
    setLine(cells, 1, {function(fcGoto), number(0)});

    // Line 100 (the test value the tool proposes): "Test", a pause, a
    // subroutine that names B3, CR LF, and the analogue output set to 100 steps.
    std::vector<TabCell> test;
    setText(test, "Test");
    test.insert(test.end(), {function(fcPause), function(fcCall), number(200), number(13),
                             number(10), function(fcUset), number(100)});
    std::copy(test.begin(), test.end(), cells[100].begin());

    // Line 200, the subroutine: " B3=" and the byte B3.
    std::vector<TabCell> subroutine;
    setText(subroutine, " B3=");
    subroutine.insert(subroutine.end(), {function(fcB3), function(fcRet)});
    std::copy(subroutine.begin(), subroutine.end(), cells[200].begin());

    const TableSettings settings{100, 3, 10};
    return encodeImage(cells, settings);
}

ReceiverState defaultReceiverState() {
    return ReceiverState{defaultSystemData(), defaultConfigBlock(), demoTableImage()};
}

std::string firmwareText(const SystemData& system) {
    return std::to_string(system[sys::kFirmwareMajor]) + "." +
           fillString(2, '0', system[sys::kFirmwareMinor]);
}

std::vector<std::string> stateFileLines(const ReceiverState& state, int comNumber) {
    return buildConfigFile(state.conf, state.image, comNumber, firmwareText(state.system));
}

ConfigFileLoad loadStateFile(const std::vector<std::string>& lines, ReceiverState& state) {
    ConfData conf = state.conf;
    ImageBytes image = state.image;
    const ConfigFileLoad result = loadConfigFile(lines, conf, image);
    if (result.error == LoadError::None) {
        // Only the receiver's block is taken; the tool's scratch half stays clear.
        std::fill(conf.begin() + conf::kBlockSize, conf.end(), std::uint8_t{0});
        state.conf = conf;
        state.image = image;
    }
    return result;
}

}  // namespace tovrix::receiver
