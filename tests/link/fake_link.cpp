#include "fake_link.h"

#include <algorithm>

namespace tovrix::test {

bool ScriptedReceiver::restart() {
    ++restarts;
    if (onRestart) {
        onRestart();
    }
    if (!openable) {
        return false;
    }
    // Closing and opening the port purges both directions; the receiver
    // drops an answer it was still sending.
    partial_.clear();
    line_.clear();
    input_.clear();
    programmed = false;
    return true;
}

// All or nothing, as the port queues a frame.
void ScriptedReceiver::writeFrame(const Bytes& frame) {
    const int end = bytesWritten + static_cast<int>(frame.size());
    if (writesFail || (failWriteAt >= bytesWritten && failWriteAt < end)) {
        failWriteAt = -1;
        throw PortError("Write data error - RS232 ");
    }
    bytesWritten = end;
    const std::size_t framesBefore = frames.size();
    for (const std::uint8_t byte : frame) {
        takeByte(byte);
    }
    if (!partial_.empty() || frames.size() != framesBefore + 1) {
        ++unevenWrites;
    }
}

void ScriptedReceiver::takeByte(std::uint8_t byte) {
    partial_.push_back(byte);
    if (const auto length = frameLength(partial_); length && partial_.size() == *length) {
        frameComplete();
    }
}

std::uint8_t ScriptedReceiver::readByte() {
    if (input_.empty()) {
        throw PortError("Read data error - RS232 ");
    }
    const std::uint8_t byte = input_.front();
    input_.pop_front();
    return byte;
}

void ScriptedReceiver::close() {
    ++closes;
    partial_.clear();
    line_.clear();
    input_.clear();
}

int ScriptedReceiver::deliver(int n) {
    int moved = 0;
    while (moved < n && !line_.empty()) {
        input_.push_back(line_.front());
        line_.pop_front();
        ++moved;
    }
    return moved;
}

int ScriptedReceiver::framesWith(std::uint8_t command) const {
    return static_cast<int>(std::count_if(frames.begin(), frames.end(),
                                          [command](const Bytes& f) { return f[0] == command; }));
}

std::optional<std::size_t> ScriptedReceiver::frameLength(const Bytes& partial) {
    switch (partial[0]) {
        case 20:
            return 3;
        case 21:
            return partial.size() < 4 ? std::nullopt : std::optional<std::size_t>(4 + partial[3]);
        case 22:
        case 24:
        case 29:
            return 2;
        case 23:
        case 25:
            return 5;
        default:
            return 1;  // not a command: taken and ignored
    }
}

void ScriptedReceiver::answer(std::uint8_t byte) {
    line_.push_back(byte);
}

void ScriptedReceiver::frameComplete() {
    Bytes frame;
    frame.swap(partial_);
    frames.push_back(frame);
    if (frame[0] == 29 || (frame[0] == 24 && frame[1] == 254)) {
        return;  // no answer to these
    }
    const int request = requests_++;
    if (answersBeforeSilence >= 0 && request >= answersBeforeSilence) {
        return;
    }
    const int a = frame.size() > 1 ? frame[1] : 0;
    switch (frame[0]) {
        case 20:
            conf[static_cast<std::size_t>(a) % 128] = frame[2];
            programmed = true;
            answer(a == wrongEchoAt ? static_cast<std::uint8_t>(frame[2] ^ 0x55) : frame[2]);
            break;
        case 21: {
            const int address = frame[1] * 256 + frame[2];
            std::copy(frame.begin() + 4, frame.end(), image.begin() + address);
            answer(address == nakChunkAt ? nakValue : 8);
            break;
        }
        case 22: {
            const auto change = readBackChanges.find(a);
            answer(programmed && change != readBackChanges.end()
                       ? change->second
                       : conf[static_cast<std::size_t>(a)]);
            break;
        }
        case 23: {
            const int address = frame[1] * 256 + frame[2];
            const int length = frame[3] * 256 + frame[4];
            for (int i = 0; i < length; ++i) {
                answer(image[static_cast<std::size_t>(address + i)]);
            }
            for (int i = 0; i < extraStreamBytes; ++i) {
                answer(static_cast<std::uint8_t>(0xA0 + i));
            }
            break;
        }
        case 24:
            answer(sys[static_cast<std::size_t>(a) % sys.size()]);
            break;
        case 25:
            for (const std::uint8_t byte : testAnswer) {
                answer(byte);
            }
            break;
        default:
            break;
    }
    if (request == surplusAnswerAt) {
        answer(0xEE);
    }
}

void LinkHarness::settle() {
    if (quiet.running) {
        seq.quietTimerTimer();
    }
    // A quiet interval is looked at once more a moment later (a shorter
    // interval); a look that found bytes started the whole wait again.
    if (quiet.running && quiet.interval < kQuietInterval) {
        seq.quietTimerTimer();
    }
}

void LinkHarness::pump() {
    settle();
    // A notification reports everything waiting; a chunk of zero delivers
    // the whole line at once.
    while (receiver.onLine() > 0) {
        receiver.deliver(chunk > 0 ? chunk : receiver.onLine());
        seq.RS232RxChar(receiver.waiting());
    }
}

void LinkHarness::expire() {
    if (watchdog.running) {
        seq.Timer1Timer();
    }
}

std::array<std::uint8_t, 128> sampleConfig() {
    ConfData block{};
    for (int i = 0; i < 128; ++i) {
        block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    block[conf::kChecksum] = configChecksum(block);
    std::array<std::uint8_t, 128> result{};
    std::copy_n(block.begin(), 128, result.begin());
    return result;
}

TabData sampleImage(std::uint8_t seed) {
    TabData data{};
    for (int i = 0; i < kImageSize; ++i) {
        data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 13 + seed + i / 256);
    }
    data[image::kChecksum] = imageChecksum(data);
    return data;
}

}  // namespace tovrix::test
