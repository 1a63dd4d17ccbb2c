// What the simulated service does to disks and their partitions: where new
// partitions go, what each change refuses, what it removes with it, and the
// notifications a client reads afterwards.
#include <gmock/gmock.h>

#include <cstring>

#include "change_support.h"

namespace simtest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr ULONGLONG kMiB = 1024ull * 1024;
constexpr ULONGLONG kGiB = 1024 * kMiB;
constexpr ULONGLONG kEsp = kMiB;                  // the GPT disk's system partition
constexpr ULONGLONG kMsr = 101 * kMiB;            // its reserved partition
constexpr ULONGLONG kVolumeFStart = 117 * kMiB;   // the start of volume F
constexpr ULONGLONG kGptFree = 225397 * kMiB;     // the free stretch after the GPT disk's last volume
constexpr ULONGLONG kMbrFree = 102501 * kMiB;     // the free stretch after the MBR disk's last volume
constexpr GUID kBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};

CREATE_PARTITION_PARAMETERS gptData() {
    CREATE_PARTITION_PARAMETERS p;
    std::memset(&p, 0, sizeof p);
    p.style = VDS_PST_GPT;
    p.GptPartInfo.partitionType = kBasicData;
    return p;
}

CREATE_PARTITION_PARAMETERS mbrData() {
    CREATE_PARTITION_PARAMETERS p;
    std::memset(&p, 0, sizeof p);
    p.style = VDS_PST_MBR;
    p.MbrPartInfo.partitionType = 0x07;
    return p;
}

// The operation's delivered result, and its output.
struct Finished {
    HRESULT result = E_UNEXPECTED;
    VDS_ASYNC_OUTPUT output{};
};

Finished finish(ComPtr<IVdsAsync>& op) {
    Finished f;
    EXPECT_TRUE(op);
    if (op) {
        EXPECT_EQ(op->Wait(&f.result, &f.output), S_OK);
    }
    op.reset();
    return f;
}

class DiskChanges : public ChangeSession {
protected:
    ComPtr<IVdsAdvancedDisk> advanced(const char* disk) { return get<IVdsAdvancedDisk>(disk, VDS_OT_DISK); }

    HRESULT create(const char* disk, ULONGLONG offset, ULONGLONG size, const CREATE_PARTITION_PARAMETERS& p,
                   Finished* done = nullptr) {
        ComPtr<IVdsAsync> op;
        const HRESULT hr = advanced(disk)->CreatePartition(offset, size, &p, op.put());
        if (hr != S_OK) {
            EXPECT_FALSE(op) << "a refused call hands out no operation";
            return hr;
        }
        const Finished f = finish(op);
        if (done != nullptr) *done = f;
        return f.result;
    }
    std::vector<ULONGLONG> partitionStarts(const char* disk) {
        VDS_PARTITION_PROP* parts = nullptr;
        LONG n = 0;
        advanced(disk)->QueryPartitions(&parts, &n);
        std::vector<ULONGLONG> out;
        for (LONG i = 0; i < n; ++i) out.push_back(parts[i].ullOffset);
        CoTaskMemFree(parts);
        return out;
    }
};

TEST_F(DiskChanges, ANewPartitionStartsAtTheNextAlignedByteAndSaysWhere) {
    Finished done;
    ASSERT_EQ(create(kGptDisk, kGptFree + 1, kGiB, gptData(), &done), S_OK);
    EXPECT_EQ(done.output.type, VDS_ASYNCOUT_CREATEPARTITION);
    EXPECT_EQ(done.output.cp.ullOffset, kGptFree + kMiB);
    // A basic data partition is a volume of its own, announced after the partition.
    const GUID volume = id("92000000-0000-4000-8000-000000000001");
    EXPECT_EQ(done.output.cp.volumeId, volume);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_PARTITION_ARRIVE, id(kGptDisk)},
                                         Notice{VDS_NF_VOLUME_ARRIVE, volume}, Notice{VDS_NF_PACK_MODIFY, id(kGptPack)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kGptDisk)}));
    VDS_PARTITION_PROP p{};
    ASSERT_EQ(advanced(kGptDisk)->GetPartitionProperties(kGptFree + kMiB, &p), S_OK);
    EXPECT_EQ(p.ullSize, kGiB);
    EXPECT_EQ(p.Gpt.partitionType, kBasicData);
    EXPECT_NE(p.Gpt.partitionId, GUID{}) << "every GPT partition has an identity";
}

