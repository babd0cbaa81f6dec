#include "ComparisonReporter.h"

#include <iomanip>

namespace Bench {

namespace {

std::string nameOf(const benchmark::BenchmarkReporter::Run& run) {
    const benchmark::BenchmarkName& name = run.run_name;
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
}

} // namespace

void ComparisonReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) {
            continue;
        }
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        if (median || single) {
            milliseconds_[nameOf(run)] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        }
    }
}

void ComparisonReporter::printComparisons(std::ostream& out,
                                          const std::vector<Comparison>& comparisons) const {
    out << "\nComparison (real time, median of the repetitions where there are several)\n";
    out << std::left << std::setw(50) << "figure" << std::setw(12) << "ms" << std::setw(50)
        << "peer" << std::setw(12) << "ms"
        << "ratio\n";
    for (const Comparison& comparison : comparisons) {
        const auto figure = milliseconds_.find(comparison.figure);
        const auto peer = milliseconds_.find(comparison.peer);
        if (figure == milliseconds_.end() || peer == milliseconds_.end()) {
            continue; // filtered out of this run
        }
        out << std::left << std::setw(50) << comparison.figure << std::setw(12) << std::fixed
            << std::setprecision(2) << figure->second << std::setw(50) << comparison.peer
            << std::setw(12) << peer->second << std::setprecision(2)
            << figure->second / peer->second << "\n";
    }
}

} // namespace Bench
