#include "receiver/options.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>

namespace tovrix::receiver {

namespace {

std::optional<std::uint64_t> parseCount(std::string_view text, std::uint64_t max) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value > max) {
        return std::nullopt;
    }
    return value;
}

struct ValueOption {
    std::string_view name;
    std::uint64_t min;
    std::uint64_t max;
    std::function<void(Options&, std::uint64_t)> apply;
};

const std::vector<ValueOption>& valueOptions() {
    static const std::vector<ValueOption> list{
        {"--com", 1, 255, [](Options& o, std::uint64_t v) { o.com = static_cast<int>(v); }},
        {"--stop-after", 0, UINT32_MAX,
         [](Options& o, std::uint64_t v) { o.faults.stopAfter = v; }},
        {"--bad-echo", 0, 127,
         [](Options& o, std::uint64_t v) { o.faults.badEcho = static_cast<std::uint8_t>(v); }},
        {"--nak-chunk", 0, 8191,
         [](Options& o, std::uint64_t v) { o.faults.nakChunk = static_cast<std::uint16_t>(v); }},
        {"--verify-differ", 0, 127,
         [](Options& o, std::uint64_t v) { o.faults.verifyDiffer = static_cast<std::uint8_t>(v); }},
        {"--extra", 0, 65535,
         [](Options& o, std::uint64_t v) { o.faults.extra = static_cast<std::uint32_t>(v); }},
        {"--hangup-after", 0, UINT32_MAX,
         [](Options& o, std::uint64_t v) { o.faults.hangupAfter = v; }},
    };
    return list;
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string_view>& args) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t eq = arg.find('='); arg.starts_with("--") && eq != arg.npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            return std::nullopt;
        };
        auto fail = [&](std::string message) {
            parsed.error = std::move(message);
            return parsed;
        };

        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        if (arg == "--fast" || arg == "--silent" || arg == "--garbage") {
            if (inlineValue) {
                return fail(std::string(arg) + " takes no value");
            }
            if (arg == "--fast") {
                options.fast = true;
            } else if (arg == "--silent") {
                options.faults.silent = true;
            } else {
                options.faults.garbage = true;
            }
            continue;
        }
        if (arg == "--state" || arg == "--log") {
            const std::optional<std::string_view> path = value();
            if (!path || path->empty()) {
                return fail(std::string(arg) + " needs a file name");
            }
            (arg == "--state" ? options.statePath : options.logPath) = std::string(*path);
            continue;
        }
        bool known = false;
        for (const ValueOption& option : valueOptions()) {
            if (arg != option.name) {
                continue;
            }
            known = true;
            const std::optional<std::string_view> text = value();
            const std::optional<std::uint64_t> number =
                text ? parseCount(*text, option.max) : std::nullopt;
            if (!number || *number < option.min) {
                return fail(std::string(arg) + " needs a whole number from " +
                            std::to_string(option.min) + " to " + std::to_string(option.max));
            }
            option.apply(options, *number);
        }
        if (!known) {
            return fail("unknown option " + std::string(args[i]));
        }
    }
    return parsed;
}

std::string helpText() {
    return R"(Usage: tovrix-receiver [OPTION]...
Stands in for the radio receiver module: opens a pseudo-terminal, links it as
COM n for the configuration tool and answers the tool's command frames with
the state of an emulated receiver (firmware 1.03, a 128-byte configuration
block, an 8192-byte output table).

When ready it prints one line and flushes it:
  ready COM<n> <device> <link>
e.g. "ready COM1 /dev/pts/3 /home/me/.config/tovrix/ports/com1". The link is
removed again on SIGINT, SIGTERM or SIGHUP.

Options:
  --com N            link the pseudo-terminal as COM N (default 1)
  --state FILE       load the receiver's block and table from this ".tvx"
                     file at start (a missing file is created from the
                     defaults) and write them back after every completed
                     programming run (end command 29 29)
  --fast             answer at once instead of at the pace of a 19200 baud
                     line (10 bits a byte, 0.521 ms; pauses from the table
                     are skipped too)
  --log FILE         record frames and answers (format below)
  --help             show this text
  --version          show the version

Faults to test the tool against (one option each):
  --silent           never answer
  --stop-after N     answer N bytes in all, then fall silent
  --bad-echo A       echo a wrong byte when configuration byte A is written
                     (the value is stored all the same)
  --nak-chunk P      answer 7 instead of 8 to the table chunk that holds
                     image position P, and do not store it
  --verify-differ A  once a configuration byte has been written, read back
                     a different byte for configuration byte A
  --extra K          append K bytes (238 each) to every table stream
  --hangup-after N   after N answer bytes close the pseudo-terminal and
                     exit, leaving the link pointing at a device that is
                     gone, like the link to an unplugged USB adapter
  --garbage          send three unsolicited bytes (170 85 n) every second

Log format: one line per event, fields separated by single blanks, bytes in
decimal, time in milliseconds since the start with three decimals:
  <ms> rx <bytes>      a frame, logged when it is acted on
  <ms> tx <bytes>      the answer to that frame (no line when there is none)
  <ms> drop <bytes>    an incomplete frame dropped after 100 ms of silence
  <ms> ignore <byte>   a byte that starts no command frame
  <ms> garbage <bytes> unsolicited bytes (--garbage)
  <ms> analogue <n>    the emulated analogue output moved to n steps
  <ms> steplimit       a play-out was cut off because the table loops
  <ms> saved <file>    the state file was written after 29 29
  <ms> savefailed <why> the state file could not be written
  <ms> overflow        an answer was dropped: 1 MiB of output was still
                       waiting because nobody reads the port
  <ms> hangup          the line was closed (--hangup-after)
"tx" lines list the bytes as they are queued for sending; in paced mode
they leave the line over the following byte times.

Frames: 20 A V (write block byte, echo), 21 AH AL N d1..dN (write table
bytes, answer 8), 22 A (read block byte), 23 AH AL NH NL (read table bytes),
24 A (system byte A = 0..20; 24 254 resets), 25 T1 T2 T3 T4 (test telegram:
plays out the table line selected by the row variable when T4 is the sum of
T1..T3 and the acceptance conditions hold), 29 29 (end of a programming run).
A frame interrupted by more than 100 ms of silence is dropped. Block
addresses above 127 get no answer; a table chunk that would run past the
image end is answered with 7 and not stored; a reset drops queued output.

Without --state the receiver starts from factory settings: system bytes
16 3 1 2 0 1 226 64 7 46 1 32 128 and zeros, the tool's reset block but with
every acceptance condition "~" (any value) and row variable B3, and a demo
table (test value 100, row variable B3, pause unit 10 ms): line 0 "Tovrix "
B1 B2 B3 CR LF; line 1 GOTO 0; line 100 "Test" P CALL 200 CR LF Uset 100;
line 200 " B3=" B3 RET. So "25 1 2 100 103" answers "Test B3=" 100 CR LF.
)";
}

}  // namespace tovrix::receiver