TEST_F(DiskChanges, CreationChecksComeBackFromTheCallItself) {
    struct Case {
        const char* what;
        const char* disk;
        ULONGLONG offset;
        ULONGLONG size;
        CREATE_PARTITION_PARAMETERS params;
        HRESULT expected;
    };
    const Case cases[] = {
        {"inside a partition", kGptDisk, kVolumeFStart + kGiB, kGiB, gptData(), VDS_E_INVALID_SPACE},
        {"larger than the free stretch", kGptDisk, kGptFree, 40 * kGiB, gptData(), VDS_E_NOT_ENOUGH_SPACE},
        {"past the end of the disk", kGptDisk, 300 * kGiB, kGiB, gptData(), VDS_E_INVALID_SPACE},
        {"before a partition, too long to fit", kMbrDisk, 0, 200 * kMiB, mbrData(), VDS_E_INVALID_SPACE},
        {"a dynamic disk", kDynDisk, 40 * kGiB, kGiB, mbrData(), VDS_E_NOT_SUPPORTED},
        {"an unallocated disk", kRawDisk, kMiB, kGiB, mbrData(), VDS_E_DISK_NOT_INITIALIZED},
        {"the other style's parameters", kGptDisk, kGptFree, kGiB, mbrData(), E_INVALIDARG},
        {"no bytes at all", kGptDisk, kGptFree, 0, gptData(), E_INVALIDARG},
    };
    const unsigned long long before = VdsSimModelDigest();
    for (const Case& c : cases) EXPECT_EQ(create(c.disk, c.offset, c.size, c.params), c.expected) << c.what;
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(DiskChanges, AnMbrDiskHoldsFourPartitions) {
    ASSERT_EQ(create(kMbrDisk, kMbrFree, kGiB, mbrData()), S_OK);
    EXPECT_EQ(create(kMbrDisk, kMbrFree + 2 * kGiB, kGiB, mbrData()), VDS_E_PARTITION_LIMIT_REACHED);
    EXPECT_EQ(partitionStarts(kMbrDisk).size(), 4u);
}

TEST_F(DiskChanges, DeletingAVolumesPartitionTakesTheVolumeItsLetterAndTheFoldersOnIt) {
    // A volume mounted in a folder on F keeps F's file system from being locked.
    auto archive = get<IVdsVolumeMF>(kArchiveVolume, VDS_OT_VOLUME);
    ASSERT_EQ(archive->AddAccessPath(wideText(u"F:\\Nested\\")), S_OK);
    sink.take();
    auto disk = advanced(kGptDisk);
    EXPECT_EQ(disk->DeletePartition(kVolumeFStart, FALSE, FALSE), VDS_E_DEVICE_IN_USE);
    EXPECT_THAT(sink.take(), IsEmpty());
    ASSERT_EQ(disk->DeletePartition(kVolumeFStart, TRUE, FALSE), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_PARTITION_DEPART, id(kGptDisk)},
                                         Notice{VDS_NF_VOLUME_DEPART, id(kVolumeF)},
                                         Notice{VDS_NF_PACK_MODIFY, id(kGptPack)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kGptDisk)},
                                         Notice{VDS_NF_DRIVE_LETTER_FREE, GUID{}},
                                         Notice{VDS_NF_MOUNT_POINTS_CHANGE, id(kArchiveVolume)}));
    // C:\Archive\ stays; F:\Nested\ lay on F and went with it.
    LPWSTR* paths = nullptr;
    LONG n = 0;
    ASSERT_EQ(archive->QueryAccessPaths(&paths, &n), S_OK);
    EXPECT_EQ(n, 1);
    for (LONG i = 0; i < n; ++i) CoTaskMemFree(paths[i]);
    CoTaskMemFree(paths);
    const auto starts = partitionStarts(kGptDisk);
    EXPECT_EQ(std::count(starts.begin(), starts.end(), kVolumeFStart), 0);
    IUnknown* gone = nullptr;
    EXPECT_EQ(service->GetObject(id(kVolumeF), VDS_OT_VOLUME, &gone), VDS_E_OBJECT_NOT_FOUND);
}

TEST_F(DiskChanges, ProtectedPartitionsNeedTheirOwnForce) {
    auto disk = advanced(kGptDisk);
    EXPECT_EQ(disk->DeletePartition(kMsr, TRUE, FALSE), VDS_E_PARTITION_PROTECTED);
    EXPECT_EQ(disk->DeletePartition(kEsp, TRUE, FALSE), VDS_E_PARTITION_PROTECTED);
    EXPECT_EQ(disk->DeletePartition(12345, TRUE, TRUE), VDS_E_OBJECT_NOT_FOUND);
    EXPECT_EQ(get<IVdsAdvancedDisk>(kDynDisk, VDS_OT_DISK)->DeletePartition(kMiB, TRUE, TRUE), VDS_E_NOT_SUPPORTED);
    EXPECT_THAT(sink.take(), IsEmpty());
    ASSERT_EQ(disk->DeletePartition(kMsr, FALSE, TRUE), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_PARTITION_DEPART, id(kGptDisk)},
                                         Notice{VDS_NF_DISK_MODIFY, id(kGptDisk)}));
}

