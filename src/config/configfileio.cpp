#include "config/configfileio.h"

#include "config/textlines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tovrix {

namespace {

// The system's reason, as a phrase inside a sentence ("permission denied").
std::string reason(int error) {
    std::string text = std::strerror(error);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

void fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// An existing name as the file it leads to, so that saving through a link
// replaces the file, not the link.
std::string resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : path;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A pipe or a device takes the bytes as they come. Opened without waiting,
// so a pipe nobody reads fails at once instead of holding the caller.
bool writeDirectly(const std::string& path, std::string_view text, std::string* error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        fail(error, errno == ENXIO ? "no program reads from the pipe" : reason(errno));
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    const bool written =
        flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && writeAll(fd, text);
    const int writeError = errno;
    if (::close(fd) != 0 && written) {
        fail(error, reason(errno));
        return false;
    }
    if (!written) {
        fail(error, reason(writeError));
    }
    return written;
}

// A new file beside the target takes the target's name only once all of it
// is on the disk.
bool writeReplacing(const std::string& target, std::string_view text, std::string* error) {
    static std::atomic<unsigned> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        // 0666 less the user's umask, as any new file.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            fail(error, reason(errno));
            return false;
        }
    }
    if (fd < 0) {
        fail(error, reason(EEXIST));
        return false;
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        // The replacement keeps the old file's permissions.
        ::fchmod(fd, old.st_mode & 07777);
    }
    bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    int writeError = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        writeError = errno;
    }
    if (written && ::rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        writeError = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        fail(error, reason(writeError));
    }
    return written;
}

}  // namespace

std::string saveTargetProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return "is a folder";
        }
        if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
            return ::access(path.c_str(), W_OK) == 0 ? std::string() : reason(errno);
        }
        if (!S_ISREG(info.st_mode)) {
            return "is neither a file, a pipe nor a character device";
        }
    } else if (errno != ENOENT) {
        return reason(errno);
    }
    const std::string folder = folderOf(resolved(path));
    if (::stat(folder.c_str(), &info) != 0) {
        return errno == ENOENT ? "the folder does not exist" : reason(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return folder + " is not a folder";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return "cannot write in " + folder + ": " + reason(errno);
    }
    return {};
}

bool saveConfigurationLines(const std::string& path, const std::vector<std::string>& lines,
                            std::string* error) {
    const std::string text = joinLines(lines);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
            return writeDirectly(path, text, error);
        }
        if (!S_ISREG(info.st_mode)) {
            fail(error, saveTargetProblem(path));
            return false;
        }
    }
    if (std::string problem = saveTargetProblem(path); !problem.empty()) {
        fail(error, std::move(problem));
        return false;
    }
    return writeReplacing(resolved(path), text, error);
}

bool saveConfigurationFile(const std::string& path, const ConfData& conf, const ImageBytes& image,
                           int comNumber, std::string_view firmwareText, std::string* error) {
    return saveConfigurationLines(path, buildConfigFile(conf, image, comNumber, firmwareText),
                                  error);
}

namespace {

// The whole file, or nothing with the reason.
bool readWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = reason(errno);
        return false;
    }
    const auto refuse = [&](std::string why) {
        ::close(fd);
        error = std::move(why);
        return false;
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return refuse(reason(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return refuse("is a folder");
    }
    if (!S_ISREG(info.st_mode)) {
        return refuse("not a regular file");
    }
    const auto tooLarge = [&] {
        return refuse("larger than 1 MB, which no configuration file is");
    };
    if (static_cast<std::size_t>(info.st_size) > kMaxConfigFileBytes) {
        return tooLarge();
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return refuse(reason(errno));
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return refuse(reason(errno));
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() > kMaxConfigFileBytes) {
            return tooLarge();
        }
    }
    ::close(fd);
    return true;
}

}  // namespace

FileLoadResult loadConfigurationFile(const std::string& path, ConfData& conf, ImageBytes& image,
                                     FileLoadDetails* details) {
    FileLoadDetails found;
    const FileLoadResult result = [&] {
        std::string bytes;
        if (!readWholeFile(path, bytes, found.readError)) {
            return FileLoadResult::unreadable;
        }
        found.content = loadConfigFile(splitLines(bytes), conf, image);
        return found.content.error == LoadError::None ? FileLoadResult::loaded
                                                      : FileLoadResult::rejected;
    }();
    if (details != nullptr) {
        *details = std::move(found);
    }
    return result;
}

std::string loadFailureText(FileLoadResult result, const FileLoadDetails& details) {
    switch (result) {
        case FileLoadResult::unreadable:
            return details.readError;
        case FileLoadResult::rejected:
            return loadErrorText(details.content);
        case FileLoadResult::loaded:
            break;
    }
    return {};
}

}  // namespace tovrix
