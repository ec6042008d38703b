#include "config/confblock.h"

#include <gtest/gtest.h>

namespace tovrix {
namespace {

ConfData resetBlock() {
    ConfData block;
    block.fill(0xAA);
    resetConfigBlock(block);
    return block;
}

TEST(ConfigBlock, ResetSetsStartValuesAndKeepsTheVerificationCopy) {
    const ConfData block = resetBlock();
    for (int i = 0; i < conf::kBlockSize; ++i) {
        const int expected = i == 50   ? 1
                             : i == 51 ? 12
                             : i == 52 ? 2
                             : i == 60 ? 200
                             : i == 63 ? 4
                                       : 0;
        EXPECT_EQ(block[i], expected) << "byte " << i;
    }
    for (int i = conf::kVerifyCopy; i < 256; ++i) {
        EXPECT_EQ(block[i], 0xAA) << "byte " << i;
    }
    EXPECT_EQ(readWord(block, conf::kGainHigh), 1024);
    EXPECT_EQ(readWord(block, conf::kOffsetHigh), 0);
}

TEST(ConfigBlock, SixteenBitFieldsAreBigEndian) {
    ConfData block{};
    writeWord(block, conf::kOffsetHigh, 256);
    EXPECT_EQ(block[61], 1);
    EXPECT_EQ(block[62], 0);
    writeWord(block, conf::kGainHigh, 65535);
    EXPECT_EQ(block[63], 255);
    EXPECT_EQ(block[64], 255);
    block[61] = 3;
    block[62] = 232;
    EXPECT_EQ(readWord(block, conf::kOffsetHigh), 1000);
}

TEST(ConfigBlock, ChecksumOfTheResetExampleAndAfterALockoutChange) {
    ConfData block = resetBlock();
    block[conf::kBaudCode] = 12;
    normaliseConfigBlock(block);
    EXPECT_EQ(configChecksum(block), 237);
    block[conf::kLockoutTime] = 25;
    EXPECT_EQ(configChecksum(block), 6);
    // Bytes from 89 on are outside the sum.
    block[89] = 77;
    block[127] = 1;
    EXPECT_EQ(configChecksum(block), 6);
}

TEST(ConfigBlock, NormalisationReplacesOutOfRangeBytes) {
    ConfData block{};
    block[conf::kBaudCode] = 0;
    block[conf::kRtsHandshake] = 3;
    block[conf::kCtsHandshake] = 2;
    block[20] = 7;
    block[22] = 3;
    block[30] = 255;
    block[conf::kTransmitterType] = 2;
    block[87] = 9;
    block[88] = 9;
    normaliseConfigBlock(block);
    EXPECT_EQ(block[10], 12);
    EXPECT_EQ(block[12], 0);
    EXPECT_EQ(block[13], 2);
    EXPECT_EQ(block[20], 3);
    EXPECT_EQ(block[22], 3);
    EXPECT_EQ(block[30], 3);
    EXPECT_EQ(block[50], 0);
    EXPECT_EQ(block[87], 5);
    EXPECT_EQ(block[88], 1);
}

TEST(ConfigBlock, NormalisationKeepsValidValues) {
    for (const conf::BaudCode& baud : conf::kBaudCodes) {
        ConfData block{};
        block[conf::kBaudCode] = baud.code;
        block[conf::kRtsHandshake] = 1;
        block[conf::kTransmitterType] = 1;
        block[24] = 2;
        normaliseConfigBlock(block);
        EXPECT_EQ(block[10], baud.code);
        EXPECT_EQ(block[12], 1);
        EXPECT_EQ(block[50], 1);
        EXPECT_EQ(block[24], 2);
    }
    ConfData block{};
    block[conf::kBaudCode] = 13;
    normaliseConfigBlock(block);
    EXPECT_EQ(block[10], 12);
}

}  // namespace
}  // namespace tovrix
