#include "receiver/receivercore.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace tovrix::receiver {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes values(const Response& response) {
    Bytes bytes;
    for (const OutByte& b : response.output) {
        bytes.push_back(b.value);
    }
    return bytes;
}

Bytes ask(ReceiverCore& core, Bytes frame) {
    return values(core.handle(frame));
}

Bytes chunkFrame(int address, std::uint8_t first) {
    Bytes frame{21, static_cast<std::uint8_t>(address / 256),
                static_cast<std::uint8_t>(address % 256), 8};
    for (std::uint8_t i = 0; i < 8; ++i) {
        frame.push_back(static_cast<std::uint8_t>(first + i));
    }
    return frame;
}

FaultOptions with(void (*set)(FaultOptions&)) {
    FaultOptions faults;
    set(faults);
    return faults;
}

ReceiverCore plainCore(FaultOptions faults = {}) {
    return ReceiverCore(defaultReceiverState(), faults);
}

TEST(ReceiverCore, SystemDataCarryFirmwareOneOhThree) {
    ReceiverCore core = plainCore();
    EXPECT_EQ(ask(core, {24, 1}), Bytes{3});
    EXPECT_EQ(ask(core, {24, 2}), Bytes{1});
    for (std::uint8_t a = 0; a <= 20; ++a) {
        EXPECT_EQ(ask(core, {24, a}), Bytes{core.state().system[a]});
    }
    EXPECT_EQ(ask(core, {24, 21}), Bytes{});
    EXPECT_EQ(ask(core, {24, 255}), Bytes{});
}

TEST(ReceiverCore, ConfigurationWriteEchoesAndReadsBack) {
    ReceiverCore core = plainCore();
    EXPECT_EQ(ask(core, {20, 11, 25}), Bytes{25});
    EXPECT_EQ(ask(core, {22, 11}), Bytes{25});
    EXPECT_EQ(core.state().conf[11], 25);
    EXPECT_EQ(ask(core, {20, 127, 9}), Bytes{9});
    EXPECT_EQ(ask(core, {22, 127}), Bytes{9});
}

TEST(ReceiverCore, AddressesBeyondTheBlockAreNotAnswered) {
    ReceiverCore core = plainCore();
    const ConfData before = core.state().conf;
    EXPECT_EQ(ask(core, {20, 128, 9}), Bytes{});
    EXPECT_EQ(ask(core, {22, 200}), Bytes{});
    EXPECT_EQ(core.state().conf, before);
}

TEST(ReceiverCore, DefaultBlockChecksumIsRight) {
    ReceiverCore core = plainCore();
    unsigned sum = 0;
    for (std::uint8_t a = 0; a < 89; ++a) {
        sum += ask(core, {22, a}).at(0);
    }
    EXPECT_EQ(ask(core, {22, 89}), Bytes{static_cast<std::uint8_t>(sum)});
}

