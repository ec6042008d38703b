// Opening a port when the process is short of descriptors: every open either
// works or is refused with the open error, and nothing hangs or stays behind.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "pty_helpers.h"

extern char** environ;

namespace tovrix {
namespace {

struct ProbeResult {
    int status = -1;  // exit status; -1 when it hung and was killed, -2 when it died of a signal
    std::string output;
};

// Runs the probe with the given number of spare descriptors and waits for it.
ProbeResult runOpenProbe(int spare) {
    // Far beyond what a probe needs on a loaded machine: only a hang gets here.
    constexpr int kHangMs = 30000;
    ProbeResult result;
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string path = TOVRIX_OPEN_PROBE_PATH;
    std::string count = std::to_string(spare);
    char* argv[] = {path.data(), count.data(), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        return result;
    }
    const double end = test::nowMs() + kHangMs;
    bool hung = false;
    for (;;) {
        pollfd entry{out[0], POLLIN, 0};
        const double left = end - test::nowMs();
        if (left <= 0) {
            hung = true;
            break;
        }
        if (::poll(&entry, 1, static_cast<int>(left) + 1) <= 0) {
            continue;
        }
        char buffer[512];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) {
            break;  // the probe closed its output: it has ended
        }
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (hung) {
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!hung) {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    }
    return result;
}

TEST(ComPortResources, EveryOpenShortOfDescriptorsWorksOrIsRefusedAndNothingHangs) {
    int opened = 0;
    int refused = 0;
    for (int spare = 0; spare <= 15; ++spare) {
        const ProbeResult result = runOpenProbe(spare);
        SCOPED_TRACE(std::to_string(spare) + " spare: " + result.output);
        ASSERT_TRUE(result.status == 0 || result.status == 1) << "status " << result.status;
        if (result.status == 1) {
            EXPECT_EQ(opened, 0) << "refused with more descriptors than an open that worked";
            ++refused;
        } else {
            ++opened;
        }
    }
    // The steps run from too few descriptors to enough.
    EXPECT_GT(refused, 0);
    EXPECT_GT(opened, 0);
}

}  // namespace
}  // namespace tovrix
