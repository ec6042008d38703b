#include "ports/comlinks.h"

#include "serial/networkname.h"
#include "serial/portnames.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace tovrix {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Whether whatever stands at `path` may be replaced or removed: nothing, or a link.
std::error_code replaceable(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? std::error_code() : lastError();
    }
    return S_ISLNK(info.st_mode) ? std::error_code() : std::make_error_code(std::errc::file_exists);
}

}  // namespace

std::string linkTarget(const SerialPortInfo& port) {
    return port.byIdPath.empty() ? port.devicePath : port.byIdPath;
}

std::string typedDevicePath(std::string_view typed) {
    const std::size_t first = typed.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = typed.find_last_not_of(" \t");
    const std::string_view path = typed.substr(first, last - first + 1);
    if (isNetworkPortName(path)) {
        // A port behind a network serial server, kept only when well formed.
        return parseNetworkPortName(path) ? std::string(path) : std::string();
    }
    if (path.starts_with('/')) {
        return std::string(path);
    }
    if (path.find('/') != std::string_view::npos || path == "." || path == "..") {
        return {};
    }
    return "/dev/" + std::string(path);
}

std::error_code writeComLink(int n, const std::string& target) {
    const std::string link = comLinkPath(n);
    std::error_code error;
    std::filesystem::create_directories(comPortDirectory(), error);
    if (error) {
        return error;
    }
    if (error = replaceable(link); error) {
        return error;
    }
    // A new link beside the old one, renamed over it: rename() replaces atomically.
    const std::string fresh = link + ".new" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0) {
        return lastError();
    }
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        error = lastError();
        ::unlink(fresh.c_str());
        return error;
    }
    return {};
}

std::error_code clearComLink(int n) {
    const std::string link = comLinkPath(n);
    if (std::error_code error = replaceable(link); error) {
        return error;
    }
    if (::unlink(link.c_str()) != 0 && errno != ENOENT) {
        return lastError();
    }
    return {};
}

}  // namespace tovrix
