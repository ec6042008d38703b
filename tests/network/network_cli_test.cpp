// tovrix-cli through Debian's ser2net in front of receiver emulators, on
// loopback only, and against servers that misbehave.
#include "cli/clibench.h"
#include "ser2net.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

namespace tovrix::network::test {
namespace {

using cli::test::CliBench;
using cli::test::CliRun;
using cli::test::ReceiverData;
using cli::test::sampleData;
using std::chrono::milliseconds;
using Accepter = Ser2net::Accepter;

#define SKIP_WITHOUT_SER2NET()                                                              \
    if (Ser2net::program().empty()) {                                                       \
        GTEST_SKIP() << "ser2net is not installed (scripts/install-deps test installs it)"; \
    }

bool contains(const CliRun& run, const std::string& text) {
    return (run.out + run.err).find(text) != std::string::npos;
}

// Points COM n's link at a network port name instead of the emulator.
void linkCom(const CliBench& bench, int n, const std::string& name) {
    const std::string link = bench.folder() + "/tovrix/ports/com" + std::to_string(n);
    std::filesystem::remove(link);
    std::filesystem::create_symlink(name, link);
}

struct TransferCase {
    const char* name;
    Accepter accepter;
    const char* address;
    std::vector<std::string> args;  // FILE stands for the file, OUT for the output
    std::string expected;
};

class OverSer2net : public testing::TestWithParam<TransferCase> {};

TEST_P(OverSer2net, TransfersAsOnALocalPort) {
    SKIP_WITHOUT_SER2NET();
    const TransferCase& c = GetParam();
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, {"--fast"}, sampleData(3)));
    Ser2net server(bench.folder(), bench.receiver(1).device(), c.accepter, c.address);
    if (!server.started() && std::string(c.address) == "::1") {
        GTEST_SKIP() << "ser2net cannot listen on ::1 here (no IPv6 loopback)";
    }
    ASSERT_TRUE(server.started());
    // The file differs from the receiver in both parts; 255 is all over the table.
    const ReceiverData file = sampleData(7);
    bench.writeFile(bench.path("file.tvx"), file);
    std::vector<std::string> args{"-p", server.name()};
    for (const std::string& arg : c.args) {
        args.push_back(arg == "FILE" ? bench.path("file.tvx")
                                     : (arg == "OUT" ? bench.path("out.tvx") : arg));
    }
    const CliRun run = bench.run(args);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(contains(run, c.expected)) << run.out << run.err;
    if (c.args[0] == "write") {
        EXPECT_TRUE(cli::test::programmedAs(*bench.state(1), file));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, OverSer2net,
    testing::Values(
        TransferCase{"rfc2217_read", Accepter::Rfc2217, "127.0.0.1", {"read", "OUT"}, "saved "},
        TransferCase{"rfc2217_write",
                     Accepter::Rfc2217,
                     "127.0.0.1",
                     {"write", "FILE"},
                     "table read, the same as in the file"},
        TransferCase{"rfc2217_ipv6_info", Accepter::Rfc2217, "::1", {"info"}, "firmware 1.03"},
        TransferCase{"raw_read", Accepter::Raw, "127.0.0.1", {"read", "OUT"}, "saved "},
        TransferCase{"raw_write",
                     Accepter::Raw,
                     "127.0.0.1",
                     {"write", "FILE"},
                     "table read, the same as in the file"}),
    [](const testing::TestParamInfo<TransferCase>& info) { return std::string(info.param.name); });

TEST(OverSer2net, VerifyFindsTheSameAndTheDifferentData) {
    SKIP_WITHOUT_SER2NET();
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, {"--fast"}, sampleData(3)));
    Ser2net server(bench.folder(), bench.receiver(1).device(), Accepter::Rfc2217);
    ASSERT_TRUE(server.started());
    bench.writeFile(bench.path("same.tvx"), sampleData(3));
    bench.writeFile(bench.path("other.tvx"), sampleData(4));
    CliRun run = bench.run({"-p", server.name(), "verify", bench.path("same.tvx")});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    run = bench.run({"-p", server.name(), "verify", bench.path("other.tvx")});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
}

TEST(OverSer2net, ProgramsFourReceiversWithOneCommand) {
    SKIP_WITHOUT_SER2NET();
    CliBench bench;
    std::vector<std::unique_ptr<Ser2net>> servers;
    for (int com = 1; com <= 4; ++com) {
        ASSERT_TRUE(bench.addReceiver(com, {"--fast"}, sampleData(static_cast<std::uint8_t>(com))));
        servers.push_back(
            std::make_unique<Ser2net>(bench.folder(), bench.receiver(com).device(),
                                      com % 2 == 0 ? Accepter::Raw : Accepter::Rfc2217));
        ASSERT_TRUE(servers.back()->started());
    }
    // Two through COM links that hold the network names, two named directly.
    linkCom(bench, 1, servers[0]->name());
    linkCom(bench, 2, servers[1]->name());
    const ReceiverData file = sampleData(9);
    bench.writeFile(bench.path("file.tvx"), file);
    const CliRun run = bench.run({"-p", "COM1", "-p", "COM2", "-p", servers[2]->name(), "-p",
                                  servers[3]->name(), "write", bench.path("file.tvx")});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    for (int com = 1; com <= 4; ++com) {
        EXPECT_TRUE(cli::test::programmedAs(*bench.state(com), file)) << "COM" << com;
    }
    EXPECT_TRUE(contains(run, "COM1: ")) << run.out;
}

