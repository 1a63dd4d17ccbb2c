#include "sweep_machines.h"

#include <gtest/gtest.h>

#include <string>

#include "vds_sim.h"

#if !defined(_WIN32)
#include <nlohmann/json.hpp>

#include "generate/machine_generator.h"
#include "model/topology_loader.h"
#endif

namespace {

constexpr SweepMachineInfo kMachines[] = {
    {SweepMachine::Empty, "empty", false},
    {SweepMachine::Default, "default", true},
#if !defined(_WIN32)
    {SweepMachine::Large, "large", true},
#endif
};

#if !defined(_WIN32)
// Over ten thousand objects under a provider of their own on each side, so
// that a change's undo is checked where the machine is far larger than what
// the change touches.
std::string largeMachineJson() {
    tolvane::sim::MachineShape shape;
    shape.drives = 256;
    shape.luns = 4096;
    shape.packs = 16;
    shape.disksPerPack = 32;
    shape.partitionsPerDisk = 2;
    shape.volumesPerPack = 64;
    auto machine = nlohmann::json::parse(tolvane::sim::defaultTopologyText());
    const auto generated = nlohmann::json::parse(tolvane::sim::generateMachine(shape).json);
    for (const char* side : {"hardwareProviders", "softwareProviders"})
        for (const auto& provider : generated.value(side, nlohmann::json::array())) machine[side].push_back(provider);
    return machine.dump();
}
#endif

}  // namespace

std::span<const SweepMachineInfo> sweepMachines() { return kMachines; }

bool loadSweepMachine(SweepMachine machine) {
    switch (machine) {
    case SweepMachine::Empty: {
        const int hr = VdsSimLoadTopologyJson("{}");
        EXPECT_EQ(hr, 0) << "the empty machine does not load";
        return hr == 0;
    }
    case SweepMachine::Default:
        VdsSimLoadDefault();
        return true;
    case SweepMachine::Large:
#if !defined(_WIN32)
    {
        static const std::string json = largeMachineJson();
        const int hr = VdsSimLoadTopologyJson(json.c_str());
        EXPECT_EQ(hr, 0) << "the large machine does not load";
        return hr == 0;
    }
#else
        return false;
#endif
    }
    return false;
}
