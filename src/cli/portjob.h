#pragma once

#include "cli/clilinkport.h"
#include "cli/comparison.h"
#include "cli/consoleview.h"
#include "cli/portspec.h"
#include "cli/verdict.h"
#include "link/qtlinktimer.h"
#include "link/transfersequence.h"
#include "serial/comport.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tovrix::cli {

// One transfer of a job and what its result is compared with.
struct Step {
    Transfer transfer = Transfer::readConfig;
    // configuration, table: compare with the expected data;
    // receiverAnswers: the transfer only shows that a receiver answers, so
    // its success (or a wrong checksum) adds nothing to the verdict.
    enum class Check { none, configuration, table, receiverAnswers } check = Check::none;
};

// Time and bytes of one transfer, for the figures.
struct TransferFigure {
    Transfer transfer = Transfer::readConfig;
    double seconds = 0;
    std::uint64_t bytesOut = 0;
    std::uint64_t bytesIn = 0;
};

// Where a running transfer stands.
struct JobProgress {
    std::string phase;  // phase text, quotation marks included
    int done = 0;       // bytes handled in the phase
    int total = 0;      // bytes the phase handles (0: not counted, the test)
    int percent = 0;    // the window's gauge
};

// The data a job starts from and compares with.
struct JobData {
    ConfData confdata{};
    TabData tabdata{};
    ConfData expectedBlock{};  // Check::configuration: bytes 0..99
    TabData expectedImage{};   // Check::table
    std::array<std::string, 4> testTexts;
};

// One receiver: its own port component and transfer sequence, running a
// list of transfers one after the other in the program's event loop. A job
// never touches another; everything it meets ends in its own verdict.
class PortJob {
  public:
    PortJob(PortSpec port, std::vector<Step> steps, const JobData& data, bool stopOnDifference);
    ~PortJob();
    PortJob(const PortJob&) = delete;
    PortJob& operator=(const PortJob&) = delete;

    std::function<void(const JobProgress&)> onProgress;
    std::function<void()> onFinished;

    void start();
    // Ctrl+C: no new frame goes out; a programming run is ended through the
    // watchdog's failure path, which sends the end command.
    void interrupt();

    bool finished() const { return finished_; }
    const PortSpec& port() const { return spec_; }
    // The worst verdict of the transfers (success when all went well).
    const Verdict& verdict() const { return verdict_; }
    const std::vector<TransferFigure>& figures() const { return figures_; }
    const std::vector<Difference>& differences() const { return differences_; }
    double seconds() const { return seconds_; }
    // What was read (as the window holds it after the transfers).
    const ConfData& confdata() const { return confdata_; }
    const TabData& tabdata() const { return tabdata_; }
    const SysData& sysdata() const { return sysdata_; }
    // Whether each part was read successfully.
    bool configRead() const { return configRead_; }
    bool tableRead() const { return tableRead_; }
    const std::vector<std::string>& systemListing() const { return view_.systemListing(); }
    const std::vector<std::string>& testLog() const { return view_.testLog(); }
    // The test fields' texts the telegram was sent with.
    const std::array<std::string, 4>& testTexts() const { return data_.testTexts; }

  private:
    template <typename Call>
    void handle(Call&& call);
    void startStep();
    void afterHandler();
    bool transferEnded() const;
    void endStep();
    void checkAgainstExpected(const Step& step, Verdict& verdict);
    void record(const Verdict& verdict);
    void settleThen(std::function<void()> next);
    void settleCheck();
    void finish();
    void hungUp();
    void watchdogExpired();
    std::optional<JobProgress> progress() const;

    PortSpec spec_;
    std::vector<Step> steps_;
    JobData data_;
    bool stopOnDifference_;

    ConfData confdata_;
    TabData tabdata_;
    SysData sysdata_{};
    TComPort port_;
    CliLinkPort link_;
    QObject anchor_;  // context of the timers and queued calls
    QTimer watchdogTimer_;
    QTimer resetTimer_;
    QTimer quietTimer_;
    QtLinkTimer watchdog_{watchdogTimer_};
    QtLinkTimer reset_{resetTimer_};
    QtLinkTimer quiet_{quietTimer_};
    ConsoleLinkView view_;
    TransferSequence sequence_;

    std::size_t stepIndex_ = 0;
    bool running_ = false;  // a transfer runs (from its starter to its end)
    bool endQueued_ = false;
    bool resetDone_ = false;
    bool frameRefused_ = false;
    bool answeredAtExpiry_ = false;  // the last frame had an answer when the watchdog fired
    bool hungUp_ = false;
    bool interrupted_ = false;
    bool stopped_ = false;  // no further transfer runs
    bool finished_ = false;
    bool configRead_ = false;
    bool tableRead_ = false;
    std::string lastPhase_;
    std::optional<JobProgress> lastProgress_;
    QElapsedTimer clock_;
    QElapsedTimer stepClock_;
    double seconds_ = 0;
    Verdict verdict_{kSuccess, "ok", ""};
    std::vector<TransferFigure> figures_;
    std::vector<Difference> differences_;

    // Waiting for the port's output to leave before the port is restarted
    // or closed.
    QTimer settleDeadline_;
    std::function<void()> afterSettle_;
};

}  // namespace tovrix::cli
