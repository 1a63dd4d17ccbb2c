// The software side as the real service keeps it, on the pure layer: a raw
// disk taken into a basic pack of its own and cleaned back out of it, data
// partitions that are volumes, the running system's volumes that no call
// takes away, migration rewriting a disk's table, and mount folders going
// with the path they lie under.
#include <gmock/gmock.h>

#include <algorithm>
#include <string>
#include <vector>

#include "built_in_model.h"
#include "change_steps.h"
#include "changes/disk_changes.h"
#include "changes/file_system_changes.h"
#include "changes/pack_changes.h"
#include "changes/volume_changes.h"
#include "model/partition_types.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

using Told = simtest::Notice;

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;
constexpr const char* kRawDisk = "80000000-0000-4000-8000-000000000003";
constexpr const char* kSystemReserved = "90000000-0000-4000-8000-000000000001";
constexpr const char* kVolumeD = "90000000-0000-4000-8000-000000000003";
constexpr const char* kArchive = "90000000-0000-4000-8000-000000000005";
constexpr GUID kMadePack{0x7E000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr GUID kMadeVolume{0x92000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
// Where each volume of the built-in basic disks starts.
constexpr std::uint64_t kReservedStart = kMiB;
constexpr std::uint64_t kVolumeCStart = 101 * kMiB;
constexpr std::uint64_t kEspStart = kMiB;
constexpr std::uint64_t kVolumeFStart = 117 * kMiB;

NewPartition gptData(std::uint64_t offset, std::uint64_t size) {
    NewPartition p;
    p.offset = offset;
    p.size = size;
    p.style = VDS_PST_GPT;
    p.gptType = kGptBasicData;
    return p;
}

std::vector<GUID> listed(const IdList& list) { return list.toVector(); }

// A simple volume of `bytes` on one disk of the pack.
std::function<ChangeFunction()> simpleVolume(GUID pack, GUID disk, std::uint64_t bytes) {
    return [=] {
        NewVolume v;
        v.pack = pack;
        v.type = VDS_VT_SIMPLE;
        VDS_INPUT_DISK d{};
        d.diskId = disk;
        d.ullSize = bytes;
        v.disks.push_back(d);
        return createVolume(v);
    };
}

TEST(SoftwareStorage, ARawDiskBecomesABasicDiskOfItsOwnPackAndIsCleanedBackToRaw) {
    const GUID raw = id(kRawDisk);
    Model m = defaultMachine();
    ASSERT_EQ(m.unallocatedDisks, std::vector<GUID>{raw});
    run(m, {
        {"a second dynamic pack while one is online", [] { return createPack(id(kDynamicProvider)); },
         VDS_E_ONLINE_PACK_EXISTS},
        {"the basic provider makes an empty pack", [] { return createPack(id(kBasicProvider)); }, S_OK,
         std::vector<Told>{{VDS_NF_PACK_ARRIVE, kMadePack}}},
        {"a disk that is already initialised", [] { return addDiskToPack(kMadePack, id(kMbrDisk), VDS_PST_GPT, FALSE); },
         VDS_E_NOT_AN_UNALLOCATED_DISK},
        {"a second disk into a basic pack", [raw] { return addDiskToPack(id(kBasicPack), raw, VDS_PST_GPT, FALSE); },
         VDS_E_NOT_SUPPORTED},
        {"the raw disk as GPT: its reserved partition comes with it",
         [raw] { return addDiskToPack(kMadePack, raw, VDS_PST_GPT, FALSE); }, S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_ARRIVE, raw}, {VDS_NF_PACK_MODIFY, kMadePack}, {VDS_NF_DISK_MODIFY, raw}},
         {kMiB},
         [raw](const Model& now, const ChangeOutput&) {
             EXPECT_TRUE(now.unallocatedDisks.empty());
             EXPECT_EQ(listed(now.packs.at(kMadePack).disks), std::vector<GUID>{raw});
             const Disk& d = now.disks.at(raw);
             EXPECT_EQ(d.partitionStyle, VDS_PST_GPT);
             ASSERT_EQ(d.partitions.size(), 1u);
             EXPECT_EQ(partitionKind(d, d.partitions[0]), PartitionKind::Msr);
             EXPECT_EQ(d.partitions[0].size, 128 * kMiB) << "a 32 GiB disk's MSR";
         }},
        {"a data partition is a volume, told after the partition",
         [raw] { return createPartition(raw, gptData(129 * kMiB, kGiB)); }, S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_ARRIVE, raw},
                           {VDS_NF_VOLUME_ARRIVE, kMadeVolume},
                           {VDS_NF_PACK_MODIFY, kMadePack},
                           {VDS_NF_DISK_MODIFY, raw}},
         {129 * kMiB},
         [](const Model& now, const ChangeOutput& o) {
             EXPECT_EQ(o.made, kMadeVolume);
             EXPECT_EQ(listed(now.packs.at(kMadePack).volumes), std::vector<GUID>{kMadeVolume});
             const Volume& v = now.volumes.at(kMadeVolume);
             EXPECT_EQ(v.size, kGiB);
             EXPECT_EQ(v.plexes.size(), 1u);
         }},
        {"the partition methods leave a volume's partition to its volume",
         [raw] { return formatPartition(raw, {129 * kMiB, VDS_FST_NTFS, false, u"", 0, true}); },
         VDS_E_INVALID_OPERATION},
        {"a letter for a volume's partition", [raw] { return assignDriveLetter(raw, 129 * kMiB, u'Q'); },
         VDS_E_INVALID_OPERATION},
        {"clean without force keeps the volume", [raw] { return cleanDisk(raw, false, false); },
         VDS_E_OPERATION_DENIED},
        {"clean: the disk is the service's again and its basic pack goes", [raw] { return cleanDisk(raw, true, false); },
         S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_DEPART, raw},
                           {VDS_NF_PARTITION_DEPART, raw},
                           {VDS_NF_VOLUME_DEPART, kMadeVolume},
                           {VDS_NF_PACK_DEPART, kMadePack},
                           {VDS_NF_DISK_MODIFY, raw}},
         {kMiB, 129 * kMiB},
         [raw](const Model& now, const ChangeOutput&) {
             EXPECT_EQ(now.unallocatedDisks, std::vector<GUID>{raw});
             EXPECT_EQ(now.disks.at(raw).partitionStyle, 0);
             EXPECT_FALSE(now.kindOf(kMadePack));
         }},
    });
}

