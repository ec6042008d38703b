#include "table/cells.h"

namespace tovrix {

std::string_view functionDisplayText(std::uint8_t code) {
    switch (code) {
        case fcEnd:
            return "-e-";
        case fcB1:
            return "B1";
        case fcB2:
            return "B2";
        case fcB3:
            return "B3";
        case fcGoto:
            return "GOTO";
        case fcCall:
            return "CALL";
        case fcRet:
            return "RET";
        case fcPause:
            return "P";
        case fcUset:
            return "Uset";
        case fcUplus:
            return "U+";
        case fcUminus:
            return "U-";
        default:
            return {};
    }
}

bool isJumpFunction(std::uint8_t code) {
    return code == fcGoto || code == fcCall;
}

bool isAnalogueFunction(std::uint8_t code) {
    return code == fcUset || code == fcUplus || code == fcUminus;
}

void resetTable(TabCells& cells) {
    for (TabLine& line : cells) {
        line.fill(endCell());
    }
}

}  // namespace tovrix
