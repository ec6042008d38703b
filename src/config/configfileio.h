#pragma once

#include "config/configfile.h"

#include <string>
#include <string_view>

namespace tovrix {

// Writes a configuration file: the 617 lines of the block and the image,
// byte for byte, each ended by CR LF. The old file is replaced only once the
// new one is complete, so a failed save leaves it as it was. False when the
// file cannot be written.
bool saveConfigurationFile(const std::string& path, const ConfData& conf, const ImageBytes& image,
                           int comNumber, std::string_view firmwareText);

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
// details, says why.
FileLoadResult loadConfigurationFile(const std::string& path, ConfData& conf, ImageBytes& image,
                                     FileLoadDetails* details = nullptr);

}  // namespace tovrix
