#include "cli/cliparser.h"

#include "cli/argumentbytes.h"
#include "cli/simulatecommand.h"

#include "config/maker.h"
#include "config/numbers.h"
#include "table/testpanel.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <array>
#include <limits>
#include <optional>

namespace tovrix::cli {

namespace {

// Every option the program knows. The per-command ones (--config, --table,
// --no-verify) are checked against the command after parsing.
struct OptionEntry {
    const char* id;
    QStringList names;
    QString valueName;  // empty: a switch
};

const std::array<OptionEntry, 9>& optionTable() {
    static const std::array<OptionEntry, 9> table{{
        {"port", {QStringLiteral("p"), QStringLiteral("port")}, QStringLiteral("PORT")},
        {"quiet", {QStringLiteral("q"), QStringLiteral("quiet")}, {}},
        {"json", {QStringLiteral("json")}, {}},
        {"help", {QStringLiteral("h"), QStringLiteral("help")}, {}},
        {"version", {QStringLiteral("version")}, {}},
        {"config", {QStringLiteral("config")}, {}},
        {"table", {QStringLiteral("table")}, {}},
        {"no-verify", {QStringLiteral("no-verify")}, {}},
        {"interval", {QStringLiteral("interval")}, QStringLiteral("MS")},
    }};
    return table;
}

QString optionName(const char* id) {
    return QString::fromLatin1(id);
}

struct CommandEntry {
    Command command;
    const char* name;
    int minArgs;
    int maxArgs;
    const char* synopsis;  // for usage errors
};

constexpr std::array<CommandEntry, 10> kCommands{{
    {Command::ports, "ports", 0, 0, "ports"},
    {Command::info, "info", 0, 0, "info"},
    {Command::read, "read", 1, 1, "read FILE [--config|--table]"},
    {Command::write, "write", 1, 1, "write FILE [--config|--table] [--no-verify]"},
    {Command::verify, "verify", 1, 1, "verify FILE [--config|--table]"},
    {Command::test, "test", 3, 4, "test B1 B2 B3 [B4]"},
    {Command::reset, "reset", 0, 0, "reset"},
    {Command::diff, "diff", 2, 2, "diff A.tvx B.tvx"},
    {Command::simulate, "simulate", 1, std::numeric_limits<int>::max(),
     "simulate FILE B1 B2 B3 [B1 B2 B3 ...] [--interval MS]"},
    {Command::check, "check", 1, 1, "check FILE"},
}};

const CommandEntry* findCommand(const QString& name) {
    for (const CommandEntry& entry : kCommands) {
        if (name == QLatin1String(entry.name)) {
            return &entry;
        }
    }
    return nullptr;
}

ParseResult usage(std::string error) {
    ParseResult result;
    result.kind = ParseResult::Kind::usageError;
    result.error = std::move(error);
    return result;
}

// A test byte in the tool's number syntax, 0..255, as the test field shows
// it once left.
std::optional<std::string> testByteText(const QString& text) {
    const std::optional<std::int64_t> value = parseNumber64(text.toStdString());
    if (!value || *value < 0 || *value > 255) {
        return std::nullopt;
    }
    return setString(3, *value);
}

}  // namespace

const char* commandName(Command command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) {
            return entry.name;
        }
    }
    return "";
}

bool usesPorts(Command command) {
    return command != Command::ports && command != Command::diff && command != Command::simulate &&
           command != Command::check;
}

