#include "config/configfile.h"
#include "common/beep_counter.h"
#include "config/textlines.h"
#include "table/image.h"

#include <gtest/gtest.h>

#include <random>

namespace tovrix {
namespace {

struct FreshState {
    ConfData conf{};
    TabData image{};
    FreshState() {
        resetConfigBlock(conf);
        normaliseConfigBlock(conf);
        TabCells cells;
        resetTable(cells);
        image = encodeImage(cells, TableSettings{100, 3, 1});
    }
    std::vector<std::string> save(int com = 1) const {
        return buildConfigFile(conf, image, com, "0.00");
    }
};

TEST(ConfigFileWriter, FreshSaveHasTheDocumentedLayout) {
    const std::vector<std::string> lines = FreshState().save();
    ASSERT_EQ(lines.size(), 617U);
    EXPECT_EQ(lines[50], "1");
    EXPECT_EQ(lines[51], "12");
    EXPECT_EQ(lines[52], "2");
    EXPECT_EQ(lines[60], "200");
    EXPECT_EQ(lines[63], "4");
    EXPECT_EQ(lines[87], "5");
    EXPECT_EQ(lines[88], "1");
    EXPECT_EQ(lines[0], "0");
    EXPECT_EQ(lines[256], "COM1");
    for (int i = 257; i <= 266; ++i) {
        EXPECT_EQ(lines[i], "freier String");
    }
    EXPECT_EQ(lines[267], "Firmware: 0.00");
    EXPECT_EQ(lines[268], "1");
    EXPECT_EQ(lines[269], "05");
    EXPECT_EQ(lines[270], "--T--");
    EXPECT_EQ(lines[271].substr(0, 14), "[000] 000 000 ");
    EXPECT_EQ(lines[271].substr(18, 8), "255 255 ");  // flag bytes of an all-end line
    for (int k = 0; k < 342; ++k) {
        EXPECT_EQ(lines[271 + k].size(), 102U);
        EXPECT_EQ(lines[271 + k].back(), ' ');
    }
    EXPECT_EQ(lines[612].substr(0, 6), "[341] ");
    EXPECT_EQ(lines[613], "[CHK] 108");
    EXPECT_EQ(lines[614], "--*--");
    EXPECT_EQ(lines[615], "comments: -reserved-");
    EXPECT_FALSE(lines[616].empty());
}

TEST(ConfigFileWriter, ChecksumLineHasThreeDigits) {
    FreshState state;
    state.image[8191] = 42;
    EXPECT_EQ(state.save()[613], "[CHK] 042");
}

TEST(ConfigFileRoundTrip, RandomBlockAndImageReloadExactly) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        ConfData conf;
        TabData image;
        for (auto& b : conf)
            b = static_cast<std::uint8_t>(random());
        for (auto& b : image)
            b = static_cast<std::uint8_t>(random());
        image[8191] = imageChecksum(image);
        const std::vector<std::string> lines =
            splitLines(joinLines(buildConfigFile(conf, image, 3, "1.03")));

