// tovrix-cli held still at random moments of paced programming runs, the way
// a busy or swapping machine holds a process: no frame may reach the receiver
// in pieces, and every run must still program and verify the file.
#include "clibench.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <cstdlib>
#include <random>
#include <string>

namespace tovrix::cli::test {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// The receiver drops a frame whose bytes come more than 100 ms apart.
constexpr milliseconds kStall{150};
constexpr int kStalls = 100;
// After a stall the program runs at least this long, so stalls never add up
// to one that outlasts its answer watchdog.
constexpr milliseconds kMinGap{10};
// The next stall comes once the program has used a random amount of CPU time
// up to this, or after a random wait up to kMaxWait if that comes first.
constexpr microseconds kMaxCpu{2000};
constexpr milliseconds kMaxWait{300};

timespec toTimespec(std::chrono::nanoseconds time) {
    return {static_cast<time_t>(time.count() / 1'000'000'000),
            static_cast<long>(time.count() % 1'000'000'000)};
}

// Wakes this single-threaded test once another process has used a given
// amount of CPU time: a timer on that process's CPU clock, whose signal is
// blocked here and taken with sigtimedwait. A machine holds a process still
// most often while it runs, and a program mostly waits for the line: only a
// moment taken from its own CPU time lands reliably while it sends.
class CpuTimeAlarm {
  public:
    explicit CpuTimeAlarm(pid_t pid) {
        sigemptyset(&signal_);
        sigaddset(&signal_, SIGRTMIN);
        pthread_sigmask(SIG_BLOCK, &signal_, &previousMask_);
        clockid_t clock{};
        sigevent event{};
        event.sigev_notify = SIGEV_SIGNAL;
        event.sigev_signo = SIGRTMIN;
        created_ =
            clock_getcpuclockid(pid, &clock) == 0 && timer_create(clock, &event, &timer_) == 0;
    }
    ~CpuTimeAlarm() {
        if (created_) {
            timer_delete(timer_);
        }
        drain();
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    }
    CpuTimeAlarm(const CpuTimeAlarm&) = delete;
    CpuTimeAlarm& operator=(const CpuTimeAlarm&) = delete;

    bool created() const { return created_; }

    // Returns once the process has used `budget` more CPU time, or after
    // `limit`, whichever comes first.
    void wait(microseconds budget, milliseconds limit) {
        itimerspec alarm{};
        alarm.it_value = toTimespec(std::max(budget, microseconds(1)));
        timer_settime(timer_, 0, &alarm, nullptr);
        const timespec timeout = toTimespec(limit);
        sigtimedwait(&signal_, nullptr, &timeout);
        const itimerspec off{};
        timer_settime(timer_, 0, &off, nullptr);
        drain();  // a signal that came after the limit must not end the next wait
    }

  private:
    void drain() {
        const timespec now{};
        while (sigtimedwait(&signal_, nullptr, &now) > 0) {
        }
    }

    sigset_t signal_{};
    sigset_t previousMask_{};
    timer_t timer_{};
    bool created_ = false;
};

// The seed comes from the environment when a failure is to be replayed.
std::uint32_t chooseSeed() {
    if (const char* given = std::getenv("TOVRIX_STALL_SEED")) {
        return static_cast<std::uint32_t>(std::strtoul(given, nullptr, 10));
    }
    return std::random_device{}();
}

TEST(CliStall, StallsOfTheWholeProgramSplitNoFrameAndEveryWriteIsVerified) {
    const std::uint32_t seed = chooseSeed();
    SCOPED_TRACE("TOVRIX_STALL_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> cpu(0, kMaxCpu.count());
    std::uniform_int_distribution<std::int64_t> wait(0, kMaxWait.count());

    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, {}, sampleData(1)));  // paced at the line rate
    // Each run programs the other file, so every run changes the receiver.
    const ReceiverData files[] = {sampleData(2), sampleData(3)};
    const std::string paths[] = {bench.path("a.tvx"), bench.path("b.tvx")};
    for (int i = 0; i < 2; ++i) {
        bench.writeFile(paths[i], files[i]);
    }

    int stalls = 0;
    for (int runs = 1; stalls < kStalls; ++runs) {
        const ReceiverData& file = files[runs % 2];
        const auto cli = bench.start({"-q", "write", paths[runs % 2]});
        {
            CpuTimeAlarm alarm(cli->pid());
            ASSERT_TRUE(alarm.created());
            // waitExit also keeps the program's output pipes drained.
            while (stalls < kStalls && !cli->waitExit(kMinGap)) {
                alarm.wait(microseconds(cpu(random)), milliseconds(wait(random)));
                if (!cli->pause(kStall)) {
                    break;
                }
                ++stalls;
            }
        }
        // Only a hang is caught here: a paced write with its read-back takes seconds.
        const std::optional<int> status = cli->waitExit(milliseconds(60000));
        ASSERT_EQ(status, std::optional<int>(0))
            << "run " << runs << ", " << stalls << " stalls so far, "
            << bench.logged(1, "drop").size() << " frames dropped\n"
            << cli->standardOutput() << cli->errorOutput();
        // The receiver stored its data at the end command, before the read-back.
        const std::optional<ReceiverData> state = bench.state(1);
        ASSERT_TRUE(state);
        EXPECT_TRUE(programmedAs(*state, file)) << "run " << runs;
    }
    EXPECT_EQ(bench.logged(1, "drop").size(), 0u) << "frames split on the line";
}

}  // namespace
}  // namespace tovrix::cli::test