ParseResult parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionEntry& entry : optionTable()) {
        QCommandLineOption option(entry.names);
        option.setValueName(entry.valueName);
        parser.addOption(option);
    }
    if (!parser.parse(arguments)) {
        return usage(parser.errorText().toStdString());
    }
    if (parser.isSet(optionName("help"))) {
        ParseResult result;
        result.kind = ParseResult::Kind::help;
        return result;
    }
    if (parser.isSet(optionName("version"))) {
        ParseResult result;
        result.kind = ParseResult::Kind::version;
        return result;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return usage("no command given");
    }
    const CommandEntry* entry = findCommand(positional.takeFirst());
    if (entry == nullptr) {
        return usage("unknown command '" + parser.positionalArguments().first().toStdString() +
                     "'");
    }
    if (positional.size() < entry->minArgs || positional.size() > entry->maxArgs) {
        return usage(std::string("usage: tovrix-cli [options] ") + entry->synopsis);
    }

    Request request;
    request.command = entry->command;
    request.quiet = parser.isSet(optionName("quiet"));
    request.json = parser.isSet(optionName("json"));

    const bool takesParts = request.command == Command::read || request.command == Command::write ||
                            request.command == Command::verify;
    const bool onlyConfig = parser.isSet(optionName("config"));
    const bool onlyTable = parser.isSet(optionName("table"));
    if ((onlyConfig || onlyTable) && !takesParts) {
        return usage(std::string("--config and --table go with read, write and verify, not ") +
                     entry->name);
    }
    if (onlyConfig && onlyTable) {
        return usage("--config and --table exclude each other; without either, both are used");
    }
    request.config = !onlyTable;
    request.table = !onlyConfig;
    request.partsGiven = onlyConfig || onlyTable;
    if (parser.isSet(optionName("no-verify"))) {
        if (request.command != Command::write) {
            return usage(std::string("--no-verify goes with write, not ") + entry->name);
        }
        if (!request.table) {
            return usage(
                "--no-verify concerns the table; the configuration is always verified by "
                "its read-back");
        }
        request.verifyTable = false;
    }

    if (parser.isSet(optionName("interval")) && request.command != Command::simulate) {
        return usage(std::string("--interval goes with simulate, not ") + entry->name);
    }

    const QStringList portValues = parser.values(optionName("port"));
    if (!usesPorts(request.command)) {
        if (!portValues.isEmpty()) {
            return usage(std::string(entry->name) + " uses no port; leave out -p");
        }
    } else {
        for (const QString& value : portValues) {
            std::string error;
            std::optional<PortSpec> port = parsePortSpec(argumentBytes(value), error);
            if (!port) {
                return usage(error);
            }
            request.ports.push_back(*port);
        }
        if (request.ports.empty()) {
            std::string error;
            request.ports.push_back(*parsePortSpec("COM1", error));
        }
        if (const std::string repeated = repeatedPort(request.ports); !repeated.empty()) {
            return usage("port " + repeated + " is given twice");
        }
    }

    switch (request.command) {
        case Command::read:
        case Command::write:
        case Command::verify:
            request.file = argumentBytes(positional[0]);
            break;
        case Command::diff:
            request.file = argumentBytes(positional[0]);
            request.secondFile = argumentBytes(positional[1]);
            break;
        case Command::test:
            for (int i = 0; i < positional.size(); ++i) {
                const std::optional<std::string> text = testByteText(positional[i]);
                if (!text) {
                    return usage("B" + std::to_string(i + 1) + " '" + positional[i].toStdString() +
                                 "' is not a number from 0 to 255");
                }
                request.testTexts[static_cast<std::size_t>(i)] = *text;
            }
            if (positional.size() == 3) {
                // As in the window: B4 is the sum of B1..B3 unless given.
                request.testTexts[3] = setString(
                    3,
                    testChecksum(request.testTexts[0], request.testTexts[1], request.testTexts[2]));
            }
            break;
        case Command::simulate:
        case Command::check: {
            std::string error;
            if (!parseSimulationArguments(positional, parser.value(optionName("interval")), request,
                                          error)) {
                return usage(error);
            }
            break;
        }
        default:
            break;
    }
    ParseResult result;
    result.kind = ParseResult::Kind::run;
    result.request = std::move(request);
    return result;
}

bool jsonRequested(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
        if (arguments[i] == QLatin1String("--json")) {
            return true;
        }
    }
    return false;
}

std::string helpText() {
    return R"(Usage: tovrix-cli [options] COMMAND [ARGS]
Reads, programs and verifies radio receivers on serial ports, one or many at
once, with the same code as the configuration tool's window.

Options:
  -p, --port PORT     COM1..COM4 (resolved as the window does), a device
                      path, or a port on a network serial server:
                      rfc2217://HOST:PORT (RFC 2217; sets the line) or
                      socket://HOST:PORT, tcp://HOST:PORT (raw; the server
                      holds the line settings), HOST a name, an IPv4 or a
                      [bracketed] IPv6 address; repeat for several receivers
                      (default COM1)
  -q, --quiet         no progress, only errors
      --json          one JSON object per port on stdout (result, figures,
                      firmware, first differences); simulate: one per
                      telegram, check: one for the file
      --interval MS   simulate: milliseconds between the telegrams
  -h, --help          show this help
      --version       show the version

