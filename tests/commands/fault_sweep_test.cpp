// Every command with a handler, swept: each VDS call it makes fails in turn,
// and the command must still answer as its row promises, give back every
// reference and leave the machine unchanged.

#include <gtest/gtest.h>

#include "fault_sweep.h"
#include "service_fixture.h"

namespace {

class WholeTable : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
};

TEST_F(WholeTable, EveryImplementedCommandSurvivesEachFailingCall) {
    EXPECT_GE(runFaultSweepOverTable(), 14);
}

}  // namespace
