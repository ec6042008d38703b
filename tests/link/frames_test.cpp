#include "link/frames.h"
#include "link/linktexts.h"
#include "link/progress.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tovrix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

struct FrameCase {
    const char* name;
    Command command;
    std::int32_t position;
    int count;
    Bytes expected;
    std::optional<milliseconds> watchdog;
};

class FrameTest : public testing::TestWithParam<FrameCase> {};

TEST_P(FrameTest, BytesAndWatchdog) {
    ConfData conf{};
    std::iota(conf.begin(), conf.end(), 100);  // conf[i] = (100 + i) mod 256
    TabData tab{};
    for (std::size_t i = 0; i < tab.size(); ++i) {
        tab[i] = static_cast<std::uint8_t>(i / 8 + i % 8);
    }
    const FrameSources sources{conf, tab, {1, 2, 3, 6}};
    const FrameCase& c = GetParam();
    const Frame frame = buildFrame(c.command, c.position, c.count, sources);
    EXPECT_EQ(frame.bytes, c.expected);
    EXPECT_EQ(frame.watchdog, c.watchdog);
}

const milliseconds k1s{1000};

INSTANTIATE_TEST_SUITE_P(
    AllCommands, FrameTest,
    testing::Values(
        FrameCase{"WriteConfigChecksumByte", Command::writeConfig, 89, 0, {20, 89, 189}, k1s},
        FrameCase{"WriteConfigFirst", Command::writeConfig, 0, 0, {20, 0, 100}, k1s},
        FrameCase{"ChunkAt256",
                  Command::writeString,
                  256,
                  8,
                  {21, 1, 0, 8, 32, 33, 34, 35, 36, 37, 38, 39},
                  k1s},
        FrameCase{"LastChunk",
                  Command::writeString,
                  8184,
                  8,
                  {21, 31, 248, 8, 255, 0, 1, 2, 3, 4, 5, 6},
                  k1s},
        FrameCase{"ReadConfigLast", Command::readConfig, 127, 0, {22, 127}, k1s},
        FrameCase{"ReadConfigLowByteOnly", Command::readConfig, 300, 0, {22, 44}, k1s},
        FrameCase{
            "ReadWholeImage", Command::readString, 0, 8192, {23, 0, 0, 32, 0}, milliseconds{10000}},
        FrameCase{"ReadSystemLast", Command::readSystem, 20, 0, {24, 20}, k1s},
        FrameCase{"Reset", Command::readSystem, 254, 0, {24, 254}, std::nullopt},
        FrameCase{"TestTelegram", Command::sendTest, 0, 0, {25, 1, 2, 3, 6}, milliseconds{2000}},
        FrameCase{"End", Command::end, 77, 0, {29, 29}, std::nullopt}),
    [](const testing::TestParamInfo<FrameCase>& info) { return info.param.name; });

TEST(Frame, ChunkPastTheImageIsRefused) {
    const ConfData conf{};
    const TabData tab{};
    EXPECT_THROW(buildFrame(Command::writeString, 8188, 8, {conf, tab}), std::out_of_range);
    EXPECT_THROW(buildFrame(Command::writeString, 0, -1, {conf, tab}), std::out_of_range);
}

struct GaugeCase {
    std::int64_t position;
    std::int64_t divisor;
    int expected;
};

class GaugeTest : public testing::TestWithParam<GaugeCase> {};

TEST_P(GaugeTest, RoundsHalvesToEven) {
    EXPECT_EQ(gaugePercent(GetParam().position, GetParam().divisor), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Phases, GaugeTest,
                         testing::Values(GaugeCase{1024, 8192, 12},  // 12.5
                                         GaugeCase{1032, 8192, 13},
                                         GaugeCase{3072, 8192, 38},                   // 37.5
                                         GaugeCase{5120, 8192, 62},                   // 62.5
                                         GaugeCase{1, 200, 0}, GaugeCase{3, 200, 2},  // 0.5, 1.5
                                         GaugeCase{0, 20, 0}, GaugeCase{20, 20, 100},
                                         GaugeCase{1, 127, 1}, GaugeCase{127, 127, 100},
                                         GaugeCase{98, 99, 99}, GaugeCase{5, 0, 0}));

TEST(LinkTexts, SystemListingLines) {
    EXPECT_EQ(systemListingLine(0, 16), " 0:  016   00010000");
    EXPECT_EQ(systemListingLine(20, 255), "20:  255   11111111");
    EXPECT_EQ(systemListingLine(7, 0), " 7:  000   00000000");
}

TEST(LinkTexts, TestLog) {
    EXPECT_EQ(testSendLine({"  1", " 23", "  3", " 27"}), "Sende:   1  23   3  27");
    EXPECT_EQ(testReceiveHeading("  0"), "Empfange[  0]:");
    EXPECT_EQ(phaseText(Phase::verifyConfigData), "\"verify config data\"");
    EXPECT_EQ(phaseText(Phase::resetModule), "\"reset module\"");
}

}  // namespace
}  // namespace tovrix
