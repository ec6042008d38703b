#pragma once

#include "cli/request.h"

#include <QStringList>

#include <string>

namespace tovrix::cli {

struct ParseResult {
    enum class Kind { run, help, version, usageError };
    Kind kind = Kind::usageError;
    Request request;    // for run
    std::string error;  // for usageError: what was wrong, without the program's name
};

// Reads the command line (arguments[0] is the program), as argumentList
// gives it, so that file names keep their bytes. Nothing here opens a port
// or a file.
ParseResult parseCommandLine(const QStringList& arguments);

// Whether --json is among the options, also when the command line is
// wrong otherwise (the answer to a script is then JSON too).
bool jsonRequested(const QStringList& arguments);

// The text of --help; the manual page is made from it.
std::string helpText();

// The text of --version.
std::string versionText();

}  // namespace tovrix::cli
