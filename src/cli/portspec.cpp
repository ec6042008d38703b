#include "cli/portspec.h"

#include "serial/portnames.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace tovrix::cli {

namespace {

constexpr int kComPorts = 4;  // the window offers COM1..COM4

// "COM3" (any case) gives 3; anything else gives 0.
int comNumberOf(std::string_view text) {
    if (text.size() != 4) {
        return 0;
    }
    std::string prefix(text.substr(0, 3));
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (prefix != "COM" || text[3] < '1' || text[3] > '9') {
        return 0;
    }
    return text[3] - '0';
}

std::string canonicalDevice(const std::string& device) {
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(device, error);
    return error ? device : resolved.string();
}

}  // namespace

std::optional<PortSpec> parsePortSpec(std::string_view text, std::string& error) {
    if (const int n = comNumberOf(text); n != 0) {
        if (n > kComPorts) {
            error = "port " + std::string(text) +
                    ": the ports are COM1 to COM4; name any other device by its path";
            return std::nullopt;
        }
        return PortSpec{"COM" + std::to_string(n), n, comDevicePath(n)};
    }
    if (text.find('/') == std::string_view::npos) {
        error = "port " + std::string(text) + ": not COM1 to COM4 and not a device path";
        return std::nullopt;
    }
    return PortSpec{std::string(text), 0, std::string(text)};
}

std::string repeatedPort(const std::vector<PortSpec>& ports) {
    std::vector<std::string> seen;
    for (const PortSpec& port : ports) {
        const std::string device = canonicalDevice(port.device);
        if (std::find(seen.begin(), seen.end(), device) != seen.end()) {
            return port.name;
        }
        seen.push_back(device);
    }
    return {};
}

std::string perPortFileName(const std::string& file, const PortSpec& port) {
    std::string tag = port.name;
    std::replace(tag.begin(), tag.end(), '/', '_');
    // The extension is looked for in the last part of the path only.
    const std::size_t slash = file.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) {
        dot = file.size();
    }
    return file.substr(0, dot) + "-" + tag + file.substr(dot);
}

}  // namespace tovrix::cli
