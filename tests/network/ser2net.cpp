#include "ser2net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

namespace tovrix::network::test {

namespace {

using namespace std::chrono_literals;

std::set<std::string> socketInodes(pid_t pid) {
    std::set<std::string> inodes;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && target.starts_with("socket:[") && target.ends_with("]")) {
            inodes.insert(target.substr(8, target.size() - 9));
        }
    }
    return inodes;
}

int boundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

int loopbackSocket(bool listening) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (listening && ::listen(fd, 8) != 0)) {
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    return fd;
}

}  // namespace

int listeningPort(pid_t pid, bool ipv6) {
    const std::set<std::string> inodes = socketInodes(pid);
    std::ifstream table(ipv6 ? "/proc/net/tcp6" : "/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode;
        if (state == "0A" && inodes.contains(inode)) {  // 0A: listening
            return static_cast<int>(std::stoul(local.substr(local.find(':') + 1), nullptr, 16));
        }
    }
    return 0;
}

std::string Ser2net::program() {
    for (const char* candidate : {"/usr/sbin/ser2net", "/usr/bin/ser2net"}) {
        if (::access(candidate, X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

Ser2net::Ser2net(const std::string& folder, const std::string& device, Accepter accepter,
                 const std::string& address)
    : accepter_(accepter), address_(address) {
    static std::atomic<int> serial{0};
    const std::string base = folder + "/ser2net-" + std::to_string(::getpid()) + "-" +
                             std::to_string(serial.fetch_add(1));
    const std::string config = base + ".yaml";
    {
        std::ofstream out(config);
        out << "connection: &line\n"
            << "  accepter: " << (accepter == Accepter::Rfc2217 ? "telnet(rfc2217),tcp," : "tcp,")
            << address << ",0\n"
            << "  connector: serialdev," << device << ",19200n81,local\n"
            << "  options:\n"
            << "    kickolduser: true\n"
            // ser2net holds what comes from the line for up to 20 ms by
            // default, to send it in fewer packets; a one-byte answer would
            // wait that long every time.
            << "    chardelay: false\n"
            << "    mdns: false\n";
    }
    const std::string pidFile = base + ".pid";
    const std::string path = program();
    if (path.empty()) {
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        // -n: stay in the foreground, -u: no UUCP lock files.
        ::execl(path.c_str(), path.c_str(), "-n", "-u", "-c", config.c_str(), "-P", pidFile.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const bool ipv6 = address.find(':') != std::string::npos;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (pid_ > 0 && port_ == 0 && std::chrono::steady_clock::now() < end) {
        port_ = listeningPort(pid_, ipv6);
        if (port_ == 0) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;  // it ended: a configuration it did not take
                break;
            }
            ::usleep(10000);
        }
    }
}

Ser2net::~Ser2net() {
    kill();
}

std::string Ser2net::name() const {
    const std::string host =
        address_.find(':') != std::string::npos ? "[" + address_ + "]" : address_;
    return (accepter_ == Accepter::Rfc2217 ? "rfc2217://" : "socket://") + host + ":" +
           std::to_string(port_);
}

void Ser2net::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

FakeServer::FakeServer(Behaviour behaviour) : behaviour_(behaviour) {
    listener_ = loopbackSocket(true);
    port_ = listener_ >= 0 ? boundPort(listener_) : 0;
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
        stopPipe_[0] = stopPipe_[1] = -1;
    }
    thread_ = std::thread([this] { serve(); });
}

FakeServer::~FakeServer() {
    if (stopPipe_[1] >= 0) {
        [[maybe_unused]] const ssize_t ignored = ::write(stopPipe_[1], "x", 1);
    }
    thread_.join();
    for (int fd : {listener_, stopPipe_[0], stopPipe_[1]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void FakeServer::serve() {
    std::vector<int> clients;
    std::mt19937 random(19);
    std::uint8_t option = 0;
    // Only the behaviours that talk on their own wait for room to send.
    const bool streams = behaviour_ == Behaviour::Garbage ||
                         behaviour_ == Behaviour::EndlessOptions ||
                         behaviour_ == Behaviour::OpenSubnegotiation;
    for (;;) {
        std::vector<pollfd> fds{{stopPipe_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (int client : clients) {
            fds.push_back({client, static_cast<short>(POLLIN | (streams ? POLLOUT : 0)), 0});
        }
        if (::poll(fds.data(), fds.size(), 1000) < 0 || fds[0].revents != 0) {
            break;
        }
        if (fds[1].revents != 0) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                ++connections_;
                clients.push_back(client);
                if (behaviour_ == Behaviour::OpenSubnegotiation ||
                    behaviour_ == Behaviour::RefusesRate) {
                    const std::uint8_t accept[] = {255, 253, 44, 255, 250, 44, 107};
                    [[maybe_unused]] const ssize_t ignored = ::send(
                        client, accept, behaviour_ == Behaviour::RefusesRate ? 3 : sizeof accept,
                        MSG_NOSIGNAL);
                }
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            const int client = clients[i - 2];
            if ((fds[i].revents & POLLIN) != 0) {
                std::uint8_t sink[4096];
                const ssize_t got = ::recv(client, sink, sizeof sink, 0);
                if (got == 0) {
                    fds[i].revents = POLLHUP;
                }
                const std::uint8_t setRate[] = {255, 250, 44, 1};
                if (behaviour_ == Behaviour::RefusesRate && got > 0 &&
                    std::search(sink, sink + got, setRate, setRate + 4) != sink + got) {
                    // 9600 baud whatever was asked; the rest as asked for an 8N1 line.
                    const std::uint8_t answers[] = {
                        255, 250, 44,  101, 0,   0,   0x25, 0x80, 255, 240, 255, 250, 44,
                        102, 8,   255, 240, 255, 250, 44,   103,  1,   255, 240, 255, 250,
                        44,  104, 1,   255, 240, 255, 250,  44,   105, 1,   255, 240};
                    [[maybe_unused]] const ssize_t ignored =
                        ::send(client, answers, sizeof answers, MSG_NOSIGNAL);
                }
            }
            if ((fds[i].revents & (POLLHUP | POLLERR)) != 0) {
                ::close(client);
                clients[i - 2] = -1;
                continue;
            }
            if ((fds[i].revents & POLLOUT) == 0) {
                continue;
            }
            std::uint8_t out[510];
            for (std::size_t k = 0; k < sizeof out; k += 3) {
                switch (behaviour_) {
                    case Behaviour::Garbage:
                        out[k] = static_cast<std::uint8_t>(random());
                        out[k + 1] = (k % 9 == 0) ? 255 : static_cast<std::uint8_t>(random());
                        out[k + 2] = static_cast<std::uint8_t>(random());
                        break;
                    case Behaviour::EndlessOptions:
                        // Every verb for every option but the com-port one, round and round.
                        out[k] = 255;
                        out[k + 1] = static_cast<std::uint8_t>(251 + (k / 3) % 4);
                        out[k + 2] = option == 44 ? 45 : option;
                        ++option;
                        break;
                    default:
                        out[k] = out[k + 1] = out[k + 2] =
                            static_cast<std::uint8_t>(random() & 0x7F);
                        break;
                }
            }
            [[maybe_unused]] const ssize_t ignored = ::send(client, out, sizeof out, MSG_NOSIGNAL);
            // At most a few hundred kilobytes a second: hostile, not a flood test.
            ::usleep(2000);
        }
        std::erase(clients, -1);
    }
    for (int client : clients) {
        ::close(client);
    }
}

ClosedPort::ClosedPort(bool full) {
    fd_ = loopbackSocket(false);
    port_ = fd_ >= 0 ? boundPort(fd_) : 0;
    if (full && fd_ >= 0 && ::listen(fd_, 0) == 0) {
        filler_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        [[maybe_unused]] const int ignored =
            ::connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
}

ClosedPort::~ClosedPort() {
    for (int fd : {filler_, fd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

}  // namespace tovrix::network::test
