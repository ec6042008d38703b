#pragma once

#include "link/statusmessages.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tovrix {

// The serial port as the transfers use it. The window backs it with its
// port component; tests with a scripted receiver.
class LinkPort {
  public:
    virtual ~LinkPort() = default;
    // Closes the port and opens it again on the selected number (a port on
    // a network serial server keeps a connection that is up). False when it
    // cannot be opened; openFailure() then tells why.
    virtual bool restart() = 0;
    // Why the last restart failed, in words for the user: the port, its
    // device and the cause. Empty after a restart that succeeded.
    virtual std::string openFailure() const = 0;
    // Queues one whole frame for sending, in one piece, so that no stall of
    // the caller can part it on the line. Throws a std::runtime_error (the
    // port's write error) when it cannot be queued; nothing is queued then.
    virtual void writeFrame(const std::vector<std::uint8_t>& frame) = 0;
    // Takes one waiting byte. Throws a std::runtime_error (the port's read
    // error) when nothing waits.
    virtual std::uint8_t readByte() = 0;
    // Closes the port after its device went away; a later restart opens it
    // again once the device is back.
    virtual void close() = 0;
    // The port as messages name it ("COM1 (/dev/ttyUSB0)").
    virtual std::string name() const = 0;
};

// A timer that, once started, ticks every interval until it is stopped
// (the window's QTimer objects Timer1 and resettimer; a fake in tests).
class LinkTimer {
  public:
    virtual ~LinkTimer() = default;
    virtual void stop() = 0;
    virtual void setInterval(std::chrono::milliseconds interval) = 0;
    virtual void start() = 0;
};

// Font colour of the info line, as RGB value: black for progress and
// success, red for failure.
enum class InfoColour : std::uint32_t { black = 0, red = 255 };

// What the transfers show and take from the main window.
class LinkView {
  public:
    virtual ~LinkView() = default;

    // The info line.
    virtual std::string infoText() const = 0;
    virtual void setInfoText(const std::string& text) = 0;
    virtual void setInfoColour(InfoColour colour) = 0;

    // The progress gauge (0..100).
    virtual void setGaugeVisible(bool visible) = 0;
    virtual void setGaugeValue(int value) = 0;

    // LeseButton, ProgButton, Butread64, Butwrite64 and the group BaudBox.
    virtual void setTransferControlsEnabled(bool enabled) = 0;
    // BTeststring.
    virtual void setTestButtonEnabled(bool enabled) = 0;
    // A programming run (configuration or table) starts or has ended. While
    // it runs, the window refuses everything that would change the data
    // being programmed or cut the run short. The command line needs nothing.
    virtual void programmingChanged(bool /*running*/) {}

    // The system-data listing sysmemo.
    virtual void clearSystemListing() = 0;
    virtual void appendSystemListing(const std::string& line) = 0;

    // The test log TM.
    virtual void clearTestLog() = 0;
    virtual void appendTestLog(const std::string& line) = 0;
    // Texts of TD1..TD4 as they stand in the fields.
    virtual std::array<std::string, 4> testFieldTexts() const = 0;

    // Redraws every control from the configuration block and system data.
    virtual void showdata() = 0;
    // Builds the table image from the grid and the table page's settings.
    virtual void Build64K() = 0;
    // Takes the table image over into the grid; true when its checksum is right.
    virtual bool Restore64K() = 0;

    // A named status message has just been put on the info line. The
    // watchdog's report tells msgtimeout, and msgnoanswer after it when
    // nothing came; the count it shows is the sequence's state().xferpos.
    // For a view that needs the verdict rather than its wording (the
    // command line); the window shows the text and needs nothing more.
    virtual void statusShown(StatusMessage /*message*/) {}
};

}  // namespace tovrix
