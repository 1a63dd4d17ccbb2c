#include "ratio_reporter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
        const long drives = std::strtol(run.run_name.args.c_str(), nullptr, 10);
        timings_[run.run_name.function_name][drives].push_back(
            run.cpu_accumulated_time / static_cast<double>(run.iterations));
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    const auto& library = timings_[library_];
    const auto& direct = timings_[direct_];
    if (library.empty() || direct.empty()) return;
    std::FILE* out = stderr;
    std::fprintf(out, "\nMedian CPU time per listing\n%8s %12s %12s %15s %15s %8s\n", "drives",
                 "library us", "direct us", "library ns/drv", "direct ns/drv", "ratio");
    for (const auto& [drives, libraryRuns] : library) {
        auto it = direct.find(drives);
        if (it == direct.end() || drives <= 0) continue;
        const double lib = median(libraryRuns);
        const double dir = median(it->second);
        const double n = static_cast<double>(drives);
        std::fprintf(out, "%8ld %12.1f %12.1f %15.1f %15.1f %8.2f\n", drives, lib * 1e6, dir * 1e6,
                     lib * 1e9 / n, dir * 1e9 / n, lib / dir);
    }
}
