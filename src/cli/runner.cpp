#include "cli/runner.h"

#include "cli/inputfile.h"
#include "cli/interruptwatcher.h"
#include "cli/output.h"
#include "cli/portjob.h"
#include "cli/progressdisplay.h"
#include "cli/simulatecommand.h"
#include "config/configfileio.h"
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

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace tovrix::cli {

namespace {

void printError(const std::string& message) {
    std::cerr << "tovrix-cli: " << message << '\n';
}

void printJson(const QJsonObject& object) {
    std::cout << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << '\n';
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
            steps.push_back({Transfer::test});
            break;
        case Command::reset:
            steps.push_back({Transfer::reset});
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
    std::vector<std::string> files;
    for (const PortSpec& port : request.ports) {
        const std::string file =
            request.ports.size() == 1 ? request.file : perPortFileName(request.file, port);
        const QFileInfo info(QString::fromLocal8Bit(file.c_str()));
        if (!info.absoluteDir().exists()) {
            error = file + ": the folder does not exist";
            return {};
        }
        if (info.isDir()) {
            error = file + ": is a folder";
            return {};
        }
        files.push_back(file);
    }
    return files;
}

int runDiff(const Request& request) {
    std::string error;
    const std::optional<LoadedFile> first = loadInputFile(request.file, error);
    if (!first) {
        printError(error);
        return kUsage;
    }
    const std::optional<LoadedFile> second = loadInputFile(request.secondFile, error);
    if (!second) {
        printError(error);
        return kUsage;
    }
    // The files as they stand: what a person edited is what is compared.
    const std::vector<FileDifference> differences =
        diffContents(first->rawBlock, first->rawImage, second->rawBlock, second->rawImage);
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

int runOnPorts(const Request& request) {
    JobData data;
    data.confdata = newFileBlock();
    data.tabdata = newFileImage();
    data.testTexts = request.testTexts;
    std::vector<std::string> files;
    std::string error;
    if (request.command == Command::write || request.command == Command::verify) {
        const std::optional<LoadedFile> file = loadInputFile(request.file, error);
        if (!file) {
            printError(error);
            return kUsage;
        }
        data.confdata = file->block;
        data.tabdata = file->image;
        data.expectedBlock = programmedFrom(file->block);
        data.expectedImage = file->image;
    } else if (request.command == Command::read) {
        files = outputFiles(request, error);
        if (files.empty()) {
            printError(error);
            return kUsage;
        }
    }

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
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const PortJob& job = *jobs[i];
        JobReport report{&job, {}};
        int jobStatus = job.verdict().status;
        if (request.command == Command::read && (job.configRead() || !request.config) &&
            (job.tableRead() || !request.table)) {
            // Saved as the window saves: the image as its grid builds it.
            if (saveConfigurationFile(files[i], job.confdata(), rebuildImage(job.tabdata()),
                                      comLineNumber(job.port()), firmwareText(job.sysdata()))) {
                report.savedFile = files[i];
            } else {
                printError(job.port().name + ": " + files[i] + ": cannot write the file");
                jobStatus = std::max<int>(jobStatus, kUsage);
            }
        }
        if (job.verdict().status != kSuccess) {
            printError(job.port().name + ": " + job.verdict().message);
        }
        status = std::max(status, jobStatus);
        reports.push_back(report);
    }
    for (const JobReport& report : reports) {
        if (request.json) {
            printJson(jobJson(request.command, report));
        } else {
            for (const std::string& line : jobLines(request.command, report)) {
                // The data asked for is printed even when quiet; the rest is not.
                if (!request.quiet || request.command == Command::info ||
                    request.command == Command::test) {
                    std::cout << line << '\n';
                }
            }
        }
    }
    if (!request.json && !request.quiet && reports.size() > 1) {
        std::cout << '\n' << summaryTable(reports);
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
