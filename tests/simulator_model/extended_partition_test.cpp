// Extended partitions and logical drives on MBR disks, on the pure layer: the
// table's four entries, volumes laid out as primaries then logical drives in
// one extended partition, the extended partition going with its last logical
// drive's volume, the rules a table keeps and how a description states one.
// Each scenario is a list of steps applied to one machine in turn; a refused
// step must leave the machine exactly as it was and tell nothing.
#include <gmock/gmock.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "built_in_model.h"
#include "changes/disk_changes.h"
#include "changes/volume_changes.h"
#include "model/model_digest.h"
#include "model/model_rules.h"
#include "change_steps.h"
#include "notice.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

using Told = simtest::Notice;
using simmodel::Step;

constexpr std::uint64_t kMiB = 1ull << 20;
constexpr std::uint64_t kGiB = 1ull << 30;
constexpr const char* kVolumeD = "90000000-0000-4000-8000-000000000003";
// The built-in MBR disk: 128 GiB, volume D's partition the last of three,
// and the last mebibyte kept free by volume layout.
constexpr std::uint64_t kAfterD = 102501 * kMiB;
constexpr std::uint64_t kLayoutEnd = 131071 * kMiB;

GUID madeVolume(unsigned char n) { return GUID{0x92000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, n}}; }

const Disk& mbrDisk(const Model& m) { return m.disks.at(id(kMbrDisk)); }

NewVolume basicVolume(std::uint64_t bytes) {
    NewVolume r;
    r.pack = id(kBasicPack);
    r.type = VDS_VT_SIMPLE;
    VDS_INPUT_DISK d{};
    d.diskId = id(kMbrDisk);
    d.ullSize = bytes;
    r.disks.push_back(d);
    return r;
}

std::function<ChangeFunction()> newVolume(std::uint64_t bytes) {
    return [bytes] { return createVolume(basicVolume(bytes)); };
}

std::function<ChangeFunction()> newPartition(std::uint64_t offset, std::uint64_t size, std::uint8_t type = 0x07) {
    return [=] {
        NewPartition p;
        p.offset = offset;
        p.size = size;
        p.style = VDS_PST_MBR;
        p.mbrType = type;
        return createPartition(id(kMbrDisk), p);
    };
}

std::function<ChangeFunction()> removePartition(std::uint64_t offset) {
    return [offset] { return deletePartition(id(kMbrDisk), offset, true, true); };
}

std::function<ChangeFunction()> removeVolume(GUID volume) {
    return [volume] { return deleteVolume(volume, true); };
}

void expectLogical(const Model& m, std::uint64_t offset) {
    const Partition* p = partitionAt(mbrDisk(m), offset);
    ASSERT_NE(p, nullptr) << offset / kMiB << " MiB";
    EXPECT_TRUE(isLogicalDrive(mbrDisk(m), *p)) << offset / kMiB << " MiB";
}

