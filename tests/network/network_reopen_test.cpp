// Closing and opening a port again at once (what every transfer start does)
// through Debian's ser2net on loopback and on a local pseudo-terminal: a
// connection that is up is kept, everything else behaves as a close and an
// open, and a connection that is gone or a link that points elsewhere is
// made afresh.
#include "ser2net.h"
#include "serial/comport.h"
#include "serial/pty_helpers.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tovrix::network::test {
namespace {

using tovrix::test::linkComTo;
using tovrix::test::PtyPair;
using tovrix::test::pumpUntil;
using Accepter = Ser2net::Accepter;

constexpr int kHangLimitMs = 10000;

#define SKIP_WITHOUT_SER2NET()                                                              \
    if (Ser2net::program().empty()) {                                                       \
        GTEST_SKIP() << "ser2net is not installed (scripts/install-deps test installs it)"; \
    }

// The local port of the connection behind a port's descriptor: it changes
// with every new connection. 0 for a descriptor that is no socket.
int localPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return address.ss_family == AF_INET ? ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port)
                                        : 0;
}

// A serial line as COM n: a pseudo-terminal, either opened directly or
// served by ser2net.
struct Line {
    Line(int com, const std::string& folder, std::optional<Accepter> accepter) {
        if (accepter) {
            server = std::make_unique<Ser2net>(folder, pty.slavePath(), *accepter);
            linkComTo(com, server->name());
        } else {
            pty.linkAs(com);
        }
    }
    bool ready() const { return !server || server->started(); }

    PtyPair pty;
    std::unique_ptr<Ser2net> server;
};

class Port {
  public:
    explicit Port(int com) : port_("RS232") {
        port_.SetBaudRate(br19200);
        port_.SetComNumber(static_cast<std::uint16_t>(com));
        port_.OnPortOpen = [this](TCustomSerialPort&) { events_.push_back("open"); };
        port_.OnPortClose = [this](TCustomSerialPort&) { events_.push_back("close"); };
        port_.OnDataRecived = [this](TCustomSerialPort& sender, std::int32_t count) {
            for (std::int32_t i = 0; i < count; ++i) {
                received_.push_back(sender.ReadByte());
            }
        };
    }
    TComPort& operator*() { return port_; }
    TComPort* operator->() { return &port_; }
    std::vector<std::string>& events() { return events_; }
    std::vector<std::uint8_t>& received() { return received_; }

    // One byte each way: to the far end of `line`, and back.
    bool exchanges(const Line& line, std::uint8_t out, std::uint8_t back) {
        received_.clear();
        port_.WriteByte(out);
        if (line.pty.readMaster(1, kHangLimitMs) != std::vector<std::uint8_t>{out}) {
            return false;
        }
        line.pty.writeMaster(back);
        return pumpUntil([&] { return !received_.empty(); }, kHangLimitMs) &&
               received_ == std::vector<std::uint8_t>{back};
    }

  private:
    TComPort port_;
    std::vector<std::string> events_;
    std::vector<std::uint8_t> received_;
};

struct ReopenCase {
    const char* name;
    std::optional<Accepter> accepter;  // none: the pseudo-terminal itself
};

void PrintTo(const ReopenCase& c, std::ostream* out) {
    *out << c.name;
}

class Reopen : public testing::TestWithParam<ReopenCase> {};

// A reopen is a close and an open to everything above the device: both
// events, the unread input gone, the line usable; only a connection that is
// up survives it.
TEST_P(Reopen, IsACloseAndAnOpenThatKeepsALiveConnection) {
    const ReopenCase& c = GetParam();
    if (c.accepter) {
        SKIP_WITHOUT_SER2NET();
    }
    const QTemporaryDir temporary;  // the servers' configurations
    const std::string folder = temporary.path().toStdString();
    const Line line(1, folder, c.accepter);
    ASSERT_TRUE(line.ready());
    Port port(1);
    port->Open();
    ASSERT_TRUE(port.exchanges(line, 1, 2));
    const int connection = localPort(port->PortHandle());

    // An answer that nobody read before the reopen is not taken for one after it.
    port->OnDataRecived = nullptr;
    line.pty.writeMaster(0x55);
    ASSERT_TRUE(pumpUntil([&] { return port->InputCount() > 0; }, kHangLimitMs));
    port.events().clear();
    port->Reopen();
    EXPECT_EQ(port.events(), (std::vector<std::string>{"close", "open"}));
    EXPECT_TRUE(port->IsOpen());
    EXPECT_EQ(port->InputCount(), 0);

    port->OnDataRecived = [&port](TCustomSerialPort& sender, std::int32_t count) {
        for (std::int32_t i = 0; i < count; ++i) {
            port.received().push_back(sender.ReadByte());
        }
    };
    EXPECT_TRUE(port.exchanges(line, 0xFF, 0xFF));  // 255 is doubled both ways on RFC 2217
    if (c.accepter) {
        EXPECT_EQ(localPort(port->PortHandle()), connection) << "the connection was made again";
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, Reopen,
                         testing::Values(ReopenCase{"PseudoTerminal", std::nullopt},
                                         ReopenCase{"Rfc2217", Accepter::Rfc2217},
                                         ReopenCase{"Raw", Accepter::Raw}),
                         [](const auto& info) { return std::string(info.param.name); });

// A connection the server dropped (another client took the line over) is
// made again by the next reopen, and so is one whose COM link now points at
// another server: a kept connection must never talk to the wrong line.
TEST(Reopen, ConnectsAfreshWhenTheConnectionIsGoneOrTheLinkMoved) {
    SKIP_WITHOUT_SER2NET();
    const QTemporaryDir temporary;  // the servers' configurations
    const std::string folder = temporary.path().toStdString();
    const Line first(1, folder, Accepter::Rfc2217);
    const Line second(2, folder, Accepter::Rfc2217);
    ASSERT_TRUE(first.ready() && second.ready());
    Port port(1);
    port->Open();
    ASSERT_TRUE(port.exchanges(first, 3, 4));

    // The server kicks an old user out for a new one (kickolduser).
    const int before = localPort(port->PortHandle());
    {
        const int intruder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(static_cast<std::uint16_t>(first.server->port()));
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(intruder, reinterpret_cast<sockaddr*>(&server), sizeof server), 0);
        EXPECT_TRUE(pumpUntil([&] { return port->HungUp(); }, kHangLimitMs));
        ::close(intruder);
    }
    port->Reopen();
    EXPECT_NE(localPort(port->PortHandle()), before);
    EXPECT_TRUE(port.exchanges(first, 5, 6));

    const std::string firstName = first.server->name();
    linkComTo(1, second.server->name());
    port->Reopen();
    EXPECT_TRUE(port.exchanges(second, 7, 8));
    EXPECT_TRUE(first.pty.readMaster(1, 100).empty());
    linkComTo(1, firstName);
}

}  // namespace
}  // namespace tovrix::network::test