TEST_F(DiskChanges, OnlyPartitionsThatAreNoVolumeAreFormattedOrLetteredByTheDisk) {
    auto disk = advanced(kGptDisk);
    ComPtr<IVdsAsync> op;
    EXPECT_EQ(disk->FormatPartition(kVolumeFStart, VDS_FST_NTFS, nullptr, 0, TRUE, TRUE, FALSE, op.put()),
              VDS_E_INVALID_OPERATION);
    EXPECT_FALSE(op);
    EXPECT_EQ(disk->FormatPartition(kMsr, VDS_FST_NTFS, nullptr, 0, TRUE, TRUE, FALSE, op.put()),
              VDS_E_INVALID_OPERATION);
    EXPECT_EQ(disk->FormatPartition(12345, VDS_FST_NTFS, nullptr, 0, TRUE, TRUE, FALSE, op.put()),
              VDS_E_OBJECT_NOT_FOUND);
    EXPECT_EQ(disk->AssignDriveLetter(kVolumeFStart, u'Q'), VDS_E_INVALID_OPERATION);
    WCHAR letter = 0;
    EXPECT_EQ(disk->GetDriveLetter(kVolumeFStart, &letter), VDS_E_INVALID_OPERATION);

    ASSERT_EQ(disk->FormatPartition(kEsp, VDS_FST_FAT32, wideText(u"SYSTEM"), 4096, FALSE, TRUE, FALSE, op.put()), S_OK);
    EXPECT_EQ(finish(op).result, S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_FILE_SYSTEM_FORMAT_PROGRESS, GUID{}}));
}

TEST_F(DiskChanges, FormatFailuresArriveThroughTheOperation) {
    auto disk = advanced(kGptDisk);
    struct Case {
        VDS_FILE_SYSTEM_TYPE type;
        const char16_t* label;
        DWORD unit;
        HRESULT expected;
    };
    const Case cases[] = {
        {VDS_FST_CDFS, nullptr, 0, VDS_E_INCOMPATIBLE_FILE_SYSTEM},
        {VDS_FST_FAT32, u"TWELVE-CHARS", 0, VDS_E_BAD_LABEL},
        {VDS_FST_NTFS, nullptr, 256, VDS_E_CLUSTER_SIZE_TOO_SMALL},
        {VDS_FST_NTFS, nullptr, 128 * 1024, VDS_E_CLUSTER_SIZE_TOO_BIG},
        {VDS_FST_NTFS, nullptr, 3000, E_INVALIDARG},
    };
    const unsigned long long before = VdsSimModelDigest();
    for (const Case& c : cases) {
        ComPtr<IVdsAsync> op;
        ASSERT_EQ(disk->FormatPartition(kEsp, c.type, c.label ? wideText(c.label) : nullptr, c.unit, FALSE, TRUE,
                                        FALSE, op.put()),
                  S_OK);
        EXPECT_EQ(finish(op).result, c.expected) << c.type << " " << c.unit;
    }
    EXPECT_EQ(VdsSimModelDigest(), before);
}

TEST_F(DiskChanges, DriveLettersOfPartitionsAreUniqueAcrossTheMachine) {
    auto disk = advanced(kGptDisk);
    EXPECT_EQ(disk->AssignDriveLetter(kEsp, u'C'), VDS_E_DRIVE_LETTER_NOT_FREE);  // volume C holds it
    EXPECT_EQ(disk->AssignDriveLetter(kEsp, u'1'), VDS_E_INVALID_DRIVE_LETTER);
    ASSERT_EQ(disk->AssignDriveLetter(kEsp, u's'), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_LETTER_ASSIGN, GUID{}}));
    WCHAR letter = 0;
    ASSERT_EQ(disk->GetDriveLetter(kEsp, &letter), S_OK);
    EXPECT_EQ(letter, u'S');
    // The service lists the letter as used, by no volume.
    VDS_DRIVE_LETTER_PROP used{};
    ASSERT_EQ(service->QueryDriveLetters(u'S', 1, &used), S_OK);
    EXPECT_TRUE(used.bUsed);
    EXPECT_EQ(used.volumeId, GUID{});
    // A partition's letter carries no volume's file system to hold a folder.
    auto volumeF = get<IVdsVolumeMF>(machine::text::kVolumeF, VDS_OT_VOLUME);
    EXPECT_EQ(volumeF->AddAccessPath(wideText(u"S:\\Mounted\\")), VDS_E_PATH_NOT_FOUND);
    EXPECT_THAT(sink.take(), IsEmpty());

    EXPECT_EQ(disk->DeleteDriveLetter(kEsp, u'T'), VDS_E_INVALID_DRIVE_LETTER);
    ASSERT_EQ(disk->DeleteDriveLetter(kEsp, u's'), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_LETTER_FREE, GUID{}}));
    EXPECT_EQ(disk->GetDriveLetter(kEsp, &letter), VDS_E_OBJECT_NOT_FOUND);
}

