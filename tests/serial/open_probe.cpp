// Opens COM1 (a pseudo-terminal) with only a given number of descriptors left
// below the process's limit, and says on standard output what happened. Run
// by comport_resources_test.cpp, one process per limit, because the limit is
// the whole process's.
//
//   serial_open_probe <spare descriptors>
//
// Exit status: 0 the port opened and carried a byte each way; 1 the open was
// refused with the open error; 2 anything else (the output says what). Either
// way the probe then lifts the limit again and checks that nothing was left
// open and that the port opens and works.

#include <dirent.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "pty_helpers.h"
#include "serial/comport.h"
#include "serial/errnomap.h"

namespace {

using namespace tovrix;

// A close (or a failed open, which closes what it had opened) that takes
// longer than this has hung.
constexpr double kCloseLimitMs = 1000;
constexpr int kExchangeTimeoutMs = 10000;

std::set<int> openDescriptors() {
    std::set<int> fds;
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr) {
        return fds;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            fds.insert(std::atoi(entry->d_name));
        }
    }
    fds.erase(::dirfd(dir));
    ::closedir(dir);
    return fds;
}

// Lowers the soft limit so that exactly `spare` descriptor numbers are free
// below it; returns the limits as they were.
rlimit limitSpareDescriptors(int spare) {
    const std::set<int> used = openDescriptors();
    int limit = 0;
    for (int free = 0; free < spare; ++limit) {
        if (used.count(limit) == 0) {
            ++free;
        }
    }
    rlimit previous{};
    ::getrlimit(RLIMIT_NOFILE, &previous);
    rlimit lowered = previous;
    lowered.rlim_cur = static_cast<rlim_t>(limit);
    ::setrlimit(RLIMIT_NOFILE, &lowered);
    return previous;
}

// Sends a byte each way; empty when both arrived, else what went wrong.
std::string exchange(TComPort& port, test::PtyPair& pty, int& received) {
    received = 0;
    port.WriteByte('A');
    if (pty.readMaster(1, kExchangeTimeoutMs) != std::vector<std::uint8_t>{'A'}) {
        return "the byte sent never reached the far end";
    }
    pty.writeMaster('B');
    if (!test::pumpUntil([&] { return received == 1; }, kExchangeTimeoutMs)) {
        return "the byte from the far end was never reported";
    }
    return {};
}

// Closes the port; empty when it was prompt.
std::string timedClose(TComPort& port) {
    const double start = test::nowMs();
    port.Close();
    const double took = test::nowMs() - start;
    if (took > kCloseLimitMs) {
        return "close took " + std::to_string(took) + " ms";
    }
    return {};
}

int fault(const std::string& what) {
    std::printf("fault: %s\n", what.c_str());
    return 2;
}

// Returns the exit status (see the top of the file).
int probe(int spare) {
    test::PtyPair pty;
    pty.linkAs(1);
    TComPort port("RS232");
    port.SetComNumber(1);
    int received = 0;
    port.OnDataRecived = [&](TCustomSerialPort& sender, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) {
            received += sender.ReadByte() == 'B' ? 1 : 100;
        }
    };
    const std::set<int> before = openDescriptors();

    const rlimit previous = limitSpareDescriptors(spare);
    const auto liftLimit = [&] { ::setrlimit(RLIMIT_NOFILE, &previous); };
    int status = 0;
    const double start = test::nowMs();
    try {
        port.Open();
        const std::string failed = exchange(port, pty, received);
        const std::string slow = timedClose(port);
        liftLimit();
        if (!failed.empty() || !slow.empty()) {
            return fault("opened, but " + failed + slow);
        }
        std::printf("opened and worked\n");
    } catch (const EComPortCoreError& error) {
        const double took = test::nowMs() - start;
        liftLimit();
        std::printf("refused: %s (%s, errno %d)\n", error.what(),
                    portFailureText(error.Cause()).c_str(), error.Errno());
        if (error.Cause() != PortFailure::Other || error.Errno() != EMFILE) {
            return fault("the error does not carry the cause and errno");
        }
        if (took > kCloseLimitMs) {
            return fault("the refused open took " + std::to_string(took) + " ms");
        }
        status = 1;
    }

    if (openDescriptors() != before) {
        return fault("descriptors were left open");
    }
    // With descriptors to spare again, the same port opens and works.
    port.Open();
    const std::string failed = exchange(port, pty, received);
    const std::string slow = timedClose(port);
    if (!failed.empty() || !slow.empty()) {
        return fault("afterwards " + failed + slow);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: serial_open_probe <spare descriptors>\n");
        return 2;
    }
    std::string home = (std::filesystem::temp_directory_path() / "tovrix-probe-XXXXXX").string();
    if (::mkdtemp(home.data()) == nullptr) {
        return fault("no temporary folder");
    }
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    int status = 2;
    {
        QCoreApplication app(argc, argv);
        status = probe(std::atoi(argv[1]));
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return status;
}
