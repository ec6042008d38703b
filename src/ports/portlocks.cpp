#include "ports/portlocks.h"

#include <signal.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tovrix {

namespace {

template <typename Number>
bool parseNumber(std::string_view text, Number& value, int base = 10) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    return result.ec == std::errc() && result.ptr == end;
}

// "08:01:123456": the file system's major and minor number in hex, the inode in decimal.
bool parseFileId(std::string_view field, FileLock& lock) {
    const std::size_t first = field.find(':');
    const std::size_t second = first == std::string_view::npos ? first : field.find(':', first + 1);
    if (second == std::string_view::npos) {
        return false;
    }
    return parseNumber(field.substr(0, first), lock.major, 16) &&
           parseNumber(field.substr(first + 1, second - first - 1), lock.minor, 16) &&
           parseNumber(field.substr(second + 1), lock.inode);
}

bool isRunning(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

std::vector<FileLock> parseFileLocks(std::string_view text) {
    // "1: FLOCK  ADVISORY  WRITE 1234 00:1a:3 0 EOF"; a waiting request reads
    // "1: -> FLOCK  ADVISORY  WRITE 1235 00:1a:3 0 EOF".
    std::vector<FileLock> locks;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, file;
        if (!(fields >> number >> kind) || kind == "->") {
            continue;
        }
        if (!(fields >> mode >> access >> pid >> file)) {
            continue;
        }
        FileLock lock;
        if (!parseNumber(std::string_view(pid), lock.pid) || !parseFileId(file, lock)) {
            continue;
        }
        locks.push_back(lock);
    }
    return locks;
}

std::optional<pid_t> uucpLockOwner(const std::string& directory, const std::string& name) {
    const std::string path = directory + "/LCK.." + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string content((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    // The usual form: the number in ASCII, padded to ten places, with a newline.
    const std::size_t first = content.find_first_not_of(" \t");
    const std::size_t last = content.find_last_not_of(" \t\r\n");
    pid_t pid = 0;
    const bool ascii = first != std::string::npos && last != std::string::npos && first <= last &&
                       parseNumber(std::string_view(content).substr(first, last - first + 1), pid);
    if (!ascii) {
        // Old programs wrote the number as a binary int.
        if (content.size() != sizeof(int)) {
            return std::nullopt;
        }
        int binary = 0;
        std::memcpy(&binary, content.data(), sizeof binary);
        pid = binary;
    }
    if (!isRunning(pid)) {
        return std::nullopt;
    }
    return pid;
}

std::string processName(pid_t pid) {
    if (pid <= 0) {
        return {};
    }
    std::ifstream file("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(file, name);
    return name;
}

}  // namespace tovrix
