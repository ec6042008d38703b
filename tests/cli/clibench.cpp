#include "clibench.h"

#include "config/configfileio.h"
#include "serial/portnames.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tovrix::cli::test {

using receiver::test::ReceiverProcess;
using std::chrono::milliseconds;

CliBench::CliBench() {
    std::filesystem::create_directories(home_.path() + "/tovrix/ports");
}

bool CliBench::addReceiver(int com, const std::vector<std::string>& options,
                           const ReceiverData& data) {
    const std::string n = std::to_string(com);
    writeFile(path("receiver" + n + ".tvx"), data);
    std::vector<std::string> args{"--com",   n,
                                  "--state", path("receiver" + n + ".tvx"),
                                  "--log",   path("receiver" + n + ".log")};
    args.insert(args.end(), options.begin(), options.end());
    auto process = std::make_unique<ReceiverProcess>(args, home_.path());
    const bool ready = process->waitReady();
    receivers_[com] = std::move(process);
    return ready;
}

std::unique_ptr<ReceiverProcess> CliBench::start(const std::vector<std::string>& args) {
    return std::make_unique<ReceiverProcess>(TOVRIX_CLI_PATH, args, home_.path());
}

CliRun CliBench::run(const std::vector<std::string>& args) {
    const std::unique_ptr<ReceiverProcess> process = start(args);
    CliRun result;
    // Only a hang is caught here: the slowest run (a paced table stream) takes seconds.
    result.status = process->waitExit(milliseconds(60000)).value_or(-1);
    result.out = process->standardOutput();
    result.err = process->errorOutput();
    return result;
}

std::vector<Bytes> CliBench::frames(int com) const {
    std::vector<Bytes> frames;
    std::ifstream in(path("receiver" + std::to_string(com) + ".log"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        double ms = 0;
        std::string kind;
        words >> ms >> kind;
        if (kind != "rx") {
            continue;
        }
        Bytes bytes;
        int value = 0;
        while (words >> value) {
            bytes.push_back(static_cast<std::uint8_t>(value));
        }
        frames.push_back(bytes);
    }
    return frames;
}

std::optional<ReceiverData> CliBench::state(int com) const {
    ReceiverData data;
    if (loadConfigurationFile(path("receiver" + std::to_string(com) + ".tvx"), data.conf,
                              data.image) != FileLoadResult::loaded) {
        return std::nullopt;
    }
    return data;
}

void CliBench::writeFile(const std::string& file, const ReceiverData& data) const {
    saveConfigurationFile(file, data.conf, data.image, 1, "1.03");
}

}  // namespace tovrix::cli::test