TEST(ExtendedPartitions, VolumesArePrimariesUntilThreeThenLogicalDrivesOfOneExtendedPartition) {
    const GUID disk = id(kMbrDisk);
    // Volume D gone, the disk holds two primaries and free space from 61541 MiB.
    const std::uint64_t third = 61541 * kMiB;
    const std::uint64_t ext = third + kGiB;
    const std::uint64_t first = ext + kMiB;
    const std::uint64_t second = first + 2 * kGiB + kMiB;
    const std::uint64_t bare = second + 3 * kGiB + kMiB;
    Model m = defaultMachine();
    run(m, {
        {"volume D goes", removeVolume(id(kVolumeD)), S_OK},
        {"the first volume is the third primary", newVolume(kGiB), S_OK, std::nullopt, {},
         [&](const Model& now, const ChangeOutput&) {
             const Partition* p = partitionAt(mbrDisk(now), third);
             ASSERT_NE(p, nullptr);
             EXPECT_EQ(p->number, 3u);
             EXPECT_EQ(extendedPartitionOf(mbrDisk(now)), nullptr);
         }},
        {"the second makes the extended partition over the rest and a logical drive in it", newVolume(2 * kGiB), S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_ARRIVE, disk},
                           {VDS_NF_PARTITION_ARRIVE, disk},
                           {VDS_NF_VOLUME_ARRIVE, madeVolume(2)},
                           {VDS_NF_PACK_MODIFY, id(kBasicPack)},
                           {VDS_NF_DISK_MODIFY, disk}},
         {ext, first},
         [&](const Model& now, const ChangeOutput& o) {
             EXPECT_EQ(o.made, madeVolume(2));
             const Partition* e = extendedPartitionOf(mbrDisk(now));
             ASSERT_NE(e, nullptr);
             EXPECT_EQ(e->offset, ext);
             EXPECT_EQ(e->offset + e->size, kLayoutEnd);
             EXPECT_EQ(e->mbrType, kMbrExtendedLba);
             EXPECT_EQ(e->number, 0u) << "the container is no device";
             expectLogical(now, first);
             EXPECT_EQ(partitionAt(mbrDisk(now), first)->number, 4u);
         }},
        {"the third is a logical drive in the same extended partition", newVolume(3 * kGiB), S_OK, std::nullopt, {},
         [&](const Model& now, const ChangeOutput&) {
             expectLogical(now, second);
             EXPECT_EQ(extendedPartitionOf(mbrDisk(now))->offset, ext);
             EXPECT_EQ(mbrEntriesUsed(mbrDisk(now)), 4u);
             // The container is no extent; the room left in it is free, told
             // apart from the free mebibyte behind it.
             std::vector<std::pair<std::int32_t, std::uint64_t>> seen;
             for (const DiskExtentView& e : now.diskExtents(disk))
                 if (e.offset >= ext) seen.emplace_back(e.type, e.offset);
             const std::vector<std::pair<std::int32_t, std::uint64_t>> expected{
                 {VDS_DET_FREE, ext},     {VDS_DET_DATA, first},           {VDS_DET_FREE, first + 2 * kGiB},
                 {VDS_DET_DATA, second},  {VDS_DET_FREE, second + 3 * kGiB}, {VDS_DET_FREE, kLayoutEnd}};
             EXPECT_EQ(seen, expected);
         }},
        {"a second extended partition", newPartition(0, kGiB, kMbrExtended), VDS_E_PARTITION_LIMIT_REACHED},
        {"a fifth entry in the last free mebibyte", newPartition(kLayoutEnd, 64 * 1024), VDS_E_PARTITION_LIMIT_REACHED},
        {"the extended partition while it holds logical drives", removePartition(ext), VDS_E_PARTITION_NOT_EMPTY},
        {"a partition asked for inside the extended partition's free space is a logical drive and a volume",
         newPartition(second + 3 * kGiB, kGiB), S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_ARRIVE, disk},
                           {VDS_NF_VOLUME_ARRIVE, madeVolume(4)},
                           {VDS_NF_PACK_MODIFY, id(kBasicPack)},
                           {VDS_NF_DISK_MODIFY, disk}},
         {bare},
         [&](const Model& now, const ChangeOutput& o) {
             EXPECT_EQ(o.offset, bare) << "after its boot record's room";
             expectLogical(now, bare);
         }},
        {"inside a logical drive", newPartition(first + kGiB, kGiB), VDS_E_INVALID_SPACE},
        {"in the boot record's room before a logical drive", newPartition(ext, kMiB), VDS_E_NOT_ENOUGH_SPACE},
        {"a logical drive's volume that is not the last", removeVolume(madeVolume(3)), S_OK,
         std::vector<Told>{{VDS_NF_VOLUME_DEPART, madeVolume(3)},
                           {VDS_NF_PARTITION_DEPART, disk},
                           {VDS_NF_DISK_MODIFY, disk}},
         {second}},
        {"a logical drive deleted as a partition takes its volume and leaves the extended partition",
         removePartition(bare), S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_DEPART, disk},
                           {VDS_NF_VOLUME_DEPART, madeVolume(4)},
                           {VDS_NF_PACK_MODIFY, id(kBasicPack)},
                           {VDS_NF_DISK_MODIFY, disk}},
         {bare},
         [&](const Model& now, const ChangeOutput&) { EXPECT_NE(extendedPartitionOf(mbrDisk(now)), nullptr); }},
        {"the last logical drive's volume takes the extended partition along", removeVolume(madeVolume(2)), S_OK,
         std::vector<Told>{{VDS_NF_VOLUME_DEPART, madeVolume(2)},
                           {VDS_NF_PARTITION_DEPART, disk},
                           {VDS_NF_PARTITION_DEPART, disk},
                           {VDS_NF_DISK_MODIFY, disk}},
         {first, ext},
         [&](const Model& now, const ChangeOutput&) {
             EXPECT_EQ(extendedPartitionOf(mbrDisk(now)), nullptr);
             EXPECT_EQ(mbrDisk(now).partitions.size(), 3u);
         }},
    });
}

