#include "cli/output.h"

#include "link/linktexts.h"
#include "ports/cataloguetext.h"
#include "table/testpanel.h"

#include <QJsonArray>

#include <algorithm>
#include <cstdio>

namespace tovrix::cli {

namespace {

constexpr std::size_t kDifferencesShown = 16;
constexpr double kByteSeconds = 10.0 / 19200.0;  // start, 8 data bits, stop

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string seconds(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

// The answer as text, with the bytes that are no printable ASCII escaped.
std::string printable(const std::vector<int>& bytes) {
    std::string out;
    for (const int byte : bytes) {
        if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\n') {
            out += "\\n";
        } else if (byte >= 32 && byte < 127 && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
            out += buffer;
        }
    }
    return out;
}

std::string joined(const std::vector<int>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0) {
            out += ' ';
        }
        out += std::to_string(values[i]);
    }
    return out;
}

// The four bytes of the test frame, read from the fields as the frame is.
std::vector<int> testSent(const PortJob& job) {
    std::vector<int> sent;
    for (const std::string& text : job.testTexts()) {
        sent.push_back(testFieldValue(text));
    }
    return sent;
}

// Whether the telegram went out: a dead line stops the job before it.
bool telegramWent(const PortJob& job) {
    return std::any_of(job.figures().begin(), job.figures().end(),
                       [](const TransferFigure& f) { return f.transfer == Transfer::test; });
}

}  // namespace

double wireSeconds(const TransferFigure& figure) {
    return static_cast<double>(figure.bytesOut + figure.bytesIn) * kByteSeconds;
}

std::vector<int> testAnswer(const std::vector<std::string>& testLog) {
    std::vector<int> answer;
    // Two headings, then one line per byte; the watchdog's closing line is
    // no byte.
    for (std::size_t i = 2; i < testLog.size(); ++i) {
        if (testLog[i] == kTestLogDone) {
            continue;
        }
        try {
            answer.push_back(std::stoi(testLog[i]));
        } catch (const std::exception&) {
            // not a byte line
        }
    }
    return answer;
}

QJsonObject jobJson(Command command, const JobReport& report) {
    const PortJob& job = *report.job;
    QJsonObject object;
    object[QStringLiteral("command")] = QString::fromLatin1(commandName(command));
    object[QStringLiteral("port")] = text(job.port().name);
    object[QStringLiteral("device")] = text(job.port().device);
    object[QStringLiteral("status")] = report.verdict.status;
    object[QStringLiteral("result")] = text(report.verdict.result);
    object[QStringLiteral("message")] = text(report.verdict.message);
    if (!report.parts.empty()) {
        QJsonArray parts;
        for (const std::string& part : report.parts) {
            parts.append(text(part));
        }
        object[QStringLiteral("parts")] = parts;
    }
    object[QStringLiteral("seconds")] = job.seconds();
    QJsonArray transfers;
    for (const TransferFigure& figure : job.figures()) {
        QJsonObject entry;
        entry[QStringLiteral("transfer")] = QString::fromLatin1(transferName(figure.transfer));
        entry[QStringLiteral("seconds")] = figure.seconds;
        entry[QStringLiteral("bytes_out")] = static_cast<qint64>(figure.bytesOut);
        entry[QStringLiteral("bytes_in")] = static_cast<qint64>(figure.bytesIn);
        entry[QStringLiteral("wire_seconds")] = wireSeconds(figure);
        transfers.append(entry);
    }
    object[QStringLiteral("transfers")] = transfers;
    if (job.configRead()) {
        object[QStringLiteral("firmware")] = text(firmwareText(job.sysdata()));
    }
    QJsonArray differences;
    for (std::size_t i = 0; i < job.differences().size() && i < kDifferencesShown; ++i) {
        const Difference& d = job.differences()[i];
        differences.append(QJsonObject{{QStringLiteral("part"), text(d.part)},
                                       {QStringLiteral("position"), d.position},
                                       {QStringLiteral("expected"), d.expected},
                                       {QStringLiteral("actual"), d.actual}});
    }
    object[QStringLiteral("differences")] = differences;
    object[QStringLiteral("differing_bytes")] = static_cast<int>(job.differences().size());
    if (!report.savedFile.empty()) {
        object[QStringLiteral("file")] = text(report.savedFile);
    }
    if (command == Command::info && job.configRead()) {
        QJsonArray system;
        for (const std::uint8_t byte : job.sysdata()) {
            system.append(byte);
        }
        object[QStringLiteral("system")] = system;
    }
    if (command == Command::test && telegramWent(job)) {
        QJsonArray sent;
        for (const int byte : testSent(job)) {
            sent.append(byte);
        }
        QJsonArray answer;
        for (const int byte : testAnswer(job.testLog())) {
            answer.append(byte);
        }
        object[QStringLiteral("sent")] = sent;
        object[QStringLiteral("answer")] = answer;
    }
    return object;
}