// Every call that would take the running system's volumes away, hide them or
// their disk, is refused; the same calls on a volume elsewhere are not.
TEST(SoftwareStorage, TheRunningSystemsVolumesAreRefusedToEveryCallThatWouldTakeThemAway) {
    const GUID mbr = id(kMbrDisk);
    Model m = defaultMachine();
    run(m, {
        {"delete C:, forced", [] { return deleteVolume(id(kVolumeC), true); }, VDS_E_OPERATION_DENIED},
        {"delete the active partition's volume", [] { return deleteVolume(id(kSystemReserved), true); },
         VDS_E_OPERATION_DENIED},
        {"delete C:'s partition, forced", [mbr] { return deletePartition(mbr, kVolumeCStart, true, true); },
         VDS_E_OPERATION_DENIED},
        {"delete the active partition", [mbr] { return deletePartition(mbr, kReservedStart, true, true); },
         VDS_E_OPERATION_DENIED},
        {"clean the system disk, forced", [mbr] { return cleanDisk(mbr, true, true); }, VDS_E_OPERATION_DENIED},
        {"change the system disk's style", [mbr] { return convertStyle(mbr, VDS_PST_GPT); }, VDS_E_DISK_NOT_EMPTY},
        {"write-protect the system disk", [mbr] { return setDiskFlags(mbr, VDS_DF_READ_ONLY); }, VDS_E_BOOT_DISK},
        {"any flag of C:", [] { return setVolumeFlags(id(kVolumeC), VDS_VF_SHADOW_COPY, false); },
         VDS_E_OPERATION_DENIED},
        {"hide D:, beside the system on its MBR disk", [] { return setVolumeFlags(id(kVolumeD), VDS_VF_HIDDEN, false); },
         VDS_E_OPERATION_DENIED},
        {"C:'s letter, forced", [] { return deleteAccessPath(id(kVolumeC), u"C:\\", true); }, VDS_E_OPERATION_DENIED},
        {"dismount C:, whose files are open", [] { return dismountVolume(id(kVolumeC), false, false); },
         VDS_E_DEVICE_IN_USE},
        {"format the ESP of a disk the system does not start from", [] { return formatPartition(id(kGptDisk), {kEspStart, VDS_FST_FAT32, false, u"", 0, true}); },
         S_OK},
        {"hide F: on a disk of its own", [] { return setVolumeFlags(id(kVolumeF), VDS_VF_HIDDEN, false); }, S_OK},
    });
    EXPECT_EQ(formatRefusedAtCall(m, id(kVolumeC)), VDS_E_OPERATION_DENIED);
    EXPECT_EQ(formatRefusedAtCall(m, id(kSystemReserved)), VDS_E_OPERATION_DENIED);
}

