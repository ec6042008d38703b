// tovrix-cli's write (configuration with read-back, table, table read-back)
// against paced receiver emulators: on one receiver, then on four at once
// with one command. Prints each transfer's time against the time its bytes
// need on a 19200 baud line, and the four-port run against the one-port run;
// then the same through Debian's ser2net (RFC 2217, loopback) in front of
// each emulator, where it is installed.
// Usage: cli_bench [runs] (default 3; medians).
#include "cli/clibench.h"
#include "cli/inputfile.h"
#include "network/ser2net.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

namespace {

using namespace tovrix;
using namespace tovrix::cli;
using namespace tovrix::cli::test;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

ReceiverData fileData() {
    ReceiverData data{newFileBlock(), {}};
    for (int i = 0; i < conf::kProgrammedSize; ++i) {
        data.conf[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(5 + 3 * i);
    }
    normaliseConfigBlock(data.conf);
    data.conf = programmedFrom(data.conf);
    TabData raw{};
    for (std::size_t i = 0; i < raw.size(); ++i) {
        raw[i] = static_cast<std::uint8_t>(i * 7);
    }
    data.image = rebuildImage(raw);
    return data;
}

struct Measured {
    double wall = 0;
    std::map<std::string, std::vector<double>> seconds;  // per transfer, every port
    std::map<std::string, double> wire;
};

// One write on `ports` receivers; false when a port failed.
bool measure(CliBench& bench, int ports, const std::string& file, Measured& into) {
    std::vector<std::string> args{"--json", "-q"};
    for (int com = 1; com <= ports; ++com) {
        args.push_back("-p");
        args.push_back("COM" + std::to_string(com));
    }
    args.push_back("write");
    args.push_back(file);
    QElapsedTimer clock;
    clock.start();
    const CliRun run = bench.run(args);
    into.wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    if (run.status != 0) {
        std::fprintf(stderr, "write failed (%d): %s\n", run.status, run.err.c_str());
        return false;
    }
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const QJsonObject port = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        for (const QJsonValue value : port[QStringLiteral("transfers")].toArray()) {
            const QJsonObject transfer = value.toObject();
            const std::string name = transfer[QStringLiteral("transfer")].toString().toStdString();
            into.seconds[name].push_back(transfer[QStringLiteral("seconds")].toDouble());
            into.wire[name] = transfer[QStringLiteral("wire_seconds")].toDouble();
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    CliBench bench;
    const std::string file = bench.path("file.tvx");
    bench.writeFile(file, fileData());
    for (int com = 1; com <= 4; ++com) {
        if (!bench.addReceiver(com, {}, ReceiverData{newFileBlock(), newFileImage()})) {
            std::fprintf(stderr, "the emulator on COM%d did not start\n", com);
            return 1;
        }
    }

    using network::test::Ser2net;
    bool met = true;
    for (const bool network : {false, true}) {
        std::vector<std::unique_ptr<Ser2net>> servers;
        if (network) {
            if (Ser2net::program().empty()) {
                std::printf("ser2net is not installed: no figures through the network\n");
                break;
            }
            for (int com = 1; com <= 4; ++com) {
                servers.push_back(std::make_unique<Ser2net>(
                    bench.folder(), bench.receiver(com).device(), Ser2net::Accepter::Rfc2217));
                const std::string link = bench.path("tovrix/ports/com" + std::to_string(com));
                std::filesystem::remove(link);
                std::filesystem::create_symlink(servers.back()->name(), link);
            }
        }
        const std::string line = network ? "rfc2217" : "local";
        std::map<int, double> wall;
        std::printf("%-8s %-6s %-40s %10s %10s %8s\n", "line", "ports", "transfer", "median s",
                    "wire s", "ratio");
        for (const int ports : {1, 4}) {
            std::vector<double> walls;
            Measured all;
            for (int r = 0; r < runs; ++r) {
                Measured one;
                if (!measure(bench, ports, file, one)) {
                    return 1;
                }
                walls.push_back(one.wall);
                for (auto& [name, seconds] : one.seconds) {
                    all.seconds[name].insert(all.seconds[name].end(), seconds.begin(),
                                             seconds.end());
                }
                all.wire = one.wire;
            }
            for (const auto& [name, seconds] : all.seconds) {
                const double time = median(seconds);
                std::printf("%-8s %-6d %-40s %10.3f %10.3f %8.3f\n", line.c_str(), ports,
                            name.c_str(), time, all.wire[name], time / all.wire[name]);
            }
            wall[ports] = median(walls);
            std::printf("%-8s %-6d %-40s %10.3f\n", line.c_str(), ports,
                        "whole command (wall clock)", wall[ports]);
        }
        std::printf("%s: four receivers at once / one receiver: %.3f (at most 1.15 wanted)\n",
                    line.c_str(), wall[4] / wall[1]);
        met = met && wall[4] / wall[1] <= 1.15;
    }
    return met ? 0 : 1;
}
