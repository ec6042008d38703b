// The control block to termios mapping, checked on records in memory.

#include <gtest/gtest.h>
#include <termios.h>

#include <cstring>

#include "serial/dcb.h"
#include "serial/termiosbackend.h"

namespace tovrix {
namespace {

TDcb block19200() {
    TDcb dcb{};
    dcb.DCBlength = kDcbLength;
    dcb.BaudRate = 19200;
    dcb.Flags = dcbflag::Binary | dcbflag::DtrEnable | dcbflag::RtsEnable;
    dcb.ByteSize = 8;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    return dcb;
}

termios cookedRecord() {
    termios t{};
    t.c_iflag = ICRNL | IXON;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | CREAD | HUPCL | PARENB;
    t.c_lflag = ICANON | ECHO | ISIG;
    t.c_cc[VMIN] = 1;
    ::cfsetspeed(&t, B9600);
    return t;
}

TEST(TermiosMapping, TheToolsBlockGivesRaw19200EightNoneOne) {
    termios t = cookedRecord();
    ASSERT_TRUE(dcbToTermios(block19200(), t));
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0U);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0U);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | INPCK), 0U);
    EXPECT_EQ(t.c_oflag & OPOST, 0U);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

// A field change and the termios bits it must produce.
struct MapCase {
    const char* name;
    void (*change)(TDcb&);
    tcflag_t cflagMask;
    tcflag_t cflag;
    tcflag_t iflagMask;
    tcflag_t iflag;
};

class TermiosMapped : public ::testing::TestWithParam<MapCase> {};

TEST_P(TermiosMapped, FieldBecomesBits) {
    const MapCase& c = GetParam();
    TDcb dcb = block19200();
    c.change(dcb);
    termios t = cookedRecord();
    ASSERT_TRUE(dcbToTermios(dcb, t)) << c.name;
    EXPECT_EQ(t.c_cflag & c.cflagMask, c.cflag) << c.name;
    EXPECT_EQ(t.c_iflag & c.iflagMask, c.iflag) << c.name;

    // And back: the block read from the record has the same line settings.
    TDcb back = block19200();
    back.BaudRate = 0;
    termiosToDcb(t, back);
    EXPECT_EQ(back.BaudRate, dcb.BaudRate) << c.name;
    EXPECT_EQ(back.ByteSize, dcb.ByteSize) << c.name;
    EXPECT_EQ(back.Parity, dcb.Parity) << c.name;
    EXPECT_EQ(back.StopBits, dcb.StopBits) << c.name;
    EXPECT_EQ(back.Flags, dcb.Flags) << c.name;
    EXPECT_EQ(back.XonChar, dcb.XonChar) << c.name;
}

constexpr tcflag_t kParityBits = PARENB | PARODD | CMSPAR;

INSTANTIATE_TEST_SUITE_P(
    Rows, TermiosMapped,
    ::testing::Values(
        MapCase{"5 bits", [](TDcb& d) { d.ByteSize = 5; }, CSIZE, CS5, 0, 0},
        MapCase{"6 bits", [](TDcb& d) { d.ByteSize = 6; }, CSIZE, CS6, 0, 0},
        MapCase{"7 bits", [](TDcb& d) { d.ByteSize = 7; }, CSIZE, CS7, 0, 0},
        MapCase{"odd", [](TDcb& d) { d.Parity = kOddParity; }, kParityBits, PARENB | PARODD, 0, 0},
        MapCase{"even", [](TDcb& d) { d.Parity = kEvenParity; }, kParityBits, PARENB, 0, 0},
        MapCase{"mark", [](TDcb& d) { d.Parity = kMarkParity; }, kParityBits,
                PARENB | PARODD | CMSPAR, 0, 0},
        MapCase{"space", [](TDcb& d) { d.Parity = kSpaceParity; }, kParityBits, PARENB | CMSPAR, 0,
                0},
        MapCase{"two stop bits", [](TDcb& d) { d.StopBits = kTwoStopBits; }, CSTOPB, CSTOPB, 0, 0},
        MapCase{"1.5 stop bits with 5 data bits",
                [](TDcb& d) {
                    d.ByteSize = 5;
                    d.StopBits = kOne5StopBits;
                },
                CSTOPB | CSIZE, CSTOPB | CS5, 0, 0},
        MapCase{"parity check", [](TDcb& d) { d.Flags |= dcbflag::Parity; }, 0, 0, INPCK, INPCK},
        MapCase{"xon/xoff",
                [](TDcb& d) {
                    d.Flags |= dcbflag::OutX | dcbflag::InX;
                    d.XonChar = 1;
                    d.XoffChar = 2;
                },
                0, 0, IXON | IXOFF, IXON | IXOFF},
        MapCase{"rts/cts",
                [](TDcb& d) {
                    d.Flags = (d.Flags & ~dcbflag::RtsControlMask) | dcbflag::OutxCtsFlow |
                              dcbflag::RtsHandshake;
                },
                CRTSCTS, CRTSCTS, 0, 0},
        MapCase{"115200", [](TDcb& d) { d.BaudRate = 115200; }, 0, 0, 0, 0},
        MapCase{"110", [](TDcb& d) { d.BaudRate = 110; }, 0, 0, 0, 0}));

