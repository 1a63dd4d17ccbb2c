// The self-test's report depends on which drives the machine has: the
// free-space report of F: whether or not there is an E:, nothing without F:.
#include <gtest/gtest.h>

#include "default_machine.h"
#include "simulated_machine.h"
#include "stdout_capture.h"
#include "tolvane.h"
#include "vds_sim.h"

// On Windows the probes reach the real drives, not the simulated machine.
#if !defined(_WIN32)
namespace {

using SelfTest = SimulatedMachineTest;

TEST_F(SelfTest, ReportsTheFreeSpaceOfFOnAMachineWithoutE) {
    // F: holds 200 GiB, 120 GiB of it free; the machine has no E:.
    EXPECT_EQ(capturedStdout([] { vdsTest(); }),
              "\n\nGetDiskFreeSpaceEx reports\n\n"
              "Available space to caller = 122880 MB\n"
              "Total space               = 204800 MB\n"
              "Free space on drive       = 122880 MB\n");
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(SelfTest, PrintsNothingOnAMachineWithoutF) {
    ASSERT_EQ(VdsSimRemoveObject(&machine::kVolumeF), S_OK);
    EXPECT_EQ(capturedStdout([] { vdsTest(); }), "");
}

}  // namespace
#endif
