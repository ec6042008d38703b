#include "serial/deviceaccess.h"

#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace tovrix {

std::string deviceGroup(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 4096));
    group entry{};
    group* found = nullptr;
    while (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    return found != nullptr && found->gr_name != nullptr ? std::string(found->gr_name)
                                                         : std::string();
}

bool isTerminalDevice(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        return false;
    }
    // /dev/null and friends are character devices too, but have no line settings.
    termios settings{};
    return ::tcgetattr(fd, &settings) == 0;
}

}  // namespace tovrix
