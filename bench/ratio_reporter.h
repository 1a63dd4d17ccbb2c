// The console report, followed by a table that sets the library's command
// beside the direct client at each drive count.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // `library` and `direct` are the benchmark function names to compare.
    // Colours only when `colour` is set (a terminal).
    RatioReporter(std::string library, std::string direct, bool colour)
        : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular),
          library_(std::move(library)),
          direct_(std::move(direct)) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    std::string library_;
    std::string direct_;
    // CPU time per iteration of every repetition (the machine is shared, so
    // CPU time is the steadier of the two), keyed by function name,
    // then by drive count.
    std::map<std::string, std::map<long, std::vector<double>>> timings_;
};
