// One-byte request/answer round trips over a pseudo-terminal: through the
// component (receive handler on the user-interface thread -> WriteByte -> far
// end answers -> OnDataRecived) against a minimal poll/read/write loop on the
// same pseudo-terminal, in the same run. Prints p50 and p99 of both.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "serial/comport.h"
#include "serial/portnames.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRoundTrips = 10000;

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[index];
}

// The far end: answers every byte it gets with the byte plus one, until told to stop.
class Echo {
  public:
    explicit Echo(int master) : master_(master), thread_([this] { run(); }) {}
    ~Echo() {
        stop_ = true;
        thread_.join();
    }

  private:
    void run() {
        while (!stop_) {
            pollfd entry{master_, POLLIN, 0};
            if (::poll(&entry, 1, 50) <= 0) {
                continue;
            }
            std::uint8_t buffer[64];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                const std::uint8_t answer = static_cast<std::uint8_t>(buffer[i] + 1);
                [[maybe_unused]] const ssize_t written = ::write(master_, &answer, 1);
            }
        }
    }

    int master_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::vector<double> throughComponent() {
    tovrix::TComPort port("RS232");
    port.SetBaudRate(tovrix::br19200);
    port.SetComNumber(1);
    port.SetInBufSize(8300);
    std::vector<double> samples;
    samples.reserve(kRoundTrips);
    Clock::time_point sentAt;
    std::uint8_t request = 0;
    port.OnDataRecived = [&](tovrix::TCustomSerialPort& sender, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) {
            const std::uint8_t answer = sender.ReadByte();
            if (answer != static_cast<std::uint8_t>(request + 1)) {
                std::fprintf(stderr, "wrong answer\n");
                QCoreApplication::exit(1);
                return;
            }
            samples.push_back(micros(Clock::now() - sentAt));
            if (samples.size() == kRoundTrips) {
                QCoreApplication::quit();
                return;
            }
            ++request;
            sentAt = Clock::now();
            sender.WriteByte(request);
        }
    };
    port.Open();
    sentAt = Clock::now();
    port.WriteByte(request);
    QCoreApplication::exec();
    port.Close();
    return samples;
}

std::vector<double> minimalLoop(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &settings);
    std::vector<double> samples;
    samples.reserve(kRoundTrips);
    std::uint8_t request = 0;
    for (int i = 0; i < kRoundTrips; ++i) {
        const Clock::time_point sentAt = Clock::now();
        [[maybe_unused]] const ssize_t written = ::write(fd, &request, 1);
        std::uint8_t answer = 0;
        for (;;) {
            pollfd entry{fd, POLLIN, 0};
            ::poll(&entry, 1, 1000);
            if (::read(fd, &answer, 1) == 1) {
                break;
            }
        }
        samples.push_back(micros(Clock::now() - sentAt));
        ++request;
    }
    ::close(fd);
    return samples;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = (std::filesystem::temp_directory_path() / "tovrix-bench-XXXXXX").string();
    if (::mkdtemp(dir.data()) == nullptr) {
        return 2;
    }
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    QCoreApplication app(argc, argv);

    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        return 2;
    }
    std::filesystem::create_directories(tovrix::comPortDirectory());
    std::filesystem::create_symlink(name, tovrix::comLinkPath(1));

    std::vector<double> component;
    std::vector<double> minimal;
    {
        const Echo echo(master);
        component = throughComponent();
        minimal = minimalLoop(name);
    }
    ::close(slave);
    ::close(master);
    std::filesystem::remove_all(dir);
    if (component.size() != kRoundTrips || minimal.size() != kRoundTrips) {
        std::fprintf(stderr, "incomplete run\n");
        return 1;
    }

    const double cp50 = percentile(component, 0.50);
    const double cp99 = percentile(component, 0.99);
    const double mp50 = percentile(minimal, 0.50);
    const double mp99 = percentile(minimal, 0.99);
    std::printf("%d one-byte round trips over a pseudo-terminal\n", kRoundTrips);
    std::printf("component     p50 %8.1f us   p99 %8.1f us\n", cp50, cp99);
    std::printf("minimal loop  p50 %8.1f us   p99 %8.1f us\n", mp50, mp99);
    std::printf("ratio         p50 %8.2f      p99 %8.2f\n", cp50 / mp50, cp99 / mp99);
    std::printf("goal: component p50 <= 150 us, p99 <= 1000 us: %s\n",
                cp50 <= 150.0 && cp99 <= 1000.0 ? "met" : "NOT met");
    return 0;
}