TEST(ReceiverCore, TableChunksAreStoredAndAcknowledged) {
    ReceiverCore core = plainCore();
    EXPECT_EQ(ask(core, chunkFrame(256, 100)), Bytes{8});
    EXPECT_EQ(ask(core, chunkFrame(8184, 1)), Bytes{8});
    EXPECT_EQ(ask(core, {23, 1, 0, 0, 8}), (Bytes{100, 101, 102, 103, 104, 105, 106, 107}));
    EXPECT_EQ(ask(core, {23, 31, 248, 0, 8}), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(ReceiverCore, ChunkRunningPastTheImageIsRefusedWhole) {
    ReceiverCore core = plainCore();
    const TableImage before = core.state().image;
    EXPECT_EQ(ask(core, chunkFrame(8188, 1)), Bytes{kChunkNak});
    EXPECT_EQ(core.state().image, before);
}

TEST(ReceiverCore, TableStreamIsTheImage) {
    ReceiverCore core = plainCore();
    const Bytes stream = ask(core, {23, 0, 0, 32, 0});
    ASSERT_EQ(stream.size(), 8192U);
    EXPECT_TRUE(std::equal(stream.begin(), stream.end(), core.state().image.begin()));
    // The demo image carries a correct checksum.
    const unsigned sum = std::accumulate(stream.begin(), stream.end() - 1, 0U);
    EXPECT_EQ(stream.back(), static_cast<std::uint8_t>(sum));
    // A request reaching past the end gets what there is.
    EXPECT_EQ(ask(core, {23, 31, 255, 1, 0}).size(), 1U);
    EXPECT_EQ(ask(core, {23, 0, 0, 0, 0}).size(), 0U);
}

TEST(ReceiverCore, ResetAndEndCommandsAnswerNothing) {
    ReceiverCore core = plainCore();
    const Response reset = core.handle(Bytes{24, 254});
    EXPECT_TRUE(reset.reset);
    EXPECT_TRUE(reset.output.empty());
    const Response end = core.handle(Bytes{29, 29});
    EXPECT_TRUE(end.endOfRun);
    EXPECT_TRUE(end.output.empty());
}

TEST(ReceiverCore, IncompleteFramesAreNotActedOn) {
    ReceiverCore core = plainCore();
    EXPECT_EQ(ask(core, {20, 1}), Bytes{});
    EXPECT_EQ(ask(core, {21, 0, 0, 8, 1}), Bytes{});
    EXPECT_EQ(ask(core, {77}), Bytes{});
    EXPECT_EQ(ask(core, {}), Bytes{});
}

TEST(ReceiverCore, TestTelegramPlaysTheDemoLine) {
    ReceiverCore core = plainCore();
    // Line 100: "Test", a pause, the subroutine " B3=" B3, CR LF, Uset 100.
    const Response response = core.handle(Bytes{25, 1, 2, 100, 103});
    const Bytes expected{'T', 'e', 's', 't', ' ', 'B', '3', '=', 100, 13, 10};
    EXPECT_EQ(values(response), expected);
    EXPECT_EQ(response.output[4].pauseBeforeMs, 10U);
    EXPECT_TRUE(response.analogueChanged);
    EXPECT_EQ(core.analogue(), 100);
    // The same again leaves the analogue value where it is.
    EXPECT_FALSE(core.handle(Bytes{25, 1, 2, 100, 103}).analogueChanged);
    // A reset brings it back to 0.
    EXPECT_TRUE(core.handle(Bytes{24, 254}).analogueChanged);
    EXPECT_EQ(core.analogue(), 0);
}

TEST(ReceiverCore, TelegramWithWrongSumOrRejectedByConditionsIsSilent) {
    ReceiverCore core = plainCore();
    EXPECT_EQ(ask(core, {25, 1, 2, 100, 104}), Bytes{});
    // Condition 1 on B1: "=" 5.
    ask(core, {20, 20, 0});
    ask(core, {20, 21, 5});
    EXPECT_EQ(ask(core, {25, 1, 2, 100, 103}), Bytes{});
    EXPECT_FALSE(ask(core, {25, 5, 2, 100, 107}).empty());
}

TEST(ReceiverCore, TelegramPlaysWhatWasProgrammed) {
    ReceiverCore core = plainCore();
    // Line 7 becomes 42 B1 -e-: record at 168, flags byte 3 = 0b01100000.
    Bytes record(24, 0);
    record[0] = 1;
    record[3] = 0x60;
    record[5] = 42;
    record[6] = kB1;
    record[7] = kEnd;
    for (int offset = 0; offset < 24; offset += 8) {
        Bytes frame{21, 0, static_cast<std::uint8_t>(168 + offset), 8};
        frame.insert(frame.end(), record.begin() + offset, record.begin() + offset + 8);
        ASSERT_EQ(ask(core, frame), Bytes{8});
    }
    EXPECT_EQ(ask(core, {25, 9, 0, 7, 16}), (Bytes{42, 9}));
}

// Fault options.

TEST(ReceiverFaults, SilentAnswersNothingButStillListens) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.silent = true; }));
    EXPECT_EQ(ask(core, {24, 1}), Bytes{});
    EXPECT_EQ(ask(core, {20, 3, 7}), Bytes{});
    EXPECT_EQ(ask(core, {23, 0, 0, 32, 0}), Bytes{});
    EXPECT_EQ(core.state().conf[3], 7);
}

TEST(ReceiverFaults, StopAfterCutsTheAnswersAtTheBudget) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.stopAfter = 57; }));
    for (std::uint8_t a = 0; a < 21; ++a) {
        ASSERT_EQ(ask(core, {24, a}).size(), 1U);
    }
    for (std::uint8_t a = 0; a < 36; ++a) {
        ASSERT_EQ(ask(core, {22, a}).size(), 1U);
    }
    EXPECT_EQ(ask(core, {22, 36}), Bytes{});
    EXPECT_EQ(core.answered(), 57U);
}

