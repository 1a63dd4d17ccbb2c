// What the simulated packs do to volumes, seen as a client of the service
// sees it: the operation's own result and output, and the notifications that
// follow, in order.
#include <gmock/gmock.h>

#include <vector>

#include "change_support.h"

namespace simtest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kVolumeD = "90000000-0000-4000-8000-000000000003";
constexpr const char* kMirrorPlex2 = "91000000-0000-4000-8000-000000000007";
constexpr const char* kSecondDynDisk = "80000000-0000-4000-8000-000000000005";
constexpr const char* kFirstMadeVolume = "92000000-0000-4000-8000-000000000001";
constexpr std::uint64_t kGiB = 1ull << 30;

VDS_INPUT_DISK use(const char* disk, std::uint64_t bytes, ULONG member = 0) {
    VDS_INPUT_DISK d{};
    d.diskId = id(disk);
    d.ullSize = bytes;
    d.memberIdx = member;
    return d;
}

// The operation's delivered result and output, once it has ended.
struct Ended {
    HRESULT result = E_UNEXPECTED;
    VDS_ASYNC_OUTPUT output{};
};

Ended wait(ComPtr<IVdsAsync>& op) {
    Ended e;
    EXPECT_NE(op.get(), nullptr);
    if (op) {
        EXPECT_EQ(op->Wait(&e.result, &e.output), S_OK);
    }
    return e;
}

VDS_VOLUME_PROP propertiesOf(IVdsVolume* volume) {
    VDS_VOLUME_PROP p{};
    EXPECT_NE(volume, nullptr);
    if (volume != nullptr) {
        EXPECT_EQ(volume->GetProperties(&p), S_OK);
    }
    CoTaskMemFree(p.pwszName);
    p.pwszName = nullptr;
    return p;
}

class VolumeChanges : public ChangeSession {
protected:
    std::uint64_t sizeOf(const char* volume) {
        return propertiesOf(get<IVdsVolume>(volume, VDS_OT_VOLUME).get()).ullSize;
    }
};

TEST_F(VolumeChanges, CreateVolumeHandsOutTheNewVolumeAndAnnouncesIt) {
    auto pack = get<IVdsPack>(kDynamicPack, VDS_OT_PACK);
    const VDS_INPUT_DISK disks[] = {use(kDynDisk, kGiB), use(kSecondDynDisk, kGiB)};
    ComPtr<IVdsAsync> op;
    ASSERT_EQ(pack->CreateVolume(VDS_VT_MIRROR, disks, 2, 0, op.put()), S_OK);
    Ended e = wait(op);
    ASSERT_EQ(e.result, S_OK);
    EXPECT_EQ(e.output.type, VDS_ASYNCOUT_CREATEVOLUME);
    ComPtr<IUnknown> made(e.output.cv.pVolumeUnk);
    const VDS_VOLUME_PROP p = propertiesOf(as<IVdsVolume>(made.get()).get());
    EXPECT_EQ(p.id, id(kFirstMadeVolume));
    EXPECT_EQ(p.ullSize, kGiB);
    // A new volume has no access path.
    auto mf = as<IVdsVolumeMF>(made.get());
    LPWSTR* paths = nullptr;
    LONG n = -1;
    ASSERT_EQ(mf->QueryAccessPaths(&paths, &n), S_OK);
    EXPECT_EQ(n, 0);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_VOLUME_ARRIVE, id(kFirstMadeVolume)},
                                         Notice{VDS_NF_PACK_MODIFY, id(kDynamicPack)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kDynDisk)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kSecondDynDisk)}));
}

TEST_F(VolumeChanges, ChecksBeforeTheStartAreTheCallsOwnResult) {
    auto pack = get<IVdsPack>(kBasicPack, VDS_OT_PACK);
    const VDS_INPUT_DISK disks[] = {use(kMbrDisk, kGiB), use(kGptDisk, kGiB)};
    ComPtr<IVdsAsync> op;
    EXPECT_EQ(pack->CreateVolume(VDS_VT_MIRROR, disks, 2, 0, op.put()), VDS_E_NOT_SUPPORTED);
    EXPECT_EQ(op.get(), nullptr);
    auto d = get<IVdsVolume>(kVolumeD, VDS_OT_VOLUME);
    EXPECT_EQ(d->BreakPlex(id(kMirrorPlex2), op.put()), VDS_E_NOT_SUPPORTED);
    EXPECT_EQ(op.get(), nullptr);
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(VolumeChanges, ShrinkReportsTheBytesItReclaimed) {
    auto d = get<IVdsVolume>(kVolumeD, VDS_OT_VOLUME);
    const std::uint64_t before = sizeOf(kVolumeD);
    ComPtr<IVdsAsync> op;
    // The data volume's clusters are 64 KiB: a request is rounded up to whole ones.
    ASSERT_EQ(d->Shrink(kGiB + 1, op.put()), S_OK);
    Ended e = wait(op);
    ASSERT_EQ(e.result, S_OK);
    EXPECT_EQ(e.output.type, VDS_ASYNCOUT_SHRINKVOLUME);
    EXPECT_EQ(e.output.sv.ullReclaimedBytes, kGiB + 65536);
    EXPECT_EQ(sizeOf(kVolumeD), before - kGiB - 65536);
    // The volume's partition shrank with it, and is told before the volume.
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DISK_MODIFY, id(kMbrDisk)},
                                         Notice{VDS_NF_PARTITION_MODIFY, id(kMbrDisk)},
                                         Notice{VDS_NF_VOLUME_MODIFY, id(kVolumeD)},
                                         Notice{VDS_NF_FILE_SYSTEM_MODIFY, id(kVolumeD)}));
}

