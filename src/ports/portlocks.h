#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// Who holds a serial device, found without opening it: opening a port
// toggles its modem lines, and many boards reset on that.

// One lock the kernel lists in /proc/locks: the file it sits on (the device
// of its file system and its inode) and the process that took it.
struct FileLock {
    unsigned int major = 0;
    unsigned int minor = 0;
    ino_t inode = 0;
    pid_t pid = 0;  // -1 for open-file-description locks, which name no process
};

// The granted locks in the text of /proc/locks; requests still waiting for
// a lock ("->" lines) and lines that do not parse are left out.
std::vector<FileLock> parseFileLocks(std::string_view text);

// The process named by a UUCP lock file <directory>/LCK..<name>, the
// convention of minicom, cu and their kin: the process id in ASCII (or, in
// old files, as a binary int). None when there is no such file or its
// process has ended (a stale lock).
std::optional<pid_t> uucpLockOwner(const std::string& directory, const std::string& name);

// The command name of a running process, e.g. "minicom"; empty when unknown.
std::string processName(pid_t pid);

}  // namespace tovrix
