// The model's rules, each broken in turn on the built-in machine.
#include <functional>

#include <gmock/gmock.h>

#include "built_in_model.h"
#include "model/model_rules.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

TEST(ModelRules, BuiltInMachineKeepsThemAll) {
    const Model m = defaultMachine();
    EXPECT_EQ(checkModelRules(m), std::nullopt);
}

struct Breach {
    const char* name;
    std::function<void(Model&)> apply;
    const char* expected;  // part of the reported problem
    // Whether the check of a change's touched objects sees it too; a parent's
    // list of children is checked only over the whole machine.
    bool seenWhereTouched = true;
};

class ModelRuleBreach : public ::testing::TestWithParam<Breach> {};

TEST_P(ModelRuleBreach, IsReported) {
    Model m = defaultMachine();
    GetParam().apply(m);
    auto text = checkModelRules(m);
    ASSERT_TRUE(text);
    EXPECT_THAT(*text, ::testing::HasSubstr(GetParam().expected));
    // The loaded machine was committed, so the breach is all that was touched.
    if (!GetParam().seenWhereTouched) return;
    auto touched = findTouchedRuleBreak(m);
    ASSERT_TRUE(touched);
    EXPECT_THAT(touched->text(), ::testing::HasSubstr(GetParam().expected));
}

LunPlex& firstPlexOf(Model& m, const char* lun) { return m.lunPlexes.at(m.luns.at(id(lun)).plexes.front()); }
VolumePlex& firstPlexOfVolume(Model& m, const char* volume) {
    return m.volumePlexes.at(m.volumes.at(id(volume)).plexes.front());
}

INSTANTIATE_TEST_SUITE_P(
    Each, ModelRuleBreach,
    ::testing::Values(
        Breach{"kindIndexMissing", [](Model& m) { m.kinds.erase(id(kDrive2)); }, "kind index"},
        Breach{"childNotListed", [](Model& m) { m.subsystems.at(id(kSubSystem)).drives.pop_back(); },
               "not listed once by its parent", false},
        Breach{"listedChildMissing",
               [](Model& m) { m.subsystems.at(id(kSubSystem)).drives.push_back(id("4F000000-0000-4000-8000-000000000001")); },
               "not in the model", false},
        Breach{"lunExtentPastDrive",
               [](Model& m) { firstPlexOf(m, kStripeLun).extents.front().offset = m.drives.at(id(kDrive1)).size * 4; },
               "past the end of its drive"},
        Breach{"lunExtentsOverlap",
               [](Model& m) {
                   auto& plex = firstPlexOf(m, kStripeLun);
                   DriveSpan copy = plex.extents.front();
                   plex.extents.push_back(copy);
               },
               "two LUN extents overlap"},
        Breach{"plexLargerThanItsExtents", [](Model& m) { firstPlexOf(m, kStripeLun).size *= 4; },
               "larger than its drive extents hold"},
        Breach{"parityPlexHoldsLessThanItsExtents",
               [](Model& m) {
                   auto& plex = firstPlexOfVolume(m, kVolumeF);
                   plex.type = kParityType;
                   plex.numberOfMembers = 3;
                   std::uint64_t raw = 0;
                   for (const auto& e : plex.extents) raw += e.size;
                   plex.size = raw;  // a parity plex gives a column to parity
               },
               "larger than its disk extents hold"},
        Breach{"volumeExtentPastDisk",
               [](Model& m) { firstPlexOfVolume(m, kMirrorVolume).extents.front().size = m.disks.at(id(kDynDisk)).size; },
               "past the end of its disk"},
        Breach{"partitionsOverlap",
               [](Model& m) {
                   auto& parts = m.disks.at(id(kMbrDisk)).partitions;
                   parts.back().offset = parts.front().offset;
                   std::sort(parts.begin(), parts.end(), [](auto& a, auto& b) { return a.offset < b.offset; });
               },
               "overlap"},
        Breach{"letterTwice", [](Model& m) { m.volumes.at(id(kVolumeF)).driveLetter = u'C'; }, "drive letter C"},
        Breach{"mountFolderOnNoLetter",
               [](Model& m) { m.volumes.at(id(kVolumeF)).mountFolders.push_back(u"Q:\\Mounted\\"); },
               "no volume holds drive letter Q"},
        Breach{"activeControllerNotAssociated",
               [](Model& m) {
                   auto& lun = m.luns.at(id(kStripeLun));
                   lun.associatedControllers.clear();
               },
               "active controller"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelRules, PlexCapacityGivesParityOneColumn) {
    EXPECT_EQ(plexCapacity(kSimpleType, 300, 3), 300u);
    EXPECT_EQ(plexCapacity(kStripeType, 300, 3), 300u);
    EXPECT_EQ(plexCapacity(kParityType, 300, 3), 200u);
    EXPECT_EQ(plexCapacity(kParityType, 300, 1), 300u);
}

TEST(ModelRules, DriveLetterHolderIgnoresCaseAndKnowsFreeLetters) {
    const Model m = defaultMachine();
    const auto upper = driveLetterHolder(m, u'C');
    ASSERT_TRUE(upper.has_value());
    EXPECT_EQ(driveLetterHolder(m, u'c'), upper);
    EXPECT_EQ(driveLetterHolder(m, u'Q'), std::nullopt);
    EXPECT_EQ(driveLetterHolder(m, 0), std::nullopt);
}

}  // namespace
