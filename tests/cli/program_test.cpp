// tovrix-cli end to end: the program against receiver emulators on
// pseudo-terminals, every command and every exit status.
#include "cli/inputfile.h"
#include "clibench.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// A copy of a file with one line changed (counted from 0), or with the part
// of it from `column` on replaced.
void editLine(const std::string& from, const std::string& to, int number, const std::string& text,
              std::size_t column = 0) {
    std::ifstream in(from);
    std::ofstream out(to);
    std::string line;
    for (int i = 0; std::getline(in, line); ++i) {
        if (i == number) {
            line = line.substr(0, column) + text +
                   line.substr(std::min(line.size(), column + text.size()));
            if (column == 0) {
                line = text + "\r";
            }
        }
        out << line << '\n';
    }
}

// The "seconds" of the first JSON object printed, or -1.
double jsonSeconds(const std::string& out) {
    const std::size_t at = out.find("\"seconds\":");
    return at == std::string::npos ? -1 : std::stod(out.substr(at + 10));
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
    std::string created = {};  // a file (as in args) the run must have made
    double withinSeconds = 0;  // --json: the run's own time stays below this
    std::string absent = {};   // not in what the program printed
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
    const std::string file = bench.path("file.tvx");
    editLine(file, bench.path("broken.tvx"), 5, "x");
    editLine(file, bench.path("over.tvx"), 5, "300");
    // Table line 3 (file line 275): value 3; line 341: filler value 21.
    editLine(file, bench.path("badcell.tvx"), 274, "a12", 14);
    editLine(file, bench.path("overcell.tvx"), 274, "256", 14);
    editLine(file, bench.path("badfiller.tvx"), 612, "abc", 86);
    // Both parts differ from the receiver's.
    ReceiverData both = otherData(3);
    both.conf = sampleData(4).conf;
    bench.writeFile(bench.path("both.tvx"), both);
    std::filesystem::copy_file(file, bench.path("lat\xe9n.tvx"));
    ASSERT_EQ(::mkfifo(bench.path("fifo").c_str(), 0600), 0);
    std::ofstream(bench.path("big.tvx")).close();
    std::filesystem::resize_file(bench.path("big.tvx"), 2 << 20);
    std::filesystem::create_directories(bench.path("p/a"));
    std::filesystem::create_symlink(bench.receiver(1).device(), bench.path("by-id-link"));
    const std::map<std::string, std::string> files{
        {"FILE", file},
        {"OTHER", bench.path("other.tvx")},
        {"BROKEN", bench.path("broken.tvx")},
        {"OVER", bench.path("over.tvx")},
        {"BADCELL", bench.path("badcell.tvx")},
        {"OVERCELL", bench.path("overcell.tvx")},
        {"BADFILLER", bench.path("badfiller.tvx")},
        {"BOTH", bench.path("both.tvx")},
        {"LATIN", bench.path("lat\xe9n.tvx")},
        {"LATINOUT", bench.path("out\xe9.tvx")},
        {"FIFO", bench.path("fifo")},
        {"BIG", bench.path("big.tvx")},
        {"MISSING", bench.path("missing.tvx")},
        {"NOFOLDER", bench.path("no/such/folder/out.tvx")},
        {"OUT", bench.path("out.tvx")},
        {"PORTA", bench.path("p/a_b")},
        {"PORTB", bench.path("p/a/b")},
        {"DEVICE", bench.receiver(1).device()},
        {"LINK", bench.path("by-id-link")}};
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
    if (!c.absent.empty()) {
        EXPECT_EQ((run.out + run.err).find(c.absent), std::string::npos) << run.out << run.err;
    }
    if (!c.created.empty()) {
        EXPECT_TRUE(std::filesystem::is_regular_file(files.at(c.created))) << c.created;
    }
    if (c.withinSeconds > 0) {
        // Well below the answer watchdog (1 s) that would end it otherwise.
        const double seconds = jsonSeconds(run.out);
        EXPECT_GE(seconds, 0) << run.out;
        EXPECT_LT(seconds, c.withinSeconds) << run.out;
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
        ProgramCase{"hang_up",
                    {"--fast", "--hangup-after", "50"},
                    {"--json", "info"},
                    4,
                    "the device hung up",
                    false,
                    {},
                    0.8},
        ProgramCase{"stream_cut_short",
                    {"--fast", "--stop-after", "2500"},
                    {"read", "--table", "OUT"},
                    4,
                    "no answer in \"read string data\" after 2500 bytes"},
        ProgramCase{"test_dead_line",
                    {"--silent"},
                    {"test", "1", "2", "100"},
                    4,
                    "no answer from the receiver in \"read system data\"",
                    false,
                    {},
                    0,
                    "COM1: sent"},
        ProgramCase{"reset_dead_line",
                    {"--silent"},
                    {"reset"},
                    4,
                    "no answer from the receiver in \"read system data\""},
        ProgramCase{
            "first_of_equal_reasons", kFast, {"verify", "BOTH"}, 1, "COM1: configuration: "},
        ProgramCase{"read_into_missing_folder",
                    kFast,
                    {"--json", "read", "NOFOLDER"},
                    2,
                    "\"result\":\"usage-error\",\"status\":2}",
                    true},
        ProgramCase{"read_into_unread_pipe",
                    kFast,
                    {"--json", "read", "FIFO"},
                    5,
                    "\"result\":\"not-saved\",\"seconds\""},
        ProgramCase{"bad_option_json",
                    kFast,
                    {"--json", "--frobnicate", "info"},
                    2,
                    "{\"message\":\"Unknown option "
                    "'frobnicate'.\",\"result\":\"usage-error\",\"status\":2}",
                    true},
        ProgramCase{"missing_file_json",
                    kFast,
                    {"--json", "verify", "MISSING"},
                    2,
                    "\"command\":\"verify\",\"message\":",
                    true},
        ProgramCase{"out_of_range_config",
                    kFast,
                    {"write", "--config", "OVER"},
                    2,
                    "line 6 holds 300, outside 0 to 255",
                    true},
        ProgramCase{"out_of_range_cell",
                    kFast,
                    {"verify", "OVERCELL"},
                    2,
                    "line 275, value 3, holds 256, outside 0 to 255",
                    true},
        ProgramCase{"out_of_range_diff",
                    kFast,
                    {"diff", "FILE", "OVER"},
                    1,
                    "over.tvx: line 6 holds 300, outside 0 to 255 (compared as its low 8 bits)",
                    true},
        ProgramCase{
            "bad_cell", kFast, {"write", "BADCELL"}, 2, "line 275, value 3 is not a number", true},
        ProgramCase{"bad_filler",
                    kFast,
                    {"write", "BADFILLER"},
                    2,
                    "line 613, value 21 is not a number",
                    true},
        ProgramCase{"input_pipe", kFast, {"verify", "FIFO"}, 2, "not a regular file", true},
        ProgramCase{
            "input_device", kFast, {"diff", "FILE", "/dev/zero"}, 2, "not a regular file", true},
        ProgramCase{"input_too_large", kFast, {"write", "BIG"}, 2, "larger than 1 MB", true},
        ProgramCase{"names_collide",
                    kFast,
                    {"-p", "PORTA", "-p", "PORTB", "read", "OUT"},
                    2,
                    "two ports would save to this file",
                    true},
        ProgramCase{"latin_output", kFast, {"read", "LATINOUT"}, 0, "saved ", false, "LATINOUT"},
        ProgramCase{"latin_input", kFast, {"diff", "FILE", "LATIN"}, 0, "", true},
        ProgramCase{"device_and_com",
                    kFast,
                    {"-p", "COM1", "-p", "DEVICE", "reset"},
                    2,
                    "given twice",
                    true},
        ProgramCase{"link_and_device",
                    kFast,
                    {"-p", "LINK", "-p", "DEVICE", "reset"},
                    2,
                    "given twice",
                    true},
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

// Ctrl+C, and a closed terminal or a dropped remote session, end a
// programming run through its failure path.
class Interrupt : public testing::TestWithParam<int> {};

TEST_P(Interrupt, DuringProgrammingSendsTheEndCommandAndSaysSo) {
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
    ::kill(cli->pid(), GetParam());
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

INSTANTIATE_TEST_SUITE_P(Cli, Interrupt, testing::Values(SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGINT ? "SIGINT" : "SIGHUP");
                         });

// Runs the program with standard output and error on a pipe nobody reads
// any more (a script's "| head" that has ended); its exit status.
int runWithClosedOutput(const CliBench& bench, const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return -1;
    }
    ::close(fds[0]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    // SIGPIPE as a shell leaves it, whatever the test runner did with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    const std::string home = "XDG_CONFIG_HOME=" + bench.folder();
    std::vector<std::string> argvText{TOVRIX_CLI_PATH};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp{const_cast<char*>(home.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(Cli, AClosedOutputDoesNotCutAProgrammingRunShort) {
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, kFast, sampleData(1)));
    const ReceiverData file = sampleData(2);
    bench.writeFile(bench.path("file.tvx"), file);
    EXPECT_EQ(runWithClosedOutput(bench, {"write", bench.path("file.tvx")}), 0);
    EXPECT_TRUE(programmedAs(*bench.state(1), file));
    const std::vector<Bytes> frames = bench.frames(1);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), Bytes{29, 29}), 2);
}