TEST_F(VolumeChanges, ExtendingByNothingEndsWithSFalse) {
    auto d = get<IVdsVolume>(kVolumeD, VDS_OT_VOLUME);
    ComPtr<IVdsAsync> op;
    ASSERT_EQ(d->Extend(nullptr, 0, op.put()), S_OK);
    EXPECT_EQ(wait(op).result, S_FALSE);
}

TEST_F(VolumeChanges, DeleteTellsTheVolumeThenItsPartitionAndFreesItsLetter) {
    auto d = get<IVdsVolume>(kVolumeD, VDS_OT_VOLUME);
    ASSERT_EQ(d->Delete(FALSE), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_VOLUME_DEPART, id(kVolumeD)},
                                         Notice{VDS_NF_PARTITION_DEPART, id(kMbrDisk)},
                                         Notice{VDS_NF_DRIVE_LETTER_FREE, GUID{}},
                                         Notice{VDS_NF_DISK_MODIFY, id(kMbrDisk)}));
    // The pointer still held answers that its volume is gone.
    EXPECT_EQ(d->Delete(FALSE), VDS_E_OBJECT_DELETED);
}

TEST_F(VolumeChanges, BreakPlexHandsOutTheVolumeMadeOfThePlex) {
    auto mirror = get<IVdsVolume>(kMirrorVolume, VDS_OT_VOLUME);
    ComPtr<IVdsAsync> op;
    ASSERT_EQ(mirror->BreakPlex(id(kMirrorPlex2), op.put()), S_OK);
    Ended e = wait(op);
    ASSERT_EQ(e.result, S_OK);
    EXPECT_EQ(e.output.type, VDS_ASYNCOUT_BREAKVOLUMEPLEX);
    ComPtr<IUnknown> made(e.output.bvp.pVolumeUnk);
    auto plex = get<IVdsVolumePlex>(kMirrorPlex2, VDS_OT_VOLUME_PLEX);
    ComPtr<IVdsVolume> owner;
    ASSERT_EQ(plex->GetVolume(owner.put()), S_OK);
    const VDS_VOLUME_PROP p = propertiesOf(owner.get());
    EXPECT_EQ(p.id, id(kFirstMadeVolume));
    EXPECT_EQ(p.type, VDS_VT_SIMPLE);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_VOLUME_ARRIVE, id(kFirstMadeVolume)},
                                         Notice{VDS_NF_PACK_MODIFY, id(kDynamicPack)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kSecondDynDisk)},
                                         Notice{VDS_NF_VOLUME_MODIFY, id(kMirrorVolume)}));
}

// A RAID-5 volume over three of four dynamic disks; the third is missing.
constexpr const char* kRaid5Machine = R"({"softwareProviders": [{
    "id": "60000000-0000-4000-8000-000000000002", "name": "Dynamic", "version": "1", "kind": "dynamic",
    "packs": [{"id": "70000000-0000-4000-8000-000000000002", "name": "Dg0",
      "disks": [
        {"id": "80000000-0000-4000-8000-000000000004", "size": "8 GiB", "style": "mbr",
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]},
        {"id": "80000000-0000-4000-8000-000000000005", "size": "8 GiB", "style": "mbr",
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]},
        {"id": "80000000-0000-4000-8000-0000000000A3", "size": "8 GiB", "style": "mbr", "status": 6,
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]},
        {"id": "80000000-0000-4000-8000-0000000000A4", "size": "8 GiB", "style": "mbr",
         "partitions": [{"offset": "1 MiB", "size": "8190 MiB", "mbrType": 66}]}],
      "volumes": [{"id": "90000000-0000-4000-8000-0000000000A5", "name": "R", "type": "parity",
        "plexes": [{"id": "91000000-0000-4000-8000-0000000000A5", "extents": [
          {"disk": "80000000-0000-4000-8000-000000000004", "offset": "2 MiB", "size": "1 GiB", "member": 0},
          {"disk": "80000000-0000-4000-8000-000000000005", "offset": "2 MiB", "size": "1 GiB", "member": 1},
          {"disk": "80000000-0000-4000-8000-0000000000A3", "offset": "2 MiB", "size": "1 GiB", "member": 2}
        ]}]}]}]}]})";

