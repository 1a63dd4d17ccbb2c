#include "ratio_reporter.h"

#include <algorithm>
#include <cstdio>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double counter(const benchmark::BenchmarkReporter::Run& run, const char* name, double otherwise) {
    const auto it = run.counters.find(name);
    return it == run.counters.end() ? otherwise : static_cast<double>(it->second.value);
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
        const std::string& name = run.run_name.function_name;
        const auto slash = name.rfind('/');
        if (slash == std::string::npos) continue;
        std::string key = name.substr(0, slash);
        if (run.threads > 1) key += "/threads:" + std::to_string(run.threads);
        const std::string side = name.substr(slash + 1);
        if (!sides_.count(key)) order_.push_back(key);
        Side& s = sides_[key][side];
        // Every thread's CPU time is summed; per run, each thread's runs count.
        s.seconds.push_back(run.cpu_accumulated_time / static_cast<double>(run.iterations));
        s.objects = counter(run, "objects", 1);
        s.allocatedBytes = counter(run, "alloc_bytes", -1);
        s.allocations = counter(run, "allocs", -1);
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    // Standard output carries the library's own log lines (sent to /dev/null).
    std::FILE* out = stderr;
    std::fprintf(out, "\nLibrary beside direct client (CPU time per run; ratio: median of the rounds' ratios)\n");
    std::fprintf(out, "%-34s %7s %12s %12s %10s %10s %9s %12s %12s\n", "case", "ratio", "library us", "direct us",
                 "lib ns/obj", "dir ns/obj", "spread", "lib B/run", "dir B/run");
    for (const std::string& key : order_) {
        const auto& pair = sides_[key];
        const auto lib = pair.find("library");
        const auto dir = pair.find("direct");
        if (lib == pair.end() || dir == pair.end()) continue;
        const double l = median(lib->second.seconds);
        const double d = median(dir->second.seconds);
        // The runs of both sides alternate: round k of the library goes with
        // round k of the direct client. Spread: largest minus smallest of
        // the rounds' ratios.
        std::vector<double> ratios;
        const std::size_t paired = std::min(lib->second.seconds.size(), dir->second.seconds.size());
        for (std::size_t k = 0; k < paired; ++k) ratios.push_back(lib->second.seconds[k] / dir->second.seconds[k]);
        const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
        const double spread = *high - *low;
        const double n = lib->second.objects;
        std::fprintf(out, "%-34s %7.3f %12.1f %12.1f %10.1f %10.1f %8.3f %12.0f %12.0f\n", key.c_str(), median(ratios), l * 1e6,
                     d * 1e6, l * 1e9 / n, d * 1e9 / n, spread, lib->second.allocatedBytes,
                     dir->second.allocatedBytes);
    }
    std::fflush(out);
}