Commands:
  ports                         list the serial devices (the port catalogue:
                                path, by-id name, vendor, model, serial,
                                driver, access, COM n), then the COM n that
                                stand for network ports
  info                          read the receiver's system data; print
                                firmware and the system bytes
  read FILE [--config|--table]  read configuration and/or table (default
                                both) and save FILE as a .tvx file ("-":
                                standard output; a pipe or a device is
                                written directly). A file of one part says
                                so in its comment line
  write FILE [--config|--table] [--no-verify]
                                program from FILE (default: both parts, or
                                the one part a file of one part holds). The
                                configuration is verified by its read-back as
                                in the window; the table is verified by
                                reading it back and comparing, unless
                                --no-verify. A number outside 0..255 in FILE
                                is refused
  verify FILE [--config|--table]
                                read and compare with FILE (parts as for
                                write); report the first differing byte
                                positions
  test B1 B2 B3 [B4]            send the radio test telegram, print the
                                answers (B4 defaults to the sum as in the
                                window); the receiver must answer a system
                                data request first
  reset                         reset the receiver, once it has answered a
                                system data request
  diff A.tvx B.tvx              compare two files offline (configuration
                                fields by name, table cells by line and
                                column)
  simulate FILE B1 B2 B3 [B1 B2 B3 ...] [--interval MS]
                                show offline what a receiver programmed
                                from FILE does with these radio telegrams
                                (bytes decimal or $hex), arriving MS apart
                                (default 1000): accepted or why not, the
                                bytes with their pauses and times, the
                                analogue value, how the output ended, the
                                cells executed and warnings. With --json one
                                object per telegram and line: "telegram",
                                "accepted", "reason", "bytes", "pauses_ms",
                                "trailing_pause_ms", "analogue_steps",
                                "analogue_volts", "end" (end, line-end,
                                endless or rejected), "path" [[line, cell]],
                                "warnings"
  check FILE                    check FILE's table for every row value
                                0..255: endless output, running past cell
                                16, operands beyond cell 16, CALL inside a
                                subroutine, RET without CALL, analogue
                                limits, P with a pause unit of 0, unknown
                                codes; jumps to a line starting with an end
                                cell are information. Each finding names
                                line and cell

With several ports every command runs on all of them at the same time; read
saves one file per port, FILE with "-" and the port before the extension
(out.tvx gives out-COM1.tvx; the slashes of a device path become "_"); two
ports that would give the same name are refused.

Files are given and named byte for byte. An input file must be a regular
file of at most 1 MB. With --json every outcome, a refused command line
included, prints one JSON object with status, result and message.

Ctrl+C, SIGTERM and SIGHUP (a closed terminal) end a run properly: a
programming run sends its end command first. A closed standard output or
error (a pipe into head) does not stop a run.

A network port is opened within 3 s or reported (unknown host, refused, no
answer, no RFC 2217 on an rfc2217:// port); a connection lost during a
transfer ends it as an unplugged adapter does. Network ports carry no
authentication or encryption: use them only on a trusted network or
through a tunnel (an SSH port forward, for example).

What a receiver leaves open, simulate and check assume: an output that runs
past cell 16 without an end cell ends there; a GOTO, CALL, Uset, U+ or U- in
cell 16 ends the output there; an endless output is stopped after 8192
executed cells (an output that ends later is shown that far too). Each is
reported as a warning.

Exit status:
  0  success; check: no finding above information
  1  the receiver's data differs, or it reported an error (checksum, refused
     chunk, failed verify); check: findings above information
  2  bad usage, or a file that cannot be read, is invalid or cannot be
     written (nothing is sent to any port); simulate: a byte above 255 or a
     telegram short of bytes
  3  a port that cannot be opened (the reason is printed)
  4  communication failed (no answer, unplugged, interrupted)
  5  read: the receiver was read, but FILE could not be saved (the reason
     is printed)
With several ports, the highest status of any port.

Examples:
  tovrix-cli -p COM2 read backup.tvx
  tovrix-cli -p COM1 -p COM2 -p COM3 write --table lines.tvx
  tovrix-cli -p /dev/ttyUSB0 --json verify backup.tvx
  tovrix-cli diff old.tvx new.tvx
  tovrix-cli simulate site.tvx 1 2 13 '$01' '$02' '$0D' --interval 50
  tovrix-cli check site.tvx --json

See also:
  tovrix(1), tovrix-receiver(1)
)";
}

std::string versionText() {
    return std::string("tovrix-cli ") + maker::kToolVersion + "\n";
}

}  // namespace tovrix::cli
