// Fuzzes decode followed by encode of the table image: the rebuilt image must
// reproduce bytes 3..20 of every line record and the test value and pause
// unit, write markers, zeros and filler as computed, and carry a fresh checksum.
#include "table/image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tovrix::TabData input;
    input.fill(0);
    std::memcpy(input.data(), data, size < input.size() ? size : input.size());

    const tovrix::DecodedImage decoded = tovrix::decodeImage(input);
    if (decoded.checksumOk != (tovrix::imageChecksum(input) == input[8191])) {
        std::abort();
    }
    tovrix::TableSettings settings = decoded.settings;
    settings.rowVariable = static_cast<std::uint8_t>(1 + input[8161] % 3);
    const tovrix::TabData rebuilt = tovrix::encodeImage(decoded.cells, settings);

    for (int n = 0; n < tovrix::kTableLines; ++n) {
        const int r = n * 24;
        for (int i = 3; i <= 20; ++i) {
            if (rebuilt[r + i] != input[r + i])
                std::abort();
        }
        const bool endFirst = (input[r + 3] & 0x80) != 0 && input[r + 5] == 0;
        if (rebuilt[r] != (endFirst ? 0 : 1) || rebuilt[r + 1] != 0 || rebuilt[r + 2] != 0 ||
            rebuilt[r + 21] != 0 || rebuilt[r + 22] != 0 || rebuilt[r + 23] != 0) {
            std::abort();
        }
    }
    for (int i = 6144; i < 8191; ++i) {
        const bool trailer = i >= 8160 && i <= 8162;
        if (!trailer && rebuilt[i] != 255)
            std::abort();
    }
    if (rebuilt[8160] != input[8160] || rebuilt[8162] != input[8162] ||
        rebuilt[8161] != settings.rowVariable || rebuilt[8191] != tovrix::imageChecksum(rebuilt) ||
        !tovrix::decodeImage(rebuilt).checksumOk) {
        std::abort();
    }
    return 0;
}