// The port listing names the COM numbers that stand for network ports.
TEST(NetworkPortNames, PortsListsNetworkAssignments) {
    CliBench bench;
    std::filesystem::create_directories(bench.folder() + "/tovrix/ports");
    linkCom(bench, 3, "rfc2217://[::1]:4001");
    const CliRun run = bench.run({"ports"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run, "COM3: network port rfc2217://[::1]:4001\n")) << run.out;
    EXPECT_FALSE(contains(run, "COM1: network port")) << run.out;
}

TEST(OverSer2net, ServerKilledMidWriteIsALostConnection) {
    SKIP_WITHOUT_SER2NET();
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, {}, sampleData(3)));  // paced: the write takes seconds
    Ser2net server(bench.folder(), bench.receiver(1).device(), Accepter::Rfc2217);
    ASSERT_TRUE(server.started());
    linkCom(bench, 1, server.name());
    bench.writeFile(bench.path("file.tvx"), sampleData(5));
    auto cli = bench.start({"-p", "COM1", "write", "--table", bench.path("file.tvx")});
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (bench.frames(1).size() < 20 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(milliseconds(20));
    }
    ASSERT_GE(bench.frames(1).size(), 20U);
    server.kill();
    // The hang-up ends the run, not the watchdog: the message says which.
    const std::optional<int> status = cli->waitExit(milliseconds(20000));
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 4);
    const std::string output = cli->standardOutput() + cli->errorOutput();
    EXPECT_NE(output.find("connection lost"), std::string::npos) << output;
    EXPECT_NE(output.find("COM1"), std::string::npos) << output;
}

struct FailureCase {
    const char* name;
    std::function<std::string(CliBench&)> port;  // the -p value (may start a server)
    std::string expected;
};

class NetworkFailure : public testing::TestWithParam<FailureCase> {};

// Every failure ends the run with the open-failure status and says why.
TEST_P(NetworkFailure, EndsWithTheOpenFailureStatus) {
    const FailureCase& c = GetParam();
    CliBench bench;
    const std::string port = c.port(bench);
    if (port == "ser2net-missing") {
        GTEST_SKIP() << "ser2net is not installed (scripts/install-deps test installs it)";
    }
    const CliRun run = bench.run({"-p", port, "info"});
    EXPECT_EQ(run.status, 3) << run.out << run.err;
    EXPECT_TRUE(contains(run, c.expected)) << run.out << run.err;
}

std::string fakeServer(FakeServer::Behaviour behaviour) {
    // One server per behaviour for the whole program, as tests run one by one.
    static std::map<FakeServer::Behaviour, std::unique_ptr<FakeServer>> servers;
    auto& server = servers[behaviour];
    if (!server) {
        server = std::make_unique<FakeServer>(behaviour);
    }
    return "rfc2217://127.0.0.1:" + std::to_string(server->port());
}

INSTANTIATE_TEST_SUITE_P(
    Cli, NetworkFailure,
    testing::Values(
        FailureCase{"refused",
                    [](CliBench&) {
                        static ClosedPort closed;
                        return "socket://127.0.0.1:" + std::to_string(closed.port());
                    },
                    "connection refused"},
        FailureCase{"no_answer",
                    [](CliBench&) {
                        static ClosedPort full(true);
                        return "rfc2217://127.0.0.1:" + std::to_string(full.port());
                    },
                    "no answer (time-out)"},
        FailureCase{"malformed", [](CliBench&) { return "rfc2217://bad host:1"; }, "unknown host"},
        FailureCase{"garbage", [](CliBench&) { return fakeServer(FakeServer::Behaviour::Garbage); },
                    "does not speak RFC 2217"},
        FailureCase{"endless_options",
                    [](CliBench&) { return fakeServer(FakeServer::Behaviour::EndlessOptions); },
                    "does not speak RFC 2217"},
        FailureCase{"open_subnegotiation",
                    [](CliBench&) { return fakeServer(FakeServer::Behaviour::OpenSubnegotiation); },
                    "did not answer the line settings"},
        FailureCase{"refused_rate",
                    [](CliBench&) { return fakeServer(FakeServer::Behaviour::RefusesRate); },
                    "the server refused the baud rate (19200, set 9600)"},
        // A raw stream is not Telnet: the port must say so, not hang.
        FailureCase{"raw_server_as_rfc2217",
                    [](CliBench& bench) {
                        static std::unique_ptr<Ser2net> server;
                        if (Ser2net::program().empty() ||
                            !bench.addReceiver(1, {"--fast"}, sampleData(1))) {
                            return std::string("ser2net-missing");
                        }
                        server = std::make_unique<Ser2net>(
                            bench.folder(), bench.receiver(1).device(), Accepter::Raw);
                        return "rfc2217://127.0.0.1:" + std::to_string(server->port());
                    },
                    "does not speak RFC 2217"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrix::network::test
