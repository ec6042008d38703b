// The component's properties and the control block built from them.

#include <gtest/gtest.h>

#include <cstring>

#include "serial/comport.h"

namespace tovrix {
namespace {

TEST(ComPortProperties, TheToolsInstanceCarriesTheExpectedBlock) {
    TComPort port("RS232");
    port.SetBaudRate(br19200);
    port.SetComNumber(1);
    port.SetInBufSize(8300);
    const TDcb& dcb = port.Dcb();
    EXPECT_EQ(dcb.DCBlength, 28U);
    EXPECT_EQ(dcb.BaudRate, 19200U);
    EXPECT_EQ(dcb.Flags, 0x1011U);
    EXPECT_EQ(dcb.XonLim, 0);
    EXPECT_EQ(dcb.XoffLim, 0);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, 0);
    EXPECT_EQ(dcb.StopBits, 0);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(port.OutBufSize(), 2048);
    // The record keeps its layout: rate at offset 4, flags at 8, byte size at 18.
    std::uint8_t raw[28];
    std::memcpy(raw, &dcb, sizeof raw);
    EXPECT_EQ(raw[0], 28);
    EXPECT_EQ(raw[4] | raw[5] << 8, 19200);
    EXPECT_EQ(raw[8] | raw[9] << 8, 0x1011);
    EXPECT_EQ(raw[18], 8);
    EXPECT_EQ(raw[21], 17);
    EXPECT_EQ(raw[22], 19);
}

TEST(ComPortProperties, DefaultsAfterConstruction) {
    TComPort port("X");
    EXPECT_FALSE(port.AutoOpen());
    EXPECT_EQ(port.BaudRate(), br115200);
    EXPECT_EQ(port.ComNumber(), 0);
    EXPECT_EQ(port.Databits(), db8);
    EXPECT_TRUE(port.DTR());
    EXPECT_TRUE(port.RTS());
    EXPECT_EQ(port.EventThreadPriority(), tpNormal);
    EXPECT_EQ(port.WriteThreadPriority(), tpHighest);
    EXPECT_EQ(port.FlowControl(), fwNone);
    EXPECT_EQ(port.InBufSize(), 4096);
    EXPECT_EQ(port.OutBufSize(), 2048);
    EXPECT_EQ(port.Options(), 0);
    EXPECT_EQ(port.Parity(), paNone);
    EXPECT_EQ(port.Stopbits(), sbOne);
    EXPECT_EQ(port.UserBaudRate(), 0);
    EXPECT_EQ(port.Dcb().BaudRate, 115200U);
    EXPECT_FALSE(port.ShowConfigDialog());
}

struct FlagCase {
    TFlowControl flow;
    bool dtr;
    bool rts;
    TComOptions options;
    std::uint32_t flags;
};

class ComPortFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ComPortFlags, FlowControlOptionsAndLinesMakeTheFlags) {
    const FlagCase& c = GetParam();
    TComPort port("X");
    port.SetFlowControl(c.flow);
    port.SetDTR(c.dtr);
    port.SetRTS(c.rts);
    port.SetOptions(c.options);
    EXPECT_EQ(port.Dcb().Flags, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ComPortFlags,
    ::testing::Values(
        FlagCase{fwNone, true, true, 0, 0x1011}, FlagCase{fwNone, false, false, 0, 0x0001},
        FlagCase{fwXOnXOff, true, true, 0, 0x1311},
        FlagCase{fwRtsCts, true, true, 0, 0x2015},  // no RTS enable bit
        FlagCase{fwDtrDsr, true, true, 0, 0x1029},  // no DTR enable bit
        FlagCase{fwNone, true, false, comOptionBit(coParityCheck), 0x0013},
        FlagCase{
            fwNone, false, false,
            static_cast<TComOptions>(comOptionBit(coDsrSensitivity) | comOptionBit(coIgnoreXOff) |
                                     comOptionBit(coErrorChar) | comOptionBit(coStripNull)),
            0x0CC1}));

TEST(ComPortProperties, BaudRateAndUserBaudRateFollowEachOther) {
    TComPort port("X");
    port.SetUserBaudRate(31250);
    EXPECT_EQ(port.BaudRate(), brUser);
    EXPECT_EQ(port.Dcb().BaudRate, 31250U);
    port.SetBaudRate(brUser);  // unchanged: keeps the user rate
    EXPECT_EQ(port.UserBaudRate(), 31250);
    port.SetBaudRate(br9600);
    EXPECT_EQ(port.UserBaudRate(), 0);
    EXPECT_EQ(port.Dcb().BaudRate, 9600U);
    port.SetBaudRate(brUser);
    EXPECT_EQ(port.UserBaudRate(), 0);
    EXPECT_EQ(port.Dcb().BaudRate, 0U);
}

TEST(ComPortProperties, FlowLimitsFollowTheInputBufferSize) {
    TComPort port("X");
    port.SetInBufSize(8300);
    EXPECT_EQ(port.XOnLim(), 0);
    EXPECT_EQ(port.XOffLim(), 0);
    port.SetFlowControl(fwXOnXOff);
    EXPECT_EQ(port.XOnLim(), 2075);
    EXPECT_EQ(port.XOffLim(), 6225);
    EXPECT_EQ(port.Dcb().XonLim, 2075);
    port.SetXOnLim(100);
    EXPECT_EQ(port.XOffLim(), 8200);
    port.SetXOffLim(70000 - 65536);  // 16-bit arithmetic
    EXPECT_EQ(port.XOnLim(), 8300 - 4464);
    port.SetFlowControl(fwNone);
    EXPECT_EQ(port.XOnLim(), 0);
    EXPECT_EQ(port.XOffLim(), 0);
}

TEST(ComPortProperties, AControlBlockRecordSetsTheProperties) {
    TComPort source("X");
    source.SetBaudRate(br57600);
    source.SetDatabits(db7);
    source.SetParity(paEven);
    source.SetStopbits(sbTwo);
    source.SetFlowControl(fwRtsCts);
    source.SetOptions(comOptionBit(coParityCheck));
    source.SetXOnChar(1);
    source.SetXOffChar(2);

    TComPort target("Y");
    target.ApplyDcbRecord(source.Dcb());
    EXPECT_EQ(target.BaudRate(), br57600);
    EXPECT_EQ(target.Databits(), db7);
    EXPECT_EQ(target.Parity(), paEven);
    EXPECT_EQ(target.Stopbits(), sbTwo);
    EXPECT_EQ(target.FlowControl(), fwRtsCts);
    EXPECT_EQ(target.Options(), comOptionBit(coParityCheck));
    EXPECT_EQ(target.XOnChar(), 1);
    EXPECT_EQ(target.XOffChar(), 2);
    EXPECT_EQ(target.Dcb(), source.Dcb());

    TDcb odd = source.Dcb();
    odd.BaudRate = 31250;
    odd.ByteSize = 9;
    odd.Parity = 7;
    odd.StopBits = 5;
    target.ApplyDcbRecord(odd);
    EXPECT_EQ(target.BaudRate(), brUser);
    EXPECT_EQ(target.UserBaudRate(), 31250);
    EXPECT_EQ(target.Databits(), db8);
    EXPECT_EQ(target.Parity(), paNone);
    EXPECT_EQ(target.Stopbits(), sbOne);

    TDcb wrongLength = source.Dcb();
    wrongLength.DCBlength = 27;
    try {
        target.ApplyDcbRecord(wrongLength);
        FAIL();
    } catch (const EComPortError& error) {
        EXPECT_STREQ(error.what(), "Error setting parameters from DCB - Y ");
    }
}

TEST(ComPortProperties, ALineChangeWhileClosedIsKeptForTheNextOpen) {
    TComPort port("X");
    port.SetDTR(false);
    EXPECT_EQ(port.Dcb().Flags & 0x0030U, 0U);
    port.SetRTS(false);
    EXPECT_EQ(port.Dcb().Flags & 0x3000U, 0U);
}

}  // namespace
}  // namespace tovrix
