#pragma once

#include "config/confblock.h"
#include "table/cells.h"
#include "table/image.h"

#include <cstdint>

namespace tovrix::sim {

// Everything of the configuration block and the table that decides what the
// receiver does with a telegram. The window keeps one and changes its cells
// or settings as the user edits; nothing here is derived or cached, so an
// edit needs no rebuild.
struct ReceiverSetup {
    ConfData conf{};  // bytes 0..127 as the receiver holds them
    TabCells cells{};
    TableSettings settings;  // row variable (image byte 8161) and pause unit
};

ReceiverSetup setupFromImage(const ConfData& conf, const TabData& image);
ReceiverSetup setupFromCells(const ConfData& conf, const TabCells& cells,
                             const TableSettings& settings);

// The payload byte index 0..2 (B1..B3) that selects the line: 1 selects B1,
// 2 B2, any other value B3, as the table page reads the image byte.
int rowVariableIndex(const ReceiverSetup& setup);

// The receiver's output rate from configuration byte 10; a code that is none
// of the five counts as 19200 baud.
int outputBaud(const ConfData& conf);
// One byte on the output line: a start bit, 8 data bits and a stop bit.
double byteTimeMs(int baud);

// The analogue output: `resolution` steps span the range of 10 V; gain is
// a factor in 1024ths and offset a shift of the zero point in millivolts;
// the result stays within the output's 0..10 V.
inline constexpr double kAnalogueRangeVolts = 10.0;
int analogueResolution(const ConfData& conf);
double analogueVolts(const ConfData& conf, int steps);

}  // namespace tovrix::sim
