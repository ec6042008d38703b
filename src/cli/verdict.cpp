#include "cli/verdict.h"

#include <algorithm>

namespace tovrix::cli {

namespace {

struct TransferWords {
    const char* name;
    StatusMessage success;
    const char* done;
};

TransferWords wordsFor(Transfer transfer) {
    switch (transfer) {
        case Transfer::readConfig:
            return {"configuration read", StatusMessage::msgconfreadok, "configuration read"};
        case Transfer::writeConfig:
            return {"configuration write", StatusMessage::msgverifyok,
                    "configuration programmed and verified by its read-back"};
        case Transfer::readTable:
            return {"table read", StatusMessage::msgtabreadok, "table read"};
        case Transfer::writeTable:
            return {"table write", StatusMessage::msgtabwritten, "table programmed"};
        case Transfer::test:
            return {"test telegram", StatusMessage::msgstart, "test telegram sent"};
        case Transfer::reset:
            return {"reset", StatusMessage::msgresetdone, "receiver reset"};
    }
    return {"transfer", StatusMessage::msgstart, "done"};
}

bool wasShown(const TransferEnd& end, StatusMessage message) {
    return std::find(end.shown.begin(), end.shown.end(), message) != end.shown.end();
}

}  // namespace

const char* transferName(Transfer transfer) {
    return wordsFor(transfer).name;
}

bool programs(Transfer transfer) {
    return transfer == Transfer::writeConfig || transfer == Transfer::writeTable;
}

Verdict judgeTransfer(const TransferEnd& end) {
    const TransferWords words = wordsFor(end.transfer);
    if (!end.opened) {
        return {kPortError, "port-error", end.openFailure};
    }
    if (end.interrupted) {
        return {kCommunication, "interrupted",
                programs(end.transfer) ? std::string("interrupted during the ") + words.name +
                                             "; the receiver may hold partly written data"
                                       : std::string("interrupted during the ") + words.name};
    }
    const std::string partly = wasShown(end, StatusMessage::msgpartial)
                                   ? "; the receiver may hold partly written data"
                                   : "";
    if (end.hungUp) {
        return {kCommunication, "communication-failed",
                "connection lost in " + end.phase + ": the device hung up" + partly};
    }
    if (wasShown(end, StatusMessage::msgnotquiet)) {
        return {kCommunication, "communication-failed",
                std::string("the line did not go quiet before the ") + words.name +
                    "; nothing was sent"};
    }
    // The last message is the verdict; a refused chunk stays the reason even
    // when the watchdog ends the run after it.
    if (!end.shown.empty() && end.shown.back() == words.success) {
        return {kSuccess, "ok", words.done};
    }
    if (wasShown(end, StatusMessage::msgverifyfail)) {
        return {kDiffers, "differs",
                "the configuration read back differs from what was programmed"};
    }
    if (wasShown(end, StatusMessage::msgconfsum)) {
        return {kDiffers, "receiver-error",
                end.transfer == Transfer::writeConfig
                    ? "the configuration read back has a wrong checksum"
                    : "the receiver's configuration has a wrong checksum"};
    }
    if (wasShown(end, StatusMessage::msgtabsum)) {
        return {kDiffers, "receiver-error", "the receiver's table has a wrong checksum"};
    }
    if (wasShown(end, StatusMessage::msgtabnak)) {
        return {kDiffers, "receiver-error",
                "the receiver refused the table chunk at position " + std::to_string(end.count)};
    }
    if (wasShown(end, StatusMessage::msgtimeout)) {
        // A table read asks once for a stream: bytes that came before the
        // silence answered the frame but are no wrong answer, only too few.
        if (end.answeredLastFrame && end.transfer != Transfer::readTable) {
            return {
                kDiffers, "receiver-error",
                "wrong answer in " + end.phase + " at byte " + std::to_string(end.count) + partly};
        }
        if (wasShown(end, StatusMessage::msgnoanswer)) {
            return {kCommunication, "communication-failed",
                    "no answer from the receiver in " + end.phase + partly};
        }
        return {kCommunication, "communication-failed",
                "no answer in " + end.phase + " after " + std::to_string(end.count) + " bytes" +
                    partly};
    }
    if (end.frameRefused) {
        return {kCommunication, "communication-failed", "the port did not take a frame"};
    }
    if (end.transfer == Transfer::test) {
        return {kSuccess, "ok", words.done};
    }
    return {kCommunication, "communication-failed", "the transfer ended without a verdict"};
}

}  // namespace tovrix::cli
