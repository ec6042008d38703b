#include "link/linktexts.h"

#include "config/numbers.h"

namespace tovrix {

std::string phaseText(Phase phase) {
    const char* text = "";
    switch (phase) {
        case Phase::readSystemData:
            text = "read system data";
            break;
        case Phase::readConfigData:
            text = "read config data";
            break;
        case Phase::writeConfigData:
            text = "write config data";
            break;
        case Phase::verifyConfigData:
            text = "verify config data";
            break;
        case Phase::readStringData:
            text = "read string data";
            break;
        case Phase::writeStringData:
            text = "write string data";
            break;
        case Phase::sendTestData:
            text = "send test data";
            break;
        case Phase::resetModule:
            text = "reset module";
            break;
    }
    return std::string("\"") + text + "\"";
}

std::string systemListingLine(int index, std::uint8_t value) {
    return setString(2, index) + ":  " + fillString(3, '0', value) + "   " + inttobin(value);
}

std::string firmwareText(const SysData& sysdata) {
    return std::to_string(sysdata[2]) + "." + fillString(2, '0', sysdata[1]);
}

std::string testSendLine(const std::array<std::string, 4>& fieldTexts) {
    std::string line = "Sende:";
    for (const std::string& text : fieldTexts) {
        line += ' ';
        line += text;
    }
    return line;
}

std::string testReceiveHeading(const std::string& b3Text) {
    return "Empfange[" + b3Text + "]:";
}

}  // namespace tovrix
