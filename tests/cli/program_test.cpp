// tovrix-cli end to end: the program against receiver emulators on
// pseudo-terminals, every command and every exit status.
#include "cli/inputfile.h"
#include "clibench.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>

namespace tovrix::cli::test {
namespace {

using std::chrono::milliseconds;

// The same receiver data with one table cell changed (line 3, column 1).
ReceiverData otherData(std::uint8_t seed) {
    ReceiverData data = sampleData(seed);
    data.image[3 * 24 + 5] ^= 0x40;
    data.image = rebuildImage(data.image);
    return data;
}

struct ProgramCase;
void PrintTo(const ProgramCase& c, std::ostream* out);

struct ProgramCase {
    const char* name;
    std::vector<std::string> receiverOptions;  // the emulator on COM1
    std::vector<std::string> args;             // FILE, OTHER, BROKEN, MISSING, OUT stand for files
    int status;
    std::string expected;  // in what the program printed
    bool nothingSent = false;
};

void PrintTo(const ProgramCase& c, std::ostream* out) {
    *out << c.name;
}

class Program : public testing::TestWithParam<ProgramCase> {};

TEST_P(Program, EndsWithItsStatusAndSaysWhy) {
    const ProgramCase& c = GetParam();
    CliBench bench;
    const ReceiverData data = sampleData(3);
    ASSERT_TRUE(bench.addReceiver(1, c.receiverOptions, data));
    bench.writeFile(bench.path("file.tvx"), data);
    bench.writeFile(bench.path("other.tvx"), otherData(3));
    {
        std::ifstream in(bench.path("file.tvx"));
        std::ofstream out(bench.path("broken.tvx"));
        std::string line;
        for (int i = 0; std::getline(in, line); ++i) {
            out << (i == 5 ? std::string("x\r") : line) << '\n';
        }
    }
    const std::map<std::string, std::string> files{{"FILE", bench.path("file.tvx")},
                                                   {"OTHER", bench.path("other.tvx")},
                                                   {"BROKEN", bench.path("broken.tvx")},
                                                   {"MISSING", bench.path("missing.tvx")},
                                                   {"OUT", bench.path("out.tvx")}};
    std::vector<std::string> args;
    for (const std::string& arg : c.args) {
        args.push_back(files.contains(arg) ? files.at(arg) : arg);
    }

    const CliRun run = bench.run(args);
    EXPECT_EQ(run.status, c.status) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(c.expected), std::string::npos) << run.out << run.err;
    if (c.nothingSent) {
        EXPECT_TRUE(bench.frames(1).empty());
    }
}

const std::vector<std::string> kFast{"--fast"};

INSTANTIATE_TEST_SUITE_P(
    Cli, Program,
    testing::Values(
        ProgramCase{"info", kFast, {"info"}, 0, "COM1: firmware 1.03\nCOM1:  0:  016   00010000"},
        ProgramCase{"read", kFast, {"read", "OUT"}, 0, "saved "},
        ProgramCase{"write",
                    kFast,
                    {"write", "OTHER"},
                    0,
                    "configuration programmed and verified by its read-back; table programmed; "
                    "table read, the same as in the file"},
        ProgramCase{"verify", kFast, {"verify", "FILE"}, 0, "table read, the same as in the file"},
        ProgramCase{"verify_differs",
                    kFast,
                    {"verify", "OTHER"},
                    1,
                    "COM1: table: 2 bytes differ, the first at 77, 8191"},
        ProgramCase{"test", kFast, {"test", "1", "2", "100"}, 0, "COM1: sent 1 2 100 103"},
        ProgramCase{"reset", kFast, {"reset"}, 0, "COM1: ok: receiver reset"},
        ProgramCase{"diff", kFast, {"diff", "FILE", "OTHER"}, 1, "table line 3, column 1: ", true},
        ProgramCase{"silent",
                    {"--silent"},
                    {"info"},
                    4,
                    "no answer from the receiver in \"read system data\""},
        ProgramCase{"stop_after",
                    {"--fast", "--stop-after", "30"},
                    {"info"},
                    4,
                    "no answer in \"read config data\" after 9 bytes"},
        ProgramCase{"bad_echo",
                    {"--fast", "--bad-echo", "13"},
                    {"write", "--config", "FILE"},
                    1,
                    "wrong answer in \"write config data\" at byte 13"},
        ProgramCase{"refused_chunk",
                    {"--fast", "--nak-chunk", "1024"},
                    {"write", "--table", "FILE"},
                    1,
                    "refused the table chunk at position 1024"},
        ProgramCase{"verify_differ",
                    {"--fast", "--verify-differ", "40"},
                    {"write", "--config", "FILE"},
                    1,
                    "read back differs from what was programmed"},
        ProgramCase{"extra_bytes",
                    {"--fast", "--extra", "5"},
                    {"verify", "--table", "FILE"},
                    0,
                    "the same as in the file"},
        ProgramCase{
            "hang_up", {"--fast", "--hangup-after", "50"}, {"info"}, 4, "the device hung up"},
        ProgramCase{"missing_port", kFast, {"-p", "COM2", "info"}, 3, "device not present"},
        ProgramCase{"not_serial", kFast, {"-p", "/dev/null", "info"}, 3, "not a serial device"},
        ProgramCase{"broken_file", kFast, {"write", "BROKEN"}, 2, "line 6 is not a number", true},
        ProgramCase{"missing_file", kFast, {"verify", "MISSING"}, 2, "cannot read the file", true},
        ProgramCase{
            "port_twice", kFast, {"-p", "COM1", "-p", "com1", "reset"}, 2, "given twice", true},
        ProgramCase{"unknown_command", kFast, {"erase"}, 2, "unknown command 'erase'", true}),
    [](const testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

TEST(Cli, APortInUseIsReportedAndTheOthersCarryOn) {
    CliBench bench;
    const ReceiverData data = sampleData(9);
    ASSERT_TRUE(bench.addReceiver(1, kFast, data));
    ASSERT_TRUE(bench.addReceiver(2, kFast, sampleData(10)));
    // Another program holds COM2 the way the component does.
    const int held = ::open(bench.receiver(2).device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    bench.writeFile(bench.path("file.tvx"), data);

    const CliRun run = bench.run({"-p", "COM1", "-p", "COM2", "verify", bench.path("file.tvx")});
    ::close(held);
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("COM2: cannot open " + bench.receiver(2).device() +
                           ": in use by another program"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("COM1  " + bench.receiver(1).device() + "  ok          0"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("COM2  " + bench.receiver(2).device() + "  port-error  3"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(bench.frames(1).empty());
    EXPECT_TRUE(bench.frames(2).empty());
}

TEST(Cli, FourReceiversAreProgrammedByOneCommandBesideAMissingOne) {
    CliBench bench;
    const ReceiverData file = sampleData(21);
    for (int com = 1; com <= 4; ++com) {
        ASSERT_TRUE(bench.addReceiver(com, kFast, sampleData(static_cast<std::uint8_t>(com))));
    }
    bench.writeFile(bench.path("file.tvx"), file);
    const std::string missing = bench.path("no-such-tty");
    const CliRun run = bench.run({"-p", "COM1", "-p", "COM2", "-p", "COM3", "-p", "COM4", "-p",
                                  missing, "write", bench.path("file.tvx")});
    EXPECT_EQ(run.status, 3) << run.err;
    for (int com = 1; com <= 4; ++com) {
        SCOPED_TRACE(com);
        const std::optional<ReceiverData> state = bench.state(com);
        ASSERT_TRUE(state);
        EXPECT_TRUE(programmedAs(*state, file));
        EXPECT_EQ(bench.frames(com).back(), (Bytes{23, 0, 0, 32, 0}));  // the table read-back
    }
    EXPECT_NE(run.err.find(missing + ": cannot open " + missing + ": device not present"),
              std::string::npos)
        << run.err;

    // read saves one file per port, named after it.
    const CliRun read =
        bench.run({"-p", "COM2", "-p", "COM3", "read", bench.path("out.tvx"), "--table"});
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_TRUE(std::filesystem::exists(bench.path("out-COM2.tvx")));
    EXPECT_TRUE(std::filesystem::exists(bench.path("out-COM3.tvx")));
}

TEST(Cli, UnsolicitedBytesNeverPassForSuccessWithWrongData) {
    // A paced table write lasts seconds; the emulator slips its bytes in
    // whenever its output is nearly idle, between a chunk and its answer.
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, {"--garbage"}, sampleData(1)));
    const ReceiverData file = sampleData(2);
    bench.writeFile(bench.path("file.tvx"), file);
    const CliRun run = bench.run({"-q", "write", "--table", bench.path("file.tvx")});
    ASSERT_TRUE(run.status == 0 || run.status == 1) << run.err;
    if (run.status == 0) {
        EXPECT_TRUE(programmedAs(*bench.state(1), ReceiverData{sampleData(1).conf, file.image}));
    } else {
        EXPECT_NE(run.err.find("COM1: the receiver refused the table chunk"), std::string::npos)
            << run.err;
    }
    std::ifstream log(bench.path("receiver1.log"));
    const std::string text{std::istreambuf_iterator<char>(log), {}};
    EXPECT_NE(text.find(" garbage 170 85"), std::string::npos);
}

TEST(Cli, CtrlCDuringProgrammingSendsTheEndCommandAndSaysSo) {
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, {}, sampleData(1)));  // paced: the table write takes seconds
    bench.writeFile(bench.path("file.tvx"), sampleData(2));
    const auto cli = bench.start({"write", "--table", bench.path("file.tvx")});
    // Progress goes to standard error as plain lines when it is no terminal.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (cli->errorOutput().find("\"write string data\" [######") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline && !cli->waitExit(milliseconds(10))) {
    }
    ASSERT_FALSE(cli->waitExit(milliseconds(0))) << cli->errorOutput();
    ::kill(cli->pid(), SIGINT);
    EXPECT_EQ(cli->waitExit(milliseconds(30000)), std::optional<int>(4));
    EXPECT_NE(cli->errorOutput().find("the receiver may hold partly written data"),
              std::string::npos)
        << cli->errorOutput();
    const std::vector<Bytes> frames = bench.frames(1);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (Bytes{29, 29}));
    const auto chunks =
        std::count_if(frames.begin(), frames.end(), [](const Bytes& f) { return f.front() == 21; });
    EXPECT_GT(chunks, 0);
    EXPECT_LT(chunks, 1024);
}

}  // namespace
}  // namespace tovrix::cli::test
