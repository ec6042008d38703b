#include "cli/simulatecommand.h"

#include "cli/inputfile.h"
#include "cli/output.h"
#include "cli/verdict.h"
#include "config/numbers.h"
#include "sim/bytetext.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <iostream>
#include <sstream>

namespace tovrix::cli {

namespace {

// Bytes and path cells a person reads in full: enough for any output that
// ends; of an endless one the start and the length.
constexpr std::size_t kShown = 64;

void printJson(const QJsonObject& object) {
    std::cout << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

// Figures as a person would write them: volts to the millivolt, times to
// the microsecond, without binary fractions.
double rounded(double value, double unit) {
    return std::round(value / unit) * unit;
}

std::string fixed(double value, int decimals) {
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(decimals);
    text << value;
    return text.str();
}

template <typename T>
std::string joined(const std::vector<T>& items, auto format, const char* separator = " ") {
    std::string text;
    for (const T& item : items) {
        text += (text.empty() ? "" : separator) + format(item);
    }
    return text;
}

// "0-3, 7, 9-10"
std::string ranges(const std::vector<std::uint8_t>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t j = i;
        while (j + 1 < values.size() && values[j + 1] == values[j] + 1) {
            ++j;
        }
        text += (text.empty() ? "" : ", ") + std::to_string(values[i]);
        if (j > i) {
            text += "-" + std::to_string(values[j]);
        }
        i = j + 1;
    }
    return text;
}

std::optional<sim::ReceiverSetup> loadSetup(const Request& request) {
    std::string error;
    const std::optional<LoadedFile> file = loadInputFile(request.file, error);
    if (!file) {
        std::cerr << "tovrix-cli: " << error << '\n';
        // A script reading --json gets every outcome as one object.
        if (request.json) {
            printJson(failureJson(commandName(request.command), kUsage, "usage-error", error));
        }
        return std::nullopt;
    }
    // What the window programs: the block as it shows it, the image as its
    // grid builds it.
    return sim::setupFromImage(file->block, file->image);
}

QJsonArray lineArray(const std::vector<std::uint8_t>& lines) {
    QJsonArray array;
    for (std::uint8_t line : lines) {
        array.append(line);
    }
    return array;
}

}  // namespace

bool parseSimulationArguments(const QStringList& arguments, const QString& interval,
                              Request& request, std::string& error) {
    request.file = arguments.value(0).toStdString();
    if (request.command == Command::check) {
        return true;
    }
    const qsizetype bytes = arguments.size() - 1;
    if (bytes == 0 || bytes % 3 != 0) {
        error = "the payload bytes come in threes, B1 B2 B3 for each telegram; " +
                std::to_string(bytes) + " given";
        return false;
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const std::optional<std::int64_t> value = parseNumber64(arguments[i].toStdString());
        if (!value || *value < 0 || *value > 255) {
            error = "B" + std::to_string((i - 1) % 3 + 1) + " '" + arguments[i].toStdString() +
                    "' of telegram " + std::to_string((i - 1) / 3 + 1) +
                    " is not a number from 0 to 255";
            return false;
        }
        if ((i - 1) % 3 == 0) {
            request.telegrams.emplace_back();
        }
        request.telegrams.back()[static_cast<std::size_t>((i - 1) % 3)] =
            static_cast<std::uint8_t>(*value);
    }
    if (!interval.isEmpty()) {
        bool ok = false;
        request.intervalMs = interval.toInt(&ok);
        if (!ok || request.intervalMs < 0) {
            error = "--interval '" + interval.toStdString() +
                    "' is not a number of milliseconds from 0 up";
            return false;
        }
    }
    return true;
}

QJsonObject telegramJson(const sim::TelegramResult& result) {
    QJsonArray telegram, bytes, pauses, times, path, warnings;
    for (std::uint8_t b : result.telegram.payload) {
        telegram.append(b);
    }
    for (std::size_t i = 0; i < result.bytes.size(); ++i) {
        bytes.append(result.bytes[i].value);
        pauses.append(static_cast<qint64>(result.bytes[i].pauseBeforeMs));
        times.append(rounded(result.startMs[i], 0.001));
    }
    for (const sim::CellRef& at : result.path) {
        path.append(QJsonArray{at.line, at.cell});
    }
    for (const std::string& warning : result.warnings) {
        warnings.append(QString::fromStdString(warning));
    }
    QJsonObject object;
    object["telegram"] = telegram;
    object["arrival_ms"] = result.telegram.arrivalMs;
    object["accepted"] = result.accepted;
    object["reason"] = result.accepted ? QJsonValue() : QString::fromStdString(result.reason);
    object["line"] = result.accepted ? QJsonValue(result.line) : QJsonValue();
    object["bytes"] = bytes;
    object["pauses_ms"] = pauses;
    object["times_ms"] = times;
    object["trailing_pause_ms"] = static_cast<qint64>(result.trailingPauseMs);
    object["output_end_ms"] = rounded(result.outputEndMs, 0.001);
    object["analogue_steps"] = result.analogueSteps;
    object["analogue_volts"] = rounded(result.analogueVolts, 0.001);
    object["end"] = sim::endName(result.end);
    object["end_at"] = result.accepted
                           ? QJsonValue(QJsonArray{result.endAt.line, result.endAt.cell})
                           : QJsonValue();
    object["cycle_lines"] = lineArray(result.cycleLines);
    object["path"] = path;
    object["warnings"] = warnings;
    return object;
}

std::vector<std::string> telegramLines(const sim::TelegramResult& result, int number) {
    auto decimal = [](const sim::OutputByte& b) { return std::to_string(b.value); };
    std::vector<std::string> lines;
    const auto& p = result.telegram.payload;
    std::string head = "telegram " + std::to_string(number) + ": " + std::to_string(p[0]) + " " +
                       std::to_string(p[1]) + " " + std::to_string(p[2]) + " at " +
                       fixed(result.telegram.arrivalMs, 0) + " ms: ";
    if (!result.accepted) {
        lines.push_back(head + "rejected, " + result.reason);
        return lines;
    }
    lines.push_back(head + "accepted, line " + std::to_string(result.line));
    lines.push_back("  bytes:    " + std::to_string(result.bytes.size()));
    if (!result.bytes.empty()) {
        const std::size_t count = std::min(result.bytes.size(), kShown);
        const std::vector<sim::OutputByte> shown(
            result.bytes.begin(), result.bytes.begin() + static_cast<std::ptrdiff_t>(count));
        const std::string more = result.bytes.size() > kShown ? " ..." : "";
        lines.push_back(
            "  hex:      " +
            joined(shown, [](const sim::OutputByte& b) { return sim::hexByte(b.value); }) + more);
        lines.push_back("  decimal:  " + joined(shown, decimal) + more);
        lines.push_back(
            "  text:     " +
            joined(
                shown, [](const sim::OutputByte& b) { return sim::readableByte(b.value); }, "") +
            more);
        // Each byte with the pause before it and the moment it starts to leave.
        std::vector<std::string> timeline;
        for (std::size_t i = 0; i < count; ++i) {
            const sim::OutputByte& b = shown[i];
            timeline.push_back(
                (b.pauseBeforeMs ? "P" + std::to_string(b.pauseBeforeMs) + " " : "") +
                sim::hexByte(b.value) + "@" + fixed(result.startMs[i], 3));
        }
        lines.push_back("  time ms:  " + joined(timeline, [](const std::string& t) { return t; }) +
                        more);
    }
    lines.push_back("  trailing pause: " + std::to_string(result.trailingPauseMs) +
                    " ms, output over at " + fixed(result.outputEndMs, 3) + " ms");
    lines.push_back("  analogue: " + std::to_string(result.analogueSteps) + " steps, " +
                    fixed(result.analogueVolts, 3) + " V");
    std::string end = std::string("  end:      ") + sim::endName(result.end) + " at line " +
                      std::to_string(result.endAt.line) + " cell " +
                      std::to_string(result.endAt.cell);
    if (result.end == sim::OutputEnd::endless) {
        end += ", cycle through line(s) " +
               joined(
                   result.cycleLines, [](std::uint8_t l) { return std::to_string(l); }, ", ");
    }
    lines.push_back(end);
    std::vector<sim::CellRef> shown(
        result.path.begin(),
        result.path.begin() + static_cast<std::ptrdiff_t>(std::min(result.path.size(), kShown)));
    lines.push_back("  path:     " +
                    joined(shown,
                           [](const sim::CellRef& at) {
                               return std::to_string(at.line) + ":" + std::to_string(at.cell);
                           }) +
                    (result.path.size() > kShown
                         ? " ... (" + std::to_string(result.path.size()) + " cells)"
                         : ""));
    for (const std::string& warning : result.warnings) {
        lines.push_back("  warning:  " + warning);
    }
    return lines;
}

QJsonObject checkJson(const std::string& file, const sim::TableCheck& check) {
    QJsonArray findings;
    int counts[3] = {0, 0, 0};
    for (const sim::CheckFinding& f : check.findings) {
        ++counts[static_cast<int>(f.severity)];
        QJsonObject object;
        object["severity"] = sim::severityName(f.severity);
        object["kind"] = sim::kindName(f.finding.kind);
        object["line"] = f.finding.at.line;
        object["cell"] = f.finding.at.cell;
        object["message"] = QString::fromStdString(sim::describe(f.finding));
        object["row_values"] = lineArray(f.rowValues);
        object["cycle_lines"] = lineArray(f.finding.cycleLines);
        findings.append(object);
    }
    QJsonObject object;
    object["file"] = QString::fromStdString(file);
    object["errors"] = counts[static_cast<int>(sim::Severity::error)];
    object["warnings"] = counts[static_cast<int>(sim::Severity::warning)];
    object["information"] = counts[static_cast<int>(sim::Severity::information)];
    object["findings"] = findings;
    return object;
}

std::vector<std::string> checkLines(const sim::TableCheck& check) {
    std::vector<std::string> lines;
    int problems = 0;
    for (const sim::CheckFinding& f : check.findings) {
        std::string severity = sim::severityName(f.severity);
        severity.resize(12, ' ');
        lines.push_back(severity + sim::describe(f.finding) + " (row values " +
                        ranges(f.rowValues) + ")");
        problems += f.severity != sim::Severity::information ? 1 : 0;
    }
    lines.push_back(std::to_string(check.findings.size()) + " finding(s), " +
                    std::to_string(problems) + " above information");
    return lines;
}

int runSimulate(const Request& request) {
    const std::optional<sim::ReceiverSetup> setup = loadSetup(request);
    if (!setup) {
        return kUsage;
    }
    std::vector<sim::Telegram> telegrams;
    for (std::size_t i = 0; i < request.telegrams.size(); ++i) {
        telegrams.push_back({request.telegrams[i], static_cast<double>(i) * request.intervalMs});
    }
    const std::vector<sim::TelegramResult> results = sim::simulate(*setup, telegrams);
    if (request.json) {
        for (const sim::TelegramResult& result : results) {
            printJson(telegramJson(result));
        }
        return kSuccess;
    }
    std::cout << "assumed where the receiver's behaviour is open:\n";
    for (const std::string& assumption : sim::assumptions()) {
        std::cout << "  " << assumption << '\n';
    }
    for (std::size_t i = 0; i < results.size(); ++i) {
        for (const std::string& line : telegramLines(results[i], static_cast<int>(i) + 1)) {
            std::cout << line << '\n';
        }
    }
    return kSuccess;
}

int runCheck(const Request& request) {
    const std::optional<sim::ReceiverSetup> setup = loadSetup(request);
    if (!setup) {
        return kUsage;
    }
    const sim::TableCheck check = sim::checkTable(*setup);
    if (request.json) {
        printJson(checkJson(request.file, check));
    } else {
        for (const std::string& line : checkLines(check)) {
            std::cout << line << '\n';
        }
    }
    return check.hasProblems() ? kDiffers : kSuccess;
}

}  // namespace tovrix::cli
