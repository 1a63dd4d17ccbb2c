// The list command families, one row each: a machine with `n` objects of the
// family under one parent, the library's request naming that parent, and the
// direct client's calls. Adding a family (partitions, volume plexes, their
// extents) is one more row.
#include <algorithm>

#include "paired_case.h"

namespace {

constexpr int kHardwareProvider = 4, kSubSystem = 20, kObject = 36, kPlex = 52;
constexpr int kSoftwareProvider = 4, kPack = 20, kVolume = 36, kVolumePlex = 52;

struct ListFamily {
    const char* name;
    MachineShape (*shape)(int n);
    std::vector<unsigned char> (*request)(const GeneratedMachine&);
    int (*direct)(const DirectClient&, const GeneratedMachine&);
};

std::vector<unsigned char> hardware(std::int16_t code, const GeneratedMachine& m, const GUID& object = {},
                                    const GUID& plex = {}) {
    return BenchRequest(code)
        .put(kHardwareProvider, m.hardwareProvider)
        .put(kSubSystem, m.subSystem)
        .put(kObject, object)
        .put(kPlex, plex)
        .bytes();
}

// A disk is named where a volume would be, after provider and pack.
std::vector<unsigned char> software(std::int16_t code, const GeneratedMachine& m, const GUID& pack = {},
                                    const GUID& object = {}, const GUID& plex = {}) {
    return BenchRequest(code)
        .put(kSoftwareProvider, m.softwareProvider)
        .put(kPack, pack)
        .put(kVolume, object)
        .put(kVolumePlex, plex)
        .bytes();
}

// Few enough drives that every drive holds many LUN extents, as in a real array.
int drivesFor(int objects) { return std::max(1, objects / 64); }

const ListFamily kFamilies[] = {
    {"ListDrives", [](int n) { return MachineShape{.drives = n}; },
     [](const GeneratedMachine& m) { return hardware(0x0093, m); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_DRIVE_PROP, IVdsDrive>(
             c.object<IVdsSubSystem>(m.subSystem, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem), &IVdsSubSystem::QueryDrives,
             IID_IVdsDrive);
     }},
    {"ListLuns", [](int n) { return MachineShape{.drives = drivesFor(n), .luns = n}; },
     [](const GeneratedMachine& m) { return hardware(0x0094, m); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_LUN_PROP, IVdsLun>(
             c.object<IVdsSubSystem>(m.subSystem, VDS_OT_SUB_SYSTEM, IID_IVdsSubSystem), &IVdsSubSystem::QueryLuns,
             IID_IVdsLun);
     }},
    {"ListDriveExtents", [](int n) { return MachineShape{.drives = 1, .luns = n}; },
     [](const GeneratedMachine& m) { return hardware(0x0095, m, m.drives.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directExtents<VDS_DRIVE_EXTENT>(c.object<IVdsDrive>(m.drives.front(), VDS_OT_DRIVE, IID_IVdsDrive));
     }},
    {"ListLunPlexes", [](int n) { return MachineShape{.drives = drivesFor(n), .luns = 1, .plexesPerLun = n}; },
     [](const GeneratedMachine& m) { return hardware(0x0097, m, m.luns.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_LUN_PLEX_PROP, IVdsLunPlex>(
             c.object<IVdsLun>(m.luns.front(), VDS_OT_LUN, IID_IVdsLun), &IVdsLun::QueryPlexes, IID_IVdsLunPlex);
     }},
    {"ListLunPlexExtents", [](int n) { return MachineShape{.drives = drivesFor(n), .luns = 1, .extentsPerLunPlex = n}; },
     [](const GeneratedMachine& m) { return hardware(0x0098, m, m.luns.front(), m.lunPlexes.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directExtents<VDS_DRIVE_EXTENT>(
             c.object<IVdsLunPlex>(m.lunPlexes.front(), VDS_OT_LUN_PLEX, IID_IVdsLunPlex));
     }},
    {"ListPacks", [](int n) { return MachineShape{.packs = n}; },
     [](const GeneratedMachine& m) { return software(0x0401, m); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_PACK_PROP, IVdsPack>(c.softwareProvider(m.softwareProvider),
                                                        &IVdsSwProvider::QueryPacks, IID_IVdsPack);
     }},
    {"ListPackDisks", [](int n) { return MachineShape{.packs = 1, .disksPerPack = n}; },
     [](const GeneratedMachine& m) { return software(0x0402, m, m.packs.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_DISK_PROP, IVdsDisk>(c.object<IVdsPack>(m.packs.front(), VDS_OT_PACK, IID_IVdsPack),
                                                        &IVdsPack::QueryDisks, IID_IVdsDisk);
     }},
    {"ListVolumes", [](int n) { return MachineShape{.packs = 1, .disksPerPack = drivesFor(n), .volumesPerPack = n}; },
     [](const GeneratedMachine& m) { return software(0x0500, m, m.packs.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_VOLUME_PROP, IVdsVolume>(
             c.object<IVdsPack>(m.packs.front(), VDS_OT_PACK, IID_IVdsPack), &IVdsPack::QueryVolumes, IID_IVdsVolume);
     }},
    {"ListPartitions", [](int n) { return MachineShape{.packs = 1, .disksPerPack = 1, .partitionsPerDisk = n}; },
     [](const GeneratedMachine& m) { return software(0x0404, m, m.packs.front(), m.disks.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directExtents<VDS_PARTITION_PROP>(
             c.object<IVdsAdvancedDisk>(m.disks.front(), VDS_OT_DISK, IID_IVdsAdvancedDisk),
             &IVdsAdvancedDisk::QueryPartitions);
     }},
    {"ListDiskExtents", [](int n) { return MachineShape{.packs = 1, .disksPerPack = 1, .volumesPerPack = n}; },
     [](const GeneratedMachine& m) { return software(0x0409, m, m.packs.front(), m.disks.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directExtents<VDS_DISK_EXTENT>(c.object<IVdsDisk>(m.disks.front(), VDS_OT_DISK, IID_IVdsDisk));
     }},
    {"ListVolumePlexes",
     [](int n) { return MachineShape{.packs = 1, .disksPerPack = drivesFor(n), .volumesPerPack = 1, .plexesPerVolume = n}; },
     [](const GeneratedMachine& m) { return software(0x0501, m, m.packs.front(), m.volumes.front()); },
     [](const DirectClient& c, const GeneratedMachine& m) {
         return directChildren<VDS_VOLUME_PLEX_PROP, IVdsVolumePlex>(
             c.object<IVdsVolume>(m.volumes.front(), VDS_OT_VOLUME, IID_IVdsVolume), &IVdsVolume::QueryPlexes,
             IID_IVdsVolumePlex);
     }},
    {"ListVolumePlexExtents",
     [](int n) {
         return MachineShape{.packs = 1, .disksPerPack = drivesFor(n), .volumesPerPack = 1, .extentsPerVolumePlex = n};
     },
     [](const GeneratedMachine& m) {
         return software(0x0502, m, m.packs.front(), m.volumes.front(), m.volumePlexes.front());
     },
     // Provider, pack, volume and plex, each found among its parent's children.
     [](const DirectClient& c, const GeneratedMachine& m) {
         auto pack = directFind<VDS_PACK_PROP, IVdsPack>(c.softwareProvider(m.softwareProvider),
                                                         &IVdsSwProvider::QueryPacks, IID_IVdsPack, m.packs.front());
         auto volume = directFind<VDS_VOLUME_PROP, IVdsVolume>(std::move(pack), &IVdsPack::QueryVolumes,
                                                               IID_IVdsVolume, m.volumes.front());
         return directExtents<VDS_DISK_EXTENT>(directFind<VDS_VOLUME_PLEX_PROP, IVdsVolumePlex>(
             std::move(volume), &IVdsVolume::QueryPlexes, IID_IVdsVolumePlex, m.volumePlexes.front()));
     }},
};

}  // namespace

std::vector<PairedCase> listCases(const std::vector<int>& sizes) {
    std::vector<PairedCase> cases;
    for (const ListFamily& f : kFamilies)
        for (int n : sizes)
            cases.push_back({std::string(f.name) + "/" + std::to_string(n), f.shape(n), n, f.request, f.direct, {}});
    return cases;
}
