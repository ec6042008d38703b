// tovrix-cli: reads, programs and verifies receivers from the command line,
// on the same libraries as the window.
#include "cli/cliparser.h"
#include "cli/runner.h"
#include "cli/verdict.h"
#include "serial/exceptiondisplay.h"

#include <QCoreApplication>

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace tovrix::cli;
    // An error that escapes a port's event ends up here instead of a
    // message box.
    tovrix::setExceptionDisplay(
        [](const std::exception& error) { std::cerr << "tovrix-cli: " << error.what() << '\n'; });
    const ParseResult parsed = parseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
        case ParseResult::Kind::help:
            std::cout << helpText();
            return kSuccess;
        case ParseResult::Kind::version:
            std::cout << versionText();
            return kSuccess;
        case ParseResult::Kind::usageError:
            std::cerr << "tovrix-cli: " << parsed.error << "\nTry 'tovrix-cli --help'.\n";
            return kUsage;
        case ParseResult::Kind::run:
            break;
    }
    try {
        return runRequest(parsed.request);
    } catch (const std::exception& error) {
        std::cerr << "tovrix-cli: " << error.what() << '\n';
        return kCommunication;
    }
}
