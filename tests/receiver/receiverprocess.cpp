#include "receiverprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tovrix::receiver::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Appends what the pipe has; false once it is closed.
bool drain(int fd, std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            text.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            return false;
        } else {
            return errno == EAGAIN || errno == EINTR;
        }
    }
}

int exitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tovrix-receiver-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

ReceiverProcess::ReceiverProcess(const std::vector<std::string>& args,
                                 const std::string& configHome)
    : ReceiverProcess(TOVRIX_RECEIVER_PATH, args, configHome) {}

ReceiverProcess::ReceiverProcess(const std::string& program, const std::vector<std::string>& args,
                                 const std::string& configHome) {
    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string_view(*e).starts_with("XDG_CONFIG_HOME=")) {
            continue;
        }
        env.emplace_back(*e);
    }
    env.push_back("XDG_CONFIG_HOME=" + configHome);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const int result = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
    fcntl(out_, F_SETFL, O_NONBLOCK);
    fcntl(err_, F_SETFL, O_NONBLOCK);
    if (result != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argvText[0]);
    }
}

ReceiverProcess::~ReceiverProcess() {
    if (pid_ > 0 && !status_) {
        if (!stop(SIGTERM, milliseconds(3000))) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ::close(out_);
    ::close(err_);
}

bool ReceiverProcess::waitReady(milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        if (const std::size_t end = outText_.find('\n'); end != std::string::npos) {
            readyLine_ = outText_.substr(0, end);
            std::istringstream words(readyLine_);
            std::string ready;
            std::string com;
            words >> ready >> com >> device_ >> link_;
            return ready == "ready" && !link_.empty();
        }
        pollfd fd{out_, POLLIN, 0};
        if (::poll(&fd, 1, remainingMs(deadline)) <= 0 || !drain(out_, outText_)) {
            if (outText_.find('\n') == std::string::npos) {
                return false;
            }
        }
    }
}

std::optional<int> ReceiverProcess::waitExit(milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (!status_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            status_ = exitCode(status);
            break;
        }
        if (Clock::now() >= deadline) {
            break;
        }
        // Keep the pipes flowing so the program never blocks on them.
        drain(err_, errText_);
        drain(out_, outText_);
        std::this_thread::sleep_for(milliseconds(5));
    }
    return status_;
}

std::optional<int> ReceiverProcess::stop(int signal, milliseconds timeout) {
    if (!status_) {
        ::kill(pid_, signal);
    }
    return waitExit(timeout);
}

bool ReceiverProcess::pause(milliseconds duration) {
    if (status_ || ::kill(pid_, SIGSTOP) != 0) {
        return false;
    }
    // The pause counts from the moment every thread stands still.
    int status = 0;
    pid_t done = -1;
    do {
        done = waitpid(pid_, &status, WUNTRACED);
    } while (done < 0 && errno == EINTR);
    if (done != pid_ || !WIFSTOPPED(status)) {
        if (done == pid_) {
            status_ = exitCode(status);
        }
        return false;
    }
    std::this_thread::sleep_for(duration);
    ::kill(pid_, SIGCONT);
    return true;
}

std::string ReceiverProcess::errorOutput() {
    drain(err_, errText_);
    return errText_;
}

std::string ReceiverProcess::standardOutput() {
    drain(out_, outText_);
    return outText_;
}

RawPort::RawPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    termios settings{};
    tcgetattr(fd_, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B19200);
    tcsetattr(fd_, TCSANOW, &settings);
}

RawPort::~RawPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void RawPort::send(const Bytes& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::runtime_error("write to the port failed");
        } else {
            pollfd fd{fd_, POLLOUT, 0};
            ::poll(&fd, 1, 100);
        }
    }
}

Bytes RawPort::receive(std::size_t count, milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    Bytes bytes;
    std::uint8_t buffer[4096];
    while (bytes.size() < count) {
        pollfd fd{fd_, POLLIN, 0};
        if (::poll(&fd, 1, remainingMs(deadline)) <= 0) {
            break;
        }
        const ssize_t got = ::read(fd_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got > 0) {
            bytes.insert(bytes.end(), buffer, buffer + got);
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
            break;
        }
    }
    return bytes;
}

Bytes RawPort::ask(const Bytes& frame, std::size_t count, milliseconds timeout) {
    send(frame);
    return receive(count, timeout);
}

bool RawPort::waitHangUp(milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    do {
        pollfd fd{fd_, POLLIN, 0};
        if (::poll(&fd, 1, remainingMs(deadline)) > 0) {
            if ((fd.revents & (POLLHUP | POLLERR)) != 0) {
                return true;
            }
            std::uint8_t byte;
            const ssize_t got = ::read(fd_, &byte, 1);
            if (got == 0 || (got < 0 && errno == EIO)) {
                return true;
            }
        }
    } while (Clock::now() < deadline);
    return false;
}

bool isSymlink(const std::string& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

std::string readLinkTarget(const std::string& path) {
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    return error ? std::string() : target.string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tovrix::receiver::test
