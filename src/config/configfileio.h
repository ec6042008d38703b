#pragma once

#include "config/configfile.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tovrix {

// No configuration file comes near this size (one holds about 36 kB); a
// larger file is refused before it is read.
inline constexpr std::size_t kMaxConfigFileBytes = 1024 * 1024;

// Writes a configuration file: the 617 lines of the block and the image,
// byte for byte, each ended by CR LF. A regular file (or a new name) is
// replaced only once the new one is complete, so a failed save leaves it as
// it was; a pipe or a character device (a terminal, /dev/null) is written
// directly, as it cannot be replaced; anything else is refused. False when
// the file cannot be written; then error, if given, says why.
bool saveConfigurationFile(const std::string& path, const ConfData& conf, const ImageBytes& image,
                           int comNumber, std::string_view firmwareText,
                           std::string* error = nullptr);

// The same for lines already built.
bool saveConfigurationLines(const std::string& path, const std::vector<std::string>& lines,
                            std::string* error = nullptr);

// Why a save to path would fail before any byte is written (the folder is
// missing or may not be written, the name is a folder or a device that
// cannot take a file); empty when it may well succeed.
std::string saveTargetProblem(const std::string& path);

enum class FileLoadResult {
    loaded,      // block bytes 0..127 and the image were replaced
    unreadable,  // the file could not be read; nothing changed
    rejected,    // the file's content was refused; nothing changed
};

// Why a load came out as it did: the system's reason for an unreadable
// file, the reader's findings for a read one.
struct FileLoadDetails {
    std::string readError;
    ConfigFileLoad content;
};

// Reads a configuration file into block bytes 0..127 and the image; with
// details, says why. Only a regular file of at most kMaxConfigFileBytes is
// read; it is opened without waiting, so a pipe or a device never holds the
// caller up.
FileLoadResult loadConfigurationFile(const std::string& path, ConfData& conf, ImageBytes& image,
                                     FileLoadDetails* details = nullptr);

// The reason for a refused load in words: the system's reason for an
// unreadable file, else what was wrong with its content.
std::string loadFailureText(FileLoadResult result, const FileLoadDetails& details);

}  // namespace tovrix
