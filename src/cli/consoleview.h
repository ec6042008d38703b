#pragma once

#include "config/confblock.h"
#include "link/linkinterfaces.h"
#include "table/image.h"

#include <array>
#include <string>
#include <vector>

namespace tovrix::cli {

// What the transfers show, kept for the command line instead of drawn: the
// info line, the gauge, the system listing, the test log and every status
// message by name. The block is corrected as the window's redraw corrects
// it, so what is saved and compared is what the window would hold.
class ConsoleLinkView : public LinkView {
  public:
    ConsoleLinkView(ConfData& confdata, const TabData& tabdata);

    std::string infoText() const override { return info_; }
    void setInfoText(const std::string& text) override { info_ = text; }
    void setInfoColour(InfoColour colour) override { colour_ = colour; }
    void setGaugeVisible(bool) override {}
    void setGaugeValue(int value) override { gauge_ = value; }
    void setTransferControlsEnabled(bool) override {}
    void setTestButtonEnabled(bool) override {}
    void clearSystemListing() override { systemListing_.clear(); }
    void appendSystemListing(const std::string& line) override { systemListing_.push_back(line); }
    void clearTestLog() override { testLog_.clear(); }
    void appendTestLog(const std::string& line) override { testLog_.push_back(line); }
    std::array<std::string, 4> testFieldTexts() const override { return testFields_; }
    void showdata() override;
    // The command line has no grid: the image to program is prepared from
    // the file before the run, as the window's grid would build it.
    void Build64K() override {}
    bool Restore64K() override;
    void statusShown(StatusMessage message) override { shown_.push_back(message); }

    void setTestFieldTexts(const std::array<std::string, 4>& texts) { testFields_ = texts; }
    // Forgets the status messages of the previous transfer.
    void clearShown() { shown_.clear(); }

    const std::vector<StatusMessage>& shown() const { return shown_; }
    int gauge() const { return gauge_; }
    const std::vector<std::string>& systemListing() const { return systemListing_; }
    const std::vector<std::string>& testLog() const { return testLog_; }

  private:
    ConfData& confdata_;
    const TabData& tabdata_;
    std::string info_;
    InfoColour colour_ = InfoColour::black;
    int gauge_ = 0;
    std::vector<std::string> systemListing_;
    std::vector<std::string> testLog_;
    std::array<std::string, 4> testFields_;
    std::vector<StatusMessage> shown_;
};

}  // namespace tovrix::cli
