// Fuzzes the Telnet/RFC 2217 decoder with what a hostile server could send:
// it must consume everything in bounded steps, never produce more data than
// it was given, keep its answers within their buffer, and decode the same
// stream to the same data however the stream is cut into pieces.
#include "serial/rfc2217codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Feeds the input in pieces of `piece` bytes; returns the decoded data.
std::vector<std::uint8_t> decodeAll(const std::uint8_t* in, std::size_t n, std::size_t piece) {
    tovrix::Rfc2217Decoder decoder;
    std::uint8_t opening[tovrix::Rfc2217Decoder::kOpeningSize];
    decoder.writeOpening(opening);
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> out(piece);
    std::size_t offset = 0;
    while (offset < n) {
        const std::size_t length = n - offset < piece ? n - offset : piece;
        std::size_t dataCount = 0;
        const std::size_t used = decoder.decode(in + offset, length, out.data(), dataCount);
        if (dataCount > length || used > length || decoder.replyCount() > 256 ||
            (used == 0 && decoder.replyCount() == 0)) {
            std::abort();  // more data than input, or no progress without a reason
        }
        data.insert(data.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(dataCount));
        decoder.clearReplies();
        offset += used;
    }
    return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::vector<std::uint8_t> whole = decodeAll(data, size, size);
    const std::size_t piece = 1 + data[0] % 7;
    if (decodeAll(data, size, piece) != whole) {
        std::abort();
    }
    // Data encoded for the line comes back unchanged.
    std::vector<std::uint8_t> encoded(2 * size);
    std::size_t consumed = 0;
    const std::size_t length =
        tovrix::encodeTelnetData(data, size, encoded.data(), encoded.size(), consumed);
    if (consumed != size ||
        decodeAll(encoded.data(), length, length) != std::vector<std::uint8_t>(data, data + size)) {
        std::abort();
    }
    return 0;
}
