#include "receiver/comlink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tovrix::receiver {

namespace {

namespace fs = std::filesystem;

std::string systemMessage(int error) {
    return std::strerror(error);
}

std::string linkTarget(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    return error ? std::string() : target.string();
}

}  // namespace

ComLink::ComLink(std::string linkPath, std::string target)
    : path_(std::move(linkPath)), target_(std::move(target)) {
    std::error_code error;
    fs::create_directories(fs::path(path_).parent_path(), error);
    if (error) {
        throw ComLinkError("cannot create the directory for " + path_ + ": " + error.message());
    }
    // Two attempts: the second one after clearing away a stale link.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::symlink(target_.c_str(), path_.c_str()) == 0) {
            made_ = true;
            return;
        }
        if (errno != EEXIST) {
            throw ComLinkError("cannot create the link " + path_ + ": " + systemMessage(errno));
        }
        struct stat linkInfo {};
        if (::lstat(path_.c_str(), &linkInfo) != 0) {
            continue;  // it vanished in between: try again
        }
        if (!S_ISLNK(linkInfo.st_mode)) {
            throw ComLinkError(path_ + " exists and is not a link; it is left as it is");
        }
        struct stat targetInfo {};
        if (::stat(path_.c_str(), &targetInfo) == 0) {
            throw ComLinkError(path_ + " already points to " + linkTarget(path_) +
                               ", which exists (another receiver emulator or a real adapter?); "
                               "remove the link if it is no longer in use");
        }
        // Its target is gone: a leftover from a run that could not clean up.
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
            throw ComLinkError("cannot remove the stale link " + path_ + ": " +
                               systemMessage(errno));
        }
    }
    throw ComLinkError("cannot create the link " + path_ + ": it keeps reappearing");
}

ComLink::~ComLink() {
    remove();
}

void ComLink::remove() {
    if (!made_) {
        return;
    }
    made_ = false;
    // Someone may have replaced the link meanwhile; theirs stays.
    if (linkTarget(path_) == target_) {
        ::unlink(path_.c_str());
    }
}

void ComLink::unplug() {
    if (!made_) {
        return;
    }
    made_ = false;
    if (linkTarget(path_) != target_) {
        return;
    }
    // Replace the link in one step (rename), so that no moment exists in
    // which COM n falls back to the default serial device.
    const std::string temporary = path_ + ".unplugging";
    ::unlink(temporary.c_str());
    const std::string vanished = target_ + " (unplugged)";
    if (::symlink(vanished.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        ::unlink(path_.c_str());
    }
}

}  // namespace tovrix::receiver