TEST(SoftwareStorage, MigrationRewritesTheDisksTableAndNewVolumesLieInItsLdmArea) {
    const GUID gpt = id(kGptDisk);
    Model m = defaultMachine();
    Migration toDynamic{id(kGptPack), id(kDynamicPack), {gpt}, false, false};
    run(m, {
        {"basic to dynamic", [toDynamic] { return migrateDisks(toDynamic); }, S_OK, std::nullopt, {},
         [gpt](const Model& now, const ChangeOutput& o) {
             EXPECT_EQ(o.perDisk, std::vector<HRESULT>{S_OK});
             const Disk& d = now.disks.at(gpt);
             std::vector<PartitionKind> kinds;
             for (const Partition& p : d.partitions) kinds.push_back(partitionKind(d, p));
             // ESP and MSR stay; the data partitions gave way to the LDM area and database.
             EXPECT_EQ(kinds, (std::vector<PartitionKind>{PartitionKind::Esp, PartitionKind::Msr, PartitionKind::Ldm,
                                                          PartitionKind::Ldm}));
             EXPECT_EQ(d.partitions[2].offset, kVolumeFStart);
             EXPECT_EQ(now.volumes.at(id(kVolumeF)).pack, id(kDynamicPack));
             EXPECT_FALSE(now.kindOf(id(kGptPack))) << "a basic pack lives only around its disk";
         }},
        {"a dynamic volume on it", simpleVolume(id(kDynamicPack), gpt, kGiB), S_OK, std::nullopt, {},
         [gpt](const Model& now, const ChangeOutput& o) {
             const Volume& v = now.volumes.at(o.made);
             const DiskSpan& s = now.volumePlexes.at(v.plexes.front()).extents.front();
             const Disk& d = now.disks.at(gpt);
             const Partition& area = d.partitions[2];
             EXPECT_GE(s.offset, area.offset);
             EXPECT_LE(s.offset + s.size, area.offset + area.size);
         }},
        {"an empty basic pack to go back to", [] { return createPack(id(kBasicProvider)); }, S_OK},
        {"back to basic while volumes lie on it",
         [gpt] { return migrateDisks({id(kDynamicPack), kMadePack, {gpt}, false, false}); }, S_FALSE, std::nullopt, {},
         [](const Model&, const ChangeOutput& o) {
             EXPECT_EQ(o.perDisk, std::vector<HRESULT>{VDS_E_DISK_NOT_EMPTY});
         }},
    });
}

// The system disk with an extended partition: its logical drive becomes a
// dynamic volume like the primaries, where it lay, and one LDM area replaces
// the whole table.
TEST(SoftwareStorage, MigrationTakesLogicalDrivesAlongAndNeedsARestartForTheSystemDisk) {
    const GUID mbr = id(kMbrDisk);
    Model m = defaultMachine();
    const auto basicVolume = [mbr](std::uint64_t bytes) { return simpleVolume(id(kBasicPack), mbr, bytes); };
    std::uint64_t logical = 0;
    run(m, {
        {"D: goes", [] { return deleteVolume(id(kVolumeD), true); }, S_OK},
        {"a third primary", basicVolume(kGiB), S_OK},
        {"a logical drive in a new extended partition", basicVolume(2 * kGiB), S_OK, std::nullopt, {},
         [&](const Model& now, const ChangeOutput& o) {
             logical = now.volumePlexes.at(now.volumes.at(o.made).plexes.front()).extents.front().offset;
         }},
        {"to dynamic", [mbr] { return migrateDisks({id(kBasicPack), id(kDynamicPack), {mbr}, false, false}); }, S_OK,
         std::nullopt, {},
         [&](const Model& now, const ChangeOutput& o) {
             EXPECT_TRUE(o.rebootNeeded);
             const Disk& d = now.disks.at(mbr);
             ASSERT_EQ(d.partitions.size(), 1u);
             EXPECT_EQ(partitionKind(d, d.partitions[0]), PartitionKind::Ldm);
             EXPECT_EQ(now.packs.at(id(kDynamicPack)).volumes.size(), 6u);  // two before, four that came
             EXPECT_NE(now.volumeAt(mbr, logical), nullptr);
             EXPECT_TRUE(systemVolume(now, now.volumes.at(id(kVolumeC))));
         }},
    });
}

TEST(SoftwareStorage, MountFoldersGoWithThePathTheyLieUnder) {
    const GUID mirror = id("90000000-0000-4000-8000-000000000006");
    Model m = defaultMachine();
    const auto mounts = [&](const GUID& volume) { return m.volumes.at(volume).mountFolders; };
    run(m, {
        {"the mirror in a folder on F:", [mirror] { return addAccessPath(mirror, u"F:\\Mirror\\"); }, S_OK},
        {"the archive in a folder on the mirror", [] { return addAccessPath(id(kArchive), u"F:\\Mirror\\Deep\\"); },
         S_OK},
        {"F: in use while volumes are mounted in it", [] { return deleteVolume(id(kVolumeF), false); },
         VDS_E_DEVICE_IN_USE},
        {"F: deleted, forced: every folder under it goes, however deep",
         [] { return deleteVolume(id(kVolumeF), true); }, S_OK,
         std::vector<Told>{{VDS_NF_VOLUME_DEPART, id(kVolumeF)},
                           {VDS_NF_PARTITION_DEPART, id(kGptDisk)},
                           {VDS_NF_DRIVE_LETTER_FREE, GUID{}},
                           {VDS_NF_MOUNT_POINTS_CHANGE, id(kArchive)},
                           {VDS_NF_MOUNT_POINTS_CHANGE, mirror},
                           {VDS_NF_DISK_MODIFY, id(kGptDisk)}},
         {kVolumeFStart}},
    });
    EXPECT_TRUE(mounts(mirror).empty());
    EXPECT_EQ(mounts(id(kArchive)), std::vector<std::u16string>{u"C:\\Archive\\"});
}

}  // namespace