TEST(ExtendedPartitions, TheTableHoldsFourEntriesAndOneExtendedPartition) {
    const std::uint64_t ext = 61541 * kMiB;
    Model full = defaultMachine();
    run(full, {
        {"a fourth primary", newPartition(kAfterD, kGiB), S_OK},
        {"a volume finds room but no entry", newVolume(kGiB), VDS_E_PARTITION_LIMIT_REACHED},
        {"an extended partition", newPartition(kAfterD + 2 * kGiB, kGiB, kMbrExtended), VDS_E_PARTITION_LIMIT_REACHED},
        {"a fifth primary", newPartition(kAfterD + 2 * kGiB, kGiB), VDS_E_PARTITION_LIMIT_REACHED},
    });

    Model m = defaultMachine();
    run(m, {
        {"volume D goes", removeVolume(id(kVolumeD)), S_OK},
        {"CreatePartition of type 0x05 makes the extended partition", newPartition(ext, 10 * kGiB, kMbrExtended), S_OK,
         std::vector<Told>{{VDS_NF_PARTITION_ARRIVE, id(kMbrDisk)}, {VDS_NF_DISK_MODIFY, id(kMbrDisk)}}, {ext},
         [&](const Model& now, const ChangeOutput&) {
             ASSERT_NE(extendedPartitionOf(mbrDisk(now)), nullptr);
             EXPECT_EQ(extendedPartitionOf(mbrDisk(now))->number, 0u);
         }},
        {"a second one with an entry still free", newPartition(80000 * kMiB, kGiB, kMbrExtendedLba),
         VDS_E_PARTITION_LIMIT_REACHED},
        {"the extended partition is not formatted", [&] {
             PartitionFormat ntfs;
             ntfs.offset = ext;
             ntfs.type = VDS_FST_NTFS;
             return formatPartition(id(kMbrDisk), ntfs);
         },
         VDS_E_INVALID_OPERATION},
        {"with two primaries a volume is a primary outside the extended partition", newVolume(kGiB), S_OK,
         std::nullopt, {},
         [&](const Model& now, const ChangeOutput&) {
             const Partition* p = partitionAt(mbrDisk(now), ext + 10 * kGiB);
             ASSERT_NE(p, nullptr);
             EXPECT_FALSE(isLogicalDrive(mbrDisk(now), *p));
         }},
        {"with three the next is a logical drive in the extended partition there", newVolume(kGiB), S_OK,
         std::nullopt, {}, [&](const Model& now, const ChangeOutput&) { expectLogical(now, ext + kMiB); }},
        {"more than the extended partition holds, with room outside it but no entry", newVolume(10 * kGiB),
         VDS_E_PARTITION_LIMIT_REACHED},
    });
}

Disk tableOf(std::int32_t style, std::vector<std::tuple<std::uint64_t, std::uint64_t, std::uint8_t>> parts) {
    Disk d;
    d.id = id("80000000-0000-4000-8000-0000000000EE");
    d.size = 100 * kGiB;
    d.partitionStyle = style;
    std::uint32_t n = 0;
    for (const auto& [offset, size, type] : parts) {
        Partition p;
        p.number = ++n;
        p.offset = offset * kMiB;
        p.size = size * kMiB;
        p.mbrType = type;
        d.partitions.push_back(p);
    }
    return d;
}

TEST(ExtendedPartitions, ATableKeepsItsLogicalDrivesInsideTheOneExtendedPartition) {
    constexpr std::uint8_t kData = 0x07;
    constexpr std::uint8_t kExt = kMbrExtendedLba;
    const struct {
        const char* what;
        Disk disk;
        const char* broken;  // part of the break's text; null when the table is sound
    } cases[] = {
        {"logical drives inside, each after its boot record",
         tableOf(VDS_PST_MBR, {{1, 100, kData}, {101, 1000, kExt}, {102, 100, kData}, {203, 100, kData}}), nullptr},
        {"logical drives overlapping",
         tableOf(VDS_PST_MBR, {{101, 1000, kExt}, {102, 100, kData}, {150, 100, kData}}), "overlap"},
        {"logical drives back to back, no room for the second's boot record",
         tableOf(VDS_PST_MBR, {{101, 1000, kExt}, {102, 100, kData}, {202, 100, kData}}), "boot record"},
        {"a logical drive at the extended partition's very start",
         tableOf(VDS_PST_MBR, {{101, 1000, kExt}, {101, 100, kData}}), "boot record"},
        {"a logical drive running out of the extended partition",
         tableOf(VDS_PST_MBR, {{101, 1000, kExt}, {1000, 200, kData}}), "past the end of the extended"},
        {"a primary overlapping the extended partition",
         tableOf(VDS_PST_MBR, {{1, 200, kData}, {101, 1000, kExt}, {300, 100, kData}}), "overlap"},
        {"two extended partitions",
         tableOf(VDS_PST_MBR, {{101, 1000, kExt}, {2000, 1000, kMbrExtended}}), "one extended partition"},
        {"an extended partition on GPT", tableOf(VDS_PST_GPT, {{101, 1000, kExt}}), "only an MBR disk"},
        {"five entries",
         tableOf(VDS_PST_MBR, {{1, 10, kData}, {11, 10, kData}, {21, 10, kData}, {31, 10, kData}, {41, 100, kExt}}),
         "four entries"},
        {"four entries and logical drives",
         tableOf(VDS_PST_MBR, {{1, 10, kData}, {11, 10, kData}, {21, 10, kData}, {31, 100, kExt}, {32, 10, kData},
                               {43, 10, kData}}),
         nullptr},
    };
    for (const auto& c : cases) {
        const auto broken = findPartitionTableBreak(c.disk);
        if (c.broken == nullptr) {
            EXPECT_EQ(broken, std::nullopt) << c.what << ": " << (broken ? broken->text() : "");
        } else {
            ASSERT_TRUE(broken.has_value()) << c.what;
            EXPECT_THAT(broken->what, ::testing::HasSubstr(c.broken)) << c.what;
        }
    }
}

