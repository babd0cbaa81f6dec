#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace Bench {

// A figure of the system and the peer it is measured against.
struct Comparison {
    std::string figure;
    std::string peer;
};

// Prints the usual console table and remembers one time per benchmark: the median of
// the repetitions when there are any, else the single run. Afterwards it prints every
// comparison with its ratio.
class ComparisonReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;

    void printComparisons(std::ostream& out, const std::vector<Comparison>& comparisons) const;

private:
    std::map<std::string, double> milliseconds_;
};

} // namespace Bench
