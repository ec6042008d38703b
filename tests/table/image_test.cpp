#include "table/image.h"

#include <gtest/gtest.h>

#include <random>

namespace tovrix {
namespace {

TabCells endTable() {
    TabCells cells;
    resetTable(cells);
    return cells;
}

const TableSettings kDefaults{100, 3, 1};

TEST(TableImage, AllEndTableBuildsWithFillerAndChecksum108) {
    const TabData data = encodeImage(endTable(), kDefaults);
    for (int n = 0; n < kTableLines; ++n) {
        const std::uint8_t* r = data.data() + 24 * n;
        const std::array<int, 24> expected{0, 0, 0, 255, 255};
        for (int i = 0; i < 24; ++i) {
            ASSERT_EQ(r[i], expected[i]) << "line " << n << " offset " << i;
        }
    }
    for (int i = 6144; i <= 8159; ++i)
        ASSERT_EQ(data[i], 255) << i;
    for (int i = 8163; i <= 8190; ++i)
        ASSERT_EQ(data[i], 255) << i;
    EXPECT_EQ(data[8160], 100);
    EXPECT_EQ(data[8161], 3);
    EXPECT_EQ(data[8162], 1);
    EXPECT_EQ(data[8191], 108);
}

TEST(TableImage, WorkedLineTenRecordAndChecksum) {
    TabCells cells = endTable();
    TabLine& line = cells[10];
    line[0] = {kNumberCell, 65};
    line[1] = {kNumberCell, 100};
    line[2] = {kFunctionCell, fcPause};
    line[3] = {kFunctionCell, fcB2};
    line[4] = {kNumberCell, 13};
    line[5] = {kNumberCell, 10};
    const TabData data = encodeImage(cells, kDefaults);
    const std::array<int, 24> expected{1, 0, 0, 51, 255, 65, 100, 8, 2, 13, 10};
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(data[240 + i], expected[i]) << "offset " << i;
    }
    EXPECT_EQ(data[8191], 103);
}

TEST(TableImage, MarkerByteFollowsCellOne) {
    TabCells cells = endTable();
    cells[0][0] = {kNumberCell, 0};       // number cell, even with value 0
    cells[1][0] = {kFunctionCell, fcB1};  // function other than end
    cells[2][5] = {kNumberCell, 42};      // end in cell 1, data later
    const TabData data = encodeImage(cells, kDefaults);
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[24], 1);
    EXPECT_EQ(data[48], 0);
}

TEST(TableImage, FlagBitOrderForCellsOneAndSixteen) {
    TabCells cells;
    for (TabLine& line : cells)
        line.fill(TabCell{kNumberCell, 0});
    cells[0][0] = {kFunctionCell, fcRet};
    cells[1][15] = {kFunctionCell, fcRet};
    const TabData data = encodeImage(cells, kDefaults);
    EXPECT_EQ(data[3], 128);
    EXPECT_EQ(data[4], 0);
    EXPECT_EQ(data[24 + 3], 0);
    EXPECT_EQ(data[24 + 4], 1);

    const DecodedImage decoded = decodeImage(data);
    EXPECT_EQ(decoded.cells[0][0], (TabCell{kFunctionCell, fcRet}));
    EXPECT_EQ(decoded.cells[0][1].flag, kNumberCell);
    EXPECT_EQ(decoded.cells[1][15], (TabCell{kFunctionCell, fcRet}));
    EXPECT_EQ(decoded.cells[1][14].flag, kNumberCell);
}

TEST(TableImage, RowVariableByteIsCarriedRawForTheSelectorToInterpret) {
    for (int code : {0, 1, 2, 3, 9}) {
        TabData data = encodeImage(endTable(), kDefaults);
        data[8161] = static_cast<std::uint8_t>(code);
        EXPECT_EQ(decodeImage(data).settings.rowVariable, code);
    }
}

TEST(TableImage, BadChecksumStillYieldsEveryCellAndTrailerValue) {
    std::mt19937 random(11);
    TabData data;
    for (auto& b : data)
        b = static_cast<std::uint8_t>(random());
    data[8191] = static_cast<std::uint8_t>(imageChecksum(data) + 1);
    const DecodedImage decoded = decodeImage(data);
    EXPECT_FALSE(decoded.checksumOk);
    for (int n = 0; n < kTableLines; ++n) {
        for (int c = 0; c < kLineCells; ++c) {
            ASSERT_EQ(decoded.cells[n][c].value, data[24 * n + 5 + c]);
        }
    }
    EXPECT_EQ(decoded.settings.testValue, data[8160]);
    EXPECT_EQ(decoded.settings.pauseUnit, data[8162]);

    data[8191] = imageChecksum(data);
    EXPECT_TRUE(decodeImage(data).checksumOk);
}

TEST(TableImage, RebuildAfterDecodeReproducesRecordsAndTrailer) {
    std::mt19937 random(5);
    for (int round = 0; round < 10; ++round) {
        TabData data;
        for (auto& b : data)
            b = static_cast<std::uint8_t>(random());
        // Row variable codes 0..4: only 1 and 2 survive, the rest select B3.
        data[8161] = static_cast<std::uint8_t>(round % 5);
        const TabData rebuilt = rebuildImage(data);
        for (int n = 0; n < kTableLines; ++n) {
            EXPECT_EQ(rebuilt[24 * n], isEndCell(decodeImage(data).cells[n][0]) ? 0 : 1);
            for (int i = 3; i <= 20; ++i) {
                ASSERT_EQ(rebuilt[24 * n + i], data[24 * n + i]) << n << ':' << i;
            }
        }
        EXPECT_EQ(rebuilt[8160], data[8160]);
        EXPECT_EQ(rebuilt[8162], data[8162]);
        EXPECT_EQ(rebuilt[8161], round % 5 == 1 ? 1 : round % 5 == 2 ? 2 : 3);
        EXPECT_EQ(rowVariableItem(data[8161]) + 1, rebuilt[8161]);
        EXPECT_EQ(rebuilt[7000], 255);
        EXPECT_EQ(rebuilt[8191], imageChecksum(rebuilt));
        EXPECT_EQ(rebuildImage(rebuilt), rebuilt);
    }
}

TEST(TableCells, DisplayTextsOfTheEditorsFunctions) {
    EXPECT_EQ(functionDisplayText(fcEnd), "-e-");
    EXPECT_EQ(functionDisplayText(fcB3), "B3");
    EXPECT_EQ(functionDisplayText(fcGoto), "GOTO");
    EXPECT_EQ(functionDisplayText(fcPause), "P");
    EXPECT_EQ(functionDisplayText(fcUminus), "U-");
    EXPECT_TRUE(functionDisplayText(7).empty());
    EXPECT_TRUE(functionDisplayText(23).empty());
}

}  // namespace
}  // namespace tovrix
