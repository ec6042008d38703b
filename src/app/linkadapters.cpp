#include "app/linkadapters.h"

#include "app/numericedit.h"
#include "app/tfrx.h"
#include "serial/comport.h"

#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <exception>
#include <utility>

namespace tovrix {

// ---- port ------------------------------------------------------------------

ComLinkPort::ComLinkPort(TComPort& port, std::function<int()> selectedPort)
    : port_(port), selectedPort_(std::move(selectedPort)) {}

bool ComLinkPort::restart() {
    try {
        port_.Close();
        // The port is closed here, so the number is only stored; it already
        // matches the selection unless the port probe borrowed the port.
        port_.SetComNumber(static_cast<std::uint16_t>(selectedPort_()));
        port_.Open();
        return true;
    } catch (const std::exception&) {
        // A port that cannot be opened lets no transfer start; nothing is shown.
        return false;
    }
}

void ComLinkPort::writeByte(std::uint8_t byte) {
    port_.WriteByte(byte);
}

std::uint8_t ComLinkPort::readByte() {
    return port_.ReadByte();
}

void ComLinkPort::clearOutput() {
    // Every answer from the receiver asks for this, and by then the request
    // it answers has normally left the component's buffer: there is nothing
    // to discard. The purge is a handshake with the port's write thread that
    // costs two thread switches on every answer, so it runs only when the
    // component still holds unsent bytes.
    if (port_.OutputFree() < port_.OutBufSize()) {
        port_.ClearOutput();
    }
}

// ---- view ------------------------------------------------------------------

WindowLinkView::WindowLinkView(TFRX& window) : window_(window) {}

std::string WindowLinkView::infoText() const {
    return window_.info->text().toStdString();
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
    for (QWidget* control :
         {static_cast<QWidget*>(window_.LeseButton), static_cast<QWidget*>(window_.ProgButton),
          static_cast<QWidget*>(window_.Butread64), static_cast<QWidget*>(window_.Butwrite64),
          static_cast<QWidget*>(window_.BaudBox)}) {
        control->setEnabled(enabled);
    }
}

void WindowLinkView::setTestButtonEnabled(bool enabled) {
    window_.BTeststring->setEnabled(enabled);
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
