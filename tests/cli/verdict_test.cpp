#include "cli/verdict.h"

#include <gtest/gtest.h>

namespace tovrix::cli {
namespace {

using SM = StatusMessage;

struct VerdictCase {
    const char* name;
    TransferEnd end;
    int status;
    std::string result;
    std::string message;
};

class Verdicts : public testing::TestWithParam<VerdictCase> {};

TEST_P(Verdicts, FollowWhatTheWindowShowed) {
    const Verdict verdict = judgeTransfer(GetParam().end);
    EXPECT_EQ(verdict.status, GetParam().status);
    EXPECT_EQ(verdict.result, GetParam().result);
    EXPECT_EQ(verdict.message, GetParam().message);
}

TransferEnd end(Transfer transfer, std::vector<SM> shown, int count = 0, bool answered = false) {
    TransferEnd e;
    e.transfer = transfer;
    e.shown = std::move(shown);
    e.count = count;
    e.answeredLastFrame = answered;
    e.phase = "\"write config data\"";
    return e;
}

TransferEnd with(TransferEnd e, void (*change)(TransferEnd&)) {
    change(e);
    return e;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Verdicts,
    testing::Values(
        VerdictCase{"programmed", end(Transfer::writeConfig, {SM::msgconfwritten, SM::msgverifyok}),
                    0, "ok", "configuration programmed and verified by its read-back"},
        // A refused chunk shown on the way and then acknowledged is no verdict.
        VerdictCase{"chunk_retried", end(Transfer::writeTable, {SM::msgtabnak, SM::msgtabwritten}),
                    0, "ok", "table programmed"},
        VerdictCase{"refused",
                    end(Transfer::writeTable, {SM::msgtabnak, SM::msgtimeout}, 1024, true), 1,
                    "receiver-error", "the receiver refused the table chunk at position 1024"},
        VerdictCase{"readback", end(Transfer::writeConfig, {SM::msgconfwritten, SM::msgverifyfail}),
                    1, "differs", "the configuration read back differs from what was programmed"},
        VerdictCase{"checksum", end(Transfer::readTable, {SM::msgtabsum}), 1, "receiver-error",
                    "the receiver's table has a wrong checksum"},
        VerdictCase{"wrong_echo", end(Transfer::writeConfig, {SM::msgtimeout}, 13, true), 1,
                    "receiver-error", "wrong answer in \"write config data\" at byte 13"},
        VerdictCase{"silence", end(Transfer::writeConfig, {SM::msgtimeout}, 13, false), 4,
                    "communication-failed", "no answer in \"write config data\" after 13 bytes"},
        VerdictCase{"hang_up",
                    with(end(Transfer::writeConfig, {SM::msgtimeout}, 13, true),
                         [](TransferEnd& e) { e.hungUp = true; }),
                    4, "communication-failed",
                    "connection lost in \"write config data\": the device hung up"},
        VerdictCase{"interrupted",
                    with(end(Transfer::writeTable, {SM::msgtimeout}),
                         [](TransferEnd& e) { e.interrupted = true; }),
                    4, "interrupted",
                    "interrupted during the table write; the receiver may hold partly written "
                    "data"},
        VerdictCase{"not_opened",
                    with(end(Transfer::reset, {}),
                         [](TransferEnd& e) {
                             e.opened = false;
                             e.openFailure = "cannot open /dev/ttyS0: device not present";
                         }),
                    3, "port-error", "cannot open /dev/ttyS0: device not present"},
        VerdictCase{"test", end(Transfer::test, {}), 0, "ok", "test telegram sent"}),
    [](const testing::TestParamInfo<VerdictCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tovrix::cli
