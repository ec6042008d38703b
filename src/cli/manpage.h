#pragma once

#include <string>

namespace tovrix::cli {

// The manual page (roff) made from the program's --help text: the usage
// line as synopsis, the first paragraph as description, each "Heading:"
// line a section, indented blocks kept as they stand.
std::string manPage(const std::string& help, const std::string& version);

}  // namespace tovrix::cli
