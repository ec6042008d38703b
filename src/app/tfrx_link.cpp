// The transfers: the window's side of the transfer sequence. Buttons, menu
// entries, the port's receive event and the two timers lead into it; a port
// error that ends one of them is shown and the program carries on.
#include "app/linkadapters.h"
#include "app/tfrx.h"
#include "link/transfersequence.h"
#include "serial/exceptiondisplay.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <exception>

namespace tovrix {

void TFRX::connectTransfers() {
    linkPort_ = std::make_unique<ComLinkPort>(RS232, [this] { return selectedPort(); });
    watchdogTimer_ = std::make_unique<QtLinkTimer>(*Timer1);
    resetTimer_ = std::make_unique<QtLinkTimer>(*resettimer);
    quietTimer_ = new QTimer(this);
    quietTimer_->setObjectName(QStringLiteral("quietTimer"));
    quietLinkTimer_ = std::make_unique<QtLinkTimer>(*quietTimer_);
    linkView_ = std::make_unique<WindowLinkView>(*this);
    transfers_ =
        std::make_unique<TransferSequence>(confdata, tabdata, sysdata, *linkPort_, *watchdogTimer_,
                                           *resetTimer_, *quietLinkTimer_, *linkView_);

    connect(LeseButton, &QPushButton::clicked, this, &TFRX::LeseButtonClick);
    connect(ProgButton, &QPushButton::clicked, this, &TFRX::ProgButtonClick);
    connect(Butread64, &QPushButton::clicked, this, &TFRX::Butread64Click);
    connect(Butwrite64, &QPushButton::clicked, this, &TFRX::Butwrite64Click);
    connect(BTeststring, &QPushButton::clicked, this, &TFRX::BTeststringClick);
    connect(MDatenempfangen, &QAction::triggered, this, &TFRX::LeseButtonClick);
    connect(MDatensenden, &QAction::triggered, this, &TFRX::ProgButtonClick);
    connect(Mread64, &QAction::triggered, this, &TFRX::Butread64Click);
    connect(Mwrite64, &QAction::triggered, this, &TFRX::Butwrite64Click);
    connect(Timer1, &QTimer::timeout, this, &TFRX::Timer1Timer);
    connect(resettimer, &QTimer::timeout, this, &TFRX::resettimerTimer);
    connect(quietTimer_, &QTimer::timeout, this,
            [this] { guarded([this] { transfers_->quietTimerTimer(); }); });
    // The component delivers its receive event on this thread; the registry
    // that delivers it shows what escapes (see the exception display below).
    RS232.OnDataRecived = [this](TCustomSerialPort&, std::int32_t count) { RS232RxChar(count); };
    // An unplugged adapter ends the transfer at once. The port is closed
    // from the event loop, not from inside the event that reports the
    // hang-up: a close there would wait for that very event to end.
    RS232.OnHangUp = [this](TCustomSerialPort&) {
        QTimer::singleShot(0, this, [this] { guarded([this] { transfers_->connectionLost(); }); });
    };
    // An error that escapes a port event goes to the same display as the
    // errors of the window's own handlers.
    setExceptionDisplay(
        [this](const std::exception& error) { showError(QString::fromLocal8Bit(error.what())); });
}

void TFRX::showError(const QString& text) {
    if (errorDisplay_) {
        errorDisplay_(text);
        return;
    }
    QMessageBox::critical(this, windowTitle(), text);
}

// Every entry point of the transfers runs through here: nothing thrown in
// it may reach the event loop.
template <typename Body>
void TFRX::guarded(Body&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
}

void TFRX::LeseButtonClick() {
    guarded([this] { transfers_->LeseButtonClick(); });
}

void TFRX::ProgButtonClick() {
    guarded([this] { transfers_->ProgButtonClick(); });
}

void TFRX::Butread64Click() {
    guarded([this] { transfers_->Butread64Click(); });
}

void TFRX::Butwrite64Click() {
    guarded([this] { transfers_->Butwrite64Click(); });
}

void TFRX::BTeststringClick() {
    guarded([this] { transfers_->BTeststringClick(); });
}

void TFRX::BresetClick() {
    guarded([this] { transfers_->BresetClick(); });
}

void TFRX::RS232RxChar(int count) {
    guarded([this, count] { transfers_->RS232RxChar(count); });
}

void TFRX::Timer1Timer() {
    guarded([this] { transfers_->Timer1Timer(); });
}

void TFRX::resettimerTimer() {
    guarded([this] { transfers_->resettimerTimer(); });
}

}  // namespace tovrix
