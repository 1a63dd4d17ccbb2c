// The fault sweep: records the VDS calls of a successful run of a command,
// then fails each call in turn and checks that the command still answers as
// its table row promises, gives back every reference and leaves the machine
// as it was.
#pragma once

#include <string>
#include <vector>

#include "sweep_machines.h"

// Runs the sweep for one request on the current topology; every failed
// expectation is reported through GoogleTest with the call that was failed.
// Without `mustSucceed` the run without faults may fail too (its target is
// not on the machine), as long as it answers as its row promises. Returns how
// many calls were failed.
int runFaultSweep(const std::vector<unsigned char>& request, bool mustSucceed = true);

// Runs the sweep for every command of the table that has a handler, each
// with its sample request, on the machine the service shows now (as `machine`
// describes it); a command without a sample is reported as a failure.
// Returns how many commands were swept.
int runFaultSweepOverTable(const SweepMachineInfo& machine = sweepMachines()[1]);
