#include "generate/machine_generator.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "model/guid_text.h"

namespace tolvane::sim {

namespace {

using nlohmann::json;

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;
// Every extent and partition is one stretch of this size, laid end to end on
// its drive or disk, so nothing overlaps whatever the counts.
constexpr std::uint64_t kStretch = kGiB;
constexpr std::uint64_t kFirstOffset = kMiB;
constexpr int kSlotsPerBus = 64;

// One prefix per kind of object (XX000000-0000-4000-8000-<serial>), so
// identifiers never collide and a journal shows what each one is.
enum Prefix : unsigned {
    kHardwareProvider = 0xB0,
    kSubSystem = 0xB1,
    kDrive = 0xB2,
    kLun = 0xB3,
    kLunPlex = 0xB4,
    kSoftwareProvider = 0xC0,
    kPack = 0xC1,
    kDisk = 0xC2,
    kVolume = 0xC3,
    kVolumePlex = 0xC4,
    kGptPartition = 0xC5,
    kBasicProvider = 0xC6,
    kBasicPack = 0xC7,
    kBasicDisk = 0xC8,
};

GUID makeId(unsigned prefix, std::uint64_t serial) {
    GUID id{};
    id.Data1 = prefix << 24;
    id.Data3 = 0x4000;
    id.Data4[0] = 0x80;
    for (int i = 0; i < 6; ++i) id.Data4[7 - i] = static_cast<unsigned char>(serial >> (8 * i));
    return id;
}

// Hands out stretches round-robin over a set of places (drives or disks) and
// remembers how far each place is used, to size it afterwards.
class StretchPlacer {
public:
    explicit StretchPlacer(std::size_t places) : used_(places, 0) {}
    std::pair<std::size_t, std::uint64_t> next() {
        const std::size_t place = next_++ % used_.size();
        return {place, kFirstOffset + kStretch * used_[place]++};
    }
    std::uint64_t end(std::size_t place, std::uint64_t atLeast) const {
        return std::max(atLeast, kFirstOffset + kStretch * (used_[place] + 1));
    }

private:
    std::vector<std::uint64_t> used_;
    std::size_t next_ = 0;
};

std::string numbered(const char* plain, const char* accented, bool accent, std::size_t n) {
    return std::string(accent ? accented : plain) + " " + std::to_string(n);
}

void requireCount(int count, const char* what) {
    if (count < 0) throw std::invalid_argument(std::string("a negative count of ") + what);
}

// The plexes of one LUN or volume, each of `extentsPerPlex` stretches placed
// round-robin over `places` (drives or disks, named by `placeKey`); their
// identifiers are appended to `plexIds`. Also the layout's type name.
struct Layout {
    int plexes;
    int extentsPerPlex;
    const char* type() const { return plexes > 1 ? "mirror" : extentsPerPlex > 1 ? "span" : "simple"; }
};

json placedPlexes(const Layout& layout, unsigned prefix, std::vector<GUID>& plexIds, StretchPlacer& placer,
                  const char* placeKey, const GUID* places) {
    json plexes = json::array();
    for (int p = 0; p < layout.plexes; ++p) {
        const GUID plex = makeId(prefix, plexIds.size() + 1);
        plexIds.push_back(plex);
        json extents = json::array();
        for (int e = 0; e < layout.extentsPerPlex; ++e) {
            auto [place, offset] = placer.next();
            extents.push_back({{placeKey, guidToText(places[place])}, {"offset", offset}, {"size", kStretch}});
        }
        plexes.push_back({{"id", guidToText(plex)},
                          {"type", layout.extentsPerPlex > 1 ? "span" : "simple"},
                          {"extents", std::move(extents)}});
    }
    return plexes;
}

void hardware(const MachineShape& s, GeneratedMachine& m, json& root) {
    if (s.drives == 0 && s.luns == 0) return;
    if (s.luns > 0 && s.drives == 0) throw std::invalid_argument("LUNs need drives to lie on");
    if (s.luns > 0 && (s.plexesPerLun < 1 || s.extentsPerLunPlex < 1))
        throw std::invalid_argument("a LUN needs at least one plex of at least one extent");
    m.hardwareProvider = makeId(kHardwareProvider, 1);
    m.subSystem = makeId(kSubSystem, 1);
    for (int i = 0; i < s.drives; ++i) m.drives.push_back(makeId(kDrive, static_cast<std::uint64_t>(i) + 1));

    StretchPlacer onDrives(m.drives.size());
    json luns = json::array();
    for (int i = 0; i < s.luns; ++i) {
        const GUID id = makeId(kLun, static_cast<std::uint64_t>(i) + 1);
        m.luns.push_back(id);
        const Layout layout{s.plexesPerLun, s.extentsPerLunPlex};
        json plexes = placedPlexes(layout, kLunPlex, m.lunPlexes, onDrives, "drive", m.drives.data());
        luns.push_back({{"id", guidToText(id)},
                        {"friendlyName", numbered("LUN", "Unité logique é ✓ 𝄞", s.accentedNames, i)},
                        {"identification", "GEN-LUN-" + std::to_string(i)},
                        {"type", layout.type()},
                        {"plexes", std::move(plexes)}});
    }

    json drives = json::array();
    for (std::size_t i = 0; i < m.drives.size(); ++i)
        drives.push_back({{"id", guidToText(m.drives[i])},
                          {"friendlyName", numbered("Drive", "Lecteur é ✓ 𝄞", s.accentedNames, i)},
                          {"identification", "GEN-SN-" + std::to_string(i)},
                          {"size", onDrives.end(i, 64 * kGiB)},
                          {"bus", i / kSlotsPerBus},
                          {"slot", i % kSlotsPerBus}});
    json subSystem = {{"id", guidToText(m.subSystem)},
                      {"friendlyName", "Generated RAID"},
                      {"identification", "GEN-RAID-0001"},
                      {"internalBuses", m.drives.size() / kSlotsPerBus + 1},
                      {"slotsPerBus", kSlotsPerBus},
                      {"drives", std::move(drives)},
                      {"luns", std::move(luns)}};
    root["hardwareProviders"] = json::array({{{"id", guidToText(m.hardwareProvider)},
                                              {"name", "Generated RAID Provider"},
                                              {"version", "1.0"},
                                              {"subsystems", json::array({std::move(subSystem)})}}});
}

json pack(const MachineShape& s, GeneratedMachine& m, int index) {
    const GUID id = makeId(kPack, static_cast<std::uint64_t>(index) + 1);
    m.packs.push_back(id);
    const std::size_t firstDisk = m.disks.size();
    for (int d = 0; d < s.disksPerPack; ++d) m.disks.push_back(makeId(kDisk, m.disks.size() + 1));

    StretchPlacer onDisks(static_cast<std::size_t>(s.disksPerPack));
    json volumes = json::array();
    for (int v = 0; v < s.volumesPerPack; ++v) {
        const GUID volume = makeId(kVolume, m.volumes.size() + 1);
        m.volumes.push_back(volume);
        const Layout layout{s.plexesPerVolume, s.extentsPerVolumePlex};
        json plexes =
            placedPlexes(layout, kVolumePlex, m.volumePlexes, onDisks, "disk", m.disks.data() + firstDisk);
        const std::size_t n = m.volumes.size();
        volumes.push_back(
            {{"id", guidToText(volume)},
             {"name", "\\\\?\\GLOBALROOT\\Device\\HarddiskDmVolumes\\Pack" + std::to_string(index) + "\\Volume" +
                          std::to_string(v + 1)},
             {"type", layout.type()},
             {"fileSystem", {{"type", "ntfs"}, {"label", numbered("Data", "Données é ✓ 𝄞", s.accentedNames, n)}}},
             {"plexes", std::move(plexes)}});
    }

    json disks = json::array();
    for (int d = 0; d < s.disksPerPack; ++d) {
        const std::size_t n = firstDisk + static_cast<std::size_t>(d);
        json partitions = json::array();
        for (int p = 0; p < s.partitionsPerDisk; ++p)
            partitions.push_back({{"offset", kFirstOffset + kStretch * static_cast<std::uint64_t>(p)},
                                  {"size", kStretch},
                                  {"gptId", guidToText(makeId(kGptPartition, n * 65536 + static_cast<std::uint64_t>(p) + 1))},
                                  {"gptName", "Basic data partition"}});
        const std::uint64_t partitionsEnd = kFirstOffset + kStretch * (static_cast<std::uint64_t>(s.partitionsPerDisk) + 1);
        disks.push_back({{"id", guidToText(m.disks[n])},
                         {"size", onDisks.end(static_cast<std::size_t>(d), std::max(128 * kGiB, partitionsEnd))},
                         {"style", "gpt"},
                         {"name", "\\\\?\\PhysicalDrive" + std::to_string(n)},
                         {"friendlyName", numbered("Generated Disk", "Disque é ✓ 𝄞", s.accentedNames, n)},
                         {"diskAddress", "Port0Path0Target" + std::to_string(n) + "Lun0"},
                         {"adaptorName", "Generated SAS Adapter"},
                         {"devicePath", "\\\\?\\scsi#disk&ven_generated#" + std::to_string(n)},
                         {"busType", 10},
                         {"partitions", std::move(partitions)}});
    }
    return {{"id", guidToText(id)},
            {"name", "GEN-Dg" + std::to_string(index)},
            {"disks", std::move(disks)},
            {"volumes", std::move(volumes)}};
}

// Empty basic disks, each as large as the generated dynamic disks start,
// each in a pack of its own as the basic provider keeps them.
json basicProvider(const MachineShape& s, GeneratedMachine& m) {
    m.basicProvider = makeId(kBasicProvider, 1);
    json packs = json::array();
    for (int d = 0; d < s.basicDisks; ++d) {
        m.basicDisks.push_back(makeId(kBasicDisk, static_cast<std::uint64_t>(d) + 1));
        m.basicPacks.push_back(makeId(kBasicPack, static_cast<std::uint64_t>(d) + 1));
        const std::string n = std::to_string(d);
        json disk = {{"id", guidToText(m.basicDisks.back())},
                     {"size", 128 * kGiB},
                     {"style", "gpt"},
                     {"name", "\\\\?\\BasicDrive" + n},
                     {"friendlyName", "Generated Basic Disk " + n},
                     {"diskAddress", "Port1Path0Target" + n + "Lun0"},
                     {"adaptorName", "Generated SAS Adapter"},
                     {"devicePath", "\\\\?\\scsi#disk&ven_generated_basic#" + n},
                     {"busType", 10},
                     {"partitions", json::array()}};
        packs.push_back({{"id", guidToText(m.basicPacks.back())}, {"name", ""}, {"disks", json::array({disk})}});
    }
    return {{"id", guidToText(m.basicProvider)},
            {"name", "Generated Basic Provider"},
            {"version", "1.0"},
            {"kind", "basic"},
            {"packs", std::move(packs)}};
}

void software(const MachineShape& s, GeneratedMachine& m, json& root) {
    if (s.basicDisks > 0) root["softwareProviders"].push_back(basicProvider(s, m));
    if (s.packs == 0) {
        if (s.disksPerPack > 0 || s.volumesPerPack > 0) throw std::invalid_argument("disks and volumes need packs");
        return;
    }
    if (s.volumesPerPack > 0 && s.disksPerPack == 0) throw std::invalid_argument("volumes need disks to lie on");
    if (s.volumesPerPack > 0 && (s.plexesPerVolume < 1 || s.extentsPerVolumePlex < 1))
        throw std::invalid_argument("a volume needs at least one plex of at least one extent");
    m.softwareProvider = makeId(kSoftwareProvider, 1);
    json packs = json::array();
    for (int k = 0; k < s.packs; ++k) packs.push_back(pack(s, m, k));
    root["softwareProviders"].push_back({{"id", guidToText(m.softwareProvider)},
                                         {"name", "Generated Dynamic Provider"},
                                         {"version", "1.0"},
                                         {"kind", "dynamic"},
                                         {"packs", std::move(packs)}});
}

}  // namespace

GeneratedMachine generateMachine(const MachineShape& shape) {
    for (auto [count, what] : {std::pair{shape.drives, "drives"}, {shape.luns, "LUNs"},
                               {shape.plexesPerLun, "LUN plexes"}, {shape.extentsPerLunPlex, "LUN extents"},
                               {shape.packs, "packs"}, {shape.disksPerPack, "disks"},
                               {shape.partitionsPerDisk, "partitions"}, {shape.volumesPerPack, "volumes"},
                               {shape.plexesPerVolume, "volume plexes"}, {shape.extentsPerVolumePlex, "volume extents"},
                               {shape.basicDisks, "basic disks"}})
        requireCount(count, what);
    if (shape.partitionsPerDisk > 0 && shape.disksPerPack == 0) throw std::invalid_argument("partitions need disks");
    GeneratedMachine m;
    json root = json::object();
    hardware(shape, m, root);
    software(shape, m, root);
    m.json = root.dump();
    return m;
}

}  // namespace tolvane::sim
