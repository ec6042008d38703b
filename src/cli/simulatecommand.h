#pragma once

#include "cli/request.h"
#include "sim/simulation.h"
#include "sim/tablecheck.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace tovrix::cli {

// The arguments of simulate (FILE B1 B2 B3 ...) and check (FILE) after the
// command, and the value of --interval. Bytes are decimal or $hex, 0..255,
// three to a telegram; false with the reason otherwise.
bool parseSimulationArguments(const QStringList& arguments, const QString& interval,
                              Request& request, std::string& error);

// Run the two offline commands on the file; nothing is written.
int runSimulate(const Request& request);
int runCheck(const Request& request);

// What simulate --json prints for one telegram.
QJsonObject telegramJson(const sim::TelegramResult& result);
// The lines simulate prints for one telegram.
std::vector<std::string> telegramLines(const sim::TelegramResult& result, int number);

// What check --json prints, and the lines it prints otherwise.
QJsonObject checkJson(const std::string& file, const sim::TableCheck& check);
std::vector<std::string> checkLines(const sim::TableCheck& check);

}  // namespace tovrix::cli
