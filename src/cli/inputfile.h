#pragma once

#include "config/configfile.h"
#include "table/image.h"

#include <optional>
#include <string>

namespace tovrix::cli {

// A configuration file as the window holds it after loading: the block
// corrected by the redraw, the image as the grid builds it again.
struct LoadedFile {
    ConfData block{};        // bytes 0..127 from the file, corrected; 128..255 zero
    TabData image{};         // rebuilt from the file's image
    TabData rawImage{};      // the file's image as it stands
    ConfData rawBlock{};     // bytes 0..127 as they stand in the file
    std::string comment;     // the file's comment line, after "comments: "
    std::string outOfRange;  // the first number outside 0..255, in words; empty if none
};

// The comment line of a file that holds only one part, as read writes it;
// write and verify then use that part alone.
inline constexpr const char* kOnlyConfigurationRead = "read: configuration";
inline constexpr const char* kOnlyTableRead = "read: table";

// Reads and checks a .tvx file. A file that cannot be read, that the window
// would refuse, that holds a table value that is no number, or whose table
// does not match its checksum line is refused with the reason ("out.tvx:
// line 6 is not a number"). For a receiver, a number outside 0..255 is
// refused too, where the window would take its low 8 bits.
enum class FileUse { compare, receiver };
std::optional<LoadedFile> loadInputFile(const std::string& path, std::string& error,
                                        FileUse use = FileUse::compare);

// What the window holds after a fresh start, for the parts a read leaves
// out: the reset block as the redraw shows it (no settings file: 19200 baud,
// lock-out time 0) and the reset table with the table page's settings.
ConfData newFileBlock();
TabData newFileImage();

// The block a configuration write programs from `block`: checksum in byte 89.
ConfData programmedFrom(const ConfData& block);

}  // namespace tovrix::cli
