#include "cli/inputfile.h"

#include "config/configfileio.h"

#include <algorithm>

namespace tovrix::cli {

std::optional<LoadedFile> loadInputFile(const std::string& path, std::string& error, FileUse use) {
    LoadedFile file;
    FileLoadDetails details;
    const FileLoadResult result =
        loadConfigurationFile(path, file.rawBlock, file.rawImage, &details);
    if (result == FileLoadResult::unreadable) {
        error = path + ": cannot read the file (" + details.readError + ")";
        return std::nullopt;
    }
    if (result == FileLoadResult::rejected || details.content.badValues > 0) {
        error = path + ": " + loadErrorText(details.content);
        return std::nullopt;
    }
    if (use == FileUse::receiver && details.content.outOfRange > 0) {
        error = path + ": " + outOfRangeText(details.content);
        return std::nullopt;
    }
    if (imageChecksum(file.rawImage) != file.rawImage[image::kChecksum]) {
        error = path + ": the table does not match its checksum line (sum " +
                std::to_string(imageChecksum(file.rawImage)) + ", line says " +
                std::to_string(file.rawImage[image::kChecksum]) + ")";
        return std::nullopt;
    }
    std::copy_n(file.rawBlock.begin(), conf::kBlockSize, file.block.begin());
    normaliseConfigBlock(file.block);
    file.image = rebuildImage(file.rawImage);
    file.comment = details.content.comment;
    file.outOfRange = outOfRangeText(details.content);
    return file;
}

ConfData newFileBlock() {
    ConfData block{};
    resetConfigBlock(block);
    normaliseConfigBlock(block);
    return block;
}

TabData newFileImage() {
    TabCells cells;
    resetTable(cells);
    return encodeImage(cells, TableSettings{});
}

ConfData programmedFrom(const ConfData& block) {
    ConfData programmed = block;
    programmed[conf::kChecksum] = configChecksum(programmed);
    return programmed;
}

}  // namespace tovrix::cli
