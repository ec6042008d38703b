#include "serial/portnames.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "serial/networkname.h"

namespace tovrix {

namespace {

std::string homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

}  // namespace

std::string comPortDirectory() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base =
        (config != nullptr && *config != '\0') ? std::string(config) : homeDirectory() + "/.config";
    return base + "/tovrix/ports";
}

std::string comLinkPath(int n) {
    return comPortDirectory() + "/com" + std::to_string(n);
}

std::string comDevicePath(int n) {
    namespace fs = std::filesystem;
    const fs::path link = comLinkPath(n);
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(link, error))) {
        fs::path target = fs::read_symlink(link, error);
        if (!error && isNetworkPortName(target.string())) {
            return target.string();  // a port behind a network serial server
        }
        if (!error) {
            // A relative target is relative to the directory holding the link.
            return target.is_absolute() ? target.string() : (link.parent_path() / target).string();
        }
    } else if (fs::exists(link, error)) {
        return link.string();
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace tovrix
