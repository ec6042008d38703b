#include "receiver/receiverstate.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace tovrix::receiver {

namespace {

Cell number(std::uint8_t value) {
    return Cell{false, value};
}
Cell function(Function code) {
    return Cell{true, code};
}

void addText(std::vector<Cell>& out, std::string_view text) {
    for (char c : text) {
        out.push_back(number(static_cast<std::uint8_t>(c)));
    }
}

// Fills a line from its first cell on; the remaining cells stay end cells.
void setLine(TableImage& image, int line, const std::vector<Cell>& cells) {
    for (std::size_t cell = 0; cell < cells.size(); ++cell) {
        setTableCell(image, line, static_cast<int>(cell), cells[cell]);
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

ConfigBlock defaultConfigBlock() {
    ConfigBlock conf{};
    conf[block::kBaudCode] = 12;  // 19200 baud
    conf[block::kRowVariable] = 3;
    // Unlike the tool's fresh block (which accepts only the telegram 0 0 0),
    // the emulated receiver accepts everything out of the box, so that test
    // telegrams show output before anything has been programmed.
    for (int i = 0; i < block::kConditionCount; ++i) {
        conf[static_cast<std::size_t>(block::kConditions + 2 * i)] = kAny;
    }
    conf[block::kTransmitterType] = 1;  // the standard transmitter
    conf[block::kBitLength] = 12;
    conf[block::kValidityCount] = 2;
    conf[block::kResolution] = 200;
    conf[block::kGainHigh] = 1024 / 256;  // gain 1024: a factor of 1
    conf[block::kGainHigh + 1] = 1024 % 256;
    conf[block::kToolVersionMinor] = 5;  // last programmed by tool 1.05
    conf[block::kToolVersionMajor] = 1;
    conf[block::kChecksum] = blockChecksum(conf);
    return conf;
}

TableImage demoTableImage() {
    TableImage image = emptyTable(100, 3, 10);

    // Line 0: "Tovrix " followed by the three payload bytes, CR LF.
    std::vector<Cell> greeting;
    addText(greeting, "Tovrix ");
    greeting.insert(greeting.end(),
                    {function(kB1), function(kB2), function(kB3), number(13), number(10)});
    setLine(image, 0, greeting);

    // Line 1 jumps to line 0.
    setLine(image, 1, {function(kGoto), number(0)});

    // Line 100 (the test value the tool proposes): "Test", a pause, a
    // subroutine that names B3, CR LF, and the analogue output set to 100 steps.
    std::vector<Cell> test;
    addText(test, "Test");
    test.insert(test.end(), {function(kPause), function(kCall), number(200), number(13), number(10),
                             function(kUset), number(100)});
    setLine(image, 100, test);

    // Line 200, the subroutine: " B3=" and the byte B3.
    std::vector<Cell> subroutine;
    addText(subroutine, " B3=");
    subroutine.insert(subroutine.end(), {function(kB3), function(kRet)});
    setLine(image, 200, subroutine);

    sealTable(image);
    return image;
}

ReceiverState defaultReceiverState() {
    return ReceiverState{defaultSystemData(), defaultConfigBlock(), demoTableImage()};
}

std::string firmwareText(const SystemData& system) {
    const std::string minor = std::to_string(system[sys::kFirmwareMinor]);
    return std::to_string(system[sys::kFirmwareMajor]) + "." + (minor.size() < 2 ? "0" : "") +
           minor;
}

std::vector<std::string> stateFileLines(const ReceiverState& state, int comNumber) {
    return buildConfigFile(state.conf, state.image, comNumber, firmwareText(state.system));
}

ConfigFileLoad loadStateFile(const std::vector<std::string>& lines, ReceiverState& state) {
    ConfigBlock conf = state.conf;
    TableImage image = state.image;
    const ConfigFileLoad result = loadConfigFile(lines, conf, image);
    if (result.error == LoadError::None) {
        // Only the receiver's block is taken; the tool's scratch half stays clear.
        std::fill(conf.begin() + block::kSize, conf.end(), std::uint8_t{0});
        state.conf = conf;
        state.image = image;
    }
    return result;
}

}  // namespace tovrix::receiver
