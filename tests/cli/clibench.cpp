#include "clibench.h"

#include "cli/inputfile.h"
#include "config/configfileio.h"
#include "serial/portnames.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tovrix::cli::test {

using receiver::test::ReceiverProcess;
using std::chrono::milliseconds;

ReceiverData sampleData(std::uint8_t seed) {
    ReceiverData data;
    data.conf = newFileBlock();
    for (int i = 0; i < conf::kProgrammedSize; ++i) {
        data.conf[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed + 7 * i);
    }
    normaliseConfigBlock(data.conf);
    data.conf = programmedFrom(data.conf);
    TabData raw{};
    for (std::size_t i = 0; i < raw.size(); ++i) {
        raw[i] = static_cast<std::uint8_t>(seed ^ (i * 13));
    }
    data.image = rebuildImage(raw);
    return data;
}

bool programmedAs(const ReceiverData& state, const ReceiverData& file) {
    return std::equal(file.conf.begin(), file.conf.begin() + conf::kProgrammedSize,
                      state.conf.begin()) &&
           state.image == file.image;
}

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

std::vector<Bytes> CliBench::logged(int com, const std::string& kind) const {
    std::vector<Bytes> events;
    std::ifstream in(path("receiver" + std::to_string(com) + ".log"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        double ms = 0;
        std::string word;
        words >> ms >> word;
        if (word != kind) {
            continue;
        }
        Bytes bytes;
        int value = 0;
        while (words >> value) {
            bytes.push_back(static_cast<std::uint8_t>(value));
        }
        events.push_back(bytes);
    }
    return events;
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
