// Large simulated machines built to order, for benchmarks and for tests that
// need many objects: the counts of each kind are chosen, the identifiers and
// places are laid out so that the machine keeps the model's rules.
#pragma once

#include <string>
#include <vector>

#include "platform/com_types.h"

namespace tolvane::sim {

struct MachineShape {
    // One hardware provider with one subsystem holding the drives and LUNs.
    int drives = 0;
    int luns = 0;
    int plexesPerLun = 1;
    int extentsPerLunPlex = 1;
    // One dynamic software provider holding the packs; every pack has the
    // same disks, partitions and volumes.
    int packs = 0;
    int disksPerPack = 0;
    int partitionsPerDisk = 0;
    int volumesPerPack = 0;
    int plexesPerVolume = 1;
    int extentsPerVolumePlex = 1;
    // One basic software provider with one pack of this many empty GPT disks,
    // where partitions can be made (dynamic disks take none).
    int basicDisks = 0;
    // Names with letters outside ASCII (2-, 3- and 4-byte UTF-8), so that text
    // conversion is timed off its fast path too.
    bool accentedNames = false;

    bool operator==(const MachineShape&) const = default;
};

struct GeneratedMachine {
    std::string json;  // the description VdsSimLoadTopologyJson takes
    GUID hardwareProvider{};
    GUID subSystem{};
    GUID softwareProvider{};
    std::vector<GUID> drives;
    std::vector<GUID> luns;
    std::vector<GUID> lunPlexes;
    std::vector<GUID> packs;
    std::vector<GUID> disks;
    std::vector<GUID> volumes;
    std::vector<GUID> volumePlexes;
    GUID basicProvider{};
    std::vector<GUID> basicPacks;  // one per basic disk, as the basic provider keeps them
    std::vector<GUID> basicDisks;
};

// Throws std::invalid_argument for a shape no machine can have (a negative
// count, LUNs without drives, volumes without disks).
GeneratedMachine generateMachine(const MachineShape& shape);

}  // namespace tolvane::sim
