// A simulated machine with one hardware provider and one subsystem holding a
// chosen number of drives, for timing listings at different sizes.
#pragma once

#include <string>

#include "platform/vds_types.h"

struct DriveTopology {
    VDS_OBJECT_ID provider;
    VDS_OBJECT_ID subSystem;
    std::string json;  // the description that VdsSimLoadTopologyJson takes
};

// Drive i sits on bus i / kBenchSlotsPerBus, slot i % kBenchSlotsPerBus, so
// every drive has a place of its own.
inline constexpr int kBenchSlotsPerBus = 64;

DriveTopology makeDriveTopology(int drives);
