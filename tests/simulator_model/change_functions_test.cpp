// Simulated behaviours on the pure layer: each change function applied to
// the built-in machine as a plain model, with no COM, service or threads,
// as the service's core applies it (open, apply, check what was touched,
// commit or undo). Each row states the call, the result, what the change
// gives back and the notifications it owes; a refused change must leave the
// machine exactly as it was.
#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <vector>

#include "built_in_model.h"
#include "changes/disk_changes.h"
#include "changes/hardware_changes.h"
#include "changes/lun_changes.h"
#include "changes/pack_changes.h"
#include "changes/volume_changes.h"
#include "model/model_digest.h"
#include "model/model_rules.h"
#include "change_steps.h"
#include "notice.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

using Told = simtest::Notice;

struct ChangeRow {
    const char* name;
    std::function<ChangeFunction()> call;
    HRESULT expected;
    std::vector<Told> told;
    std::function<void(const Model&, const ChangeOutput&)> check = nullptr;
};

class ChangeFunctions : public ::testing::TestWithParam<ChangeRow> {};

TEST_P(ChangeFunctions, AnswerChangeAndTellAsStated) {
    const ChangeRow& row = GetParam();
    Model m = defaultMachine();
    const Judged j = judge(m, {row.name, row.call, row.expected, row.told});
    if (SUCCEEDED(j.hr) && row.check) row.check(m, j.output);
}

constexpr GUID kMadeLun{0x52000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr const char* kFreeDrive = "40000000-0000-4000-8000-000000000006";
constexpr GUID kMadePack{0x7E000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr GUID kMadeVolume{0x92000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr std::uint64_t kGiB = 1ull << 30;
// Where the GPT disk's unpartitioned stretch begins.
constexpr std::uint64_t kGptFreeSpace = 225397ull << 20;
constexpr const char* kDrive5 = "40000000-0000-4000-8000-000000000005";

INSTANTIATE_TEST_SUITE_P(
    Each, ChangeFunctions,
    ::testing::Values(
        // A stripe survives no lost drive: taking one offline fails the LUN.
        ChangeRow{"driveOfflineFailsTheStripeOnIt",
                  []() { return setDriveStatus(id(kDrive1), VDS_DRS_OFFLINE); },
                  S_OK,
                  {{VDS_NF_DRIVE_MODIFY, id(kDrive1)}, {VDS_NF_LUN_MODIFY, id(kBootLun)}},
                  [](const Model& m, const ChangeOutput&) {
                      EXPECT_EQ(m.luns.at(id(kBootLun)).status, VDS_LS_FAILED);
                  }},
        ChangeRow{"driveStatusOutOfRange", []() { return setDriveStatus(id(kDrive1), 77); }, E_INVALIDARG,
                  {}},
        ChangeRow{"deleteLunFreesItsDrives",
                  []() { return deleteLun(id(kStripeLun)); },
                  S_OK,
                  {{VDS_NF_LUN_DEPART, id(kStripeLun)},
                   {VDS_NF_DRIVE_MODIFY, id(kDrive4)},
                   {VDS_NF_DRIVE_MODIFY, id(kDrive5)}},
                  [](const Model& m, const ChangeOutput&) {
                      EXPECT_FALSE(m.luns.contains(id(kStripeLun)));
                      EXPECT_FALSE(m.lunPlexes.contains(id(kStripePlex)));
                      EXPECT_FALSE(m.subsystems.at(id(kSubSystem)).luns.contains(id(kStripeLun)));
                  }},
        ChangeRow{"createLunGivesBackTheLunItMade",
                  []() {
                      return createLun(
                          NewLun{id(kSubSystem), VDS_LT_SIMPLE, kGiB, {id(kFreeDrive)}, std::u16string(1, u'*'), {}});
                  },
                  S_OK,
                  {{VDS_NF_LUN_ARRIVE, kMadeLun}, {VDS_NF_DRIVE_MODIFY, id(kFreeDrive)}},
                  [](const Model& m, const ChangeOutput& o) {
                      EXPECT_EQ(o.made, kMadeLun);
                      EXPECT_EQ(m.luns.at(kMadeLun).size, kGiB);
                      EXPECT_TRUE(m.subsystems.at(id(kSubSystem)).luns.contains(kMadeLun));
                  }},
        ChangeRow{"deleteLunGone", []() { return deleteLun(id(kUnknown)); }, VDS_E_OBJECT_DELETED, {}},
        ChangeRow{"createPackOnTheDynamicProviderWhileOneIsOnline",
                  []() { return createPack(id(kDynamicProvider)); }, VDS_E_ONLINE_PACK_EXISTS, {}},
        ChangeRow{"createPackOnTheBasicProvider",
                  []() { return createPack(id(kBasicProvider)); },
                  S_OK,
                  {{VDS_NF_PACK_ARRIVE, kMadePack}},
                  [](const Model& m, const ChangeOutput& o) {
                      EXPECT_EQ(o.made, kMadePack);
                      EXPECT_TRUE(m.packs.at(kMadePack).placeholder);
                  }},
        ChangeRow{"createPartitionInTheGptDisksFreeSpace",
                  []() {
                      NewPartition p;
                      p.offset = kGptFreeSpace;
                      p.size = kGiB;
                      p.style = VDS_PST_GPT;
                      return createPartition(id(kGptDisk), p);
                  },
                  S_OK,
                  {{VDS_NF_PARTITION_ARRIVE, id(kGptDisk)},
                   {VDS_NF_VOLUME_ARRIVE, kMadeVolume},
                   {VDS_NF_PACK_MODIFY, id(kGptPack)},
                   {VDS_NF_DISK_MODIFY, id(kGptDisk)}},
                  [](const Model& m, const ChangeOutput& o) {
                      EXPECT_EQ(o.offset, kGptFreeSpace);
                      EXPECT_NE(partitionAt(m.disks.at(id(kGptDisk)), o.offset), nullptr);
                  }},
        ChangeRow{"createPartitionOverAnother",
                  []() {
                      NewPartition p;
                      p.offset = 1 << 20;
                      p.size = kGiB;
                      p.style = VDS_PST_GPT;
                      return createPartition(id(kGptDisk), p);
                  },
                  VDS_E_INVALID_SPACE, {}},
        ChangeRow{"deleteTheSystemVolumeIsRefused", []() { return deleteVolume(id(kVolumeC), true); },
                  VDS_E_OPERATION_DENIED, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
