// Leaving the program and the unsaved edits: the marks that edits set, the
// questions before loading and leaving, and the end of a transfer that is
// still running when the window closes or a signal ends the program.
#include "app/tfrx.h"
#include "config/beep.h"
#include "dialogs/fask.h"
#include "link/transfersequence.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <exception>

namespace tovrix {

namespace {

// How often and how long leaving waits for the end command to leave the
// port's output buffer (a line held by flow control never drains).
constexpr int kOutputLookMs = 5;
constexpr int kOutputLooks = 400;
// After the buffer, the driver may still hold a few bytes (a UART's FIFO, a
// USB adapter's latency); closing would discard them.
constexpr int kDriverDrainMs = 20;

}  // namespace

// ---- the marks ----------------------------------------------------------------

void TFRX::markBlockModified() {
    blockModified_ = true;
    showModified();
}

void TFRX::markTableModified() {
    tableModified_ = true;
    showModified();
}

void TFRX::clearModified(bool block, bool table) {
    blockModified_ = blockModified_ && !block;
    tableModified_ = tableModified_ && !table;
    showModified();
}

void TFRX::noteBlockEdit(const ConfData& before) {
    if (confdata != before) {
        markBlockModified();
    }
}

void TFRX::showModified() {
    SB1Modified->setText(modified() ? QStringLiteral("geändert") : QString());
}

// ---- the questions ------------------------------------------------------------

bool TFRX::saveChangesFirst(const QString& action) {
    if (!modified()) {
        return true;
    }
    QMessageBox question(QMessageBox::Warning, windowTitle(),
                         QStringLiteral("Die Konfiguration oder die Tabelle wurde geändert und "
                                        "ist noch nicht gespeichert."),
                         QMessageBox::NoButton, this);
    question.setObjectName(QStringLiteral("UnsavedQuestion"));
    question.setInformativeText(action);
    QPushButton* save = question.addButton(QStringLiteral("&Speichern"), QMessageBox::AcceptRole);
    save->setObjectName(QStringLiteral("Speichern"));
    QPushButton* discard =
        question.addButton(QStringLiteral("&Verwerfen"), QMessageBox::DestructiveRole);
    discard->setObjectName(QStringLiteral("Verwerfen"));
    QPushButton* cancel = question.addButton(QStringLiteral("&Abbrechen"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Abbrechen"));
    question.setDefaultButton(save);
    question.setEscapeButton(cancel);
    question.exec();
    if (question.clickedButton() == discard) {
        return true;
    }
    if (question.clickedButton() != save) {
        return false;
    }
    // A save that is cancelled or fails keeps the edits and the window as
    // they are.
    MSpeichernClick();
    return !modified();
}

bool TFRX::mayLeave() {
    if (!saveChangesFirst(QStringLiteral("Vor dem Beenden speichern?"))) {
        return false;
    }
    if (!transfers_->programmingRunning()) {
        return true;
    }
    // A run cut short leaves the receiver with part of the data: leaving
    // needs a yes, and anything else (Enter, Escape, the close box) keeps
    // programming. Without the dialog nobody can say yes.
    const QStringList question{QStringLiteral("!!!  Programmierung läuft  !!!"),
                               QStringLiteral("abbrechen und beenden ?")};
    return Fask != nullptr && Fask->ask(question, TFask::Preset::nein);
}

// ---- leaving ------------------------------------------------------------------

void TFRX::closeEvent(QCloseEvent* event) {
    if (!leaving_) {
        if (!mayLeave()) {
            event->ignore();
            return;
        }
        leaving_ = true;
        if (transfers_->transferRunning()) {
            event->ignore();
            endTransferThenClose();
            return;
        }
    }
    FormClose();
    event->accept();
}

void TFRX::leaveOnSignal(int signalNumber) {
    if (signalStatus_) {
        return;  // already on the way out
    }
    signalStatus_ = 128 + signalNumber;
    leaving_ = true;
    endTransferThenClose();
}

// A running transfer ends the way its watchdog ends it: a programming run
// sends its end command, the others just stop. What it would report and
// sound is for a window that is going away, so it stays quiet; nothing may
// hold up the exit either, not even a port that refuses the end command.
void TFRX::endTransferThenClose() {
    client->setEnabled(false);
    menuBar()->setEnabled(false);
    if (transfers_->transferRunning()) {
        const BeepSink sound = setBeepSink({});
        try {
            transfers_->Timer1Timer();
        } catch (const std::exception&) {
            // leaving: the port is closed next in any case
        }
        setBeepSink(sound);
    }
    closeWhenOutputSent(kOutputLooks);
}

void TFRX::closeWhenOutputSent(int looksLeft) {
    const bool sent = !RS232.IsOpen() || RS232.HungUp() || RS232.OutputFree() >= RS232.OutBufSize();
    if (!sent && looksLeft > 0) {
        QTimer::singleShot(kOutputLookMs, this,
                           [this, looksLeft] { closeWhenOutputSent(looksLeft - 1); });
        return;
    }
    QTimer::singleShot(sent && RS232.IsOpen() ? kDriverDrainMs : 0, this, [this] {
        // A close is refused while an earlier one still waits for the
        // answer to its question; after a signal the window goes all the
        // same.
        if (!close() && signalStatus_ && isVisible()) {
            FormClose();
            hide();
        }
        if (signalStatus_) {
            // Also ends the event loops of dialogs that are still open.
            QCoreApplication::quit();
        }
    });
}

}  // namespace tovrix
