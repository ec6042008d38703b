#pragma once

#include "link/linkinterfaces.h"
#include "link/transfersequence.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tovrix::test {

using Bytes = std::vector<std::uint8_t>;

// The port's write and read errors.
struct PortError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A scripted receiver behind a fake port. It parses the frames the tool
// writes and answers them from its own system data, configuration block and
// table image; the answers wait "on the line" until the harness delivers
// them to the port's input.
class ScriptedReceiver : public LinkPort {
  public:
    SysData sys{};
    std::array<std::uint8_t, 128> conf{};
    TabData image{};

    // Faults.
    int answersBeforeSilence = -1;  // requests answered before going silent; -1: never silent
    int wrongEchoAt = -1;           // configuration address whose echo is wrong
    int nakChunkAt = -1;            // table address whose chunk is answered with nakValue
    std::uint8_t nakValue = 7;
    std::map<int, std::uint8_t> readBackChanges;  // address -> value answered after programming
    Bytes testAnswer;                             // answer to a test frame
    int extraStreamBytes = 0;                     // appended to the table stream
    int surplusAnswerAt = -1;                     // request number answered with one byte too many
    bool openable = true;
    std::string failureText = "COM1 (/dev/fake) lässt sich nicht öffnen: Gerät nicht vorhanden";
    int failWriteAt = -1;     // index of a written byte whose frame fails once
    bool writesFail = false;  // every write fails (the port has gone)
    std::function<void()> onRestart;
    std::string portName = "COM1 (/dev/fake)";  // as the port names itself after a restart

    // Observations.
    std::vector<Bytes> frames;  // complete frames in order
    int restarts = 0;
    int closes = 0;
    int bytesWritten = 0;
    int unevenWrites = 0;     // writes that were not exactly one whole frame
    bool programmed = false;  // a configuration byte was written since the last restart

    bool restart() override;
    std::string openFailure() const override { return openable ? "" : failureText; }
    void writeFrame(const Bytes& frame) override;
    std::uint8_t readByte() override;
    void close() override;
    std::string name() const override { return portName; }

    // Moves up to n bytes from the line into the port's input; returns how many.
    int deliver(int n);
    int onLine() const { return static_cast<int>(line_.size()); }
    int waiting() const { return static_cast<int>(input_.size()); }
    // Puts bytes straight into the port's input, as noise or late answers.
    void inject(const Bytes& bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }

    int framesWith(std::uint8_t command) const;

  private:
    void takeByte(std::uint8_t byte);
    void frameComplete();
    void answer(std::uint8_t byte);
    static std::optional<std::size_t> frameLength(const Bytes& partial);

    Bytes partial_;
    std::deque<std::uint8_t> line_;
    std::deque<std::uint8_t> input_;
    int requests_ = 0;
};

// A timer that only records; the harness fires it.
class FakeTimer : public LinkTimer {
  public:
    bool running = false;
    std::chrono::milliseconds interval{0};
    std::vector<std::chrono::milliseconds> starts;  // interval at every start

    void stop() override { running = false; }
    void setInterval(std::chrono::milliseconds value) override { interval = value; }
    void start() override {
        running = true;
        starts.push_back(interval);
    }
};

// Records what the window would show.
class FakeView : public LinkView {
  public:
    explicit FakeView(TabData& tabdata) : tabdata_(tabdata) {}

    std::string info = "info-Zeile";
    InfoColour colour = InfoColour::black;
    std::vector<std::string> infoHistory;
    bool gaugeVisible = false;
    int gauge = 0;
    std::vector<int> gaugeHistory;
    bool controlsEnabled = true;
    bool testButtonEnabled = true;
    std::vector<std::string> sysmemo;
    std::vector<std::string> testLog{"Testfenster"};
    std::array<std::string, 4> testFields{"  0", "  0", "  0", "  0"};
    TabData grid{};                       // the image Build64K produces
    std::vector<StatusMessage> statuses;  // as statusShown told them
    std::vector<bool> programming;        // as programmingChanged told it
    int showdataCalls = 0;
    int buildCalls = 0;
    int restoreCalls = 0;
    int calls = 0;  // every call that changes something

    std::string infoText() const override { return info; }
    void setInfoText(const std::string& text) override {
        ++calls;
        info = text;
        infoHistory.push_back(text);
    }
    void setInfoColour(InfoColour value) override {
        ++calls;
        colour = value;
    }
    void setGaugeVisible(bool visible) override {
        ++calls;
        gaugeVisible = visible;
    }
    void setGaugeValue(int value) override {
        ++calls;
        gauge = value;
        gaugeHistory.push_back(value);
    }
    void setTransferControlsEnabled(bool enabled) override {
        ++calls;
        controlsEnabled = enabled;
    }
    void setTestButtonEnabled(bool enabled) override {
        ++calls;
        testButtonEnabled = enabled;
    }
    void clearSystemListing() override { sysmemo.clear(); }
    void appendSystemListing(const std::string& line) override { sysmemo.push_back(line); }
    void clearTestLog() override { testLog.clear(); }
    void appendTestLog(const std::string& line) override { testLog.push_back(line); }
    std::array<std::string, 4> testFieldTexts() const override { return testFields; }
    void showdata() override { ++showdataCalls; }
    void Build64K() override {
        ++buildCalls;
        tabdata_ = grid;
    }
    bool Restore64K() override {
        ++restoreCalls;
        return imageChecksum(tabdata_) == tabdata_[image::kChecksum];
    }
    void statusShown(StatusMessage message) override { statuses.push_back(message); }
    void programmingChanged(bool running) override { programming.push_back(running); }

  private:
    TabData& tabdata_;
};

// The window's data, the fakes and the sequence under test.
struct LinkHarness {
    ConfData confdata{};
    TabData tabdata{};
    SysData sysdata{};
    ScriptedReceiver receiver;
    FakeTimer watchdog;
    FakeTimer resetTimer;
    FakeTimer quiet;
    FakeView view{tabdata};
    TransferSequence seq{confdata, tabdata, sysdata, receiver, watchdog, resetTimer, quiet, view};
    int chunk = 1;  // bytes per receive notification

    // The wait for a quiet line: the interval that each byte restarts.
    static constexpr std::chrono::milliseconds kQuietInterval{100};
    // The same while a replaced table read still owes bytes.
    static constexpr std::chrono::milliseconds kOwedQuietInterval{500};

    // Fires the quiet timer if it runs, and again for its second look: a
    // starter's first frame goes out.
    void settle();
    // Delivers everything the receiver sends, one notification per chunk,
    // after the line has gone quiet for a starter.
    void pump();
    // Fires the watchdog if it runs.
    void expire();
    // pump(), then let the watchdog end whatever still waits.
    void runToEnd() {
        pump();
        expire();
    }
};

// A receiver block with a correct checksum and some data in it.
std::array<std::uint8_t, 128> sampleConfig();
// A table image with a correct checksum.
TabData sampleImage(std::uint8_t seed);

}  // namespace tovrix::test
