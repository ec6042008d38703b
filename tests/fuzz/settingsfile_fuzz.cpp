// Fuzzes the settings file reader: no input may crash it, and whatever it
// reads, written back by the writer, reads again to the same values with
// every field present.
#include "app/settingsfile.h"
#include "config/textlines.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tovrix::SettingsRead read = tovrix::parseSettingsFile(tovrix::splitLines(text));

    if (read.language && *read.language != "deutsch" && *read.language != "english") {
        std::abort();
    }
    // Reading stops at the first bad line, so a later value never comes
    // without the earlier ones.
    if ((read.directory && !read.language) || (read.port && !read.directory)) {
        std::abort();
    }

    tovrix::SettingsState state;
    state.language = read.language.value_or(state.language);
    state.directory = read.directory.value_or("/");
    state.port = read.port.value_or(state.port);
    state.baudCode = read.baudCode.value_or(state.baudCode);
    state.lockoutTime = read.lockoutTime.value_or(state.lockoutTime);
    state.mainLeft = read.mainLeft.value_or(state.mainLeft);
    state.mainTop = read.mainTop.value_or(state.mainTop);
    state.helpLeft = read.helpLeft.value_or(state.helpLeft);
    state.helpTop = read.helpTop.value_or(state.helpTop);

    const std::vector<std::string> written = tovrix::buildSettingsFile(state);
    if (written.size() != static_cast<std::size_t>(tovrix::kSettingsLineCount)) {
        std::abort();
    }
    const tovrix::SettingsRead again =
        tovrix::parseSettingsFile(tovrix::splitLines(tovrix::joinLines(written)));
    const tovrix::SettingsRead expected{state.language, state.directory,   state.port,
                                        state.baudCode, state.lockoutTime, state.mainLeft,
                                        state.mainTop,  state.helpLeft,    state.helpTop};
    if (again != expected) {
        std::abort();
    }
    return 0;
}
