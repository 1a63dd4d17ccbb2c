// Every command with a handler, swept on each machine (none, the default one,
// and the default one among thousands of generated objects): each VDS call it
// makes fails in turn, and the command must still answer as its row
// promises, give back every reference and leave the machine unchanged.

#include <gtest/gtest.h>

#include "fault_sweep.h"
#include "service_fixture.h"
#include "stdout_capture.h"
#include "tolvane.h"

namespace {

class WholeTable : public ServiceTest {};

TEST_F(WholeTable, EveryImplementedCommandSurvivesEachFailingCallOnEveryMachine) {
    for (const SweepMachineInfo& machine : sweepMachines()) {
        SCOPED_TRACE(machine.name);
        // Each machine from a fresh connection, as a service that shows it
        // from the start.
        capturedStdout([] { vdsUninitialize(); });
        if (!loadSweepMachine(machine.machine)) continue;
        connect();
        EXPECT_GE(runFaultSweepOverTable(machine), 14);
    }
}

}  // namespace
