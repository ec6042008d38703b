// tovrix-cli: reads, programs and verifies receivers from the command line,
// on the same libraries as the window.
#include "cli/argumentbytes.h"
#include "cli/cliparser.h"
#include "cli/output.h"
#include "cli/runner.h"
#include "cli/verdict.h"
#include "serial/exceptiondisplay.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <csignal>
#include <exception>
#include <iostream>

namespace {

void printFailureJson(const std::string& command, int status, const std::string& result,
                      const std::string& message) {
    std::cout << QJsonDocument(tovrix::cli::failureJson(command, status, result, message))
                     .toJson(QJsonDocument::Compact)
                     .toStdString()
              << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that went away (a pipe into head, a closed terminal) is lost
    // output, no reason to leave a receiver half-programmed: writes to it
    // fail quietly and the run goes on to its end.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    using namespace tovrix::cli;
    // An error that escapes a port's event ends up here instead of a
    // message box.
    tovrix::setExceptionDisplay(
        [](const std::exception& error) { std::cerr << "tovrix-cli: " << error.what() << '\n'; });
    // The bytes as given, not as the locale decodes them: file names need
    // not be UTF-8.
    const QStringList arguments = argumentList(argc, argv);
    const bool json = jsonRequested(arguments);
    const ParseResult parsed = parseCommandLine(arguments);
    switch (parsed.kind) {
        case ParseResult::Kind::help:
            std::cout << helpText();
            return kSuccess;
        case ParseResult::Kind::version:
            std::cout << versionText();
            return kSuccess;
        case ParseResult::Kind::usageError:
            std::cerr << "tovrix-cli: " << parsed.error << "\nTry 'tovrix-cli --help'.\n";
            if (json) {
                printFailureJson({}, kUsage, "usage-error", parsed.error);
            }
            return kUsage;
        case ParseResult::Kind::run:
            break;
    }
    try {
        return runRequest(parsed.request);
    } catch (const std::exception& error) {
        std::cerr << "tovrix-cli: " << error.what() << '\n';
        if (json) {
            printFailureJson(commandName(parsed.request.command), kCommunication,
                             "communication-failed", error.what());
        }
        return kCommunication;
    }
}
