#pragma once

#include "link/linkinterfaces.h"
#include "link/qtlinktimer.h"

#include <QAction>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tovrix {

class TComPort;
class TFRX;

// The window's serial port as the transfers use it. A restart closes the
// port and opens it again on the port the user selected.
class ComLinkPort : public LinkPort {
  public:
    ComLinkPort(TComPort& port, std::function<int()> selectedPort);

    bool restart() override;
    std::string openFailure() const override { return openFailure_; }
    void writeFrame(const std::vector<std::uint8_t>& frame) override;
    std::uint8_t readByte() override;
    void close() override;
    std::string name() const override { return name_; }

  private:
    TComPort& port_;
    std::function<int()> selectedPort_;
    std::string openFailure_;
    std::string name_;  // the port and the device it opened, for messages
};

// What the transfers show: the window's info line, gauge, buttons, memos,
// test fields and its model-to-grid operations.
class WindowLinkView : public LinkView {
  public:
    explicit WindowLinkView(TFRX& window);

    std::string infoText() const override;
    void setInfoText(const std::string& text) override;
    void setInfoColour(InfoColour colour) override;
    void setGaugeVisible(bool visible) override;
    void setGaugeValue(int value) override;
    void setTransferControlsEnabled(bool enabled) override;
    void setTestButtonEnabled(bool enabled) override;
    void programmingChanged(bool running) override;
    void statusShown(StatusMessage message) override;
    void clearSystemListing() override;
    void appendSystemListing(const std::string& line) override;
    void clearTestLog() override;
    void appendTestLog(const std::string& line) override;
    std::array<std::string, 4> testFieldTexts() const override;
    void showdata() override;
    void Build64K() override;
    bool Restore64K() override;

  private:
    TFRX& window_;
    bool controlsEnabled_ = true;
    // The control that had the focus when the transfer started; it gets it
    // back when the transfer ends.
    QPointer<QWidget> focusBefore_;
    // The menu items a programming run greys out, each with the state it
    // had before, to be given back when the run ends.
    std::vector<std::pair<QPointer<QAction>, bool>> itemsBefore_;
};

}  // namespace tovrix
