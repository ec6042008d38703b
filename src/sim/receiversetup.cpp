#include "sim/receiversetup.h"

#include <algorithm>

namespace tovrix::sim {

ReceiverSetup setupFromImage(const ConfData& conf, const TabData& image) {
    const DecodedImage decoded = decodeImage(image);
    return setupFromCells(conf, decoded.cells, decoded.settings);
}

ReceiverSetup setupFromCells(const ConfData& conf, const TabCells& cells,
                             const TableSettings& settings) {
    ReceiverSetup setup;
    setup.conf = conf;
    setup.cells = cells;
    setup.settings = settings;
    return setup;
}

int rowVariableIndex(const ReceiverSetup& setup) {
    return rowVariableItem(setup.settings.rowVariable);
}

int outputBaud(const ConfData& conf) {
    for (const conf::BaudCode& code : conf::kBaudCodes) {
        if (code.code == conf[conf::kBaudCode]) {
            return code.rate;
        }
    }
    return 19200;
}

double byteTimeMs(int baud) {
    constexpr int kBitsPerByte = 10;
    return 1000.0 * kBitsPerByte / baud;
}

int analogueResolution(const ConfData& conf) {
    return conf[conf::kResolution];
}

double analogueVolts(const ConfData& conf, int steps) {
    const int resolution = analogueResolution(conf);
    if (resolution == 0) {
        return 0.0;  // no steps to divide the range into: the output stays at 0
    }
    constexpr double kNominalGain = conf::kNominalGain;
    const double gain = readWord(conf, conf::kGainHigh) / kNominalGain;
    const double offset = readWord(conf, conf::kOffsetHigh) / 1000.0;
    const double volts = steps * kAnalogueRangeVolts / resolution * gain + offset;
    return std::clamp(volts, 0.0, kAnalogueRangeVolts);
}

}  // namespace tovrix::sim
