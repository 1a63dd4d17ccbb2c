// Adding and removing objects keeps every index of the model in step.
#include <gmock/gmock.h>

#include "built_in_model.h"
#include "model/model_digest.h"
#include "model/model_edit.h"
#include "model/model_rules.h"
#include "platform/vds_types.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

Drive newDrive(const char* text, std::int16_t slot) {
    Drive d;
    d.id = id(text);
    d.subsystem = id(kSubSystem);
    d.size = 1ull << 30;
    d.slot = slot;
    return d;
}

TEST(ModelEdit, AddedObjectIsFiledEverywhereAndRemovingItRestoresTheMachine) {
    Model m = defaultMachine();
    m.subsystems.at(id(kSubSystem)).slotsPerBus = 16;  // every slot of the built-in box is taken
    const auto before = modelDigest(m);
    const GUID drive = id("4A000000-0000-4000-8000-000000000001");
    ASSERT_EQ(addObject(m, newDrive("4A000000-0000-4000-8000-000000000001", 15), 1), S_OK);
    EXPECT_EQ(findRuleBreak(m), std::nullopt) << findRuleBreak(m)->text();
    EXPECT_EQ(m.kindOf(drive), Kind::Drive);
    EXPECT_EQ(m.subsystems.at(id(kSubSystem)).drives[1], drive) << "filed at the position asked";
    EXPECT_NE(modelDigest(m), before);

    const auto gone = removeObject(m, drive);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].id, drive);
    EXPECT_EQ(modelDigest(m), before);
}

// Serials only rise: identifiers in use are passed over, and an object's
// identifier never comes back once it is removed.
TEST(ModelEdit, IssuedIdentifiersAreNeverReused) {
    Model m = defaultMachine();
    const GUID used = id(kDrive1);
    const std::uint32_t prefix = used.Data1;
    std::vector<GUID> issued;
    for (int i = 0; i < 3; ++i) {
        const GUID next = m.issueId(prefix);
        EXPECT_FALSE(m.kindOf(next)) << "an identifier in use was handed out";
        for (const GUID& earlier : issued) EXPECT_NE(next, earlier);
        issued.push_back(next);
        Drive d = newDrive(kDrive1, 15);
        d.id = next;
        m.subsystems.at(id(kSubSystem)).slotsPerBus = 16;  // every slot of the built-in box is taken
        ASSERT_EQ(addObject(m, d), S_OK);
        ASSERT_EQ(removeObject(m, next).size(), 1u);
    }
}

TEST(ModelEdit, RefusedAdditionLeavesTheModelUntouched) {
    Model m = defaultMachine();
    const auto before = modelDigest(m);
    EXPECT_EQ(addObject(m, newDrive(kDrive1, 15)), VDS_E_OBJECT_EXISTS);
    Drive orphan = newDrive("4A000000-0000-4000-8000-000000000002", 15);
    orphan.subsystem = id("2F000000-0000-4000-8000-000000000001");
    EXPECT_EQ(addObject(m, orphan), VDS_E_OBJECT_NOT_FOUND);
    EXPECT_EQ(addObject(m, newDrive("00000000-0000-0000-0000-000000000000", 15)), VDS_E_OBJECT_EXISTS);
    EXPECT_EQ(modelDigest(m), before);
}

TEST(ModelEdit, RemovingAContainerTakesEverythingUnderItParentsFirst) {
    Model m = defaultMachine();
    const Pack pack = m.packs.at(id(kDynamicPack));
    std::size_t expected = 1 + pack.disks.size() + pack.volumes.size();
    for (const auto& v : pack.volumes) expected += m.volumes.at(v).plexes.size();
    const auto gone = removeObject(m, pack.id);
    ASSERT_FALSE(gone.empty());
    EXPECT_EQ(gone.front().id, pack.id);
    EXPECT_EQ(gone.size(), expected);
    for (const auto& g : gone) EXPECT_FALSE(m.kindOf(g.id)) << guidToText(g.id);
    EXPECT_EQ(findRuleBreak(m), std::nullopt) << findRuleBreak(m)->text();
}

TEST(ModelEdit, RemovedControllerLeavesNoLunPointingAtIt) {
    Model m = defaultMachine();
    removeObject(m, id(kControllerB));
    EXPECT_EQ(findRuleBreak(m), std::nullopt) << findRuleBreak(m)->text();
    EXPECT_TRUE(m.luns.at(id(kStripeLun)).associatedControllers.empty());
}

// Removing any one object never leaves the indexes out of step; what it may
// break is the storage rules a change function must check itself (a drive a
// LUN lives on, the last plex of a volume, a volume others are mounted in).
TEST(ModelEdit, RemovingAnyObjectKeepsEveryIndexInStep) {
    const Model machine = defaultMachine();
    for (const auto& [objectId, kind] : machine.kinds) {
        Model m = machine;
        removeObject(m, objectId);
        auto broken = findRuleBreak(m);
        if (!broken) continue;
        for (const char* indexProblem : {"kind index", "parent", "not in the model", "filed under"})
            EXPECT_THAT(broken->what, ::testing::Not(::testing::HasSubstr(indexProblem)))
                << "removing " << guidToText(objectId) << ": " << broken->text();
    }
}

}  // namespace