TEST(ReceiverFaults, StopAfterInsideAStream) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.stopAfter = 100; }));
    EXPECT_EQ(ask(core, {23, 0, 0, 32, 0}).size(), 100U);
    EXPECT_EQ(ask(core, {24, 1}), Bytes{});
}

TEST(ReceiverFaults, BadEchoOnlyForItsAddress) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.badEcho = 13; }));
    EXPECT_EQ(ask(core, {20, 12, 1}), Bytes{1});
    const Bytes echo = ask(core, {20, 13, 1});
    ASSERT_EQ(echo.size(), 1U);
    EXPECT_NE(echo[0], 1);
    EXPECT_EQ(ask(core, {20, 14, 1}), Bytes{1});
}

TEST(ReceiverFaults, NakChunkRefusesTheChunkHoldingThePosition) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.nakChunk = 1029; }));
    const TableImage before = core.state().image;
    EXPECT_EQ(ask(core, chunkFrame(1016, 1)), Bytes{8});
    EXPECT_EQ(ask(core, chunkFrame(1024, 1)), Bytes{kChunkNak});
    EXPECT_TRUE(std::equal(before.begin() + 1024, before.begin() + 1032,
                           core.state().image.begin() + 1024));
    EXPECT_EQ(ask(core, chunkFrame(1032, 1)), Bytes{8});
}

TEST(ReceiverFaults, VerifyDifferOnlyAfterProgramming) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.verifyDiffer = 95; }));
    const std::uint8_t stored = core.state().conf[95];
    EXPECT_EQ(ask(core, {22, 95}), Bytes{stored});
    EXPECT_EQ(ask(core, {20, 0, 0}), Bytes{0});
    const Bytes read = ask(core, {22, 95});
    ASSERT_EQ(read.size(), 1U);
    EXPECT_NE(read[0], stored);
    EXPECT_EQ(ask(core, {22, 94}), Bytes{core.state().conf[94]});
}

TEST(ReceiverFaults, ExtraBytesFollowEveryStream) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.extra = 3; }));
    const Bytes stream = ask(core, {23, 0, 0, 32, 0});
    ASSERT_EQ(stream.size(), 8195U);
    EXPECT_EQ(Bytes(stream.end() - 3, stream.end()), Bytes(3, kExtraByte));
    EXPECT_EQ(ask(core, {24, 1}), Bytes{3});  // other answers unchanged
}

TEST(ReceiverFaults, HangupAfterFlagsTheAnswerThatSpendsTheBudget) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.hangupAfter = 3; }));
    EXPECT_FALSE(core.handle(Bytes{24, 0}).hangUp);
    EXPECT_FALSE(core.handle(Bytes{24, 1}).hangUp);
    const Response third = core.handle(Bytes{24, 2});
    EXPECT_TRUE(third.hangUp);
    EXPECT_EQ(values(third), Bytes{1});
    EXPECT_EQ(ask(core, {24, 1}), Bytes{});
    EXPECT_FALSE(core.handle(Bytes{24, 1}).hangUp);  // only once
}

TEST(ReceiverFaults, HangupAfterInsideAStream) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.hangupAfter = 10; }));
    const Response response = core.handle(Bytes{23, 0, 0, 32, 0});
    EXPECT_TRUE(response.hangUp);
    EXPECT_EQ(response.output.size(), 10U);
}

TEST(ReceiverFaults, HangupAfterZeroAtTheFirstAnswer) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.hangupAfter = 0; }));
    EXPECT_FALSE(core.handle(Bytes{29, 29}).hangUp);  // nothing to answer yet
    const Response response = core.handle(Bytes{24, 1});
    EXPECT_TRUE(response.hangUp);
    EXPECT_TRUE(response.output.empty());
}

TEST(ReceiverFaults, GarbageDiffersEachTime) {
    ReceiverCore core = plainCore(with([](FaultOptions& f) { f.garbage = true; }));
    const Bytes first = core.garbage();
    const Bytes second = core.garbage();
    EXPECT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(core.answered(), 0U);  // unsolicited bytes are no answers
}

}  // namespace
}  // namespace tovrix::receiver
