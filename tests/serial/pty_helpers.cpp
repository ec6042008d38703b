#include "pty_helpers.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "serial/portnames.h"

namespace tovrix::test {

PtyPair::PtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PtyPair::~PtyPair() {
    closeMaster();
    if (slave_ >= 0) {
        ::close(slave_);
    }
}

void PtyPair::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyPair::linkAs(int comNumber) const {
    linkComTo(comNumber, slavePath_);
}

void linkComTo(int comNumber, const std::string& path) {
    namespace fs = std::filesystem;
    fs::create_directories(comPortDirectory());
    const fs::path link = comLinkPath(comNumber);
    std::error_code ignored;
    fs::remove(link, ignored);
    fs::create_symlink(path, link);
}

void PtyPair::writeMaster(const void* data, std::size_t size) const {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(master_, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the pty master failed");
        }
        pollfd entry{master_, POLLOUT, 0};
        ::poll(&entry, 1, 100);
    }
}

std::vector<std::uint8_t> PtyPair::readMaster(std::size_t size, int timeoutMs) const {
    std::vector<std::uint8_t> result;
    const double end = nowMs() + timeoutMs;
    while (result.size() < size) {
        const double left = end - nowMs();
        if (left <= 0) {
            break;
        }
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(left) + 1) <= 0) {
            continue;
        }
        std::uint8_t buffer[4096];
        const std::size_t want = std::min(sizeof buffer, size - result.size());
        const ssize_t n = ::read(master_, buffer, want);
        if (n > 0) {
            result.insert(result.end(), buffer, buffer + n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    return result;
}

bool pumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    const double end = nowMs() + timeoutMs;
    // A ticking timer guarantees that a wait for more events returns.
    QTimer tick;
    tick.start(2);
    while (!pred()) {
        if (nowMs() >= end) {
            return pred();
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pumpFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

double processCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace tovrix::test
