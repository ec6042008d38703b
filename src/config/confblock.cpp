#include "config/confblock.h"

#include <algorithm>
#include <numeric>

namespace tovrix {

void resetConfigBlock(ConfData& block) {
    std::fill_n(block.begin(), conf::kBlockSize, std::uint8_t{0});
    block[conf::kTransmitterType] = conf::kTransmitterStandard;
    block[conf::kBitLength] = conf::kDefaultBitLength;
    block[conf::kValidityCount] = conf::kDefaultValidityCount;
    block[conf::kResolution] = conf::kDefaultResolution;
    writeWord(block, conf::kGainHigh, conf::kNominalGain);
}

std::uint16_t readWord(const ConfData& block, int highIndex) {
    return static_cast<std::uint16_t>(block[highIndex] * 256 + block[highIndex + 1]);
}

void writeWord(ConfData& block, int highIndex, std::uint16_t value) {
    block[highIndex] = static_cast<std::uint8_t>(value / 256);
    block[highIndex + 1] = static_cast<std::uint8_t>(value % 256);
}

std::uint8_t configChecksum(const ConfData& block) {
    const unsigned sum =
        std::accumulate(block.begin(), block.begin() + conf::kChecksummedBytes, 0U);
    return static_cast<std::uint8_t>(sum);
}

bool isBaudCode(std::uint8_t code) {
    return std::any_of(conf::kBaudCodes.begin(), conf::kBaudCodes.end(),
                       [code](const conf::BaudCode& b) { return b.code == code; });
}

void normaliseConfigBlock(ConfData& block) {
    block[conf::kToolVersionMajor] = conf::kToolMajor;
    block[conf::kToolVersionMinor] = conf::kToolMinor;
    for (int op : conf::kConditionOperator) {
        block[op] = std::min(block[op], conf::kOpAny);
    }
    for (int hs : {conf::kRtsHandshake, conf::kCtsHandshake}) {
        if (block[hs] > conf::kHandshakeMax) {
            block[hs] = conf::kHandshakeOff;
        }
    }
    if (block[conf::kTransmitterType] > conf::kTransmitterStandard) {
        block[conf::kTransmitterType] = conf::kTransmitterProgrammable;
    }
    if (!isBaudCode(block[conf::kBaudCode])) {
        block[conf::kBaudCode] = conf::kBaudCode19200;
    }
}

}  // namespace tovrix
