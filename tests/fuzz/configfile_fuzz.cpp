// Fuzzes the configuration file loader: no input may crash it, a rejected
// file changes nothing, and every accepted file saves and reloads to the
// same block bytes 0..127 and image bytes.
#include "config/beep.h"
#include "config/configfile.h"
#include "config/textlines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Seeds the loader with a valid file most of the time, so that the fuzzer
// spends its effort on table lines rather than on the first 128 lines.
std::vector<std::string> linesFor(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!text.empty() && text[0] == '!') {
        text.remove_prefix(1);
        tovrix::ConfData conf{};
        tovrix::ImageBytes image{};
        std::vector<std::string> lines = tovrix::buildConfigFile(conf, image, 1, "1.03");
        // Each further line of the input replaces one line of a valid file.
        const std::vector<std::string> edits = tovrix::splitLines(text);
        for (std::size_t i = 0; i + 1 < edits.size(); i += 2) {
            const std::size_t at =
                edits[i].empty() ? 0 : static_cast<unsigned char>(edits[i][0]) * 3U;
            if (at < lines.size())
                lines[at] = edits[i + 1];
        }
        return lines;
    }
    return tovrix::splitLines(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tovrix::setBeepSink({});
    const std::vector<std::string> lines = linesFor(data, size);

    tovrix::ConfData conf;
    conf.fill(0x5A);
    tovrix::ImageBytes image;
    image.fill(0xA5);
    const tovrix::ConfigFileLoad first = tovrix::loadConfigFile(lines, conf, image);
    if (first.error != tovrix::LoadError::None) {
        for (auto b : conf)
            if (b != 0x5A)
                std::abort();
        for (auto b : image)
            if (b != 0xA5)
                std::abort();
        return 0;
    }

    const std::string saved = tovrix::joinLines(tovrix::buildConfigFile(conf, image, 2, "1.03"));
    tovrix::ConfData conf2{};
    tovrix::ImageBytes image2{};
    int beeps = 0;
    tovrix::setBeepSink([&beeps] { ++beeps; });
    const tovrix::ConfigFileLoad second =
        tovrix::loadConfigFile(tovrix::splitLines(saved), conf2, image2);
    tovrix::setBeepSink({});
    if (second.error != tovrix::LoadError::None || beeps != 0 || image2 != image ||
        !std::equal(conf.begin(), conf.begin() + 128, conf2.begin())) {
        std::abort();
    }
    return 0;
}
