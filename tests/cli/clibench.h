#pragma once

#include "config/confblock.h"
#include "receiver/receiverprocess.h"
#include "table/image.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovrix::cli::test {

using receiver::test::Bytes;

// What a receiver holds (its --state file).
struct ReceiverData {
    ConfData conf{};
    TabData image{};
};

// A receiver's data as a window-made file holds it: a corrected block with
// its checksum and an image the grid holds unchanged; seeds give different data.
ReceiverData sampleData(std::uint8_t seed);

// Whether a receiver's state holds what programming the file puts there.
bool programmedAs(const ReceiverData& state, const ReceiverData& file);

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Emulators on COM links in a private config folder, and the command-line
// program run against them with that folder.
class CliBench {
  public:
    CliBench();

    const std::string& folder() const { return home_.path(); }
    std::string path(const std::string& name) const { return home_.path() + "/" + name; }

    // Starts an emulator linked as COM n, holding data; false if it did not come up.
    bool addReceiver(int com, const std::vector<std::string>& options, const ReceiverData& data);
    receiver::test::ReceiverProcess& receiver(int com) { return *receivers_.at(com); }

    // Runs tovrix-cli to its end.
    CliRun run(const std::vector<std::string>& args);
    // Starts it and leaves it running.
    std::unique_ptr<receiver::test::ReceiverProcess> start(const std::vector<std::string>& args);

    // The frames the emulator on COM n acted on, in order.
    std::vector<Bytes> frames(int com) const { return logged(com, "rx"); }
    // The bytes of every event of one kind in its log ("drop": a frame cut
    // off by silence on the line), in order.
    std::vector<Bytes> logged(int com, const std::string& kind) const;
    // Its state file as it stands.
    std::optional<ReceiverData> state(int com) const;

    // Writes a configuration file.
    void writeFile(const std::string& path, const ReceiverData& data) const;

  private:
    receiver::test::TempDir home_;
    std::map<int, std::unique_ptr<receiver::test::ReceiverProcess>> receivers_;
};

}  // namespace tovrix::cli::test
