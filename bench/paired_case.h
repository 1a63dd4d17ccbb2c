// One thing the library does, paired with the plain client doing the same
// service calls: the machine it runs on, the library's request, and the
// direct client's way. Every benchmark of this binary is a row of such cases.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bench_machine.h"
#include "direct_client.h"

struct PairedCase {
    std::string name;    // e.g. "ListDrives/1000"
    MachineShape shape;
    int objects = 1;     // what one run handles, for the per-object figures
    std::function<std::vector<unsigned char>(const GeneratedMachine&)> request;
    // Returns the objects handled, or -1 when the direct way failed.
    std::function<int(const DirectClient&, const GeneratedMachine&)> direct;
    // For a change: the library's request that undoes it (e.g. delete after
    // create), sent within the same timed run so every run starts alike.
    std::function<std::vector<unsigned char>(const GeneratedMachine&)> undo;
    // The machine kept in a state file (TOLVANE_SIM_STATE) rather than in
    // the process: what sharing it costs a change.
    bool keptInStateFile = false;
};

// Lists of every family at each size, a read, and changes.
std::vector<PairedCase> listCases(const std::vector<int>& sizes);
// The changes at each machine size (objects of the kind each concerns).
std::vector<PairedCase> readAndChangeCases(const std::vector<int>& sizes);
// Opening a state file of about `objects` objects (not paired: no client
// opens a file).
void registerStateFileOpening(int objects);