// A machine with one basic MBR disk, its partitions as given.
std::string machineWith(const std::string& partitions) {
    return R"({"softwareProviders": [{"id": "10000000-0000-4000-8000-000000000001", "kind": "basic", "packs": [{
        "id": "70000000-0000-4000-8000-000000000001",
        "disks": [{"id": "80000000-0000-4000-8000-000000000001", "size": "64 GiB", "partitions": [)" +
           partitions + R"(]}],
        "volumes": [{"id": "90000000-0000-4000-8000-000000000001", "driveLetter": "L", "plexes": [{
            "id": "91000000-0000-4000-8000-000000000001",
            "extents": [{"disk": "80000000-0000-4000-8000-000000000001", "offset": "10242 MiB", "size": "5 GiB"}]}]}]
    }]}]})";
}

TEST(ExtendedPartitions, ADescriptionStatesThemAndIsRefusedWithTheDisksPlace) {
    const std::string primary = R"({"offset": "1 MiB", "size": "10 GiB", "mbrType": 18})";
    const std::string extended = R"({"offset": "10241 MiB", "size": "20 GiB", "mbrType": 15})";
    const std::string logical = R"({"offset": "10242 MiB", "size": "5 GiB"})";
    const std::string disk = "/softwareProviders/0/packs/0/disks/0/";

    std::string error;
    const auto loaded =
        loadTopologyText(machineWith(primary + "," + extended + "," + logical + R"(,{"offset": "15363 MiB",
        "size": "5 GiB", "number": 7, "mbrType": 18})"), "(test)", error);
    ASSERT_TRUE(loaded) << error;
    const Disk& d = loaded->disks.at(id("80000000-0000-4000-8000-000000000001"));
    ASSERT_EQ(d.partitions.size(), 4u);
    EXPECT_EQ(d.partitions[1].number, 0u) << "the extended partition";
    EXPECT_EQ(d.partitions[2].number, 2u);
    EXPECT_EQ(d.partitions[3].number, 7u);
    EXPECT_TRUE(isLogicalDrive(d, d.partitions[2]));
    EXPECT_TRUE(isLogicalDrive(d, d.partitions[3]));
    EXPECT_EQ(loaded->volumeAt(d.id, 10242 * kMiB)->driveLetter, u'L');

    const struct {
        const char* what;
        std::string partitions;
        std::string place;
    } refused[] = {
        {"a logical drive past the extended partition's end",
         primary + "," + extended + "," + logical + R"(,{"offset": "30000 MiB", "size": "2 GiB"})",
         disk + "partitions/3: the logical drive runs past the end of the extended partition"},
        {"a second extended partition",
         primary + "," + extended + "," + logical + R"(,{"offset": "40 GiB", "size": "1 GiB", "mbrType": 5})",
         disk + "partitions/3: a disk holds one extended partition only"},
        {"five entries",
         primary + "," + extended + "," + logical +
             R"(,{"offset": "40 GiB", "size": "1 GiB"},{"offset": "41 GiB", "size": "1 GiB"},
                {"offset": "42 GiB", "size": "1 GiB"})",
         disk + "partitions: an MBR holds four entries"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(loadTopologyText(machineWith(c.partitions), "(test)", error)) << c.what;
        EXPECT_THAT(error, ::testing::HasSubstr(c.place)) << c.what;
    }
}

}  // namespace
