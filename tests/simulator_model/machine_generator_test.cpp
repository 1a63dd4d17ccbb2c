// Generated machines must load and keep the model's rules at every shape the
// benchmarks and stress tests ask for, or they would time a refused machine.
#if !defined(_WIN32)

#include "generate/machine_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "model/model_rules.h"
#include "model/topology_loader.h"

namespace {

using tolvane::sim::GeneratedMachine;
using tolvane::sim::generateMachine;
using tolvane::sim::MachineShape;
using tolvane::sim::Model;

Model load(const GeneratedMachine& m) {
    std::string error;
    auto model = tolvane::sim::loadTopologyText(m.json, "(generated)", error);
    EXPECT_TRUE(model) << error;
    return model ? *model : Model{};
}

struct ShapeCase {
    const char* name;
    MachineShape shape;
};

const ShapeCase kShapes[] = {
    {"drives only", {.drives = 3}},
    {"more LUN extents than drives",
     {.drives = 2, .luns = 5, .plexesPerLun = 2, .extentsPerLunPlex = 3}},
    {"drives over several buses", {.drives = 200, .luns = 50}},
    {"software only", {.packs = 2, .disksPerPack = 3, .partitionsPerDisk = 6, .volumesPerPack = 4}},
    {"mirrored spans over few disks",
     {.packs = 1, .disksPerPack = 2, .volumesPerPack = 7, .plexesPerVolume = 2, .extentsPerVolumePlex = 3}},
    {"everything, accented",
     {.drives = 4, .luns = 4, .packs = 2, .disksPerPack = 2, .partitionsPerDisk = 2, .volumesPerPack = 3,
      .accentedNames = true}},
    {"basic disks beside the dynamic ones", {.packs = 1, .disksPerPack = 2, .volumesPerPack = 2, .basicDisks = 3}},
    {"basic disks alone", {.basicDisks = 2}},
    {"empty machine", {}},
};

TEST(MachineGenerator, EveryShapeLoadsWithItsCountsAndKeepsTheRules) {
    for (const auto& c : kShapes) {
        SCOPED_TRACE(c.name);
        const MachineShape& s = c.shape;
        const GeneratedMachine m = generateMachine(s);
        const Model model = load(m);
        EXPECT_EQ(tolvane::sim::checkModelRules(model), std::nullopt);

        EXPECT_EQ(model.drives.size(), static_cast<std::size_t>(s.drives));
        EXPECT_EQ(model.luns.size(), static_cast<std::size_t>(s.luns));
        EXPECT_EQ(model.lunPlexes.size(), static_cast<std::size_t>(s.luns * s.plexesPerLun));
        EXPECT_EQ(model.packs.size(), static_cast<std::size_t>(s.packs + s.basicDisks));
        EXPECT_EQ(model.disks.size(), static_cast<std::size_t>(s.packs * s.disksPerPack + s.basicDisks));
        EXPECT_EQ(model.volumes.size(), static_cast<std::size_t>(s.packs * s.volumesPerPack));
        EXPECT_EQ(model.volumePlexes.size(), static_cast<std::size_t>(s.packs * s.volumesPerPack * s.plexesPerVolume));
        for (const auto& [id, plex] : model.lunPlexes)
            EXPECT_EQ(plex.extents.size(), static_cast<std::size_t>(s.extentsPerLunPlex));
        for (const auto& [id, plex] : model.volumePlexes)
            EXPECT_EQ(plex.extents.size(), static_cast<std::size_t>(s.extentsPerVolumePlex));
        for (const auto& [id, disk] : model.disks) {
            const bool basic = std::find(m.basicDisks.begin(), m.basicDisks.end(), id) != m.basicDisks.end();
            EXPECT_EQ(disk.partitions.size(), basic ? 0u : static_cast<std::size_t>(s.partitionsPerDisk));
        }

        // The identifiers handed back are the machine's own, in enumeration order.
        ASSERT_EQ(m.drives.size(), model.drives.size());
        if (!m.drives.empty()) {
            EXPECT_EQ(model.subsystems.at(m.subSystem).drives, m.drives);
        }
        for (const auto& id : m.luns) EXPECT_TRUE(model.luns.count(id));
        for (const auto& id : m.volumes) EXPECT_TRUE(model.volumes.count(id));
        for (const auto& id : m.disks) EXPECT_TRUE(model.disks.count(id));
        for (const auto& id : m.basicDisks) EXPECT_TRUE(model.disks.count(id));
        ASSERT_EQ(m.basicPacks.size(), m.basicDisks.size());
        for (std::size_t i = 0; i < m.basicPacks.size(); ++i)
            EXPECT_EQ(model.packs.at(m.basicPacks[i]).disks, std::vector<GUID>{m.basicDisks[i]});
    }
}

TEST(MachineGenerator, AccentedNamesCarryTwoThreeAndFourByteLetters) {
    const GeneratedMachine m = generateMachine({.drives = 1, .accentedNames = true});
    const Model model = load(m);
    ASSERT_EQ(model.drives.size(), 1u);
    EXPECT_EQ(model.drives.begin()->second.friendlyName, u"Lecteur \u00E9 \u2713 \U0001D11E 0");
}

TEST(MachineGenerator, RefusesShapesNoMachineCanHave) {
    const MachineShape impossible[] = {
        {.drives = -1},
        {.luns = 1},
        {.drives = 1, .luns = 1, .plexesPerLun = 0},
        {.packs = 1, .volumesPerPack = 1},
        {.disksPerPack = 1},
        {.packs = 1, .partitionsPerDisk = 1},
        {.basicDisks = -1},
    };
    for (const auto& s : impossible) EXPECT_THROW(generateMachine(s), std::invalid_argument);
}

}  // namespace

#endif
