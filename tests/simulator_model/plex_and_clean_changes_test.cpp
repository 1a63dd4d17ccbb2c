// Fault-tolerant plexes, mirroring and cleaning on the pure layer: each row
// builds a small machine from the built-in one, applies one change as the
// service's core does (open, apply, check what was touched, commit or undo)
// and states the result, the notifications owed and what the machine holds
// afterwards. A refused change must leave the machine exactly as it was.
#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "built_in_model.h"
#include "changes/disk_changes.h"
#include "changes/pack_changes.h"
#include "changes/volume_changes.h"
#include "model/model_digest.h"
#include "model/model_edit.h"
#include "model/model_rules.h"
#include "change_steps.h"
#include "notice.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

using Told = simtest::Notice;

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;
using machine::text::kDynamicPack;
using machine::text::kRawDisk;
constexpr const char* kMirrorPlex2 = machine::text::kMirrorVolumePlex2;
constexpr const char* kSecondDynDisk = "80000000-0000-4000-8000-000000000005";
constexpr const char* kVolumeD = "90000000-0000-4000-8000-000000000003";
constexpr const char* kSpanVolume = "90000000-0000-4000-8000-000000000007";
// What the rows add to the dynamic pack: two more disks, a RAID-5 volume
// over three disks and simple volumes to mirror.
constexpr const char* kThirdDynDisk = "80000000-0000-4000-8000-0000000000A3";
constexpr const char* kFourthDynDisk = "80000000-0000-4000-8000-0000000000A4";
constexpr const char* kRaid5 = "90000000-0000-4000-8000-0000000000A5";
constexpr const char* kTarget = "90000000-0000-4000-8000-0000000000B1";
constexpr const char* kSource = "90000000-0000-4000-8000-0000000000B2";
constexpr std::uint64_t kColumnsAt = 40 * kGiB;  // free on both built-in dynamic disks


// Machines ----------------------------------------------------------------------

VDS_INPUT_DISK use(const char* disk, std::uint64_t bytes) {
    VDS_INPUT_DISK d{};
    d.diskId = id(disk);
    d.ullSize = bytes;
    return d;
}

// The identifier of a volume's plex `n`: the volume's, under the plexes' prefix.
GUID plexOf(const char* volume, std::uint32_t n = 0) {
    GUID plex = id(volume);
    plex.Data1 = 0x91000000u + n;
    return plex;
}

DiskSpan span(const char* disk, std::uint64_t offset, std::uint64_t size, std::uint32_t member = 0) {
    return {id(disk), offset, size, member};
}

void addDynamicDisk(Model& m, const char* disk) {
    Disk d;
    d.id = id(disk);
    d.pack = id(kDynamicPack);
    d.size = 64 * kGiB;
    d.partitionStyle = VDS_PST_MBR;
    Partition ldm;
    ldm.number = 1;
    ldm.offset = kMiB;
    ldm.size = 64 * kGiB - 2 * kMiB;
    ldm.mbrType = 0x42;
    d.partitions.push_back(ldm);
    ASSERT_EQ(addObject(m, d), S_OK);
}

// A dynamic volume of one plex per entry of `plexes`.
void addDynamicVolume(Model& m, const char* volume, std::int32_t type, std::vector<std::vector<DiskSpan>> plexes,
                      std::uint32_t members = 1) {
    Volume v;
    v.id = id(volume);
    v.pack = id(kDynamicPack);
    v.type = type;
    v.size = type == kParityType ? plexes.front().front().size * (members - 1) : plexes.front().front().size;
    ASSERT_EQ(addObject(m, v), S_OK);
    std::uint32_t n = 0;
    for (auto& extents : plexes) {
        VolumePlex p;
        p.id = plexOf(volume, n++);
        p.volume = v.id;
        p.type = type == kMirrorType ? kSimpleType : type;
        p.size = v.size;
        p.numberOfMembers = members;
        p.stripeSize = type == kParityType ? 65536 : 0;
        p.extents = std::move(extents);
        ASSERT_EQ(addObject(m, p), S_OK);
    }
}

// The built-in machine with a third and fourth dynamic disk and a RAID-5
// volume over the first three.
void withRaid5(Model& m) {
    addDynamicDisk(m, kThirdDynDisk);
    addDynamicDisk(m, kFourthDynDisk);
    addDynamicVolume(m, kRaid5, kParityType,
                     {{span(kDynDisk, kColumnsAt, kGiB, 0), span(kSecondDynDisk, kColumnsAt, kGiB, 1),
                       span(kThirdDynDisk, kColumnsAt, kGiB, 2)}},
                     3);
}

