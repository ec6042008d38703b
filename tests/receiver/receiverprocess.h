#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tovrix::receiver::test {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

// A fresh folder under the system's temporary directory, removed again at
// the end; tests point XDG_CONFIG_HOME at it so their COM links never meet.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The emulator program, started with the given options and its own
// XDG_CONFIG_HOME. The destructor stops it if it still runs.
class ReceiverProcess {
  public:
    ReceiverProcess(const std::vector<std::string>& args, const std::string& configHome);
    // Any other program the same way (the command-line programmer).
    ReceiverProcess(const std::string& program, const std::vector<std::string>& args,
                    const std::string& configHome);
    ~ReceiverProcess();
    ReceiverProcess(const ReceiverProcess&) = delete;
    ReceiverProcess& operator=(const ReceiverProcess&) = delete;

    // Waits for the "ready COM<n> <device> <link>" line; false if the
    // program ended or stayed silent.
    bool waitReady(milliseconds timeout = milliseconds(5000));
    const std::string& readyLine() const { return readyLine_; }
    const std::string& device() const { return device_; }
    const std::string& link() const { return link_; }
    pid_t pid() const { return pid_; }

    // Exit status once the program has ended (128 + n for signal n), or
    // nothing if it still runs after `timeout`.
    std::optional<int> waitExit(milliseconds timeout = milliseconds(5000));
    std::optional<int> stop(int signal, milliseconds timeout = milliseconds(5000));
    // Holds the whole program still for `duration` (SIGSTOP, then SIGCONT),
    // as a busy or swapping machine does; false if it had ended before.
    bool pause(milliseconds duration);
    // What the program wrote to its error output (complete once it ended).
    std::string errorOutput();
    // What it wrote to its standard output after the ready line, if any.
    std::string standardOutput();

  private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::optional<int> status_;
    std::string outText_;
    std::string errText_;
    std::string readyLine_;
    std::string device_;
    std::string link_;
};

// The tool's side of the cable: the linked device opened the way a serial
// port is opened, in raw mode.
class RawPort {
  public:
    explicit RawPort(const std::string& path);
    ~RawPort();
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void send(const Bytes& bytes);
    // Reads until `count` bytes have arrived or `timeout` has passed.
    Bytes receive(std::size_t count, milliseconds timeout = milliseconds(2000));
    // Sends a frame and waits for `count` answer bytes.
    Bytes ask(const Bytes& frame, std::size_t count, milliseconds timeout = milliseconds(2000));
    // True once the far end has gone (hang-up or read error) within `timeout`.
    bool waitHangUp(milliseconds timeout);

  private:
    int fd_ = -1;
};

bool isSymlink(const std::string& path);
std::string readLinkTarget(const std::string& path);
std::string readFile(const std::string& path);

}  // namespace tovrix::receiver::test