TEST(Cli, ReadWritesAPipeAndStandardOutputAsTheyAre) {
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, kFast, sampleData(1)));
    const std::string pipe = bench.path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const CliRun run = bench.run({"read", pipe});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string text(65536, '\0');
    const ssize_t got = ::read(reader, text.data(), text.size());
    ::close(reader);
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 617);

    const CliRun out = bench.run({"read", "-"});
    EXPECT_EQ(out.status, 0) << out.err;
    EXPECT_EQ(out.out.substr(0, text.size()), text);
    EXPECT_NE(out.err.find("COM1: saved -"), std::string::npos) << out.err;
}

TEST(Cli, AFileOfOnePartProgramsOnlyThatPart) {
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, kFast, sampleData(5)));
    ASSERT_TRUE(bench.addReceiver(2, kFast, sampleData(6)));
    const std::string file = bench.path("table.tvx");
    ASSERT_EQ(bench.run({"read", "--table", file}).status, 0);

    const CliRun write = bench.run({"-p", "COM2", "write", file});
    EXPECT_EQ(write.status, 0) << write.err;
    EXPECT_NE(write.err.find("holds only the table; the other part is left as it is"),
              std::string::npos)
        << write.err;
    // The receiver's own configuration stays; the table is the file's.
    EXPECT_TRUE(
        programmedAs(*bench.state(2), ReceiverData{sampleData(6).conf, sampleData(5).image}));
    for (const Bytes& frame : bench.frames(2)) {
        EXPECT_NE(frame.front(), 20);
    }
    EXPECT_EQ(bench.run({"-p", "COM2", "verify", "--config", file}).status, 2);
}

// A port that cannot be opened is tried once for a command, however many
// parts the command has.
TEST(Cli, APortThatCannotBeOpenedIsTriedOnce) {
    CliBench bench;
    ASSERT_TRUE(bench.addReceiver(1, kFast, sampleData(1)));
    const std::string device = bench.receiver(1).device();
    const int held = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    const auto opens = [&](const std::vector<std::string>& args) {
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(watch, device.c_str(), IN_OPEN);
        EXPECT_EQ(bench.run(args).status, 3);
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
            count += static_cast<int>(got / static_cast<ssize_t>(sizeof(inotify_event)));
        }
        ::close(watch);
        return count;
    };
    const int once = opens({"read", "--config", bench.path("out.tvx")});
    EXPECT_GE(once, 1);
    EXPECT_EQ(opens({"read", bench.path("out.tvx")}), once);
    ::close(held);
}

}  // namespace
}  // namespace tovrix::cli::test
