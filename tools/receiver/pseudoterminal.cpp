#include "receiver/pseudoterminal.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace tovrix::receiver {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    try {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0) {
            fail("posix_openpt");
        }
        if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
            fail("unlocking the pseudo-terminal");
        }
        std::array<char, 128> name{};
        if (ptsname_r(master_, name.data(), name.size()) != 0) {
            fail("ptsname");
        }
        slavePath_ = name.data();
        slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0) {
            fail("opening the pseudo-terminal slave");
        }
        termios settings{};
        if (tcgetattr(slave_, &settings) != 0) {
            fail("tcgetattr");
        }
        cfmakeraw(&settings);
        cfsetspeed(&settings, B19200);
        if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
            fail("tcsetattr");
        }
        // The poll loop never blocks on the master.
        if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) {
            fail("fcntl");
        }
        // Watching closes is a help for ordinary users, not a necessity.
        watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (watch_ >= 0 &&
            inotify_add_watch(watch_, slavePath_.c_str(), IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
            ::close(watch_);
            watch_ = -1;
        }
    } catch (...) {
        close();
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() {
    close();
}

void PseudoTerminal::handleCloses() {
    alignas(inotify_event) std::array<char, 4096> buffer;
    bool closed = false;
    while (::read(watch_, buffer.data(), buffer.size()) > 0) {
        closed = true;
    }
    if (closed && slave_ >= 0) {
        ioctl(slave_, TIOCNXCL);
    }
}

void PseudoTerminal::close() {
    for (int* fd : {&watch_, &slave_, &master_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

}  // namespace tovrix::receiver
