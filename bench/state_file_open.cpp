// Opening a large state file: what a process pays to join a shared machine
// (reading every row, building the model, checking its rules).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench_machine.h"
#include "model/topology_loader.h"
#include "paired_case.h"
#include "state/state_file.h"

void registerStateFileOpening(int objects) {
    benchmark::RegisterBenchmark(("OpenStateFile/" + std::to_string(objects)).c_str(), [objects](benchmark::State& state) {
        // LUNs with a plex each, an eighth as many drives.
        const MachineShape shape{.drives = objects / 16, .luns = objects * 7 / 16};
        const std::string path = benchStateFile("open");
        std::string error;
        auto initial = tolvane::sim::loadTopologyText(tolvane::sim::generateMachine(shape).json, "(bench)", error);
        bool created = false;
        auto made = tolvane::sim::StateFile::open(
            path, [&](std::string&) { return std::move(initial); }, created, error);
        if (!made) return state.SkipWithError(error.c_str());
        std::size_t rows = 0;
        for (auto _ : state) {
            auto file = tolvane::sim::StateFile::open(
                path, [](std::string&) { return std::optional<tolvane::sim::Model>(); }, created, error);
            auto model = file ? file->loadMachine(error) : std::nullopt;
            if (!model) return state.SkipWithError(error.c_str());
            rows = model->kinds.size();
        }
        state.counters["objects"] = static_cast<double>(rows);
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
    })->Unit(benchmark::kMillisecond)->Iterations(3);
}
