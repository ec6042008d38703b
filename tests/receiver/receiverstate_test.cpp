#include "receiver/receiverstate.h"
#include "receiver/statefile.h"

#include "config/confblock.h"
#include "config/textlines.h"
#include "table/image.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace tovrix::receiver {
namespace {

namespace fs = std::filesystem;

TEST(ReceiverState, DefaultsAreConsistent) {
    const ReceiverState state = defaultReceiverState();
    EXPECT_EQ(firmwareText(state.system), "1.03");
    EXPECT_EQ(state.conf[conf::kChecksum], configChecksum(state.conf));
    EXPECT_EQ(state.conf[conf::kBitLength], 12);
    EXPECT_EQ(readWord(state.conf, conf::kGainHigh), 1024);
    EXPECT_EQ(state.conf[conf::kToolVersionMajor], 1);
    EXPECT_EQ(state.conf[conf::kToolVersionMinor], 5);
    const DecodedImage table = decodeImage(state.image);
    EXPECT_TRUE(table.checksumOk);
    EXPECT_EQ(table.settings.rowVariable, 3);
}

// The emulator's own writer and reader of the table layout, on the worked
// example of the layout's description: an empty table (test value 100, row
// variable B3, pause unit 1) sums to 108; line 10 holding 65, 100, P, B2,
// 13, 10 gets the record below and the sum 103.
TEST(ReceiverMemory, WorkedExampleOfTheTableLayout) {
    TableImage image = emptyTable(100, 3, 1);
    EXPECT_EQ(image[table::kChecksum], 108);
    const Cell line[] = {{false, 65}, {false, 100}, {true, kPause},
                         {true, kB2}, {false, 13},  {false, 10}};
    for (int cell = 0; cell < 6; ++cell) {
        setTableCell(image, 10, cell, line[cell]);
    }
    sealTable(image);
    const std::vector<std::uint8_t> record(image.begin() + 240, image.begin() + 264);
    EXPECT_EQ(record, (std::vector<std::uint8_t>{1, 0, 0, 51, 255, 65, 100, 8, 2, 13, 10, 0,
                                                 0, 0, 0, 0,  0,   0,  0,   0, 0, 0,  0,  0}));
    EXPECT_EQ(image[table::kChecksum], 103);
    EXPECT_TRUE(tableCell(image, 10, 2).function);
    EXPECT_FALSE(tableCell(image, 10, 4).function);
    EXPECT_EQ(tableCell(image, 10, 3).value, kB2);
    EXPECT_TRUE(tableCell(image, 10, 15).function);  // an end cell
}

TEST(ReceiverState, FirmwareTextPadsTheMinorPart) {
    SystemData system{};
    system[sys::kFirmwareMajor] = 2;
    system[sys::kFirmwareMinor] = 10;
    EXPECT_EQ(firmwareText(system), "2.10");
}

TEST(ReceiverState, FileRoundTripKeepsBlockAndImage) {
    ReceiverState state = defaultReceiverState();
    state.conf[11] = 25;
    state.conf[127] = 99;
    state.image[4000] = 17;
    const std::vector<std::string> lines = stateFileLines(state, 3);
    ASSERT_EQ(lines.size(), 617U);
    EXPECT_EQ(lines[256], "COM3");
    EXPECT_EQ(lines[267], "Firmware: 1.03");

    ReceiverState loaded = defaultReceiverState();
    ASSERT_EQ(loadStateFile(lines, loaded).error, LoadError::None);
    EXPECT_EQ(loaded.conf, state.conf);
    EXPECT_EQ(loaded.image, state.image);
}

TEST(ReceiverState, RejectedFileChangesNothing) {
    ReceiverState state = defaultReceiverState();
    std::vector<std::string> lines = stateFileLines(state, 1);
    lines[0] = "77";
    lines[5] = "x";
    const ReceiverState before = state;
    const ConfigFileLoad result = loadStateFile(lines, state);
    EXPECT_EQ(result.error, LoadError::BadConfigLine);
    EXPECT_EQ(loadErrorText(result), "line 6 is not a number");
    EXPECT_EQ(state.conf, before.conf);
    EXPECT_EQ(state.image, before.image);
}

TEST(ReceiverState, ScratchHalfOfALoadedFileIsIgnored) {
    ReceiverState state = defaultReceiverState();
    std::vector<std::string> lines = stateFileLines(state, 1);
    lines[200] = "123";
    ASSERT_EQ(loadStateFile(lines, state).error, LoadError::None);
    EXPECT_EQ(state.conf[200], 0);
}

class StateFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "receiver-state-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
};

TEST_F(StateFile, MissingFileIsCreatedFromTheState) {
    const fs::path path = dir_ / "receiver.tvx";
    ReceiverState state = defaultReceiverState();
    EXPECT_EQ(loadOrCreateStateFile(path.string(), 2, state), "");
    const std::vector<std::string> lines = splitLines(read(path));
    EXPECT_EQ(lines, stateFileLines(defaultReceiverState(), 2));
}

TEST_F(StateFile, SavedStateLoadsBack) {
    const fs::path path = dir_ / "receiver.tvx";
    ReceiverState state = defaultReceiverState();
    state.conf[51] = 24;
    state.image[8000] = 5;
    ASSERT_EQ(saveStateFile(path.string(), 1, state), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
        << "no temporary file is left behind";

    ReceiverState loaded = defaultReceiverState();
    ASSERT_EQ(loadOrCreateStateFile(path.string(), 1, loaded), "");
    EXPECT_EQ(loaded.conf[51], 24);
    EXPECT_EQ(loaded.image[8000], 5);
}

TEST_F(StateFile, BrokenFileIsReportedAndKept) {
    const fs::path path = dir_ / "broken.tvx";
    std::ofstream(path) << "not a configuration\n";
    ReceiverState state = defaultReceiverState();
    const std::string error = loadOrCreateStateFile(path.string(), 1, state);
    EXPECT_NE(error.find("not a usable configuration file"), std::string::npos) << error;
    EXPECT_EQ(read(path), "not a configuration\n");
}

TEST_F(StateFile, UnwritableFolderIsReported) {
    ReceiverState state = defaultReceiverState();
    const fs::path path = dir_ / "missing-folder" / "receiver.tvx";
    EXPECT_NE(saveStateFile(path.string(), 1, state), "");
    EXPECT_NE(loadOrCreateStateFile(path.string(), 1, state), "");
}

}  // namespace
}  // namespace tovrix::receiver
