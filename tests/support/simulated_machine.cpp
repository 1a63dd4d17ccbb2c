#include "simulated_machine.h"

#include <cstdlib>

std::vector<std::string> journal() {
    std::vector<std::string> lines;
    const std::size_t n = VdsSimJournalSize();
    for (std::size_t i = 0; i < n; ++i) {
        std::string line(VdsSimJournalEntry(i, nullptr, 0) + 1, '\0');
        VdsSimJournalEntry(i, line.data(), line.size());
        line.resize(line.size() - 1);
        lines.push_back(line);
    }
    return lines;
}

void SimulatedMachineTest::SetUp() {
    // Each test has a machine of its own, whatever state file the shell names.
#ifdef _WIN32
    _putenv("TOLVANE_SIM_STATE=");
#else
    unsetenv("TOLVANE_SIM_STATE");
#endif
    VdsSimLoadDefault();
    VdsSimClearFaults();
    VdsSimSetStartingPhase(0);
    VdsSimJournalEnable(1);
    VdsSimJournalClear();
}

void SimulatedMachineTest::TearDown() {
    // What the hardware still does by itself (a rebuild) belongs to this test.
    VdsSimWaitIdle();
    VdsSimClearFaults();
    EXPECT_EQ(VdsSimLiveReferences(), 0) << "references left in the service";
    EXPECT_EQ(VdsSimServiceReferences(), 0) << "service references left";
}
