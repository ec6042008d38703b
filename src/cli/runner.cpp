#include "cli/runner.h"

#include "cli/inputfile.h"
#include "cli/interruptwatcher.h"
#include "cli/output.h"
#include "cli/portjob.h"
#include "cli/progressdisplay.h"
#include "cli/simulatecommand.h"
#include "config/configfileio.h"
#include "config/textlines.h"
#include "link/linktexts.h"
#include "ports/catalogue.h"
#include "ports/cataloguetext.h"
#include "serial/networkname.h"
#include "serial/portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace tovrix::cli {

namespace {

void printError(const std::string& message) {
    std::cerr << "tovrix-cli: " << message << '\n';
}

void printJson(const QJsonObject& object, std::ostream& out = std::cout) {
    out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

// A run refused before anything is sent: the reason on standard error and,
// for scripts, as the one JSON object.
int refuse(const Request& request, const std::string& message) {
    printError(message);
    if (request.json) {
        printJson(failureJson(commandName(request.command), kUsage, "usage-error", message));
    }
    return kUsage;
}

// "-" as the file of read: the file goes to standard output.
bool toStandardOutput(const Request& request) {
    return request.command == Command::read && request.file == "-";
}

std::vector<std::string> partNames(const Request& request) {
    std::vector<std::string> parts;
    if (request.config) {
        parts.emplace_back("configuration");
    }
    if (request.table) {
        parts.emplace_back("table");
    }
    return parts;
}

std::vector<Step> stepsFor(const Request& request) {
    using Check = Step::Check;
    std::vector<Step> steps;
    switch (request.command) {
        case Command::info:
            steps.push_back({Transfer::readConfig});
            break;
        case Command::read:
            if (request.config) {
                steps.push_back({Transfer::readConfig});
            }
            if (request.table) {
                steps.push_back({Transfer::readTable});
            }
            break;
        case Command::write:
            if (request.config) {
                steps.push_back({Transfer::writeConfig});
            }
            if (request.table) {
                steps.push_back({Transfer::writeTable});
                if (request.verifyTable) {
                    steps.push_back({Transfer::readTable, Check::table});
                }
            }
            break;
        case Command::verify:
            if (request.config) {
                steps.push_back({Transfer::readConfig, Check::configuration});
            }
            if (request.table) {
                steps.push_back({Transfer::readTable, Check::table});
            }
            break;
        case Command::test:
        case Command::reset:
            // Neither transfer waits for an answer, so first a receiver
            // must be seen to answer: a dead line is no success.
            steps.push_back({Transfer::readConfig, Check::receiverAnswers});
            steps.push_back({request.command == Command::test ? Transfer::test : Transfer::reset});
            break;
        case Command::ports:
        case Command::diff:
        case Command::simulate:
        case Command::check:
            break;
    }
    return steps;
}

// The port number the file's "COM" line names, as the window would: the
// COM port itself, or the COM n whose device a path is; else COM1, the
// window's preset port.
int comLineNumber(const PortSpec& port) {
    if (port.comNumber != 0) {
        return port.comNumber;
    }
    std::error_code error;
    for (int n = 1; n <= kComPorts; ++n) {
        // A network port name is no file: it is the same port by its name.
        if (comDevicePath(n) == port.device ||
            std::filesystem::equivalent(comDevicePath(n), port.device, error)) {
            return n;
        }
    }
    return 1;
}

// Where each port's read is saved; checked before anything is sent.
std::vector<std::string> outputFiles(const Request& request, std::string& error) {
    if (toStandardOutput(request)) {
        if (request.ports.size() > 1) {
            error = "- (standard output) takes the file of one port only";
            return {};
        }
        return {request.file};
    }
    std::vector<std::string> files;
    for (const PortSpec& port : request.ports) {
        const std::string file =
            request.ports.size() == 1 ? request.file : perPortFileName(request.file, port);
        if (std::find(files.begin(), files.end(), file) != files.end()) {
            error = file + ": two ports would save to this file; name the ports differently";
            return {};
        }
        if (const std::string problem = saveTargetProblem(file); !problem.empty()) {
            error = file + ": " + problem;
            return {};
        }
        files.push_back(file);
    }
    return files;
}

// Saves what a port read, as the window saves it: the image as its grid
// builds it. A file that holds one part says so in its comment line.
bool saveRead(const Request& request, const PortJob& job, const std::string& file,
              std::string& error) {
    const char* comment = !request.table    ? kOnlyConfigurationRead
                          : !request.config ? kOnlyTableRead
                                            : tvx::kNoComment;
    const std::vector<std::string> lines =
        buildConfigFile(job.confdata(), rebuildImage(job.tabdata()), comLineNumber(job.port()),
                        firmwareText(job.sysdata()), comment);
    if (!toStandardOutput(request)) {
        return saveConfigurationLines(file, lines, &error);
    }
    std::cout << joinLines(lines) << std::flush;
    if (!std::cout) {
        error = "standard output cannot be written";
        return false;
    }
    return true;
}

// The parts write and verify act on: those asked for, else those the file
// holds. False (with the reason) when a part asked for is not in the file.
bool chooseParts(Request& request, const LoadedFile& file, std::string& note, std::string& error) {
    const bool onlyConfig = file.comment == kOnlyConfigurationRead;
    const bool onlyTable = file.comment == kOnlyTableRead;
    if (!onlyConfig && !onlyTable) {
        return true;
    }
    const char* held = onlyConfig ? "the configuration" : "the table";
    if (request.partsGiven && (onlyConfig ? request.table : request.config)) {
        error = request.file + ": holds only " + held + " (read with " +
                (onlyConfig ? "--config" : "--table") + "); the other part is not in the file";
        return false;
    }
    if (!request.partsGiven) {
        request.config = onlyConfig;
        request.table = onlyTable;
        request.verifyTable = request.verifyTable && request.table;
        note = request.file + " holds only " + held + "; the other part is left as it is";
    }
    return true;
}

int runDiff(const Request& request) {
    std::string error;
    const std::optional<LoadedFile> first = loadInputFile(request.file, error);
    if (!first) {
        return refuse(request, error);
    }
    const std::optional<LoadedFile> second = loadInputFile(request.secondFile, error);
    if (!second) {
        return refuse(request, error);
    }
    // The files as they stand: what a person edited is what is compared.
    const std::vector<FileDifference> differences =
        diffContents(first->rawBlock, first->rawImage, second->rawBlock, second->rawImage);
    // The comparison sees the bytes the window would load; a number that
    // does not fit a byte is named as it stands in the file.
    for (const auto& [name, file] :
         {std::pair{&request.file, &*first}, {&request.secondFile, &*second}}) {
        if (!file->outOfRange.empty()) {
            printError(*name + ": " + file->outOfRange + " (compared as its low 8 bits)");
        }
    }
    if (request.json) {
        printJson(diffJson(request.file, request.secondFile, differences));
    } else {
        for (const std::string& line : diffLines(differences)) {
            std::cout << line << '\n';
        }
    }
    return differences.empty() ? kSuccess : kDiffers;
}

// The serial devices present, from the port catalogue the window's port
// dialog shows too.
int runPorts(const Request& request) {
    const std::vector<SerialPortInfo> ports = listSerialPorts();
    if (request.json) {
        for (const SerialPortInfo& port : ports) {
            printJson(portJson(port));
        }
    } else {
        for (const std::string& line : formatColumns(catalogueRows(ports))) {
            std::cout << line << '\n';
        }
    }
    // COM numbers that stand for ports on network serial servers have no
    // device to list: they follow the devices.
    for (int n = 1; n <= kComPorts; ++n) {
        const std::string name = comDevicePath(n);
        if (!isNetworkPortName(name)) {
            continue;
        }
        const QString com = QStringLiteral("COM%1").arg(n);
        if (request.json) {
            printJson({{QStringLiteral("device"), QString::fromStdString(name)},
                       {QStringLiteral("com"), QJsonArray{com}},
                       {QStringLiteral("network"), true}});
        } else {
            std::cout << com.toStdString() << ": network port " << name << '\n';
        }
    }
    return kSuccess;
}

int runOnPorts(Request request) {
    JobData data;
    data.confdata = newFileBlock();
    data.tabdata = newFileImage();
    data.testTexts = request.testTexts;
    std::vector<std::string> files;
    std::string error;
    std::string note;
    if (request.command == Command::write || request.command == Command::verify) {
        const std::optional<LoadedFile> file =
            loadInputFile(request.file, error, FileUse::receiver);
        if (!file || !chooseParts(request, *file, note, error)) {
            return refuse(request, error);
        }
        data.confdata = file->block;
        data.tabdata = file->image;
        data.expectedBlock = programmedFrom(file->block);
        data.expectedImage = file->image;
    } else if (request.command == Command::read) {
        files = outputFiles(request, error);
        if (files.empty()) {
            return refuse(request, error);
        }
    }
    if (!note.empty() && !request.quiet) {
        printError(note);
    }
    // With the file on standard output, the reports go to standard error.
    std::ostream& reportOut = toStandardOutput(request) ? std::cerr : std::cout;

    const std::vector<Step> steps = stepsFor(request);
    // A programming run stops at its first failure; reads and comparisons
    // go on, for everything they can tell.
    const bool stopOnDifference = request.command == Command::write;
    std::vector<std::unique_ptr<PortJob>> jobs;
    std::vector<std::string> names;
    for (const PortSpec& port : request.ports) {
        jobs.push_back(std::make_unique<PortJob>(port, steps, data, stopOnDifference));
        names.push_back(port.name);
    }

    std::unique_ptr<ProgressDisplay> progress;
    if (!request.quiet) {
        progress = std::make_unique<ProgressDisplay>(stderr, ::isatty(STDERR_FILENO) == 1, names);
    }
    std::size_t running = jobs.size();
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        PortJob& job = *jobs[i];
        job.onProgress = [&progress, i](const JobProgress& now) {
            if (progress) {
                progress->update(i, now);
            }
        };
        job.onFinished = [&progress, &running, &job, i] {
            if (progress) {
                progress->done(i, job.verdict().result + ": " + job.verdict().message);
            }
            if (--running == 0) {
                QCoreApplication::quit();
            }
        };
    }
    const InterruptWatcher interrupts([&jobs] {
        for (const auto& job : jobs) {
            job->interrupt();
        }
    });
    for (const auto& job : jobs) {
        job->start();
    }
    if (running > 0) {
        QCoreApplication::exec();
    }
    if (progress) {
        progress->close();
    }

    int status = kSuccess;
    std::vector<JobReport> reports;
    const bool takesParts = request.command == Command::read || request.command == Command::write ||
                            request.command == Command::verify;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const PortJob& job = *jobs[i];
        JobReport report{
            &job, job.verdict(), {}, takesParts ? partNames(request) : std::vector<std::string>{}};
        if (request.command == Command::read && (job.configRead() || !request.config) &&
            (job.tableRead() || !request.table)) {
            std::string why;
            if (saveRead(request, job, files[i], why)) {
                report.savedFile = files[i];
            } else {
                // Read, but not kept: no success, and not the status of
                // a run that never started either.
                report.verdict = {
                    kNotSaved, "not-saved",
                    report.verdict.message + "; but " + files[i] + " could not be saved: " + why};
            }
        }
        if (report.verdict.status != kSuccess) {
            printError(job.port().name + ": " + report.verdict.message);
        }
        status = std::max(status, report.verdict.status);
        reports.push_back(report);
    }
    for (const JobReport& report : reports) {
        if (request.json) {
            printJson(jobJson(request.command, report), reportOut);
        } else {
            for (const std::string& line : jobLines(request.command, report)) {
                // The data asked for is printed even when quiet; the rest is not.
                if (!request.quiet || request.command == Command::info ||
                    request.command == Command::test) {
                    reportOut << line << '\n';
                }
            }
        }
    }
    if (!request.json && !request.quiet && reports.size() > 1) {
        reportOut << '\n' << summaryTable(reports);
    }
    return status;
}

}  // namespace

int runRequest(const Request& request) {
    switch (request.command) {
        case Command::diff:
            return runDiff(request);
        case Command::ports:
            return runPorts(request);
        case Command::simulate:
            return runSimulate(request);
        case Command::check:
            return runCheck(request);
        default:
            return runOnPorts(request);
    }
}

}  // namespace tovrix::cli