void setDiskStatus(Model& m, const char* disk, std::int32_t status) { m.disks.at(id(disk)).status = status; }

// The RAID-5 volume after its third disk went missing and was given up.
void withDegradedRaid5(Model& m) {
    withRaid5(m);
    m.commitChange();
    setDiskStatus(m, kThirdDynDisk, VDS_DS_MISSING);
    m.commitChange();
    Batch ignored;
    ChangeOutput output;
    ASSERT_EQ(apply(m, removeMissingDisk(id(kDynamicPack), id(kThirdDynDisk)), ignored, output), S_OK);
}

// A simple target on the third disk, and a source volume as `source` lays it out.
std::function<void(Model&)> withTargetAnd(std::function<void(Model&)> source) {
    return [source = std::move(source)](Model& m) {
        addDynamicDisk(m, kThirdDynDisk);
        addDynamicDisk(m, kFourthDynDisk);
        addDynamicVolume(m, kTarget, kSimpleType, {{span(kThirdDynDisk, kGiB, kGiB)}});
        if (source) source(m);
    };
}

Partition oemPartition(std::uint8_t mbrType) {
    Partition p;
    p.number = 1;
    p.offset = kMiB;
    p.size = 100 * kMiB;
    p.mbrType = mbrType;
    return p;
}

// The raw disk as a basic MBR disk holding one partition of `mbrType`.
std::function<void(Model&)> rawDiskHolding(std::uint8_t mbrType) {
    return [mbrType](Model& m) {
        Pack pack;
        pack.id = id("7F000000-0000-4000-8000-000000000001");
        pack.provider = id(kBasicProvider);
        ASSERT_EQ(addObject(m, pack), S_OK);
        moveDisk(m, id(kRawDisk), pack.id);
        Disk& d = m.disks.at(id(kRawDisk));
        d.partitionStyle = VDS_PST_MBR;
        const Partition p = oemPartition(mbrType);
        d.partitions.push_back(p);
        GUID volume{};
        if (isDataPartition(d, p)) {
            ASSERT_EQ(addPartitionVolume(m, d.id, p.offset, p.size, volume), S_OK);
        }
    };
}

// The basic GPT disk with one more partition the platform requires.
void withPlatformPartition(Model& m) {
    Partition p;
    p.number = 5;
    p.offset = 225397 * kMiB;
    p.size = kGiB;
    p.gptType = {0xDE94BBA4, 0x06D1, 0x4D40, {0xA1, 0x6A, 0xBF, 0xD5, 0x01, 0x79, 0xD6, 0xAC}};
    p.gptId = id("8B000000-0000-4000-8000-0000000000A5");
    p.gptAttributes = 0x8000000000000001ull;
    m.disks.at(id(kGptDisk)).partitions.push_back(p);
}

// Rows ----------------------------------------------------------------------------

struct Row {
    const char* name;
    std::function<void(Model&)> machine;
    std::function<ChangeFunction()> call;
    HRESULT expected;
    std::vector<Told> told;
    std::function<void(const Model&, const Batch&)> check = nullptr;
};

class PlexAndCleanChanges : public ::testing::TestWithParam<Row> {};

TEST_P(PlexAndCleanChanges, AnswerChangeAndTellAsStated) {
    const Row& row = GetParam();
    Model m = defaultMachine();
    if (row.machine) {
        row.machine(m);
        m.commitChange();
    }
    ASSERT_EQ(checkModelRules(m), std::nullopt) << "the row's machine breaks a rule";
    const Judged j = judge(m, {row.name, row.call, row.expected, row.told});
    if (SUCCEEDED(j.hr) && row.check) row.check(m, j.batch);
}

const VolumePlex& raid5Plex(const Model& m) { return m.volumePlexes.at(plexOf(kRaid5)); }

// Where the partition notices of a batch say the partitions start.
std::vector<std::uint64_t> partitionOffsetsTold(const Batch& batch) {
    std::vector<std::uint64_t> out;
    for (const auto& n : batch)
        if (n.objectType == VDS_NTT_PARTITION) out.push_back(n.Partition.ullOffset);
    return out;
}

constexpr std::uint64_t kVolumeDStart = 61541 * kMiB;