struct RejectCase {
    const char* name;
    void (*change)(TDcb&);
};

class TermiosRejected : public ::testing::TestWithParam<RejectCase> {};

TEST_P(TermiosRejected, InexpressibleBlockLeavesTheRecordAlone) {
    TDcb dcb = block19200();
    GetParam().change(dcb);
    termios t = cookedRecord();
    const termios before = t;
    EXPECT_FALSE(dcbToTermios(dcb, t)) << GetParam().name;
    EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TermiosRejected,
    ::testing::Values(
        RejectCase{"14400", [](TDcb& d) { d.BaudRate = 14400; }},
        RejectCase{"56000", [](TDcb& d) { d.BaudRate = 56000; }},
        RejectCase{"128000", [](TDcb& d) { d.BaudRate = 128000; }},
        RejectCase{"256000", [](TDcb& d) { d.BaudRate = 256000; }},
        RejectCase{"rate 0", [](TDcb& d) { d.BaudRate = 0; }},
        RejectCase{"4 data bits", [](TDcb& d) { d.ByteSize = 4; }},
        RejectCase{"parity 5", [](TDcb& d) { d.Parity = 5; }},
        RejectCase{"stop code 3", [](TDcb& d) { d.StopBits = 3; }},
        RejectCase{"1.5 stop bits with 8 data bits", [](TDcb& d) { d.StopBits = kOne5StopBits; }},
        RejectCase{"cts without rts", [](TDcb& d) { d.Flags |= dcbflag::OutxCtsFlow; }},
        RejectCase{"rts handshake without cts",
                   [](TDcb& d) {
                       d.Flags = (d.Flags & ~dcbflag::RtsControlMask) | dcbflag::RtsHandshake;
                   }},
        RejectCase{"rts toggle", [](TDcb& d) { d.Flags |= dcbflag::RtsControlMask; }},
        RejectCase{"dsr flow",
                   [](TDcb& d) {
                       d.Flags = (d.Flags & ~dcbflag::DtrControlMask) | dcbflag::OutxDsrFlow |
                                 dcbflag::DtrHandshake;
                   }},
        RejectCase{"dsr sensitivity", [](TDcb& d) { d.Flags |= dcbflag::DsrSensitivity; }},
        RejectCase{"error char", [](TDcb& d) { d.Flags |= dcbflag::ErrorChar; }},
        RejectCase{"strip null", [](TDcb& d) { d.Flags |= dcbflag::Null; }}));

TEST(TermiosMapping, EveryNamedRateWithATermiosSpeedIsAccepted) {
    for (std::uint32_t rate :
         {110U, 300U, 600U, 1200U, 2400U, 4800U, 9600U, 19200U, 38400U, 57600U, 115200U}) {
        EXPECT_NE(termiosSpeedFor(rate), 0U) << rate;
    }
    EXPECT_EQ(termiosSpeedFor(31250), 0U);
}

}  // namespace
}  // namespace tovrix
