// Lists the drives of one subsystem, at several drive counts, through the
// library's command and through a plain client making the same service calls.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "direct_drive_client.h"
#include "drive_topology.h"
#include "ratio_reporter.h"
#include "stdout_silencer.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

constexpr std::int16_t kQueryDrives = 0x0093;
constexpr std::size_t kRequestSize = 36;  // header, provider at 4, subsystem at 20
constexpr std::size_t kJournalLimit = 200000;

// The simulated machine of the last drive count asked for; each benchmark
// function is entered many times per count, the topology is built once.
const DriveTopology& useDrives(int drives) {
    static int loaded = -1;
    static DriveTopology topology;
    if (loaded != drives) {
        topology = makeDriveTopology(drives);
        loaded = VdsSimLoadTopologyJson(topology.json.c_str()) == 0 ? drives : -1;
        VdsSimSetStartingPhase(0);
        VdsSimClearFaults();
    }
    return topology;
}

std::array<unsigned char, kRequestSize> queryDrivesRequest(const DriveTopology& t) {
    std::array<unsigned char, kRequestSize> request{};
    std::memcpy(request.data() + 2, &kQueryDrives, sizeof kQueryDrives);
    std::memcpy(request.data() + 4, &t.provider, sizeof t.provider);
    std::memcpy(request.data() + 20, &t.subSystem, sizeof t.subSystem);
    return request;
}

// The service notes every call it receives; the notes are dropped outside the
// timed region before they grow large.
void trimJournal(benchmark::State& state) {
    if (VdsSimJournalSize() < kJournalLimit) return;
    state.PauseTiming();
    VdsSimJournalClear();
    state.ResumeTiming();
}

// A listing that does not return every drive is not worth timing.
std::string checkReply(const unsigned char* reply, int size, int drives) {
    if (reply == nullptr || size < 14) return "no reply";
    std::int32_t status = 0;
    std::uint16_t count = 0;
    std::memcpy(&status, reply + 4, sizeof status);
    std::memcpy(&count, reply + 12, sizeof count);
    if (status != 0) return "reply status " + std::to_string(status);
    if (count != static_cast<std::uint16_t>(drives)) return "reply lists " + std::to_string(count) + " drives";
    return {};
}

void finish(benchmark::State& state, int drives, const char* leakWhat) {
    state.SetItemsProcessed(state.iterations() * drives);
    state.counters["drives"] = drives;
    state.counters["per_drive"] = benchmark::Counter(
        drives, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    VdsSimJournalClear();
    if (VdsSimLiveReferences() != 0) state.SkipWithError(leakWhat);
}

void BM_QueryDrivesCommand(benchmark::State& state) {
    const int drives = static_cast<int>(state.range(0));
    auto request = queryDrivesRequest(useDrives(drives));
    StdoutSilencer quiet;
    const int opened = vdsInitialize();
    if (opened != 0 && opened != 1) {
        vdsUninitialize();
        state.SkipWithError("vdsInitialize failed");
        return;
    }
    int size = 0;
    unsigned char* reply = vdsCmdHandler(request.data(), kRequestSize, &size);
    const std::string problem = checkReply(reply, size, drives);
    vdsFreeOutput(reply);
    if (!problem.empty()) {
        vdsUninitialize();
        state.SkipWithError(problem.c_str());
        return;
    }

    for (auto _ : state) {
        int outSize = 0;
        reply = vdsCmdHandler(request.data(), kRequestSize, &outSize);
        benchmark::DoNotOptimize(reply);
        vdsFreeOutput(reply);
        trimJournal(state);
    }
    vdsUninitialize();
    finish(state, drives, "the command leaked service references");
}

void BM_QueryDrivesDirect(benchmark::State& state) {
    const int drives = static_cast<int>(state.range(0));
    const DriveTopology& topology = useDrives(drives);
    DirectDriveClient client;
    if (client.open() != S_OK) {
        state.SkipWithError("the direct client could not open the service");
        return;
    }
    if (client.listDrives(topology.subSystem) != drives) {
        state.SkipWithError("the direct client did not read every drive");
        return;
    }

    for (auto _ : state) {
        int read = client.listDrives(topology.subSystem);
        benchmark::DoNotOptimize(read);
        trimJournal(state);
    }
    client.close();
    finish(state, drives, "the direct client leaked service references");
}

constexpr int kDriveCounts[] = {8, 1000, 10000};

// Both ways run at one drive count before the next, so that each count's
// machine is built once and the pair is timed side by side.
void registerBenchmarks() {
    for (int drives : kDriveCounts) {
        benchmark::RegisterBenchmark("BM_QueryDrivesCommand", BM_QueryDrivesCommand)
            ->Arg(drives)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_QueryDrivesDirect", BM_QueryDrivesDirect)
            ->Arg(drives)
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter("BM_QueryDrivesCommand", "BM_QueryDrivesDirect",
                           isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
