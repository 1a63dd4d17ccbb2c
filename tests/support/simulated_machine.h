// The base of every test that talks to the simulated service: each test starts
// on the default machine, ready at once, with no faults and an empty journal,
// and ends by checking that every reference to the service's objects was
// given back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vds_sim.h"

// The journal's lines since it was last cleared.
std::vector<std::string> journal();

class SimulatedMachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
