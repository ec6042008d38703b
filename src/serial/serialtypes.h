#pragma once

#include <cstdint>

namespace tovrix {

// Line settings and worker-thread priorities as the component publishes them.
// The ordinals are part of the interface (stored forms and the control block
// use them), so the enumerators must keep their order.

enum TBaudrate : std::uint8_t {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brUser
};

enum TDatabits : std::uint8_t { db4, db5, db6, db7, db8 };

enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };

enum TStopbits : std::uint8_t { sbOne, sbOneAndHalf, sbTwo };

enum TFlowControl : std::uint8_t { fwNone, fwXOnXOff, fwRtsCts, fwDtrDsr };

enum TComOption : std::uint8_t {
    coParityCheck,
    coDsrSensitivity,
    coIgnoreXOff,
    coErrorChar,
    coStripNull
};

// A set of TComOption values: bit n stands for option n.
using TComOptions = std::uint8_t;

constexpr TComOptions comOptionBit(TComOption option) {
    return static_cast<TComOptions>(1U << static_cast<unsigned>(option));
}

enum TThreadPriority : std::uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// What the port core reports from its event thread.
enum TCoreEvent : std::uint8_t {
    ceOutBufEmpty = 0,      // the write thread sent the last queued byte
    ceCommEvent = 1,        // line events; data is the event mask below
    ceDataAvailable = 2,    // the periodic poll found bytes waiting; data is their count
    ceThreadException = 3,  // an exception was caught in the event thread
    ceHangUp = 4            // the device hung up (adapter unplugged, far end gone); once per open
};

// Event-mask bits carried by ceCommEvent.
constexpr std::uint32_t EV_RXCHAR = 0x0001;
constexpr std::uint32_t EV_CTS = 0x0008;
constexpr std::uint32_t EV_DSR = 0x0010;
constexpr std::uint32_t EV_RLSD = 0x0020;
constexpr std::uint32_t EV_ERR = 0x0080;
constexpr std::uint32_t EV_RING = 0x0100;
constexpr std::uint32_t kDefaultEventMask =
    EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_ERR | EV_RING;  // 0x01B9

// Line-error flags accumulated by the core and passed to OnLineError.
constexpr std::uint32_t CE_RXOVER = 0x0001;    // input queue overflow
constexpr std::uint32_t CE_OVERRUN = 0x0002;   // hardware overrun
constexpr std::uint32_t CE_RXPARITY = 0x0004;  // parity error
constexpr std::uint32_t CE_FRAME = 0x0008;     // framing error
constexpr std::uint32_t CE_BREAK = 0x0010;     // break condition

// Codes of the core's EscapeFunction (modem output lines).
constexpr std::uint32_t SETRTS = 3;
constexpr std::uint32_t CLRRTS = 4;
constexpr std::uint32_t SETDTR = 5;
constexpr std::uint32_t CLRDTR = 6;

// Device status as the core reports it.
struct TComStat {
    std::uint32_t Flags = 0;
    std::uint32_t cbInQue = 0;   // bytes waiting in the driver input queue
    std::uint32_t cbOutQue = 0;  // bytes not yet sent by the driver
};

}  // namespace tovrix