        ConfData loadedConf{};
        TabData loadedImage{};
        test::BeepCounter beeps;
        const ConfigFileLoad result = loadConfigFile(lines, loadedConf, loadedImage);
        ASSERT_EQ(result.error, LoadError::None);
        EXPECT_EQ(beeps.count(), 0);
        EXPECT_TRUE(std::equal(conf.begin(), conf.begin() + 128, loadedConf.begin()));
        EXPECT_TRUE(std::all_of(loadedConf.begin() + 128, loadedConf.end(),
                                [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(loadedImage, image);
        EXPECT_EQ(imageChecksum(loadedImage), loadedImage[8191]);
    }
}

struct LoadCase {
    std::vector<std::string> lines = FreshState().save();
    ConfData conf{};
    TabData image{};
    ConfigFileLoad load() { return loadConfigFile(lines, conf, image); }
    // Replaces value j of table line k (0-based) by a three-character text.
    void setTableValue(int k, int j, const std::string& text) {
        lines[271 + k].replace(6 + 4 * j, 3, text);
    }
};

TEST(ConfigFileLoader, ConfigLinesUseTheThirtyTwoBitSyntaxAndKeepTheLowByte) {
    LoadCase c;
    c.lines[5] = "300";
    c.lines[6] = "-1";
    c.lines[7] = "x1F";
    c.lines[8] = " $10";
    ASSERT_EQ(c.load().error, LoadError::None);
    EXPECT_EQ(c.conf[5], 44);
    EXPECT_EQ(c.conf[6], 255);
    EXPECT_EQ(c.conf[7], 31);
    EXPECT_EQ(c.conf[8], 16);
}

TEST(ConfigFileLoader, AnInvalidConfigLineRejectsTheFileAndChangesNothing) {
    for (const std::string bad : {"12 ", "", "abc"}) {
        LoadCase c;
        c.lines[5] = bad;
        c.conf.fill(9);
        c.image.fill(9);
        const ConfigFileLoad result = c.load();
        EXPECT_EQ(result.error, LoadError::BadConfigLine);
        EXPECT_EQ(result.line, 5);
        EXPECT_TRUE(std::all_of(c.conf.begin(), c.conf.end(), [](auto b) { return b == 9; }));
        EXPECT_TRUE(std::all_of(c.image.begin(), c.image.end(), [](auto b) { return b == 9; }));
    }
    LoadCase shortFile;
    shortFile.lines.resize(100);
    EXPECT_EQ(shortFile.load().error, LoadError::BadConfigLine);
    EXPECT_EQ(shortFile.load().line, 100);
}

TEST(ConfigFileLoader, TableValuesFollowTheNumberSyntaxWithOneBeepPerBadValue) {
    LoadCase c;
    c.setTableValue(0, 5, " 12");
    c.setTableValue(0, 6, "$1F");
    c.setTableValue(0, 7, "12 ");
    c.setTableValue(1, 0, "a12");
    c.setTableValue(341, 20, "zzz");  // beyond the image: converted, never stored
    test::BeepCounter beeps;
    const ConfigFileLoad result = c.load();
    ASSERT_EQ(result.error, LoadError::None);
    EXPECT_EQ(beeps.count(), 3);
    // The file loads; the first bad value is named for whoever must refuse it.
    EXPECT_EQ(result.badValues, 3);
    EXPECT_EQ(loadErrorText(result), "line 272, value 8 is not a number");
    EXPECT_EQ(c.image[5], 12);
    EXPECT_EQ(c.image[6], 31);
    EXPECT_EQ(c.image[7], 255);
    EXPECT_EQ(c.image[24], 255);
}

TEST(ConfigFileLoader, TheTableMarkerIsFoundWhereverItLies) {
    LoadCase c;
    // A file with only the 128 configuration lines before the same trailer.
    c.lines.erase(c.lines.begin() + 128, c.lines.begin() + 256);
    ASSERT_EQ(c.lines[142], "--T--");
    const TabData expected = FreshState().image;
    ASSERT_EQ(c.load().error, LoadError::None);
    EXPECT_EQ(c.image, expected);
}

TEST(ConfigFileLoader, AHandEditedValueLoadsButNoLongerMatchesTheChecksum) {
    LoadCase c;
    c.setTableValue(0, 5, "065");
    ASSERT_EQ(c.load().error, LoadError::None);
    EXPECT_EQ(c.image[5], 65);
    EXPECT_NE(imageChecksum(c.image), c.image[8191]);
}

TEST(ConfigFileLoader, TheChecksumLineWinsOverTheLastTableValue) {
    LoadCase c;
    c.setTableValue(341, 7, "007");
    ASSERT_EQ(c.load().error, LoadError::None);
    EXPECT_EQ(c.image[8191], 108);

    LoadCase unreadable;
    unreadable.lines[613] = "[CHK] x?z";
    ASSERT_EQ(unreadable.load().error, LoadError::None);
    EXPECT_EQ(unreadable.image[8191], 0);
}

TEST(ConfigFileLoader, AChecksumLineThatEndsTheFileIsFound) {
    // A file cut after its "[CHK]" line, with and without the last line end.
    for (const bool lastLineEnded : {true, false}) {
        std::vector<std::string> lines = FreshState().save();
        lines.resize(614);
        std::string text = joinLines(lines);
        if (!lastLineEnded) {
            text.resize(text.size() - 2);
        }
        ConfData conf{};
        TabData image{};
        ASSERT_EQ(loadConfigFile(splitLines(text), conf, image).error, LoadError::None)
            << "last line ended: " << lastLineEnded;
        EXPECT_EQ(image, FreshState().image);
    }
}

TEST(ConfigFileLoader, FilesWithoutMarkersAreRejected) {
    LoadCase noTable;
    noTable.lines[270] = "--t--";
    EXPECT_EQ(noTable.load().error, LoadError::NoTableMarker);
    LoadCase noChecksum;
    noChecksum.lines[613] = "[chk] 108";
    EXPECT_EQ(noChecksum.load().error, LoadError::NoChecksumLine);
}

TEST(TextLines, AcceptsCrLfAndLf) {
    EXPECT_EQ(splitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(joinLines({"a", ""}), "a\r\n\r\n");
    EXPECT_TRUE(splitLines("").empty());
}

}  // namespace
}  // namespace tovrix
