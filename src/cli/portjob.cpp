#include "cli/portjob.h"

#include "link/frames.h"
#include "link/linktexts.h"

#include <algorithm>
#include <exception>

namespace tovrix::cli {

namespace {

// After the output has left the component, the driver may still hold a few
// bytes (a UART's FIFO, a USB adapter's latency). Closing discards them, so
// the end command of a programming run would be lost: give them this long.
constexpr int kDriverDrainMs = 20;
// A line held by flow control never drains; the job goes on after this.
constexpr int kSettleLimitMs = 2000;

// The phase a transfer stands in, with the bytes it handles.
std::optional<std::pair<Phase, int>> currentPhase(const TransferState& s) {
    if (s.testmode) {
        return std::pair{Phase::sendTestData, 0};
    }
    if (s.tablemode && s.readmode) {
        return std::pair{Phase::readStringData, kImageSize};
    }
    if (s.tablemode && s.writemode) {
        return std::pair{Phase::writeStringData, kImageSize};
    }
    if (s.sysphase && (s.readmode || s.writemode)) {
        return std::pair{Phase::readSystemData, kSysDataSize};
    }
    if (s.readmode) {
        return std::pair{Phase::readConfigData, conf::kBlockSize};
    }
    if (s.writemode) {
        return std::pair{Phase::writeConfigData, conf::kProgrammedSize};
    }
    if (s.verifymode) {
        return std::pair{Phase::verifyConfigData, conf::kBlockSize};
    }
    return std::nullopt;
}

}  // namespace

PortJob::PortJob(PortSpec port, std::vector<Step> steps, const JobData& data, bool stopOnDifference)
    : spec_(std::move(port)),
      steps_(std::move(steps)),
      data_(data),
      stopOnDifference_(stopOnDifference),
      confdata_(data.confdata),
      tabdata_(data.tabdata),
      port_(spec_.name),
      link_(port_, spec_.comNumber != 0 ? spec_.name + " (" + spec_.device + ")" : spec_.name),
      view_(confdata_, tabdata_),
      sequence_(confdata_, tabdata_, sysdata_, link_, watchdog_, reset_, quiet_, view_) {
    // The line settings of the window's port.
    port_.SetBaudRate(br19200);
    port_.SetInBufSize(8300);
    if (spec_.comNumber != 0) {
        port_.SetComNumber(static_cast<std::uint16_t>(spec_.comNumber));
    } else {
        port_.SetDevicePath(spec_.device);
    }
    view_.setTestFieldTexts(data.testTexts);

    port_.OnDataRecived = [this](TCustomSerialPort&, std::int32_t count) {
        handle([&] { sequence_.RS232RxChar(count); });
    };
    port_.OnHangUp = [this](TCustomSerialPort&) { hungUp(); };
    port_.OnOutBufFree = [this](TCustomSerialPort&) { settleCheck(); };
    QObject::connect(&watchdogTimer_, &QTimer::timeout, &anchor_, [this] { watchdogExpired(); });
    QObject::connect(&quietTimer_, &QTimer::timeout, &anchor_,
                     [this] { handle([&] { sequence_.quietTimerTimer(); }); });
    QObject::connect(&resetTimer_, &QTimer::timeout, &anchor_, [this] {
        resetDone_ = true;
        handle([&] { sequence_.resettimerTimer(); });
    });
    settleDeadline_.setSingleShot(true);
    QObject::connect(&settleDeadline_, &QTimer::timeout, &anchor_, [this] {
        if (afterSettle_) {
            QTimer::singleShot(0, &anchor_, std::exchange(afterSettle_, nullptr));
        }
    });
}

PortJob::~PortJob() {
    port_.OnDataRecived = nullptr;
    port_.OnHangUp = nullptr;
    port_.OnOutBufFree = nullptr;
    try {
        port_.Close();
    } catch (const std::exception&) {
        // nothing left to report to
    }
}

void PortJob::start() {
    clock_.start();
    startStep();
}

// Every call into the sequence runs through here. A port write error that
// ends a frame (a full buffer, a port gone, writes held back) leaves the
// transfer to its watchdog, as in the window; it is noted, not shown.
template <typename Call>
void PortJob::handle(Call&& call) {
    try {
        call();
    } catch (const std::exception&) {
        frameRefused_ = true;
    }
    afterHandler();
}

void PortJob::startStep() {
    if (stopped_ || interrupted_ || stepIndex_ >= steps_.size()) {
        if (interrupted_ && stepIndex_ < steps_.size() && !stopped_) {
            TransferEnd end;
            end.transfer = steps_[stepIndex_].transfer;
            end.interrupted = true;
            record(judgeTransfer(end));
        }
        settleThen([this] { finish(); });
        return;
    }
    const Step& step = steps_[stepIndex_];
    view_.clearShown();
    link_.resetCounts();
    frameRefused_ = false;
    answeredAtExpiry_ = false;
    resetDone_ = false;
    endQueued_ = false;
    lastPhase_.clear();
    lastProgress_.reset();
    running_ = true;
    stepClock_.start();
    handle([&] {
        switch (step.transfer) {
            case Transfer::readConfig:
                sequence_.LeseButtonClick();
                break;
            case Transfer::writeConfig:
                sequence_.ProgButtonClick();
                break;
            case Transfer::readTable:
                sequence_.Butread64Click();
                break;
            case Transfer::writeTable:
                sequence_.Butwrite64Click();
                break;
            case Transfer::test:
                sequence_.BTeststringClick();
                break;
            case Transfer::reset:
                sequence_.BresetClick();
                break;
        }
    });
}

bool PortJob::transferEnded() const {
    if (!link_.openFailure().empty()) {
        return true;
    }
    if (steps_[stepIndex_].transfer == Transfer::reset) {
        // Done when its timer has run out, or when it never got as far as
        // sending (a line that did not go quiet).
        return resetDone_ || (!sequence_.transferRunning() && !resetTimer_.isActive());
    }
    return !sequence_.transferRunning();
}

void PortJob::afterHandler() {
    if (!running_) {
        return;
    }
    if (const std::optional<JobProgress> now = progress()) {
        lastPhase_ = now->phase;
        if (onProgress && (!lastProgress_ || lastProgress_->done != now->done ||
                           lastProgress_->phase != now->phase)) {
            onProgress(*now);
        }
        lastProgress_ = now;
    }
    if (transferEnded() && !endQueued_) {
        // Not from inside the port's event: restarting or closing the port
        // there would wait for that very event to finish.
        endQueued_ = true;
        QTimer::singleShot(0, &anchor_, [this] { endStep(); });
    }
}

std::optional<JobProgress> PortJob::progress() const {
    if (steps_[stepIndex_].transfer == Transfer::reset) {
        return JobProgress{phaseText(Phase::resetModule), 0, 0, 0};
    }
    const std::optional<std::pair<Phase, int>> phase = currentPhase(sequence_.state());
    if (!phase || !sequence_.transferRunning()) {
        return std::nullopt;
    }
    return JobProgress{phaseText(phase->first), sequence_.state().xferpos, phase->second,
                       view_.gauge()};
}

void PortJob::watchdogExpired() {
    // Taken before the failure path sends its end command.
    answeredAtExpiry_ = link_.answeredLastFrame();
    // An interrupted run sends its end command through the failure path.
    link_.holdWrites(false);
    handle([&] { sequence_.Timer1Timer(); });
}

void PortJob::hungUp() {
    hungUp_ = true;
    // Nothing more can come: the transfer ends now instead of waiting for
    // the watchdog. From the event loop, as the sequence closes the port,
    // which it cannot do inside the event that reports the hang-up.
    if (running_ && sequence_.transferRunning()) {
        QTimer::singleShot(0, &anchor_, [this] { handle([&] { sequence_.connectionLost(); }); });
    }
}

void PortJob::interrupt() {
    if (finished_ || interrupted_) {
        return;
    }
    interrupted_ = true;
    if (!running_ || !sequence_.transferRunning()) {
        return;  // between transfers or in a reset: no further transfer starts
    }
    if (!sequence_.state().sendend) {
        // Nothing to close on the receiver's side: end at once.
        watchdogTimer_.stop();
        watchdogExpired();
        return;
    }
    // A programming run: queued bytes are discarded and no new frame goes
    // out; the answer to the frame on the line may still come. The watchdog
    // then ends the run as it ends a run that lost its receiver, with the
    // end command.
    link_.holdWrites(true);
    try {
        link_.clearOutput();
    } catch (const std::exception&) {
        // the port is gone; the watchdog still ends the run
    }
    watchdogTimer_.start(static_cast<int>(kAnswerWatchdog.count()));
}

void PortJob::endStep() {
    running_ = false;
    const Step& step = steps_[stepIndex_];
    TransferEnd end;
    end.transfer = step.transfer;
    end.opened = link_.openFailure().empty();
    end.openFailure = link_.openFailure();
    end.shown = view_.shown();
    end.answeredLastFrame = answeredAtExpiry_;
    end.hungUp = hungUp_;
    end.interrupted = interrupted_;
    end.frameRefused = frameRefused_;
    end.phase = lastPhase_.empty() ? phaseText(Phase::readSystemData) : lastPhase_;
    end.count = sequence_.state().xferpos;
    Verdict verdict = judgeTransfer(end);
    if (end.opened) {
        figures_.push_back(
            {step.transfer, stepClock_.nsecsElapsed() / 1e9, link_.bytesOut(), link_.bytesIn()});
    }
    // A wrong checksum still leaves the data read, as in the window.
    const bool dataArrived = verdict.status == kSuccess || verdict.result == "receiver-error";
    if (dataArrived && step.transfer == Transfer::readConfig &&
        std::find(end.shown.begin(), end.shown.end(), StatusMessage::msgtimeout) ==
            end.shown.end()) {
        configRead_ = true;
    }
    if (dataArrived && step.transfer == Transfer::readTable &&
        std::find(end.shown.begin(), end.shown.end(), StatusMessage::msgtimeout) ==
            end.shown.end()) {
        tableRead_ = true;
    }
    const bool answered = verdict.status == kSuccess || verdict.status == kDiffers;
    if (step.check == Step::Check::receiverAnswers && answered) {
        ++stepIndex_;
        settleThen([this] { startStep(); });
        return;
    }
    if (verdict.status == kSuccess && step.check != Step::Check::none) {
        checkAgainstExpected(step, verdict);
    }
    record(verdict);
    if (verdict.status >= kPortError || (verdict.status != kSuccess && stopOnDifference_)) {
        stopped_ = true;
    }
    ++stepIndex_;
    settleThen([this] { startStep(); });
}

void PortJob::checkAgainstExpected(const Step& step, Verdict& verdict) {
    std::vector<Difference> found;
    if (step.check == Step::Check::configuration) {
        found = differingBytes("configuration", programmedBlock(data_.expectedBlock),
                               programmedBlock(confdata_));
    } else if (step.check == Step::Check::table) {
        found = differingBytes("table", data_.expectedImage, tabdata_);
    }
    if (found.empty()) {
        verdict.message += ", the same as in the file";
        return;
    }
    verdict = {kDiffers, "differs",
               std::string(found.front().part == "table" ? "table" : "configuration") + ": " +
                   describeDifferences(found, 8)};
    differences_.insert(differences_.end(), found.begin(), found.end());
}

// The job's verdict is its worst transfer's; among equals the first tells
// what went wrong, and a success names everything done.
void PortJob::record(const Verdict& verdict) {
    if (verdict.status == kSuccess && verdict_.status == kSuccess) {
        verdict_.message += (verdict_.message.empty() ? "" : "; ") + verdict.message;
    } else if (verdict.status > verdict_.status) {
        verdict_ = verdict;
    }
}

void PortJob::settleThen(std::function<void()> next) {
    afterSettle_ = std::move(next);
    settleDeadline_.start(kSettleLimitMs);
    settleCheck();
}

void PortJob::settleCheck() {
    if (!afterSettle_) {
        return;
    }
    const bool empty =
        !port_.IsOpen() || port_.HungUp() || port_.OutputFree() >= port_.OutBufSize();
    if (!empty) {
        return;  // OnOutBufFree or the deadline comes back here
    }
    settleDeadline_.stop();
    QTimer::singleShot(port_.IsOpen() && !port_.HungUp() ? kDriverDrainMs : 0, &anchor_,
                       std::exchange(afterSettle_, nullptr));
}

void PortJob::finish() {
    try {
        port_.Close();
    } catch (const std::exception&) {
        // closing never fails in a way that changes the verdict
    }
    seconds_ = clock_.nsecsElapsed() / 1e9;
    finished_ = true;
    if (onFinished) {
        onFinished();
    }
}

}  // namespace tovrix::cli
