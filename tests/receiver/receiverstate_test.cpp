#include "receiver/receiverstate.h"
#include "receiver/statefile.h"

#include "config/textlines.h"

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
