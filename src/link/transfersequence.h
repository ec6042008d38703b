#pragma once

#include "config/confblock.h"
#include "link/frames.h"
#include "link/linkinterfaces.h"
#include "link/linktexts.h"
#include "link/quietline.h"
#include "link/statusmessages.h"
#include "link/transferstate.h"
#include "table/image.h"

#include <exception>
#include <functional>
#include <initializer_list>
#include <string>

namespace tovrix {

// Runs the transfers between the tool and the receiver: configuration read,
// configuration programming with read-back, table read, table programming,
// the radio test telegram and the receiver reset. Every answer from the
// receiver (RS232RxChar) leads to the next frame; the watchdog (Timer1Timer)
// ends a transfer whose answer does not come.
//
// Works on the window's configuration block, table image and system data by
// reference, and reaches the port, the timers and the controls only through
// the interfaces it is given. Everything runs on one thread.
//
// Quiet line: a starter sends nothing until the line has been quiet for a
// while (QuietLine, on the quiet timer), so that bytes still streaming from a
// transfer it replaced are not taken as answers. What arrives meanwhile is
// dropped; a line that never goes quiet ends the start through the watchdog.
// A start on a line that has been quiet since a transfer ended complete
// sends at once.
//
// Programming runs send a copy of the block and the image taken when they
// start, and verify against that copy: a change made meanwhile never
// reaches the receiver in part.
//
// A handler called while another is still at work (a receive event the
// port delivers while it restarts) returns at once without touching
// anything.
//
// Port errors: a frame that cannot be queued is not sent at all, and its
// watchdog is armed all the same, so the transfer still ends through the
// watchdog. The write error itself is raised again when the handler that
// met it has finished its work, for the window to show. Read errors
// (nothing waiting) are not raised: they leave the transfer as it was.
class TransferSequence {
  public:
    TransferSequence(ConfData& confdata, TabData& tabdata, SysData& sysdata, LinkPort& port,
                     LinkTimer& watchdog, LinkTimer& resetTimer, LinkTimer& quietTimer,
                     LinkView& view);

    TransferSequence(const TransferSequence&) = delete;
    TransferSequence& operator=(const TransferSequence&) = delete;

    // Starters. Each restarts the port first; when it cannot be opened,
    // the info line says why in red and nothing else happens. A starter that
    // finds another transfer running takes its place.
    void LeseButtonClick();   // read the configuration
    void ProgButtonClick();   // program the configuration and read it back
    void Butread64Click();    // read the table image
    void Butwrite64Click();   // program the table image
    void BTeststringClick();  // send the radio test telegram
    void BresetClick();       // reset the receiver

    // Bound to the port's receive notification; count is the number of bytes waiting.
    void RS232RxChar(int count);
    // The watchdog Timer1 expired.
    void Timer1Timer();
    // The reset timer expired.
    void resettimerTimer();
    // The quiet timer expired: nothing has arrived for its interval.
    void quietTimerTimer();
    // The port's device went away (unplugged, hung up). A transfer that ran
    // ends at once with the report that the connection was lost; the port
    // is closed.
    void connectionLost();

    // A new file starts the tool afresh: the phase flags of the transfers
    // (readmode, sysphase, writemode, tablemode) go off. The watchdog, the
    // test and a pending end command are left as they are.
    void clearTransferFlags();

    const TransferState& state() const { return state_; }
    // True from a starter until the transfer has closed.
    bool transferRunning() const;
    // True from the start of a configuration or table programming run until
    // it has closed.
    bool programmingRunning() const { return programming_; }

  private:
    template <typename Body>
    void handle(Body&& body);

    bool beginTransfer();
    void announce(Phase phase);
    void afterQuietLine(std::function<void()> firstFrame);
    void lineNotQuiet();
    bool setupport();
    void portUnusable();
    // How a transfer ended: complete (every request had its answer and the
    // verdict was good) or not known to be.
    enum class Ending { complete, unsure };
    void closeport(Ending ending = Ending::unsure);
    void abandonRunningTransfer();
    void takeSnapshot();
    void setProgramming(bool running);
    bool partlyWritten() const;
    void readsysdata(std::uint8_t b);
    bool transmit(Command command, int count = 0);

    void receiveTest(int count);
    void receiveTableRead(int count);
    void receiveTableWrite(int count);
    void receiveConfig(int count);
    bool storeAnswer(std::uint8_t b);
    void finishConfigRead();
    void finishConfigWrite();
    void finishVerify();
    bool showChecksumVerdict(StatusMessage good);
    int dropWaiting(int count);
    void dropSurplus(int count);
    int dropAllWaiting();
    bool tryRead(std::uint8_t& byte);

    void setGauge(int divisor);
    void showPhase(Phase phase);
    void showMessage(StatusMessage message, InfoColour colour);
    void reportFailure(std::string text, std::initializer_list<StatusMessage> shown, bool partial);
    void noteWriteError();

    ConfData& confdata_;
    TabData& tabdata_;
    SysData& sysdata_;
    LinkPort& port_;
    LinkTimer& watchdog_;
    LinkTimer& resetTimer_;
    LinkView& view_;

    TransferState state_;
    // What a programming run sends and verifies against: the block and the
    // image as they stood when it started.
    ConfData sentConf_{};
    TabData sentTab_{};
    bool programming_ = false;
    QuietLine quiet_;                   // the wait for a quiet line before a first frame
    std::function<void()> firstFrame_;  // what the starter sends once the line is quiet
    bool surplus_ = false;              // bytes came beside the answers of this transfer
    std::string lastPort_;              // the port the last transfer ran on
    bool resetSent_ = false;            // the reset frame went out, so its end may be reported
    bool inHandler_ = false;            // a handler is running; a nested call is turned away
    std::exception_ptr pendingError_;   // first port write error of the running handler
};

}  // namespace tovrix