QJsonObject failureJson(const std::string& command, int status, const std::string& result,
                        const std::string& message) {
    QJsonObject object{{QStringLiteral("status"), status},
                       {QStringLiteral("result"), text(result)},
                       {QStringLiteral("message"), text(message)}};
    if (!command.empty()) {
        object[QStringLiteral("command")] = text(command);
    }
    return object;
}

std::vector<std::string> jobLines(Command command, const JobReport& report) {
    const PortJob& job = *report.job;
    const std::string port = job.port().name + ": ";
    std::vector<std::string> lines;
    switch (command) {
        case Command::info:
            if (job.configRead()) {
                lines.push_back(port + "firmware " + firmwareText(job.sysdata()));
                for (const std::string& line : job.systemListing()) {
                    lines.push_back(port + line);
                }
            }
            break;
        case Command::test: {
            if (!telegramWent(job)) {
                break;
            }
            const std::vector<int> answer = testAnswer(job.testLog());
            lines.push_back(port + "sent " + joined(testSent(job)));
            lines.push_back(answer.empty() ? port + "no answer"
                                           : port + "answer " + joined(answer) + " (" +
                                                 std::to_string(answer.size()) + " bytes, \"" +
                                                 printable(answer) + "\")");
            break;
        }
        default:
            break;
    }
    if (report.verdict.status == kSuccess) {
        lines.push_back(port + "ok: " + report.verdict.message);
    }
    if (!report.savedFile.empty()) {
        lines.push_back(port + "saved " + report.savedFile);
    }
    return lines;
}

std::string summaryTable(const std::vector<JobReport>& reports) {
    std::vector<std::vector<std::string>> rows{
        {"PORT", "DEVICE", "RESULT", "STATUS", "SECONDS", "DETAILS"}};
    for (const JobReport& report : reports) {
        const PortJob& job = *report.job;
        rows.push_back({job.port().name, job.port().device, report.verdict.result,
                        std::to_string(report.verdict.status), seconds(job.seconds()),
                        report.verdict.message});
    }
    std::string table;
    for (const std::string& line : formatColumns(rows)) {
        table += line + '\n';
    }
    return table;
}

QJsonObject portJson(const SerialPortInfo& port) {
    QJsonArray com;
    for (const int n : port.comNumbers) {
        com.append(QStringLiteral("COM%1").arg(n));
    }
    QJsonObject object{{QStringLiteral("device"), text(port.devicePath)},
                       {QStringLiteral("by_id"), text(port.byIdPath)},
                       {QStringLiteral("vendor"), text(port.vendor)},
                       {QStringLiteral("model"), text(port.model)},
                       {QStringLiteral("serial"), text(port.serialNumber)},
                       {QStringLiteral("driver"), text(port.driver)},
                       {QStringLiteral("access"), text(accessText(port))},
                       {QStringLiteral("may_open"), port.mayOpen},
                       {QStringLiteral("group"), text(port.group)},
                       {QStringLiteral("state"), text(holderText(port))},
                       {QStringLiteral("com"), com}};
    if (port.holder) {
        object.insert(QStringLiteral("holder_pid"), static_cast<qint64>(port.holder->pid));
        object.insert(QStringLiteral("holder_program"), text(port.holder->program));
    }
    return object;
}

QJsonObject diffJson(const std::string& first, const std::string& second,
                     const std::vector<FileDifference>& differences) {
    QJsonArray list;
    for (const FileDifference& d : differences) {
        list.append(QJsonObject{{QStringLiteral("where"), text(d.where)},
                                {QStringLiteral("first"), text(d.first)},
                                {QStringLiteral("second"), text(d.second)}});
    }
    return QJsonObject{{QStringLiteral("command"), QStringLiteral("diff")},
                       {QStringLiteral("first"), text(first)},
                       {QStringLiteral("second"), text(second)},
                       {QStringLiteral("status"), differences.empty() ? 0 : 1},
                       {QStringLiteral("result"),
                        differences.empty() ? QStringLiteral("same") : QStringLiteral("differs")},
                       {QStringLiteral("differences"), list}};
}

std::vector<std::string> diffLines(const std::vector<FileDifference>& differences) {
    std::vector<std::string> lines;
    for (const FileDifference& d : differences) {
        lines.push_back(d.where + ": " + d.first + (d.second.empty() ? "" : " -> " + d.second));
    }
    return lines;
}

}  // namespace tovrix::cli
