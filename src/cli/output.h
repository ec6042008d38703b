#pragma once

#include "cli/comparison.h"
#include "cli/portjob.h"
#include "cli/request.h"
#include "ports/portinfo.h"

#include <QJsonObject>

#include <string>
#include <vector>

namespace tovrix::cli {

// What a job's run produced besides its verdict, for the outputs.
struct JobReport {
    const PortJob* job = nullptr;
    Verdict verdict;                 // the job's, or worse when its file could not be saved
    std::string savedFile;           // read: the file written
    std::vector<std::string> parts;  // read, write, verify: "configuration", "table"
};

// One JSON object for a port: command, port, device, status, result,
// message, seconds, the transfers with their figures and wire time, the
// firmware when the system data were read, the first differences, and the
// command's own data (the saved file, the system bytes, the test answer).
QJsonObject jobJson(Command command, const JobReport& report);

// The one JSON object of a run that ended before any port was used (bad
// usage, a file that cannot be read or written): command (when known),
// status, result and message.
QJsonObject failureJson(const std::string& command, int status, const std::string& result,
                        const std::string& message);

// The lines a person reads on standard output for a port that did well
// (the data of info and test, the file read saves).
std::vector<std::string> jobLines(Command command, const JobReport& report);

// The table after several ports: port, device, result, status, time, details.
std::string summaryTable(const std::vector<JobReport>& reports);

// Seconds the bytes of a transfer take on the wire at 19200 baud, 8N1.
double wireSeconds(const TransferFigure& figure);

// The answer bytes of a test telegram (the log after its two headings).
std::vector<int> testAnswer(const std::vector<std::string>& testLog);

// One serial device of the port catalogue as a JSON object: the same fields
// as the listing's columns.
QJsonObject portJson(const SerialPortInfo& port);

// The differences of two files as a JSON object and as lines.
QJsonObject diffJson(const std::string& first, const std::string& second,
                     const std::vector<FileDifference>& differences);
std::vector<std::string> diffLines(const std::vector<FileDifference>& differences);

}  // namespace tovrix::cli
