#include "link/frames.h"

#include <stdexcept>

namespace tovrix {

namespace {

std::uint8_t lowByte(int value) {
    return static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFFu);
}

}  // namespace

Frame buildFrame(Command command, std::int32_t position, int count, const FrameSources& sources) {
    const std::uint8_t a = addressByte(position);
    const std::uint8_t ah = addressHighByte(position);
    Frame frame;
    // Room for a table chunk, the longest usual frame, from the start. This
    // also keeps GCC 12 at -O3 from misreading the inserts into a one-byte
    // vector as copies out of bounds.
    frame.bytes.reserve(4 + kChunkSize);
    frame.bytes.push_back(static_cast<std::uint8_t>(command));
    frame.watchdog = kAnswerWatchdog;
    switch (command) {
        case Command::writeConfig:
            frame.bytes.insert(frame.bytes.end(), {a, sources.confdata[a]});
            break;
        case Command::writeString: {
            frame.bytes.insert(frame.bytes.end(), {ah, a, lowByte(count)});
            // The image address is the 16-bit position the receiver sees.
            const int start = ah * 256 + a;
            if (count < 0 || start + count > kImageSize) {
                throw std::out_of_range("table chunk reaches past the image");
            }
            frame.bytes.insert(frame.bytes.end(), sources.tabdata.begin() + start,
                               sources.tabdata.begin() + start + count);
            break;
        }
        case Command::readConfig:
            frame.bytes.push_back(a);
            break;
        case Command::readString:
            frame.bytes.insert(frame.bytes.end(), {ah, a, lowByte(count >> 8), lowByte(count)});
            frame.watchdog = kStreamWatchdog;
            break;
        case Command::readSystem:
            frame.bytes.push_back(a);
            // The reset address makes the receiver restart without answering.
            if (a == kResetAddress) {
                frame.watchdog.reset();
            }
            break;
        case Command::sendTest:
            frame.bytes.insert(frame.bytes.end(), sources.testBytes.begin(),
                               sources.testBytes.end());
            frame.watchdog = kTestWatchdog;
            break;
        case Command::end:
            frame.bytes.push_back(static_cast<std::uint8_t>(Command::end));
            frame.watchdog.reset();
            break;
    }
    return frame;
}

}  // namespace tovrix
