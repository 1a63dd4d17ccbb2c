// A machine saved as a topology and read back is the same machine: the same
// digest, the same children in the same order, the same fields the digest
// leaves out (maintenance under way, identifier serials), and saved again,
// the same text. Every machine the tree describes, generated ones with
// names outside ASCII, and machines that changes have left in states a
// hand-written file seldom shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "built_in_model.h"
#include "change_steps.h"
#include "changes/disk_changes.h"
#include "changes/file_system_changes.h"
#include "changes/hardware_changes.h"
#include "changes/hardware_failures.h"
#include "changes/lun_changes.h"
#include "changes/pack_changes.h"
#include "changes/volume_changes.h"
#include "model/model_digest.h"
#include "model/model_rules.h"
#include "model/partition_types.h"
#include "model/topology_loader.h"
#include "model/topology_writer.h"

#if !defined(_WIN32)
#include "generate/machine_generator.h"
#endif

using namespace simmodel;
using namespace tolvane::sim;

namespace {

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;

// Every list of children, by parent, and the machine's own lists.
std::map<std::string, std::vector<GUID>> childLists(const Model& m) {
    std::map<std::string, std::vector<GUID>> out{{"hardwareProviders", m.hardwareProviders},
                                                 {"softwareProviders", m.softwareProviders},
                                                 {"unallocatedDisks", m.unallocatedDisks}};
    const auto add = [&out](const GUID& parent, const char* list, const IdList& ids) {
        out[guidToText(parent) + "/" + list] = ids.toVector();
    };
    for (const auto& [id, p] : m.providers) add(id, "children", p.children);
    for (const auto& [id, s] : m.subsystems) {
        add(id, "controllers", s.controllers);
        add(id, "drives", s.drives);
        add(id, "luns", s.luns);
    }
    for (const auto& [id, c] : m.controllers) add(id, "ports", c.ports);
    for (const auto& [id, l] : m.luns) add(id, "plexes", l.plexes);
    for (const auto& [id, k] : m.packs) {
        add(id, "disks", k.disks);
        add(id, "volumes", k.volumes);
    }
    for (const auto& [id, v] : m.volumes) add(id, "plexes", v.plexes);
    return out;
}

// What the digest does not cover.
std::map<std::string, std::uint32_t> maintenanceRunning(const Model& m) {
    std::map<std::string, std::uint32_t> out;
    for (const auto& [id, s] : m.subsystems) out[guidToText(id)] = s.maintenanceRunning;
    for (const auto& [id, c] : m.controllers) out[guidToText(id)] = c.maintenanceRunning;
    for (const auto& [id, d] : m.drives) out[guidToText(id)] = d.maintenanceRunning;
    return out;
}

void expectRoundTrip(const Model& m) {
    const std::string saved = writeTopologyText(m);
    std::string error;
    const auto back = loadTopologyText(saved, "(saved)", error);
    ASSERT_TRUE(back) << error << "\n" << saved;
    EXPECT_EQ(modelDigest(*back), modelDigest(m)) << saved;
    EXPECT_EQ(checkModelRules(*back), std::nullopt);
    EXPECT_EQ(writeTopologyText(*back), saved);
    EXPECT_EQ(back->lastSerial, m.lastSerial);
    EXPECT_EQ(childLists(*back), childLists(m));
    EXPECT_EQ(maintenanceRunning(*back), maintenanceRunning(m));
    // The next object a change makes takes the same identifier in both.
    Model before = m;
    Model after = *back;
    for (std::uint32_t prefix : {0x7E000000u, 0x90000000u, 0x91000000u, 0x50000000u})
        EXPECT_EQ(guidToText(after.issueId(prefix)), guidToText(before.issueId(prefix)));
}

Model loaded(const std::string& text, const std::string& source) {
    std::string error;
    auto model = loadTopologyText(text, source, error);
    EXPECT_TRUE(model) << error;
    return model ? *model : Model{};
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The changes applied in turn, each as the service's core applies one; a
// refused step would test less than the row says, so it fails the row.
Model changed(std::vector<std::pair<const char*, ChangeFunction>> steps) {
    Model m = defaultMachine();
    for (const auto& [what, change] : steps) {
        Batch batch;
        ChangeOutput output;
        EXPECT_EQ(apply(m, change, batch, output), S_OK) << what;
    }
    return m;
}

NewPartition gptData(std::uint64_t offset, std::uint64_t size) {
    NewPartition p;
    p.offset = offset;
    p.size = size;
    p.style = VDS_PST_GPT;
    p.gptType = kGptBasicData;
    p.gptName = u"Basic data partition";
    return p;
}

NewPartition mbrPartition(std::uint64_t offset, std::uint64_t size, std::uint8_t type) {
    NewPartition p;
    p.offset = offset;
    p.size = size;
    p.style = VDS_PST_MBR;
    p.mbrType = type;
    return p;
}

struct Row {
    const char* name;
    std::function<Model()> machine;
    // Fields the saved text must hold, so that the row keeps testing the state it names.
    std::vector<const char*> shows = {};
};

const Row kMachines[] = {
    {"the built-in machine", [] { return defaultMachine(); }},
    {"the empty machine", [] { return loaded("{}", "(empty)"); }},
    {"software after changes: a placeholder pack, a made disk and volume, a lettered and formatted ESP, "
     "a dismounted volume",
     [] {
         const GUID made{0x7E000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
         return changed({
             {"a pack for the raw disk", createPack(id(kBasicProvider))},
             {"a pack left empty", createPack(id(kBasicProvider))},
             {"the raw disk into the first", addDiskToPack(made, id(machine::text::kRawDisk), VDS_PST_GPT, FALSE)},
             {"a data partition, a volume", createPartition(id(machine::text::kRawDisk), gptData(129 * kMiB, kGiB))},
             {"the ESP formatted",
              formatPartition(id(kGptDisk), {kMiB, VDS_FST_NTFS, true, u"Démarrage ✓ 𝄞", 0, true})},
             {"and lettered", assignDriveLetter(id(kGptDisk), kMiB, u'S')},
             {"F: dismounted", dismountVolume(id(kVolumeF), true, false)},
         });
     },
     {"\"placeholder\": true", "\"driveLetter\": \"S\"", "\"fileSystem\": \"ntfs\"", "\"label\": \"Démarrage ✓ 𝄞\"",
      "\"dismounted\": true", "\"issuedSerials\""}},
    {"hardware after changes: maintenance under way, a spare standing in, a rebuild under way",
     [] {
         return changed({
             {"the subsystem beeps", maintain(id(kSubSystem), MaintenanceAction::Start, BeepAlarm)},
             {"controller B blinks", maintain(id(kControllerB), MaintenanceAction::Start, BlinkLight)},
             {"the free drive spins down",
              maintain(id(machine::text::kFreeDrive), MaintenanceAction::Start, SpinDown)},
             {"a copy of the mirrored LUN fails", changeHardwareStatus(id(kDrive2), VDS_DRS_FAILED)},
             {"the spare stands in", beginRecoveryByItself(id(machine::text::kMirroredLun))},
         });
     },
     {"\"maintenanceRunning\": 4", "\"maintenanceRunning\": 2", "\"maintenanceRunning\": 8", "\"rebuilding\": true",
      "\"stale\": true"}},
    {"layouts after changes: an extended partition with a logical drive, a disk migrated to dynamic, a LUN made",
     [] {
         const GUID mbr = id(kMbrDisk);
         return changed({
             {"D: goes", deleteVolume(id("90000000-0000-4000-8000-000000000003"), true)},
             {"an extended partition", createPartition(mbr, mbrPartition(61541 * kMiB, 10 * kGiB, 0x0F))},
             {"a logical drive in it", createPartition(mbr, mbrPartition(61542 * kMiB, 2 * kGiB, 0x07))},
             {"the GPT disk to dynamic", migrateDisks({id(kGptPack), id(kDynamicPack), {id(kGptDisk)}, false, false})},
             {"a mirrored LUN", createLun({id(kSubSystem), VDS_LT_MIRROR, 8 * kGiB, {}, u"*", {}})},
         });
     },
     {"\"mbrType\": 15", "\"gptType\": \"AF9B60A0-1431-4F62-BC68-3311714A69AD\""}},
#if !defined(_WIN32)
    {"a generated machine with names outside ASCII",
     [] {
         return loaded(generateMachine({.drives = 6, .luns = 4, .plexesPerLun = 2, .extentsPerLunPlex = 2, .packs = 2,
                                        .disksPerPack = 3, .partitionsPerDisk = 2, .volumesPerPack = 3,
                                        .plexesPerVolume = 2, .extentsPerVolumePlex = 2, .basicDisks = 2,
                                        .accentedNames = true})
                           .json,
                       "(generated)");
     }},
#endif
};

TEST(TopologyRoundTrip, EveryMachineReadsBackAsItself) {
    for (const Row& row : kMachines) {
        SCOPED_TRACE(row.name);
        const Model m = row.machine();
        ASSERT_EQ(checkModelRules(m), std::nullopt);
        expectRoundTrip(m);
        const std::string saved = writeTopologyText(m);
        for (const char* field : row.shows) EXPECT_NE(saved.find(field), std::string::npos) << field;
    }
}

// Every description kept in the tree: the shipped ones, and those the tests
// keep (files that do not load are no machines, and are left to their tests).
TEST(TopologyRoundTrip, EveryTopologyFileOfTheTreeReadsBackAsItself) {
    const std::filesystem::path root = TOLVANE_SOURCE_DIR;
    int machines = 0;
    for (const char* folder : {"simulator/topologies", "tests"})
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".json") continue;
            SCOPED_TRACE(entry.path().string());
            std::string error;
            const auto m = loadTopologyText(readFile(entry.path()), entry.path().string(), error);
            if (!m) {
                EXPECT_NE(std::string(folder), "simulator/topologies") << error;
                continue;
            }
            expectRoundTrip(*m);
            ++machines;
        }
    EXPECT_GE(machines, 1);
}

// The built-in machine saved leaves out what its file leaves to defaults.
TEST(TopologyRoundTrip, TheSavedBuiltInMachineLeavesDefaultsOut) {
    const std::string saved = writeTopologyText(defaultMachine());
    for (const char* absent : {"\"status\"", "\"health\"", "\"portNumber\"", "\"bus\"", "\"number\"",
                               "\"issuedSerials\"", "\"rebuilding\"", "\"dismounted\"", "\"maintenanceRunning\""})
        EXPECT_EQ(saved.find(absent), std::string::npos) << absent;
    for (const char* present : {"\"size\": \"64 GiB\"", "\"offset\": \"61541 MiB\"", "\"name\": \"Données\"",
                                "\"kind\": \"dynamic\"", "\"style\": \"gpt\"", "\"type\": \"mirror\""})
        EXPECT_NE(saved.find(present), std::string::npos) << present;
}

}  // namespace
