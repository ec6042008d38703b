#include "sim/tablecheck.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace tovrix::sim {

bool TableCheck::hasProblems() const {
    return std::any_of(findings.begin(), findings.end(),
                       [](const CheckFinding& f) { return f.severity != Severity::information; });
}

TableCheck checkTable(const ReceiverSetup& setup) {
    TableCheck check;
    // The same finding from many row values is listed once.
    std::map<std::tuple<int, int, int>, std::size_t> index;
    for (int value = 0; value < kTableLines; ++value) {
        const auto row = static_cast<std::uint8_t>(value);
        const PlayOutTrace trace = playOut(setup, value, Payload{row, row, row},
                                           AnalogueStart{0, false}, PlayOutMode::findingsOnly);
        for (const Finding& finding : trace.findings) {
            const auto key =
                std::make_tuple(finding.at.line, finding.at.cell, static_cast<int>(finding.kind));
            auto [at, added] = index.try_emplace(key, check.findings.size());
            if (added) {
                check.findings.push_back({finding, severityOf(finding.kind), {}});
            }
            check.findings[at->second].rowValues.push_back(row);
        }
    }
    std::sort(check.findings.begin(), check.findings.end(),
              [](const CheckFinding& a, const CheckFinding& b) {
                  return std::make_tuple(a.finding.at.line, a.finding.at.cell, a.finding.kind) <
                         std::make_tuple(b.finding.at.line, b.finding.at.cell, b.finding.kind);
              });
    return check;
}

std::vector<SweepRow> sweepRowValues(const ReceiverSetup& setup) {
    const double byteTime = byteTimeMs(outputBaud(setup.conf));
    std::vector<SweepRow> rows;
    rows.reserve(kTableLines);
    PlayOutTrace trace;
    for (int value = 0; value < kTableLines; ++value) {
        const auto row = static_cast<std::uint8_t>(value);
        playOut(setup, value, Payload{row, row, row}, AnalogueStart{0, true}, PlayOutMode::summary,
                trace);
        SweepRow out;
        out.rowValue = row;
        out.byteCount = trace.byteCount;
        out.totalMs = static_cast<double>(trace.byteCount) * byteTime +
                      static_cast<double>(trace.pauseTotalMs + trace.trailingPauseMs);
        out.end = trace.end;
        for (const Finding& finding : trace.findings) {
            if (severityOf(finding.kind) != Severity::information) {
                out.warnings.push_back(describe(finding));
            }
        }
        rows.push_back(std::move(out));
    }
    return rows;
}

}  // namespace tovrix::sim
