#include "app/linkadapters.h"

#include "app/numericedit.h"
#include "app/tfrx.h"
#include "dialogs/porttexts.h"
#include "serial/comport.h"

#include <QAction>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <exception>
#include <utility>

namespace tovrix {

// ---- port ------------------------------------------------------------------

ComLinkPort::ComLinkPort(TComPort& port, std::function<int()> selectedPort)
    : port_(port), selectedPort_(std::move(selectedPort)) {}

bool ComLinkPort::restart() {
    const int n = selectedPort_();
    openFailure_.clear();
    try {
        // The number already matches the selection unless the port probe
        // borrowed the port; it is changed with the port closed, so that it
        // is only stored.
        if (port_.ComNumber() != n) {
            port_.Close();
            port_.SetComNumber(static_cast<std::uint16_t>(n));
        }
        // Closed and opened again; a network port keeps a connection that is up.
        port_.Reopen();
        // Named now: a device that goes away may take its link with it.
        name_ = portNameText(n).toStdString();
        return true;
    } catch (const std::exception& error) {
        openFailure_ = openFailureText(n, error).toStdString();
        return false;
    }
}

void ComLinkPort::writeFrame(const std::vector<std::uint8_t>& frame) {
    port_.WriteData(frame.data(), static_cast<std::int32_t>(frame.size()));
}

std::uint8_t ComLinkPort::readByte() {
    return port_.ReadByte();
}

void ComLinkPort::close() {
    try {
        port_.Close();
    } catch (const std::exception&) {
        // The device is gone already; the next start opens the port afresh.
    }
}

// ---- view ------------------------------------------------------------------

WindowLinkView::WindowLinkView(TFRX& window) : window_(window) {}

std::string WindowLinkView::infoText() const {
    return window_.infoText().toStdString();
}

void WindowLinkView::setInfoText(const std::string& text) {
    window_.setInfo(QString::fromStdString(text));
}

void WindowLinkView::setInfoColour(InfoColour colour) {
    const auto rgb = static_cast<std::uint32_t>(colour);
    // The colour value keeps red in its low byte, as the system stores colours.
    window_.setInfoColour(QColor(static_cast<int>(rgb & 0xFFu),
                                 static_cast<int>((rgb >> 8) & 0xFFu),
                                 static_cast<int>((rgb >> 16) & 0xFFu)));
}

void WindowLinkView::setGaugeVisible(bool visible) {
    window_.Gauge->setVisible(visible);
}

void WindowLinkView::setGaugeValue(int value) {
    window_.Gauge->setValue(value);
}

void WindowLinkView::setTransferControlsEnabled(bool enabled) {
    // Disabling the control that has the focus moves it on (to a hidden test
    // field, as it happens): it is noted first and given back at the end.
    if (!enabled && controlsEnabled_) {
        // The window's own record: it survives an open menu holding the focus.
        focusBefore_ = window_.focusWidget();
    }
    for (QWidget* control :
         {static_cast<QWidget*>(window_.LeseButton), static_cast<QWidget*>(window_.ProgButton),
          static_cast<QWidget*>(window_.Butread64), static_cast<QWidget*>(window_.Butwrite64),
          static_cast<QWidget*>(window_.BaudBox)}) {
        control->setEnabled(enabled);
    }
    if (enabled && !controlsEnabled_ && focusBefore_ != nullptr && focusBefore_->isEnabled()) {
        focusBefore_->setFocus(Qt::OtherFocusReason);
    }
    controlsEnabled_ = enabled;
}

void WindowLinkView::setTestButtonEnabled(bool enabled) {
    window_.BTeststring->setEnabled(enabled);
}

// A programming run sends what the window showed at its start; until it
// ends, nothing may change that data (the pages, loading a file, a new
// file) or start another transfer in its place (the Kommunikation menu's
// starters, the test telegram).
// A COM item would switch the port under the run. Each item gets back the
// state it had: "neu" stays hidden and disabled, a COM item the probe found
// without a device stays greyed out. These changes are no news for the
// port probe, which would close the port under the run's end command.
void WindowLinkView::programmingChanged(bool running) {
    for (QWidget* page : {window_.Pbasic, window_.Pstring}) {
        page->setEnabled(!running);
    }
    if (running) {
        itemsBefore_.clear();
        for (QAction* action : {window_.Mneu, window_.MLaden, window_.MDatensenden,
                                window_.MDatenempfangen, window_.Mwrite64, window_.Mread64,
                                window_.COM11, window_.COM21, window_.COM31, window_.COM41}) {
            itemsBefore_.emplace_back(action, action->isEnabled());
            const QSignalBlocker quiet(action);
            action->setEnabled(false);
        }
    } else {
        for (const auto& [action, wasEnabled] : std::exchange(itemsBefore_, {})) {
            if (action != nullptr) {
                const QSignalBlocker quiet(action);
                action->setEnabled(wasEnabled);
            }
        }
    }
    window_.BTeststring->setEnabled(!running);
}

// What a successful read brings in is the receiver's, not an edit.
void WindowLinkView::statusShown(StatusMessage message) {
    if (message == StatusMessage::msgconfreadok) {
        window_.clearModified(true, false);
    } else if (message == StatusMessage::msgtabreadok) {
        window_.clearModified(false, true);
    }
}

void WindowLinkView::clearSystemListing() {
    window_.sysmemo->clear();
}

void WindowLinkView::appendSystemListing(const std::string& line) {
    window_.sysmemo->appendPlainText(QString::fromStdString(line));
}

void WindowLinkView::clearTestLog() {
    window_.TM->clear();
}

void WindowLinkView::appendTestLog(const std::string& line) {
    window_.TM->appendPlainText(QString::fromStdString(line));
}

std::array<std::string, 4> WindowLinkView::testFieldTexts() const {
    std::array<std::string, 4> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i] = window_.TD[i]->text().toStdString();
    }
    return texts;
}

void WindowLinkView::showdata() {
    window_.showdata();
}

void WindowLinkView::Build64K() {
    window_.Build64K();
}

bool WindowLinkView::Restore64K() {
    bool ok = false;
    window_.Restore64K(ok);
    return ok;
}

}  // namespace tovrix