TEST_F(VolumeChanges, ARaid5OutlivesItsMissingDiskAndIsRepairedOnAnother) {
    ASSERT_EQ(VdsSimLoadTopologyJson(kRaid5Machine), 0);
    sink.take();
    const char* raid5 = "90000000-0000-4000-8000-0000000000A5";
    const char* missing = "80000000-0000-4000-8000-0000000000A3";
    const char* spare = "80000000-0000-4000-8000-0000000000A4";
    auto pack = get<IVdsPack>(kDynamicPack, VDS_OT_PACK);
    ASSERT_EQ(pack->RemoveMissingDisk(id(missing)), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_PARTITION_DEPART, id(missing)},
                                         Notice{VDS_NF_DISK_DEPART, id(missing)},
                                         Notice{VDS_NF_PACK_MODIFY, id(kDynamicPack)},
                                         Notice{VDS_NF_VOLUME_MODIFY, id(raid5)}));
    auto volume = get<IVdsVolume>(raid5, VDS_OT_VOLUME);
    EXPECT_EQ(propertiesOf(volume.get()).health, VDS_H_FAILED_REDUNDANCY);

    auto plex = get<IVdsVolumePlex>("91000000-0000-4000-8000-0000000000A5", VDS_OT_VOLUME_PLEX);
    const VDS_INPUT_DISK disks[] = {use(spare, kGiB)};
    ComPtr<IVdsAsync> op;
    ASSERT_EQ(plex->Repair(disks, 1, op.put()), S_OK);
    ASSERT_EQ(wait(op).result, S_OK);
    // The new disk's extents change, then the volume, and the rebuild is told last.
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DISK_MODIFY, id(spare)},
                                         Notice{VDS_NF_VOLUME_MODIFY, id(raid5)},
                                         Notice{VDS_NF_VOLUME_REBUILDING_PROGRESS, id(raid5)}));
    EXPECT_EQ(propertiesOf(volume.get()).health, VDS_H_HEALTHY);
}

TEST_F(VolumeChanges, AMirrorPlexIsNotRepaired) {
    auto plex = get<IVdsVolumePlex>(kMirrorPlex2, VDS_OT_VOLUME_PLEX);
    const VDS_INPUT_DISK disks[] = {use(kRawDisk, 20 * kGiB)};
    ComPtr<IVdsAsync> op;
    EXPECT_EQ(plex->Repair(disks, 1, op.put()), VDS_E_NOT_SUPPORTED);
}

TEST_F(VolumeChanges, FailedChangesLeaveTheMachineAsItWas) {
    const unsigned long long before = VdsSimModelDigest();
    auto mirror = get<IVdsVolume>(kMirrorVolume, VDS_OT_VOLUME);
    ComPtr<IVdsAsync> op;
    // Both disks already hold the mirror: AddPlex of a volume on them is refused as it runs.
    auto pack = get<IVdsPack>(kDynamicPack, VDS_OT_PACK);
    const VDS_INPUT_DISK disks[] = {use(kDynDisk, 30 * kGiB)};
    ASSERT_EQ(pack->CreateVolume(VDS_VT_SIMPLE, disks, 1, 0, op.put()), S_OK);
    Ended made = wait(op);
    ComPtr<IUnknown> held(made.output.cv.pVolumeUnk);
    ASSERT_EQ(made.result, S_OK);
    sink.take();
    const unsigned long long withSimple = VdsSimModelDigest();
    EXPECT_NE(withSimple, before);
    ASSERT_EQ(mirror->AddPlex(id(kFirstMadeVolume), op.put()), S_OK);
    EXPECT_EQ(wait(op).result, VDS_E_DISK_IN_USE_BY_VOLUME);
    ASSERT_EQ(mirror->RemovePlex(id(kFirstMadeVolume), op.put()), S_OK);
    EXPECT_EQ(wait(op).result, VDS_E_OBJECT_NOT_FOUND);
    EXPECT_EQ(VdsSimModelDigest(), withSimple);
    EXPECT_THAT(sink.take(), IsEmpty());
}

}  // namespace
}  // namespace simtest
