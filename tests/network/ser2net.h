#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace tovrix::network::test {

// Debian's ser2net as the network serial server of the tests: one server
// process per serial line, listening on a loopback address on a port the
// system picks (port 0) and that is read back from the process's own
// sockets, so that parallel tests never race for a port.
class Ser2net {
  public:
    enum class Accepter { Rfc2217, Raw };

    // Where the program is; empty when it is not installed.
    static std::string program();

    // Serves `device` (19200 8N1) on `address` ("127.0.0.1" or "::1"); the
    // configuration goes into `folder`. started() tells whether it listens.
    Ser2net(const std::string& folder, const std::string& device, Accepter accepter,
            const std::string& address = "127.0.0.1");
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    bool started() const { return port_ != 0; }
    int port() const { return port_; }
    // The port's name for the tool: rfc2217://127.0.0.1:PORT or socket://...
    std::string name() const;
    // Ends the server at once (SIGKILL): every connection is cut.
    void kill();

  private:
    pid_t pid_ = -1;
    int port_ = 0;
    Accepter accepter_;
    std::string address_;
};

// The loopback port of a socket that listens there, found among the
// sockets of process `pid`; 0 when it has none (yet).
int listeningPort(pid_t pid, bool ipv6);

// A server of the test's own on 127.0.0.1 that answers every connection
// the same way, for servers that misbehave.
class FakeServer {
  public:
    enum class Behaviour {
        Garbage,             // random bytes, 255 among them, for ever
        EndlessOptions,      // option requests, one after another, for ever
        OpenSubnegotiation,  // accepts the com-port option, then a subnegotiation without end
        RefusesRate,         // accepts the com-port option, answers every rate with 9600
    };
    explicit FakeServer(Behaviour behaviour);
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int port() const { return port_; }
    // Connections it accepted so far.
    int connections() const { return connections_.load(); }

  private:
    void serve();

    Behaviour behaviour_;
    int listener_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// A loopback port that refuses connections: bound (so that nobody else
// takes it) but not listening. Or, when full, one that listens with no room
// in its queue, already taken by a connection of its own: further
// connections are never answered, as from a server that has vanished.
class ClosedPort {
  public:
    explicit ClosedPort(bool full = false);
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;
    int port() const { return port_; }

  private:
    int fd_ = -1;
    int filler_ = -1;
    int port_ = 0;
};

}  // namespace tovrix::network::test