TEST_F(DiskChanges, CleanLeavesAnUnallocatedDiskAndTellsWhatWent) {
    auto disk = advanced(kGptDisk);
    ComPtr<IVdsAsync> op;
    // A basic disk with volumes and an ESP is cleaned only by force.
    EXPECT_EQ(disk->Clean(FALSE, FALSE, FALSE, op.put()), VDS_E_OPERATION_DENIED);
    EXPECT_FALSE(op);
    ASSERT_EQ(disk->Clean(TRUE, FALSE, FALSE, op.put()), S_OK);
    const Finished done = finish(op);
    EXPECT_EQ(done.result, S_OK);
    EXPECT_EQ(done.output.type, VDS_ASYNCOUT_CLEAN);
    const auto notices = sink.take();
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Notice{VDS_NF_PARTITION_DEPART, id(kGptDisk)}), 4);
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Notice{VDS_NF_VOLUME_DEPART, id(kVolumeF)}), 1);
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Notice{VDS_NF_VOLUME_DEPART, id(kArchiveVolume)}), 1);
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Notice{VDS_NF_DISK_MODIFY, id(kGptDisk)}), 1);
    // Its basic pack lived only around it.
    EXPECT_EQ(std::count(notices.begin(), notices.end(), Notice{VDS_NF_PACK_DEPART, id(kGptPack)}), 1);

    VDS_PARTITION_PROP* parts = nullptr;
    LONG n = 0;
    EXPECT_EQ(disk->QueryPartitions(&parts, &n), VDS_E_DISK_NOT_INITIALIZED);
    // The service lists it among the disks no provider holds, beside the raw disk.
    ComPtr<IEnumVdsObject> unallocated;
    ASSERT_EQ(service->QueryUnallocatedDisks(unallocated.put()), S_OK);
    std::vector<GUID> listed;
    for (ComPtr<IUnknown> next; unallocated->Next(1, next.put(), nullptr) == S_OK;) {
        VDS_DISK_PROP p{};
        ASSERT_EQ(as<IVdsDisk>(next.get())->GetProperties(&p), S_OK);
        listed.push_back(p.id);
        for (LPWSTR text : {p.pwszDiskAddress, p.pwszName, p.pwszFriendlyName, p.pwszAdaptorName, p.pwszDevicePath})
            CoTaskMemFree(text);
    }
    EXPECT_THAT(listed, ElementsAre(id(kRawDisk), id(kGptDisk)));
    // An unallocated disk can be taken into a pack again.
    auto pack = get<IVdsPack>(kDynamicPack, VDS_OT_PACK);
    EXPECT_EQ(pack->AddDisk(id(kGptDisk), VDS_PST_MBR, FALSE), S_OK);
}

TEST_F(DiskChanges, CleanCanBeCancelledWhileItWaits) {
    // The worker is busy with another operation, so the clean has not begun.
    ComPtr<IVdsAsync> busy;
    ASSERT_EQ(VdsSimStartTestOperation(200, S_OK, busy.putVoid()), S_OK);
    const unsigned long long before = VdsSimModelDigest();
    ComPtr<IVdsAsync> op;
    ASSERT_EQ(advanced(kGptDisk)->Clean(TRUE, TRUE, FALSE, op.put()), S_OK);
    EXPECT_EQ(op->Cancel(), S_OK);
    EXPECT_EQ(finish(op).result, VDS_E_OPERATION_CANCELED);
    finish(busy);
    EXPECT_EQ(VdsSimModelDigest(), before);

    // Other disk operations cannot be cancelled.
    ASSERT_EQ(VdsSimStartTestOperation(200, S_OK, busy.putVoid()), S_OK);
    CREATE_PARTITION_PARAMETERS p = gptData();
    ASSERT_EQ(advanced(kGptDisk)->CreatePartition(kGptFree, kGiB, &p, op.put()), S_OK);
    EXPECT_EQ(op->Cancel(), VDS_E_NOT_SUPPORTED);
    EXPECT_EQ(finish(op).result, S_OK);
    finish(busy);
}

