#include "ports/cataloguetext.h"

#include <unistd.h>

#include <algorithm>

namespace tovrix {

namespace {

std::string orDash(const std::string& field) {
    return field.empty() ? std::string("-") : field;
}

std::string comText(const std::vector<int>& numbers) {
    std::string text;
    for (int n : numbers) {
        text += (text.empty() ? "COM" : ",COM") + std::to_string(n);
    }
    return text;
}

// Characters of UTF-8 text: every byte that does not continue a sequence.
std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    }));
}

}  // namespace

std::string accessText(const SerialPortInfo& port) {
    if (port.mayOpen) {
        return "ok";
    }
    return port.group.empty() ? std::string("denied") : "denied (group " + port.group + ")";
}

std::string holderText(const SerialPortInfo& port) {
    if (!port.holder) {
        return "free";
    }
    const PortHolder& holder = *port.holder;
    if (holder.pid == ::getpid()) {
        return "open in this program";
    }
    if (holder.pid <= 0) {
        return "in use";
    }
    const std::string pid = "pid " + std::to_string(holder.pid);
    return holder.program.empty() ? "in use (" + pid + ")"
                                  : "in use by " + holder.program + " (" + pid + ")";
}

std::vector<std::vector<std::string>> catalogueRows(const std::vector<SerialPortInfo>& ports) {
    std::vector<std::vector<std::string>> rows;
    rows.push_back(
        {"DEVICE", "COM", "VENDOR", "MODEL", "SERIAL", "DRIVER", "ACCESS", "STATE", "BY-ID"});
    for (const SerialPortInfo& port : ports) {
        rows.push_back({port.devicePath, orDash(comText(port.comNumbers)), orDash(port.vendor),
                        orDash(port.model), orDash(port.serialNumber), orDash(port.driver),
                        accessText(port), holderText(port), orDash(port.byIdPath)});
    }
    return rows;
}

std::vector<std::string> formatColumns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t c = 0; c < row.size(); ++c) {
            widths[c] = std::max(widths[c], characters(row[c]));
        }
    }
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line.append(widths[c] - characters(row[c]) + 2, ' ');
            }
        }
        line.erase(line.find_last_not_of(' ') + 1);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace tovrix
