#include "receiver/statefile.h"

#include "config/textlines.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tovrix::receiver {

namespace fs = std::filesystem;

std::string loadOrCreateStateFile(const std::string& path, int comNumber, ReceiverState& state) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return saveStateFile(path, comNumber, state);
    }
    if (error) {
        return "cannot read " + path + ": " + error.message();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "cannot read " + path + ": " + std::strerror(errno);
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return "cannot read " + path;
    }
    const ConfigFileLoad result = loadStateFile(splitLines(text), state);
    if (result.error != LoadError::None) {
        return path + " is not a usable configuration file: " + loadErrorText(result);
    }
    return {};
}

std::string saveStateFile(const std::string& path, int comNumber, const ReceiverState& state) {
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return "cannot write " + temporary + ": " + std::strerror(errno);
        }
        out << joinLines(stateFileLines(state, comNumber));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return "cannot write " + temporary;
        }
    }
    std::error_code error;
    fs::rename(temporary, path, error);
    if (error) {
        fs::remove(temporary, error);
        return "cannot replace " + path + ": " + error.message();
    }
    return {};
}

}  // namespace tovrix::receiver
