// Every paired case twice: through the library's C entry (vdsCmdHandler)
// and through the direct client, side by side on the same simulated machine.
// The library's log lines go to /dev/null (the library still formats and
// writes them: that is part of its cost); the report goes to standard error.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <string_view>

#include "allocation_counter.h"
#include "paired_case.h"
#include "ratio_reporter.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

std::deque<PairedCase> gCases;  // stable addresses for the registered lambdas

// What a run states besides its time; allocations only when run alone.
void count(benchmark::State& state, const PairedCase& c, AllocationCount before) {
    const AllocationCount after = allocationsSoFar();
    const double runs = static_cast<double>(state.iterations());
    state.counters["objects"] = c.objects;
    state.counters["per_object"] =
        benchmark::Counter(c.objects, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (state.threads() == 1 && runs > 0) {
        state.counters["alloc_bytes"] = static_cast<double>(after.bytes - before.bytes) / runs;
        state.counters["allocs"] = static_cast<double>(after.blocks - before.blocks) / runs;
    }
}

// Once the run has let go of the service, nothing may hold a reference.
void checkReferences(benchmark::State& state, const char* leakWhat) {
    if (state.threads() == 1 && VdsSimLiveReferences() != 0) state.SkipWithError(leakWhat);
}

// The machine of the case being run by several threads, loaded by the setup.
const PairedCase* gThreaded = nullptr;
const GeneratedMachine* gThreadedMachine = nullptr;

// One timed run through the C entry, out of line for the same reason as
// directRun: the instruction count of the runs alone, without the first,
// checked, one.
__attribute__((noinline)) void libraryRun(std::vector<unsigned char>& request, std::vector<unsigned char>& undo) {
    int size = 0;
    unsigned char* reply = vdsCmdHandler(request.data(), static_cast<int>(request.size()), &size);
    benchmark::DoNotOptimize(reply);
    vdsFreeOutput(reply);
    if (!undo.empty()) vdsFreeOutput(vdsCmdHandler(undo.data(), static_cast<int>(undo.size()), &size));
}

void runLibrary(benchmark::State& state, const PairedCase& c) {
    const bool alone = state.threads() == 1;
    const GeneratedMachine* m = alone ? useMachine(c.shape, c.keptInStateFile) : gThreadedMachine;
    if (m == nullptr) return state.SkipWithError("the service refused the machine");
    if (alone && !openLibrary()) return state.SkipWithError("vdsInitialize failed");
    auto request = c.request(*m);
    auto undo = c.undo ? c.undo(*m) : std::vector<unsigned char>{};
    if (alone) {
        ReplyCheck first = runOnce(request);
        if (first.problem.empty() && !undo.empty()) first = runOnce(undo);
        if (!first.problem.empty()) {
            closeLibrary();
            return state.SkipWithError(first.problem.c_str());
        }
    }
    const AllocationCount before = allocationsSoFar();
    for (auto _ : state) {
        // The undo names what this run's change makes, new each run.
        if (c.undo) undo = c.undo(*m);
        libraryRun(request, undo);
    }
    count(state, c, before);
    if (alone) {
        closeLibrary();
        checkReferences(state, "the command leaked service references");
    }
}

// Out of line, so that an instruction count can be taken of it alone
// (valgrind --tool=callgrind --toggle-collect=directRun, beside vdsCmdHandler).
__attribute__((noinline)) int directRun(const PairedCase& c, const DirectClient& client, const GeneratedMachine& m) {
    return c.direct(client, m);
}

void runDirect(benchmark::State& state, const PairedCase& c) {
    const GeneratedMachine* m = state.threads() == 1 ? useMachine(c.shape, c.keptInStateFile) : gThreadedMachine;
    if (m == nullptr) return state.SkipWithError("the service refused the machine");
    AllocationCount before;
    {
        DirectClient client;
        if (client.open() != S_OK) return state.SkipWithError("the direct client could not open the service");
        // Extents of a drive also include its free stretches, so more is fine.
        if (c.direct(client, *m) < c.objects) return state.SkipWithError("the direct client did not read every object");
        before = allocationsSoFar();  // the client's opening is not a per-run cost
        for (auto _ : state) {
            int read = directRun(c, client, *m);
            benchmark::DoNotOptimize(read);
        }
        count(state, c, before);
    }
    checkReferences(state, "the direct client leaked service references");
}

void setupThreaded(const benchmark::State&) {
    gThreadedMachine = useMachine(gThreaded->shape);
    openLibrary();
}
void teardownThreaded(const benchmark::State&) { closeLibrary(); }
void setupThreadedDirect(const benchmark::State&) { gThreadedMachine = useMachine(gThreaded->shape); }

// How many times each case runs on each side. The library's run and the
// direct client's alternate, round after round, so that a change in the
// machine's load meets both sides alike; the report pairs them round by round.
int rounds() {
    const char* text = std::getenv("TOLVANE_BENCH_ROUNDS");
    const int n = text != nullptr ? std::atoi(text) : 5;
    return n > 0 ? n : 1;
}

void registerPair(const PairedCase& c) {
    gCases.push_back(c);
    const PairedCase* p = &gCases.back();
    for (int round = 0; round < rounds(); ++round) {
        benchmark::RegisterBenchmark((c.name + "/library").c_str(), [p](benchmark::State& s) { runLibrary(s, *p); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((c.name + "/direct").c_str(), [p](benchmark::State& s) { runDirect(s, *p); })
            ->Unit(benchmark::kMicrosecond);
    }
}

// One listing, called from 1 to 8 threads at once.
void registerScaling(const PairedCase& c) {
    gCases.push_back(c);
    gThreaded = &gCases.back();
    const std::string name = "Threads" + c.name;
    for (int threads : {1, 2, 4, 8})
        for (int round = 0; round < rounds(); ++round) {
            benchmark::RegisterBenchmark((name + "/library").c_str(),
                                         [](benchmark::State& s) { runLibrary(s, *gThreaded); })
                ->Threads(threads)->Setup(setupThreaded)->Teardown(teardownThreaded)->UseRealTime()
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark((name + "/direct").c_str(),
                                         [](benchmark::State& s) { runDirect(s, *gThreaded); })
                ->Threads(threads)->Setup(setupThreadedDirect)->UseRealTime()->Unit(benchmark::kMicrosecond);
        }
}

std::vector<int> listSizes() {
    // TOLVANE_BENCH_QUICK leaves out the largest lists (a short check run).
    if (std::getenv("TOLVANE_BENCH_QUICK") != nullptr) return {10, 1000};
    return {10, 1000, 100000};
}

std::vector<int> changeSizes() {
    if (std::getenv("TOLVANE_BENCH_QUICK") != nullptr) return {1000, 10000};
    return {1000, 10000, 100000};
}

}  // namespace

int main(int argc, char** argv) {
    for (const PairedCase& c : readAndChangeCases(changeSizes())) registerPair(c);
    const auto lists = listCases(listSizes());
    for (const PairedCase& c : lists) registerPair(c);
    registerScaling(listCases({1000}).front());
    registerStateFileOpening(changeSizes().back());

    bool listing = false;
    for (int i = 1; i < argc; ++i) listing = listing || std::string_view(argv[i]).starts_with("--benchmark_list_tests");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::fflush(stdout);
    // A listing of the benchmarks' names stays on standard output.
    if (const int null = listing ? -1 : open("/dev/null", O_WRONLY); null >= 0) {
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    RatioReporter reporter(isatty(STDERR_FILENO) != 0);
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
