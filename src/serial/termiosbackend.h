#pragma once

// The only place that knows termios. The mapping between the control block
// and a termios record is pure (it edits a record in memory), so it can be
// checked without a device; the device functions below apply it.

#include <cstdint>

#include "serial/dcb.h"

struct termios;

namespace tovrix {

// Puts a record into raw mode: no line editing, echo or character
// translation, reads return at once with whatever is waiting (VMIN = VTIME =
// 0), the receiver on, modem control lines ignored for opening, and no
// hang-up when the device is closed.
void makeRawTermios(termios& settings);

// Writes the block's line settings into the record (which also goes to raw
// mode). Returns false, leaving the record untouched, when termios cannot
// express the block: a rate with no termios speed, 4 data bits, an unknown
// parity or stop-bit code, 1.5 stop bits with more than 5 data bits, only one
// half of the RTS/CTS handshake, DSR/DTR flow control or DSR sensitivity,
// RTS toggling, error-character replacement or NUL stripping.
bool dcbToTermios(const TDcb& dcb, termios& settings);

// Whether termios could express the block's settings apart from the rate
// (a network port carries any rate, but the same data bits, parity, stop
// bits and handshakes).
bool lineSettingsExpressible(const TDcb& dcb);

// Reads the line settings the record holds back into the block (rate, data
// bits, parity, stop bits, RTS/CTS and XON/XOFF flow control and their
// characters); other fields keep their values.
void termiosToDcb(const termios& settings, TDcb& dcb);

// The termios speed code for a rate, or 0 when termios has none.
unsigned termiosSpeedFor(std::uint32_t rate);

// Device side; each returns false on failure with errno set.
bool setRawMode(int fd);
bool applyDcbToDevice(int fd, const TDcb& dcb);
bool readDcbFromDevice(int fd, TDcb& dcb);
// Discards unread input and unsent output; output the driver reports as all
// passed on is left alone.
bool flushDevice(int fd, bool input, bool output);

}  // namespace tovrix