TEST_F(DiskChanges, StyleAndFlagsChangeOnlyWhereTheServiceAllows) {
    auto gpt = get<IVdsDisk>(kGptDisk, VDS_OT_DISK);
    auto raw = get<IVdsDisk>(kRawDisk, VDS_OT_DISK);
    const unsigned long long before = VdsSimModelDigest();
    EXPECT_EQ(gpt->ConvertStyle(VDS_PST_MBR), VDS_E_DISK_NOT_EMPTY);
    EXPECT_EQ(raw->ConvertStyle(VDS_PST_MBR), VDS_E_INVALID_OPERATION);
    EXPECT_EQ(gpt->SetFlags(VDS_DF_HOTSPARE), E_INVALIDARG);
    EXPECT_EQ(gpt->SetFlags(VDS_DF_READ_ONLY | VDS_DF_HOTSPARE), E_INVALIDARG);
    EXPECT_EQ(gpt->ClearFlags(VDS_DF_BOOT_DISK), E_INVALIDARG);
    EXPECT_EQ(raw->SetFlags(VDS_DF_READ_ONLY), VDS_E_DISK_NOT_INITIALIZED);
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_THAT(sink.take(), IsEmpty());

    ASSERT_EQ(gpt->SetFlags(VDS_DF_READ_ONLY), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DISK_MODIFY, id(kGptDisk)}));
    ComPtr<IVdsAsync> op;
    ASSERT_EQ(advanced(kGptDisk)->FormatPartition(kEsp, VDS_FST_FAT32, nullptr, 0, TRUE, TRUE, FALSE, op.put()), S_OK);
    EXPECT_EQ(finish(op).result, VDS_E_MEDIA_WRITE_PROTECTED);
    ASSERT_EQ(gpt->ClearFlags(VDS_DF_READ_ONLY), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DISK_MODIFY, id(kGptDisk)}));

    // Emptied of everything but what the style keeps, the disk converts.
    ASSERT_EQ(get<IVdsPack>(kDynamicPack, VDS_OT_PACK)->AddDisk(id(kRawDisk), VDS_PST_MBR, FALSE), S_OK);
    sink.take();
    ASSERT_EQ(raw->ConvertStyle(VDS_PST_GPT), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DISK_MODIFY, id(kRawDisk)}));
    VDS_DISK_PROP prop{};
    ASSERT_EQ(raw->GetProperties(&prop), S_OK);
    EXPECT_EQ(prop.PartitionStyle, VDS_PST_GPT);
    EXPECT_NE(prop.DiskGuid, GUID{});
    for (LPWSTR t : {prop.pwszDiskAddress, prop.pwszName, prop.pwszFriendlyName, prop.pwszAdaptorName,
                     prop.pwszDevicePath})
        CoTaskMemFree(t);
}

TEST_F(DiskChanges, ADiskThatCarriesTheSystemIsNeverCleaned) {
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"softwareProviders": [{
        "id": "60000000-0000-4000-8000-000000000001", "name": "Basic", "version": "1", "kind": "basic",
        "packs": [{"id": "70000000-0000-4000-8000-000000000001",
          "disks": [{"id": "80000000-0000-4000-8000-000000000001", "size": "8 GiB", "style": "mbr",
                     "partitions": [{"offset": "1 MiB", "size": "1 GiB"}]}],
          "volumes": [{"id": "90000000-0000-4000-8000-000000000002", "name": "C", "flags": 2,
             "plexes": [{"id": "91000000-0000-4000-8000-000000000002", "extents": [
               {"disk": "80000000-0000-4000-8000-000000000001", "offset": "1 MiB", "size": "1 GiB"}]}]}]}]}]})"),
              0);
    ComPtr<IVdsAsync> op;
    EXPECT_EQ(advanced(kMbrDisk)->Clean(TRUE, TRUE, TRUE, op.put()), VDS_E_OPERATION_DENIED);
    EXPECT_EQ(advanced(kMbrDisk)->DeletePartition(kMiB, TRUE, TRUE), VDS_E_OPERATION_DENIED);
    EXPECT_THAT(sink.take(), IsEmpty());
}

}  // namespace
}  // namespace simtest
