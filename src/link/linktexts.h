#pragma once

#include "link/transferstate.h"

#include <array>
#include <cstdint>
#include <string>

namespace tovrix {

// What the info line shows while a command is in use.
enum class Phase {
    readSystemData,
    readConfigData,
    writeConfigData,
    verifyConfigData,
    readStringData,
    writeStringData,
    sendTestData,
    resetModule,
};

// The phase text as shown, double quotation marks included.
std::string phaseText(Phase phase);

// One line of the system-data listing: index right-aligned in two places,
// the value as three decimal digits and as eight bits (" 0:  016   00010000").
std::string systemListingLine(int index, std::uint8_t value);

// The two test-log lines written after a test frame: "Sende: " with the four
// field texts as they stand, and the heading naming B3.
std::string testSendLine(const std::array<std::string, 4>& fieldTexts);
std::string testReceiveHeading(const std::string& b3Text);

// The receiver's firmware version as the window shows it: system byte 2, a
// point, system byte 1 in two digits ("1.03"; "0.00" before any read).
std::string firmwareText(const SysData& sysdata);

// Test-log lines of the watchdog's normal end of a test.
inline constexpr const char* kTestLogDone = "Empfang fertig";
inline constexpr const char* kTestInfoDone = "Teststring gesendet";

}  // namespace tovrix
