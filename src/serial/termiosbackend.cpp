#include "serial/termiosbackend.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <utility>

namespace tovrix {

namespace {

struct SpeedEntry {
    std::uint32_t rate;
    speed_t code;
};

constexpr std::array<SpeedEntry, 30> kSpeeds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

std::uint32_t rateForSpeed(speed_t code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.code == code) {
            return entry.rate;
        }
    }
    return 0;
}

}  // namespace

unsigned termiosSpeedFor(std::uint32_t rate) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.rate == rate) {
            return entry.code;
        }
    }
    return 0;
}

void makeRawTermios(termios& settings) {
    ::cfmakeraw(&settings);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    settings.c_cflag |= CLOCAL | CREAD;
    // Closing must not drop the modem lines: the far end may still be listening.
    settings.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
}

bool dcbToTermios(const TDcb& dcb, termios& settings) {
    termios t = settings;
    makeRawTermios(t);

    const speed_t speed = termiosSpeedFor(dcb.BaudRate);
    if (speed == 0) {
        return false;
    }
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);

    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    switch (dcb.ByteSize) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            return false;
    }

    t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
    switch (dcb.Parity) {
        case kNoParity:
            break;
        case kOddParity:
            t.c_cflag |= PARENB | PARODD;
            break;
        case kEvenParity:
            t.c_cflag |= PARENB;
            break;
        case kMarkParity:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case kSpaceParity:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            return false;
    }

    switch (dcb.StopBits) {
        case kOneStopBit:
            t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
            break;
        case kOne5StopBits:
            // A UART sends 1.5 stop bits for "two" only with 5 data bits.
            if (dcb.ByteSize != 5) {
                return false;
            }
            t.c_cflag |= CSTOPB;
            break;
        case kTwoStopBits:
            t.c_cflag |= CSTOPB;
            break;
        default:
            return false;
    }

    const std::uint32_t flags = dcb.Flags;
    if ((flags & dcbflag::Parity) != 0) {
        t.c_iflag |= INPCK;
    } else {
        t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    }

    // termios has one switch for both halves of the hardware handshake.
    const bool ctsOut = (flags & dcbflag::OutxCtsFlow) != 0;
    const std::uint32_t rtsControl = flags & dcbflag::RtsControlMask;
    const bool rtsIn = rtsControl == dcbflag::RtsHandshake;
    if (rtsControl == dcbflag::RtsControlMask || ctsOut != rtsIn) {
        return false;  // RTS toggling, or only one half of the handshake
    }
    if (ctsOut) {
        t.c_cflag |= CRTSCTS;
    } else {
        t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    }

    if ((flags & (dcbflag::OutxDsrFlow | dcbflag::DsrSensitivity | dcbflag::ErrorChar |
                  dcbflag::Null)) != 0 ||
        (flags & dcbflag::DtrControlMask) == dcbflag::DtrHandshake ||
        (flags & dcbflag::DtrControlMask) == dcbflag::DtrControlMask) {
        return false;
    }

    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if ((flags & dcbflag::OutX) != 0) {
        t.c_iflag |= IXON;
    }
    if ((flags & dcbflag::InX) != 0) {
        t.c_iflag |= IXOFF;
    }
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);

    settings = t;
    return true;
}

bool lineSettingsExpressible(const TDcb& dcb) {
    TDcb probe = dcb;
    probe.BaudRate = 9600;
    termios scratch{};
    return dcbToTermios(probe, scratch);
}

void termiosToDcb(const termios& settings, TDcb& dcb) {
    dcb.BaudRate = rateForSpeed(::cfgetospeed(&settings));
    switch (settings.c_cflag & CSIZE) {
        case CS5:
            dcb.ByteSize = 5;
            break;
        case CS6:
            dcb.ByteSize = 6;
            break;
        case CS7:
            dcb.ByteSize = 7;
            break;
        default:
            dcb.ByteSize = 8;
            break;
    }
    if ((settings.c_cflag & PARENB) == 0) {
        dcb.Parity = kNoParity;
    } else if ((settings.c_cflag & CMSPAR) != 0) {
        dcb.Parity = (settings.c_cflag & PARODD) != 0 ? kMarkParity : kSpaceParity;
    } else {
        dcb.Parity = (settings.c_cflag & PARODD) != 0 ? kOddParity : kEvenParity;
    }
    if ((settings.c_cflag & CSTOPB) == 0) {
        dcb.StopBits = kOneStopBit;
    } else {
        dcb.StopBits = dcb.ByteSize == 5 ? kOne5StopBits : kTwoStopBits;
    }

    std::uint32_t flags =
        dcb.Flags & ~(dcbflag::Parity | dcbflag::OutxCtsFlow | dcbflag::OutX | dcbflag::InX);
    if ((settings.c_iflag & INPCK) != 0) {
        flags |= dcbflag::Parity;
    }
    if ((settings.c_cflag & CRTSCTS) != 0) {
        flags |= dcbflag::OutxCtsFlow;
        flags = (flags & ~dcbflag::RtsControlMask) | dcbflag::RtsHandshake;
    } else if ((flags & dcbflag::RtsControlMask) == dcbflag::RtsHandshake) {
        flags = (flags & ~dcbflag::RtsControlMask) | dcbflag::RtsEnable;
    }
    if ((settings.c_iflag & IXON) != 0) {
        flags |= dcbflag::OutX;
    }
    if ((settings.c_iflag & IXOFF) != 0) {
        flags |= dcbflag::InX;
    }
    dcb.Flags = flags;
    dcb.XonChar = settings.c_cc[VSTART];
    dcb.XoffChar = settings.c_cc[VSTOP];
}

bool setRawMode(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    makeRawTermios(settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool applyDcbToDevice(int fd, const TDcb& dcb) {
    termios previous{};
    if (::tcgetattr(fd, &previous) != 0) {
        return false;
    }
    termios settings = previous;
    if (!dcbToTermios(dcb, settings)) {
        errno = EINVAL;
        return false;
    }
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        return false;
    }
    // tcsetattr succeeds when any part was taken: check the result and put
    // the previous settings back when the driver did not take all of it.
    termios applied{};
    if (::tcgetattr(fd, &applied) == 0 && ::cfgetospeed(&applied) == ::cfgetospeed(&settings) &&
        (applied.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS)) ==
            (settings.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS))) {
        return true;
    }
    const int error = errno != 0 ? errno : EINVAL;
    ::tcsetattr(fd, TCSANOW, &previous);
    errno = error;
    return false;
}

bool readDcbFromDevice(int fd, TDcb& dcb) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return false;
    }
    termiosToDcb(settings, dcb);
    return true;
}

bool flushDevice(int fd, bool input, bool output) {
    // Output the driver has already passed on is no longer this side's to
    // discard. On a pseudo-terminal it waits in the far end's input, where
    // a flush would still destroy it (a request, or the end command just
    // before a close), although it has left the port.
    int unsent = 0;
    if (output && ::ioctl(fd, TIOCOUTQ, &unsent) == 0 && unsent == 0) {
        output = false;
    }
    if (!input && !output) {
        return true;
    }
    const int queue = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return ::tcflush(fd, queue) == 0;
}

}  // namespace tovrix
