// The console report, followed by a table that sets each library benchmark
// ("<case>/library") beside its direct client ("<case>/direct"): the median
// of the ratios of runs made in turn (library, direct, library, ...), its
// spread over those rounds, the median CPU time per run of each side, per
// object, and the bytes allocated per run.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Side {
        std::vector<double> seconds;  // CPU time per run, one per round, in order
        double objects = 1;
        double allocatedBytes = -1;
        double allocations = -1;
    };
    // Keyed by case (with its thread count), then "library" or "direct";
    // cases in the order they first ran.
    std::vector<std::string> order_;
    std::map<std::string, std::map<std::string, Side>> sides_;
};
