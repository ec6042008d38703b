#include "cli/comparison.h"
#include "cli/inputfile.h"
#include "cli/output.h"

#include <gtest/gtest.h>

namespace tovrix::cli {
namespace {

TEST(Diff, NamesFieldsLinesAndColumns) {
    const ConfData block = newFileBlock();
    const TabData image = newFileImage();
    ConfData otherBlock = block;
    otherBlock[conf::kBaudCode] = 25;
    writeWord(otherBlock, conf::kGainHigh, 2048);
    otherBlock[100] = 9;
    TabCells cells;
    resetTable(cells);
    cells[10][2] = TabCell{kNumberCell, 65};
    TableSettings settings;
    settings.pauseUnit = 9;
    TabData otherImage = encodeImage(cells, settings);
    otherImage[7000] = 0;  // filler

    const std::vector<FileDifference> found = diffContents(block, image, otherBlock, otherImage);
    EXPECT_EQ(diffLines(found), (std::vector<std::string>{
                                    "configuration byte 10 (baud rate): 12 -> 25",
                                    "configuration byte 63 (analogue gain): 1024 -> 2048",
                                    "configuration byte 100: 0 -> 9",
                                    "table line 10, column 3: -e- -> 65",
                                    "table pause unit: 1 -> 9",
                                    "table checksum: " + std::to_string(image[8191]) + " -> " +
                                        std::to_string(otherImage[8191]),
                                    "other table image bytes (markers, filler): 1 byte differs, at "
                                    "position 7000",
                                }));
    EXPECT_TRUE(diffContents(block, image, block, image).empty());
}

TEST(Compare, ListsEveryDifferingPosition) {
    const std::vector<std::uint8_t> expected{1, 2, 3, 4};
    const std::vector<std::uint8_t> actual{1, 9, 3, 8};
    const std::vector<Difference> found = differingBytes("table", expected, actual);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].position, 3);
    EXPECT_EQ(found[1].actual, 8);
    EXPECT_EQ(describeDifferences(found, 8), "2 bytes differ, the first at 1, 3");
}

}  // namespace
}  // namespace tovrix::cli
