// Start-up benchmark of the real program: how long from process start until
// the window is idle (start-up step done, focus on the first button), and
// the peak resident memory at that moment.
//
//   startup_bench PATH-TO-tovrix [RUNS]
//
// Each run starts the program in a fresh empty folder with its own COM
// configuration, waits for the "idle" line it prints when
// TOVRIX_STARTUP_REPORT=quit is set, and lets it end. The display is the
// caller's: run it under Xvfb for the real window system, or with
// QT_QPA_PLATFORM=offscreen.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kIdleBudgetMs = 300.0;
constexpr long kMemoryBudgetKb = 80L * 1024;

struct Run {
    double idleMs = 0;
    long peakRssKb = -1;
    bool ok = false;
};

Run runOnce(const std::string& program) {
    Run run;
    char pattern[] = "/tmp/tovrix-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return run;
    }
    const std::filesystem::path folder(pattern);

    int out[2];
    if (pipe(out) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, pattern);

    std::vector<std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0 &&
            std::strncmp(*e, "TOVRIX_STARTUP_REPORT=", 22) != 0) {
            variables.emplace_back(*e);
        }
    }
    variables.push_back("XDG_CONFIG_HOME=" + folder.string());
    variables.emplace_back("TOVRIX_STARTUP_REPORT=quit");
    std::vector<char*> envp;
    for (std::string& v : variables) {
        envp.push_back(v.data());
    }
    envp.push_back(nullptr);
    std::string argument = program;
    char* argv[] = {argument.data(), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }

    std::string line;
    char ch = 0;
    while (read(out[0], &ch, 1) == 1 && ch != '\n') {
        line.push_back(ch);
    }
    const auto idle = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::filesystem::remove_all(folder);

    const auto at = line.find("peak_rss_kb=");
    if (line.rfind("idle ", 0) != 0 || at == std::string::npos) {
        return run;
    }
    run.idleMs = std::chrono::duration<double, std::milli>(idle - start).count();
    run.peakRssKb = std::atol(line.c_str() + at + 12);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-tovrix [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    // The program starts in its own folder: name it absolutely.
    const std::string program = std::filesystem::absolute(argv[1]).string();
    std::vector<double> times;
    long worstRss = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(program);
        if (!run.ok) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        times.push_back(run.idleMs);
        worstRss = std::max(worstRss, run.peakRssKb);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "start to idle over %d runs: min %.1f ms, median %.1f ms, max %.1f ms "
        "(budget %.0f ms)\n",
        runs, times.front(), median, times.back(), kIdleBudgetMs);
    std::printf("peak resident memory: %.1f MB (budget %.0f MB)\n", worstRss / 1024.0,
                kMemoryBudgetKb / 1024.0);
    const bool within = times.back() <= kIdleBudgetMs && worstRss <= kMemoryBudgetKb;
    std::printf("%s\n", within ? "within budget" : "OVER BUDGET");
    return within ? 0 : 3;
}
