#include "cli/manpage.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace tovrix::cli {

namespace {

// Text as roff shows it literally.
std::string escaped(const std::string& line) {
    std::string out;
    for (const char c : line) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    // A line starting with a dot or an apostrophe would be a request.
    if (!out.empty() && (out.front() == '.' || out.front() == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

std::string manPage(const std::string& help, const std::string& version) {
    std::vector<std::string> lines;
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::string out = ".TH TOVRIX-CLI 1 \"\" \"" + version + "\" \"User Commands\"\n";
    out += ".SH NAME\ntovrix\\-cli \\- read, program and verify radio receivers on serial ports\n";
    std::size_t i = 0;
    if (!lines.empty() && lines[0].starts_with("Usage: ")) {
        out += ".SH SYNOPSIS\n.nf\n" + escaped(lines[0].substr(7)) + "\n.fi\n.SH DESCRIPTION\n";
        i = 1;
    }
    bool literal = false;
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const bool indented = !line.empty() && line.front() == ' ';
        if (literal && !indented) {
            out += ".fi\n";
            literal = false;
        }
        if (line.empty()) {
            out += ".PP\n";
        } else if (!indented && line.back() == ':') {
            out += ".SH " + upper(line.substr(0, line.size() - 1)) + "\n";
        } else if (indented) {
            if (!literal) {
                out += ".nf\n";
                literal = true;
            }
            out += escaped(line) + "\n";
        } else {
            out += escaped(line) + "\n";
        }
    }
    if (literal) {
        out += ".fi\n";
    }
    return out;
}

}  // namespace tovrix::cli
