#pragma once

#include "ports/portinfo.h"

#include <string>
#include <vector>

namespace tovrix {

// The catalogue as text, in English, the way the command line prints it:
// a row of column titles, then one row per device. An empty field is "-".
// Columns: DEVICE, COM, VENDOR, MODEL, SERIAL, DRIVER, ACCESS, STATE, BY-ID.
std::vector<std::vector<std::string>> catalogueRows(const std::vector<SerialPortInfo>& ports);

// "ok", or "denied (group dialout)".
std::string accessText(const SerialPortInfo& port);
// "free", "in use by minicom (pid 1234)", "open in this program".
std::string holderText(const SerialPortInfo& port);

// Rows as lines of left-aligned columns two spaces apart, without trailing
// blanks. Widths count characters, not bytes, so that vendor names in UTF-8
// keep the columns straight.
std::vector<std::string> formatColumns(const std::vector<std::vector<std::string>>& rows);

}  // namespace tovrix
