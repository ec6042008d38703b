#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// Splits text into lines; accepts CR LF and LF endings. A final line ending
// does not start another (empty) line.
std::vector<std::string> splitLines(std::string_view text);

// Joins lines with CR LF after every line, the last one included.
std::string joinLines(const std::vector<std::string>& lines);

}  // namespace tovrix
