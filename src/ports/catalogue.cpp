#include "ports/catalogue.h"

#include "ports/portlocks.h"
#include "ports/udevscan.h"
#include "serial/deviceaccess.h"
#include "serial/networkname.h"
#include "serial/portnames.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace tovrix {

namespace {

// A file as the kernel knows it, whatever links lead to it: a by-id link
// and the node it names are the same file.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> fileId(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileId{info.st_dev, info.st_ino};
}

std::string readWholeFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Another process outranks this one: a port the window itself has open is
// worth mentioning only when nobody else holds it.
std::optional<PortHolder> holderOf(const SerialPortInfo& port, const std::optional<FileId>& id,
                                   const std::vector<FileLock>& locks,
                                   const CatalogueOptions& options) {
    std::vector<pid_t> pids;
    if (id) {
        for (const FileLock& lock : locks) {
            if (lock.major == major(id->device) && lock.minor == minor(id->device) &&
                lock.inode == id->inode) {
                pids.push_back(lock.pid);
            }
        }
    }
    for (const std::string& directory : options.lockDirectories) {
        if (const auto pid = uucpLockOwner(directory, deviceName(port))) {
            pids.push_back(*pid);
        }
    }
    if (pids.empty()) {
        return std::nullopt;
    }
    const pid_t self = ::getpid();
    const auto other =
        std::find_if(pids.begin(), pids.end(), [self](pid_t p) { return p != self; });
    const pid_t pid = other != pids.end() ? *other : self;
    return PortHolder{pid, processName(pid)};
}

}  // namespace

std::vector<SerialPortInfo> listSerialPorts(const CatalogueOptions& options) {
    std::vector<SerialPortInfo> ports = scanSerialDevices();
    const std::vector<FileLock> locks = parseFileLocks(readWholeFile("/proc/locks"));
    std::array<std::optional<FileId>, kComPorts> comIds;
    for (int n = 1; n <= kComPorts; ++n) {
        comIds[static_cast<std::size_t>(n - 1)] = fileId(comDevicePath(n));
    }
    for (SerialPortInfo& port : ports) {
        // The verdict of the kernel for this user, access control lists included.
        port.mayOpen = ::access(port.devicePath.c_str(), R_OK | W_OK) == 0;
        port.group = deviceGroup(port.devicePath);
        if (const std::optional<NodeOwner> node = nodeOwner(port.devicePath)) {
            port.owner = node->owner;
            port.mode = node->mode;
        }
        const std::optional<FileId> id = fileId(port.devicePath);
        port.holder = holderOf(port, id, locks, options);
        for (int n = 1; n <= kComPorts; ++n) {
            if (id && comIds[static_cast<std::size_t>(n - 1)] == id) {
                port.comNumbers.push_back(n);
            }
        }
    }
    return ports;
}

ComPortState comPortState(int n, const std::vector<SerialPortInfo>& ports) {
    ComPortState state;
    state.number = n;
    struct stat info {};
    state.linked = ::lstat(comLinkPath(n).c_str(), &info) == 0;
    state.devicePath = comDevicePath(n);
    state.network = isNetworkPortName(state.devicePath);
    state.present = state.network || ::stat(state.devicePath.c_str(), &info) == 0;
    // Whether a network port may be used shows only when it is opened.
    state.mayOpen =
        state.network || !state.present || ::access(state.devicePath.c_str(), R_OK | W_OK) == 0;
    const auto listed = std::find_if(ports.begin(), ports.end(), [n](const SerialPortInfo& port) {
        return std::find(port.comNumbers.begin(), port.comNumbers.end(), n) !=
               port.comNumbers.end();
    });
    if (listed != ports.end()) {
        state.port = *listed;
    }
    return state;
}

std::optional<NodeOwner> nodeOwner(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    NodeOwner node;
    node.mode = info.st_mode & 07777u;
    node.group = deviceGroup(path);
    std::array<char, 1024> buffer{};
    struct passwd entry {};
    struct passwd* found = nullptr;
    node.owner = ::getpwuid_r(info.st_uid, &entry, buffer.data(), buffer.size(), &found) == 0 &&
                         found != nullptr
                     ? std::string(found->pw_name)
                     : std::to_string(info.st_uid);
    return node;
}

}  // namespace tovrix
