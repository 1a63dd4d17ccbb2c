// The machines the table-wide fault sweep runs on: none at all, the default
// one, and the default one among thousands of generated objects (so that
// every lookup walks past them and the samples' targets still exist).
#pragma once

#include <span>

enum class SweepMachine { Empty, Default, Large };

struct SweepMachineInfo {
    SweepMachine machine;
    const char* name;
    // Whether each sample's target is on the machine, so its clean run succeeds.
    bool samplesSucceed;
};

std::span<const SweepMachineInfo> sweepMachines();

// Makes `machine` the service's machine; false (with a test failure) when it
// does not load.
bool loadSweepMachine(SweepMachine machine);
