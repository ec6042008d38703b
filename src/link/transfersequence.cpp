#include "link/transfersequence.h"

#include "config/beep.h"
#include "link/progress.h"
#include "table/testpanel.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

namespace tovrix {

namespace {

constexpr int kConfigAnswers = conf::kBlockSize;          // bytes read in a read or read-back
constexpr int kConfigProgrammed = conf::kProgrammedSize;  // bytes programmed
constexpr int kVerifiedBytes = conf::kChecksum + 1;       // bytes 0..89 are compared
constexpr std::chrono::milliseconds kResetTime{200};
// A line that is not quiet after this long ends the start. A table read
// that was replaced streams for up to 4.3 s at 19200 baud.
constexpr std::chrono::milliseconds kQuietLimit{6000};

}  // namespace

TransferSequence::TransferSequence(ConfData& confdata, TabData& tabdata, SysData& sysdata,
                                   LinkPort& port, LinkTimer& watchdog, LinkTimer& resetTimer,
                                   LinkTimer& quietTimer, LinkView& view)
    : confdata_(confdata),
      tabdata_(tabdata),
      sysdata_(sysdata),
      port_(port),
      watchdog_(watchdog),
      resetTimer_(resetTimer),
      view_(view),
      quiet_(quietTimer) {}

bool TransferSequence::transferRunning() const {
    return quiet_.waiting() || state_.readmode || state_.writemode || state_.verifymode ||
           state_.testmode;
}

// Every public handler runs through here. A call that arrives while another
// handler is still at work (the port's restart may deliver a pending receive
// event while it waits for the old link to close) is turned away: its bytes
// belong to the link being closed, and the watchdog ticks again on its own.
// A port write error met on the way is raised once the handler is complete,
// so the transfer state is never left half changed.
template <typename Body>
void TransferSequence::handle(Body&& body) {
    if (inHandler_) {
        return;
    }
    inHandler_ = true;
    pendingError_ = nullptr;
    try {
        body();
    } catch (...) {
        inHandler_ = false;
        throw;
    }
    inHandler_ = false;
    if (std::exception_ptr error = std::exchange(pendingError_, nullptr)) {
        std::rethrow_exception(error);
    }
}

// ---- starters ------------------------------------------------------------

// The common opening of the four transfer starters: the link restarted
// (when the port cannot be opened, the info line says why and nothing else
// happens), a running transfer given up, and the gauge shown at 0.
bool TransferSequence::beginTransfer() {
    if (!setupport()) {
        return false;
    }
    abandonRunningTransfer();
    view_.setGaugeValue(0);
    view_.setGaugeVisible(true);
    state_.xferpos = 0;
    return true;
}

// Every starter ends with its phase text in black.
void TransferSequence::announce(Phase phase) {
    view_.setInfoColour(InfoColour::black);
    showPhase(phase);
}

// The starter's first frame waits for a quiet line, unless the line has been
// quiet since a transfer ended complete; the watchdog bounds the wait.
void TransferSequence::afterQuietLine(std::function<void()> firstFrame) {
    if (!quiet_.beginWait()) {
        firstFrame();
        return;
    }
    firstFrame_ = std::move(firstFrame);
    watchdog_.stop();
    watchdog_.setInterval(kQuietLimit);
    watchdog_.start();
}

void TransferSequence::quietTimerTimer() {
    handle([this] {
        // Bytes waiting whose notification has not been handled yet count as
        // seen: the line was not quiet after all.
        const int found = dropAllWaiting();
        if (!quiet_.expired(found)) {
            return;
        }
        watchdog_.stop();
        if (auto firstFrame = std::exchange(firstFrame_, nullptr)) {
            firstFrame();
        }
    });
}

// The line kept talking: nothing of the new transfer has been sent.
void TransferSequence::lineNotQuiet() {
    quiet_.cancel();
    firstFrame_ = nullptr;
    const std::string text = view_.infoText() + statusText(StatusMessage::msgnotquiet);
    closeport();
    reportFailure(text, {StatusMessage::msgnotquiet}, false);
}

// A programming run sends and verifies what the user saw when it started.
void TransferSequence::takeSnapshot() {
    sentConf_ = confdata_;
    sentTab_ = tabdata_;
    setProgramming(true);
}

void TransferSequence::setProgramming(bool running) {
    if (std::exchange(programming_, running) != running) {
        view_.programmingChanged(running);
    }
}

// Whether a programming frame may have reached the receiver in the run
// that stands now: the table write, or the configuration write once the
// system data are in. The read-back after programming finds a fully
// written receiver.
bool TransferSequence::partlyWritten() const {
    return state_.writemode && !state_.sysphase;
}

void TransferSequence::LeseButtonClick() {
    handle([this] {
        if (!beginTransfer()) {
            return;
        }
        state_.sysphase = true;
        state_.readmode = true;
        state_.tablemode = false;
        announce(Phase::readSystemData);
        afterQuietLine([this] { transmit(Command::readSystem); });
    });
}

void TransferSequence::ProgButtonClick() {
    handle([this] {
        if (!beginTransfer()) {
            return;
        }
        confdata_[conf::kChecksum] = configChecksum(confdata_);
        view_.Build64K();
        takeSnapshot();
        state_.sysphase = true;
        state_.writemode = true;
        state_.tablemode = false;
        announce(Phase::readSystemData);
        afterQuietLine([this] {
            state_.sendend = true;
            transmit(Command::readSystem);
        });
    });
}

void TransferSequence::Butread64Click() {
    handle([this] {
        if (!beginTransfer()) {
            return;
        }
        state_.xferlen = kImageSize;
        state_.readmode = true;
        state_.tablemode = true;
        announce(Phase::readStringData);
        afterQuietLine([this] { transmit(Command::readString, kImageSize); });
    });
}

void TransferSequence::Butwrite64Click() {
    handle([this] {
        if (!beginTransfer()) {
            return;
        }
        view_.Build64K();
        takeSnapshot();
        state_.xferlen = kImageSize;
        state_.writemode = true;
        state_.tablemode = true;
        announce(Phase::writeStringData);
        afterQuietLine([this] {
            state_.sendend = true;
            transmit(Command::writeString, kChunkSize);
        });
    });
}

void TransferSequence::BTeststringClick() {
    handle([this] {
        if (!setupport()) {
            return;
        }
        abandonRunningTransfer();
        view_.clearTestLog();
        announce(Phase::sendTestData);
        afterQuietLine([this] {
            // A test frame that could not be sent is not waited for: the
            // watchdog then reports the failure instead of a finished test,
            // and the button stays usable.
            if (transmit(Command::sendTest)) {
                view_.setTestButtonEnabled(false);
                state_.testmode = true;
            }
        });
    });
}

void TransferSequence::BresetClick() {
    handle([this] {
        if (!setupport()) {
            return;
        }
        abandonRunningTransfer();
        showPhase(Phase::resetModule);
        afterQuietLine([this] {
            state_.xferpos = kResetAddress;
            resetSent_ = transmit(Command::readSystem);
            resetTimer_.stop();
            resetTimer_.setInterval(kResetTime);
            resetTimer_.start();
            watchdog_.stop();
        });
    });
}

// ---- timers --------------------------------------------------------------

void TransferSequence::Timer1Timer() {
    handle([this] {
        if (quiet_.waiting()) {
            lineNotQuiet();
            return;
        }
        const bool partial = partlyWritten();
        closeport();
        if (state_.testmode) {
            view_.setInfoText(kTestInfoDone);
            view_.appendTestLog(kTestLogDone);
            view_.setTestButtonEnabled(true);
        } else {
            std::string text = view_.infoText() + statusText(StatusMessage::msgtimeout) +
                               std::to_string(state_.xferpos);
            if (state_.xferpos == 0) {
                text += statusText(StatusMessage::msgnoanswer);
                reportFailure(text, {StatusMessage::msgtimeout, StatusMessage::msgnoanswer},
                              partial);
            } else {
                reportFailure(text, {StatusMessage::msgtimeout}, partial);
            }
        }
        state_.testmode = false;
    });
}

void TransferSequence::resettimerTimer() {
    handle([this] {
        resetTimer_.stop();
        closeport();
        if (std::exchange(resetSent_, false)) {
            showMessage(StatusMessage::msgresetdone, InfoColour::black);
        }
    });
}

void TransferSequence::connectionLost() {
    handle([this] {
        const bool running = transferRunning() || resetSent_;
        const bool partial = partlyWritten();
        abandonRunningTransfer();
        // Nothing can be sent any more, the end command included.
        state_.sendend = false;
        closeport();
        port_.close();
        quiet_.forget();
        if (!running) {
            return;
        }
        reportFailure(statusText(StatusMessage::msglinelost) + port_.name(),
                      {StatusMessage::msglinelost}, partial);
    });
}

void TransferSequence::clearTransferFlags() {
    state_.readmode = false;
    state_.sysphase = false;
    state_.writemode = false;
    state_.tablemode = false;
}

// ---- link start and end --------------------------------------------------

bool TransferSequence::setupport() {
    // Bytes waiting unannounced (their notification is still on its way)
    // mean the line has not been quiet since the last transfer after all.
    if (quiet_.quietSinceEnd()) {
        quiet_.bytesSeen(dropAllWaiting());
    }
    // A table read whose request went out goes on streaming the rest of the
    // image when another transfer takes its place.
    quiet_.takeOver(state_.readmode && state_.tablemode ? state_.xferlen - state_.xferpos : 0);
    surplus_ = false;
    if (!port_.restart()) {
        portUnusable();
        return false;
    }
    // Another port, or another device behind it, than the last transfer ran
    // on: nothing is known of its line.
    if (port_.name() != lastPort_) {
        quiet_.forget();
    }
    state_.xferpos = 0;
    view_.setTransferControlsEnabled(false);
    return true;
}

// The port could not be opened, and the one that was open is closed: what
// ran on it has ended. The info line says why, whatever it showed before.
void TransferSequence::portUnusable() {
    const bool partial = partlyWritten();
    abandonRunningTransfer();
    state_.sendend = false;
    closeport();
    quiet_.forget();
    reportFailure(port_.openFailure(), {}, partial);
}

void TransferSequence::closeport(Ending ending) {
    if (state_.sendend) {
        transmit(Command::end);
    }
    quiet_.transferEnded(ending == Ending::complete && !surplus_);
    lastPort_ = port_.name();
    state_.readmode = false;
    state_.sysphase = false;
    state_.writemode = false;
    state_.verifymode = false;
    state_.sendend = false;
    view_.setGaugeVisible(false);
    watchdog_.stop();
    // The pages are given back before the buttons, so that the control
    // that had the focus can have it again.
    setProgramming(false);
    view_.setTransferControlsEnabled(true);
}

// A transfer started from a menu entry while another runs replaces it. The
// old one's phase flags must go, or its branch of the receive handler would
// take the new answers: a configuration write started during a table read
// would read the receiver's block over the one the user meant to program.
// sendend stays, so a programming run that is cut short still gets its end
// command when the new transfer closes.
void TransferSequence::abandonRunningTransfer() {
    if (state_.testmode) {
        view_.setTestButtonEnabled(true);
    }
    state_.readmode = false;
    state_.writemode = false;
    state_.verifymode = false;
    state_.sysphase = false;
    state_.testmode = false;
    quiet_.cancel();
    firstFrame_ = nullptr;
    // A reset still waiting for its end would close the new transfer.
    resetTimer_.stop();
    resetSent_ = false;
}

// Sends one frame and arms its watchdog. The frame is queued whole, or not
// at all when the port refuses it; the watchdog runs either way, so that
// the transfer ends through it. Returns whether the frame was queued.
bool TransferSequence::transmit(Command command, int count) {
    watchdog_.stop();
    watchdog_.setInterval(kAnswerWatchdog);
    std::array<std::string, 4> fieldTexts;
    TestBytes testBytes{};
    if (command == Command::sendTest) {
        fieldTexts = view_.testFieldTexts();
        std::transform(fieldTexts.begin(), fieldTexts.end(), testBytes.begin(), testFieldValue);
    }
    const Frame frame =
        buildFrame(command, state_.xferpos, count, FrameSources{sentConf_, sentTab_, testBytes});
    bool sent = true;
    try {
        port_.writeFrame(frame.bytes);
    } catch (const std::runtime_error&) {
        noteWriteError();
        sent = false;
    }
    if (sent && command == Command::sendTest) {
        view_.appendTestLog(testSendLine(fieldTexts));
        view_.appendTestLog(testReceiveHeading(fieldTexts[2]));
    }
    if (frame.watchdog) {
        watchdog_.setInterval(*frame.watchdog);
        watchdog_.start();
    }
    return sent;
}

void TransferSequence::noteWriteError() {
    if (!pendingError_) {
        pendingError_ = std::current_exception();
    }
}

// ---- receiving -----------------------------------------------------------

void TransferSequence::RS232RxChar(int count) {
    handle([this, count] {
        // Bytes before the first frame are what the line still carries from
        // before: they are dropped, and the line is not quiet yet.
        if (quiet_.waiting()) {
            dropWaiting(count);
            quiet_.bytesSeen(count);
            return;
        }
        // Bytes that belong to no transfer are read and dropped. They must
        // not turn a red verdict black. Nothing queued for sending is
        // discarded here: it is a request that has not gone out yet (or the
        // end command of the transfer just closed), never a stale one.
        if (!transferRunning()) {
            quiet_.bytesSeen(dropWaiting(count));
            return;
        }
        view_.setInfoColour(InfoColour::black);
        if (state_.testmode) {
            receiveTest(count);
        } else if (state_.tablemode) {
            if (state_.readmode) {
                receiveTableRead(count);
            } else if (state_.writemode) {
                receiveTableWrite(count);
            } else {
                dropSurplus(count);
            }
        } else {
            receiveConfig(count);
        }
    });
}

bool TransferSequence::tryRead(std::uint8_t& byte) {
    try {
        byte = port_.readByte();
        return true;
    } catch (const std::runtime_error&) {
        // Nothing waiting after all (a notification may count bytes that
        // were already taken): the transfer stays as it was and its
        // watchdog keeps running.
        return false;
    }
}

// Reads and drops up to count waiting bytes; returns how many there were.
int TransferSequence::dropWaiting(int count) {
    std::uint8_t byte = 0;
    int dropped = 0;
    while (dropped < count && tryRead(byte)) {
        ++dropped;
    }
    return dropped;
}

// Drops bytes that came beside the answers of a running transfer. The far
// end sends what was not asked for, so its end is not known to be complete.
void TransferSequence::dropSurplus(int count) {
    if (dropWaiting(count) > 0) {
        surplus_ = true;
    }
}

// Reads and drops whatever waits, announced or not; returns how much.
int TransferSequence::dropAllWaiting() {
    int dropped = 0;
    std::uint8_t byte = 0;
    while (tryRead(byte)) {
        ++dropped;
    }
    return dropped;
}

void TransferSequence::receiveTest(int count) {
    std::uint8_t byte = 0;
    for (int i = 0; i < count; ++i) {
        if (!tryRead(byte)) {
            return;
        }
        view_.appendTestLog(std::to_string(byte));
    }
}

void TransferSequence::receiveTableRead(int count) {
    // rxtab holds exactly one image; bytes beyond it are read so the port
    // does not keep them, and dropped.
    const std::int32_t limit = std::min<std::int32_t>(state_.xferlen, kImageSize);
    std::uint8_t byte = 0;
    for (int i = 0; i < count; ++i) {
        if (!tryRead(byte)) {
            break;
        }
        if (state_.xferpos >= 0 && state_.xferpos < limit) {
            setGauge(state_.xferlen);
            state_.rxtab[static_cast<std::size_t>(state_.xferpos)] = byte;
            ++state_.xferpos;
        } else {
            surplus_ = true;
        }
    }
    if (state_.xferpos < state_.xferlen) {
        return;
    }
    tabdata_ = state_.rxtab;
    const bool good = view_.Restore64K();
    if (good) {
        showMessage(StatusMessage::msgtabreadok, InfoColour::black);
    } else {
        beep();
        showMessage(StatusMessage::msgtabsum, InfoColour::red);
    }
    view_.showdata();
    closeport(good ? Ending::complete : Ending::unsure);
}

void TransferSequence::receiveTableWrite(int count) {
    std::uint8_t answer = 0;
    if (!tryRead(answer)) {
        return;
    }
    // One answer per chunk: anything beside it is not an answer to the next one.
    dropSurplus(count - 1);
    if (answer != kChunkAnswer) {
        showMessage(StatusMessage::msgtabnak, InfoColour::red);
        return;
    }
    setGauge(state_.xferlen);
    state_.xferpos += kChunkSize;
    if (state_.xferpos < state_.xferlen) {
        transmit(Command::writeString, kChunkSize);
    } else {
        showMessage(StatusMessage::msgtabwritten, InfoColour::black);
        closeport(Ending::complete);
    }
}

void TransferSequence::receiveConfig(int count) {
    std::uint8_t b = 0;
    if (!tryRead(b)) {
        return;
    }
    // The receiver answers each request with exactly one byte. A surplus
    // byte left waiting would be taken as the answer to the next request
    // and shift every byte after it, so it is read and dropped here.
    dropSurplus(count - 1);

    if (state_.readmode) {
        if (state_.sysphase) {
            readsysdata(b);
            if (state_.xferpos == 0) {
                transmit(Command::readConfig);
                showPhase(Phase::readConfigData);
            }
        } else {
            setGauge(kConfigReadGaugeDivisor);
            if (!storeAnswer(b)) {
                return;
            }
            if (state_.xferpos < kConfigAnswers) {
                transmit(Command::readConfig);
            } else {
                finishConfigRead();
            }
        }
    } else if (state_.writemode) {
        if (state_.sysphase) {
            readsysdata(b);
            if (state_.xferpos == 0) {
                transmit(Command::writeConfig);
                showPhase(Phase::writeConfigData);
            }
        } else if (state_.xferpos >= 0 && state_.xferpos < kConfigProgrammed &&
                   b == sentConf_[static_cast<std::size_t>(state_.xferpos)]) {
            setGauge(kConfigWriteGaugeDivisor);
            ++state_.xferpos;
            if (state_.xferpos < kConfigProgrammed) {
                transmit(Command::writeConfig);
            } else {
                finishConfigWrite();
            }
        }
        // A wrong echo sends nothing: the watchdog ends the run.
    } else if (state_.verifymode) {
        setGauge(kConfigReadGaugeDivisor);
        if (!storeAnswer(b)) {
            return;
        }
        if (state_.xferpos < kConfigAnswers) {
            transmit(Command::readConfig);
        } else {
            finishVerify();
        }
    }
}

// rxdata[xferpos] := b, xferpos += 1; refuses a position outside rxdata.
bool TransferSequence::storeAnswer(std::uint8_t b) {
    if (state_.xferpos < 0 || state_.xferpos >= static_cast<std::int32_t>(state_.rxdata.size())) {
        return false;
    }
    state_.rxdata[static_cast<std::size_t>(state_.xferpos)] = b;
    ++state_.xferpos;
    return true;
}

void TransferSequence::readsysdata(std::uint8_t b) {
    setGauge(kSystemGaugeDivisor);
    if (!storeAnswer(b)) {
        return;
    }
    if (state_.xferpos < kSysDataSize) {
        transmit(Command::readSystem);
        return;
    }
    view_.clearSystemListing();
    for (int i = 0; i < kSysDataSize; ++i) {
        sysdata_[static_cast<std::size_t>(i)] = state_.rxdata[static_cast<std::size_t>(i)];
        view_.appendSystemListing(systemListingLine(i, sysdata_[static_cast<std::size_t>(i)]));
    }
    state_.sysphase = false;
    view_.setGaugeValue(0);
    state_.xferpos = 0;
}

// Returns whether the checksum was right.
bool TransferSequence::showChecksumVerdict(StatusMessage good) {
    if (configChecksum(confdata_) == confdata_[conf::kChecksum]) {
        showMessage(good, InfoColour::black);
        return true;
    }
    // A failed verdict is red with a beep, like every failure.
    beep();
    showMessage(StatusMessage::msgconfsum, InfoColour::red);
    return false;
}

void TransferSequence::finishConfigRead() {
    std::copy(state_.rxdata.begin(), state_.rxdata.end(), confdata_.begin());
    const bool good = showChecksumVerdict(StatusMessage::msgconfreadok);
    view_.showdata();
    closeport(good ? Ending::complete : Ending::unsure);
}

void TransferSequence::finishConfigWrite() {
    showMessage(StatusMessage::msgconfwritten, InfoColour::black);
    // Keep what was programmed, so that a failed read-back can be undone.
    std::copy_n(sentConf_.begin(), conf::kBlockSize, confdata_.begin() + conf::kVerifyCopy);
    view_.setInfoColour(InfoColour::black);
    state_.writemode = false;
    state_.verifymode = true;
    state_.xferpos = 0;
    view_.setGaugeValue(0);
    transmit(Command::readConfig);
    showPhase(Phase::verifyConfigData);
}

void TransferSequence::finishVerify() {
    std::copy(state_.rxdata.begin(), state_.rxdata.end(), confdata_.begin());
    const auto programmed = confdata_.begin() + conf::kVerifyCopy;
    bool good = false;
    if (!std::equal(confdata_.begin(), confdata_.begin() + kVerifiedBytes, programmed)) {
        std::copy_n(programmed, conf::kBlockSize, confdata_.begin());
        beep();
        showMessage(StatusMessage::msgverifyfail, InfoColour::red);
    } else {
        good = showChecksumVerdict(StatusMessage::msgverifyok);
    }
    view_.showdata();
    closeport(good ? Ending::complete : Ending::unsure);
}

// ---- display -------------------------------------------------------------

void TransferSequence::setGauge(int divisor) {
    view_.setGaugeValue(gaugePercent(state_.xferpos, divisor));
}

void TransferSequence::showPhase(Phase phase) {
    view_.setInfoText(phaseText(phase));
}

// A failure in red with a beep, each named message told to the view. A
// programming run that ended after it began writing adds that the receiver
// may now hold partly written data.
void TransferSequence::reportFailure(std::string text, std::initializer_list<StatusMessage> shown,
                                     bool partial) {
    if (partial) {
        text += statusText(StatusMessage::msgpartial);
    }
    view_.setInfoText(text);
    view_.setInfoColour(InfoColour::red);
    for (const StatusMessage message : shown) {
        view_.statusShown(message);
    }
    if (partial) {
        view_.statusShown(StatusMessage::msgpartial);
    }
    beep();
}

void TransferSequence::showMessage(StatusMessage message, InfoColour colour) {
    view_.setInfoColour(colour);
    view_.setInfoText(statusText(message));
    view_.statusShown(message);
}

}  // namespace tovrix