INSTANTIATE_TEST_SUITE_P(
    Each, PlexAndCleanChanges,
    ::testing::Values(
        // Giving up a missing disk ------------------------------------------------
        Row{"raid5LosingOneMemberCarriesOnWithoutIt",
            [](Model& m) {
                withRaid5(m);
                setDiskStatus(m, kThirdDynDisk, VDS_DS_MISSING);
            },
            []() { return removeMissingDisk(id(kDynamicPack), id(kThirdDynDisk)); },
            S_OK,
            {{VDS_NF_PARTITION_DEPART, id(kThirdDynDisk)},
             {VDS_NF_DISK_DEPART, id(kThirdDynDisk)},
             {VDS_NF_PACK_MODIFY, id(kDynamicPack)},
             {VDS_NF_VOLUME_MODIFY, id(kRaid5)}},
            [](const Model& m, const Batch&) {
                const Volume& v = m.volumes.at(id(kRaid5));
                EXPECT_EQ(v.type, kParityType);
                EXPECT_EQ(v.status, VDS_VS_ONLINE);
                EXPECT_EQ(v.health, VDS_H_FAILED_REDUNDANCY);
                EXPECT_EQ(raid5Plex(m).status, VDS_VPS_ONLINE);
                EXPECT_EQ(raid5Plex(m).health, VDS_H_FAILED_REDUNDANCY);
                EXPECT_EQ(raid5Plex(m).extents.size(), 2u);
                EXPECT_THAT(absentMembers(raid5Plex(m)), ::testing::ElementsAre(2u));
            }},
        Row{"raid5LosingASecondMemberGoes",
            [](Model& m) {
                withRaid5(m);
                setDiskStatus(m, kThirdDynDisk, VDS_DS_MISSING);
                setDiskStatus(m, kSecondDynDisk, VDS_DS_MISSING);
            },
            []() { return removeMissingDisk(id(kDynamicPack), id(kThirdDynDisk)); },
            S_OK,
            {{VDS_NF_PARTITION_DEPART, id(kThirdDynDisk)},
             {VDS_NF_VOLUME_DEPART, id(kRaid5)},
             {VDS_NF_DISK_DEPART, id(kThirdDynDisk)},
             {VDS_NF_PACK_MODIFY, id(kDynamicPack)},
             {VDS_NF_DISK_MODIFY, id(kDynDisk)},
             {VDS_NF_DISK_MODIFY, id(kSecondDynDisk)}},
            [](const Model& m, const Batch&) {
                EXPECT_FALSE(m.volumes.contains(id(kRaid5)));
                EXPECT_FALSE(m.volumePlexes.contains(plexOf(kRaid5)));
            }},
        // The mirror keeps the plex on the disk that is left and is no mirror
        // any more; the span across both disks has lost data and goes.
        Row{"mirrorLeftWithOnePlexIsSimple",
            [](Model& m) { setDiskStatus(m, kSecondDynDisk, VDS_DS_MISSING); },
            []() { return removeMissingDisk(id(kDynamicPack), id(kSecondDynDisk)); },
            S_OK,
            {{VDS_NF_PARTITION_DEPART, id(kSecondDynDisk)},
             {VDS_NF_VOLUME_DEPART, id(kSpanVolume)},
             {VDS_NF_DISK_DEPART, id(kSecondDynDisk)},
             {VDS_NF_PACK_MODIFY, id(kDynamicPack)},
             {VDS_NF_DISK_MODIFY, id(kDynDisk)},
             {VDS_NF_VOLUME_MODIFY, id(kMirrorVolume)},
             {VDS_NF_DRIVE_LETTER_FREE, GUID{}}},
            [](const Model& m, const Batch&) {
                const Volume& mirror = m.volumes.at(id(kMirrorVolume));
                EXPECT_EQ(mirror.type, kSimpleType);
                EXPECT_EQ(mirror.plexes.size(), 1u);
                EXPECT_FALSE(m.volumes.contains(id(kSpanVolume)));
            }},

        // Repair ----------------------------------------------------------------------
        // The member lost with its disk is found though the disk is gone, and
        // is laid anew on the disk given.
        Row{"repairRebuildsTheMemberLostWithItsDisk", withDegradedRaid5,
            []() { return repairVolumePlex(plexOf(kRaid5), {use(kFourthDynDisk, kGiB)}); },
            S_OK,
            {{VDS_NF_DISK_MODIFY, id(kFourthDynDisk)},
             {VDS_NF_VOLUME_MODIFY, id(kRaid5)},
             {VDS_NF_VOLUME_REBUILDING_PROGRESS, id(kRaid5)}},
            [](const Model& m, const Batch&) {
                const VolumePlex& p = raid5Plex(m);
                EXPECT_EQ(p.health, VDS_H_HEALTHY);
                EXPECT_EQ(m.volumes.at(id(kRaid5)).health, VDS_H_HEALTHY);
                ASSERT_EQ(p.extents.size(), 3u);
                EXPECT_EQ(p.extents[2].disk, id(kFourthDynDisk));
                EXPECT_EQ(p.extents[2].member, 2u);
                EXPECT_EQ(p.extents[2].size, kGiB);
            }},
        Row{"repairOntoADiskTheVolumeHolds", withDegradedRaid5,
            []() { return repairVolumePlex(plexOf(kRaid5), {use(kDynDisk, kGiB)}); },
            VDS_E_DISK_IN_USE_BY_VOLUME, {}},
        Row{"repairOfAWholeRaid5", withRaid5,
            []() { return repairVolumePlex(plexOf(kRaid5), {use(kFourthDynDisk, kGiB)}); },
            VDS_E_REPAIR_VOLUMESTATE, {}},
        Row{"repairOfAMirrorPlex",
            [](Model& m) { m.volumePlexes.at(id(kMirrorPlex2)).health = VDS_H_FAILED_REDUNDANCY; },
            []() { return repairVolumePlex(id(kMirrorPlex2), {use(kRawDisk, 20 * kGiB)}); },
            VDS_E_NOT_SUPPORTED, {}},

        // AddPlex ------------------------------------------------------------------
        Row{"addPlexOfASpannedVolume", withTargetAnd(nullptr),
            []() { return addVolumePlex(id(kTarget), id(kSpanVolume)); }, VDS_E_VOLUME_SPANS_DISKS, {}},
        Row{"addPlexOfAVolumeInTwoStretches", withTargetAnd([](Model& m) {
                addDynamicVolume(m, kSource, kSimpleType,
                                 {{span(kFourthDynDisk, kGiB, kGiB), span(kFourthDynDisk, 3 * kGiB, kGiB)}});
                m.volumes.at(id(kSource)).size = 2 * kGiB;
                m.volumePlexes.at(plexOf(kSource)).size = 2 * kGiB;
            }),
            []() { return addVolumePlex(id(kTarget), id(kSource)); }, VDS_E_REQUIRES_CONTIGUOUS_DISK_SPACE, {}},
        Row{"addPlexOfAFailingVolume", withTargetAnd([](Model& m) {
                addDynamicVolume(m, kSource, kSimpleType, {{span(kFourthDynDisk, kGiB, kGiB)}});
                m.volumes.at(id(kSource)).health = VDS_H_FAILING;
            }),
            []() { return addVolumePlex(id(kTarget), id(kSource)); }, VDS_E_VOLUME_NOT_HEALTHY, {}},
        // Every plex of a mirror moves; the source volume and its letter go.
        Row{"addPlexOfAMirrorAddsBothItsPlexes", withTargetAnd(nullptr),
            []() { return addVolumePlex(id(kTarget), id(kMirrorVolume)); },
            S_OK,
            {{VDS_NF_VOLUME_DEPART, id(kMirrorVolume)},
             {VDS_NF_PACK_MODIFY, id(kDynamicPack)},
             {VDS_NF_DISK_MODIFY, id(kDynDisk)},
             {VDS_NF_DISK_MODIFY, id(kSecondDynDisk)},
             {VDS_NF_VOLUME_MODIFY, id(kTarget)},
             {VDS_NF_DRIVE_LETTER_FREE, GUID{}},
             {VDS_NF_VOLUME_REBUILDING_PROGRESS, id(kTarget)},
             {VDS_NF_VOLUME_REBUILDING_PROGRESS, id(kTarget)}},
            [](const Model& m, const Batch&) {
                const Volume& v = m.volumes.at(id(kTarget));
                EXPECT_EQ(v.type, kMirrorType);
                EXPECT_EQ(v.plexes.size(), 3u);
                EXPECT_EQ(v.size, kGiB);
                EXPECT_EQ(m.volumePlexes.at(id(kMirrorPlex2)).volume, id(kTarget));
                EXPECT_FALSE(m.volumes.contains(id(kMirrorVolume)));
            }},

        // A basic volume's partition changes size with it -------------------------------
        Row{"extendTellsThePartitionBeforeTheVolume", nullptr,
            []() { return extendVolume(id(kVolumeD), {use(kMbrDisk, kGiB)}); },
            S_OK,
            {{VDS_NF_DISK_MODIFY, id(kMbrDisk)},
             {VDS_NF_PARTITION_MODIFY, id(kMbrDisk)},
             {VDS_NF_VOLUME_MODIFY, id(kVolumeD)},
             {VDS_NF_FILE_SYSTEM_MODIFY, id(kVolumeD)}},
            [](const Model& m, const Batch& told) {
                EXPECT_THAT(partitionOffsetsTold(told), ::testing::ElementsAre(kVolumeDStart));
                EXPECT_EQ(partitionAt(m.disks.at(id(kMbrDisk)), kVolumeDStart)->size, 41 * kGiB);
            }},
        Row{"shrinkTellsThePartitionBeforeTheVolume", nullptr,
            []() { return shrinkVolume(id(kVolumeD), kGiB); },
            S_OK,
            {{VDS_NF_DISK_MODIFY, id(kMbrDisk)},
             {VDS_NF_PARTITION_MODIFY, id(kMbrDisk)},
             {VDS_NF_VOLUME_MODIFY, id(kVolumeD)},
             {VDS_NF_FILE_SYSTEM_MODIFY, id(kVolumeD)}},
            [](const Model& m, const Batch& told) {
                EXPECT_THAT(partitionOffsetsTold(told), ::testing::ElementsAre(kVolumeDStart));
                EXPECT_EQ(partitionAt(m.disks.at(id(kMbrDisk)), kVolumeDStart)->size, 39 * kGiB);
            }},

        // Clean ----------------------------------------------------------------------
        Row{"cleanBasicDiskWithVolumesAndAnEspWithoutForce", nullptr,
            []() { return cleanDisk(id(kGptDisk), false, true); }, VDS_E_OPERATION_DENIED, {}},
        Row{"cleanBasicDiskWithAPlatformPartitionWithoutForceOem", withPlatformPartition,
            []() { return cleanDisk(id(kGptDisk), true, false); }, VDS_E_OPERATION_DENIED, {}},
        Row{"cleanBasicDiskWithAnOemPartitionWithoutForceOem", rawDiskHolding(0xDE),
            []() { return cleanDisk(id(kRawDisk), true, false); }, VDS_E_OPERATION_DENIED, {}},
        Row{"cleanDynamicDiskWithVolumesWithoutForce", nullptr,
            []() { return cleanDisk(id(kDynDisk), false, true); }, VDS_E_DISK_NOT_EMPTY, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// QueryExtents shows as OEM exactly the partitions Clean keeps for bForceOEM.
TEST(PartitionKinds, OemPartitionsAreTheSameForQueryExtentsAndClean) {
    for (std::uint8_t type : {0x12, 0x84, 0xA0, 0xDE, 0xFE, 0x07, 0x27}) {
        SCOPED_TRACE(static_cast<int>(type));
        Model m = defaultMachine();
        rawDiskHolding(type)(m);
        m.commitChange();
        const bool oem = type != 0x07 && type != 0x27;
        const auto extents = m.diskExtents(id(kRawDisk));
        ASSERT_EQ(extents.size(), 2u);  // the partition, then free space
        EXPECT_EQ(extents[0].type, oem ? VDS_DET_OEM : VDS_DET_DATA);
        EXPECT_EQ(checkClean(m, id(kRawDisk), true, false), oem ? VDS_E_OPERATION_DENIED : S_OK);
    }
    Model m = defaultMachine();
    withPlatformPartition(m);
    m.commitChange();
    const Disk& gpt = m.disks.at(id(kGptDisk));
    EXPECT_EQ(partitionKind(gpt, gpt.partitions.back()), PartitionKind::Oem);
    const auto extents = m.diskExtents(gpt.id);
    const auto shown = std::find_if(extents.begin(), extents.end(),
                                    [&](const DiskExtentView& e) { return e.offset == gpt.partitions.back().offset; });
    ASSERT_NE(shown, extents.end());
    EXPECT_EQ(shown->type, VDS_DET_OEM);
}

}  // namespace
