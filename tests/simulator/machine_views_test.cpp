// Views the service derives from the machine: dynamic disks, unformatted
// volumes, file-system types, and the journal's copying contract.
#include <cstring>

#include "lane.h"
#include "sim_session.h"

using namespace simtest;

namespace {

using Views = SimSession;

TEST_F(Views, DynamicDiskShowsItsVolumeSpansNotTheLdmPartition) {
    auto disk = get<IVdsDisk>(kDynDisk, VDS_OT_DISK);
    VDS_DISK_EXTENT* e = nullptr;
    LONG n = 0;
    ASSERT_EQ(disk->QueryExtents(&e, &n), S_OK);
    ASSERT_EQ(n, 4);
    struct Expected {
        VDS_DISK_EXTENT_TYPE type;
        ULONGLONG offset;
        ULONGLONG size;
        const char* volume;
    } expected[] = {
        {VDS_DET_FREE, 1ull << 20, 1ull << 20, nullptr},
        {VDS_DET_DATA, 2ull << 20, 20ull << 30, kMirrorVolume},
        {VDS_DET_DATA, 20482ull << 20, 10ull << 30, "90000000-0000-4000-8000-000000000007"},
        {VDS_DET_FREE, 30722ull << 20, (64ull << 30) - (30722ull << 20), nullptr},
    };
    for (LONG i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(e[i].type, expected[i].type);
        EXPECT_EQ(e[i].ullOffset, expected[i].offset);
        EXPECT_EQ(e[i].ullSize, expected[i].size);
        EXPECT_EQ(e[i].volumeId, expected[i].volume ? id(expected[i].volume) : GUID{});
    }
    CoTaskMemFree(e);

    // Each plex of the mirror lies on its own disk.
    auto mirror = get<IVdsVolume>(kMirrorVolume, VDS_OT_VOLUME);
    ComPtr<IEnumVdsObject> plexes;
    ASSERT_EQ(mirror->QueryPlexes(plexes.put()), S_OK);
    auto list = collect<IVdsVolumePlex>(plexes.get());
    ASSERT_EQ(list.size(), 2u);
    ASSERT_EQ(list[1]->QueryExtents(&e, &n), S_OK);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(e[0].diskId, id("80000000-0000-4000-8000-000000000005"));
    EXPECT_EQ(e[0].volumeId, id(kMirrorVolume));
    CoTaskMemFree(e);
}

TEST_F(Views, GptDiskMarksSystemPartitions) {
    auto disk = get<IVdsDisk>(kGptDisk, VDS_OT_DISK);
    VDS_DISK_EXTENT* e = nullptr;
    LONG n = 0;
    ASSERT_EQ(disk->QueryExtents(&e, &n), S_OK);
    ASSERT_GE(n, 4);
    EXPECT_EQ(e[0].type, VDS_DET_ESP);
    EXPECT_EQ(e[1].type, VDS_DET_MSR);
    EXPECT_EQ(e[2].volumeId, id(kVolumeF));
    CoTaskMemFree(e);
}

TEST_F(Views, UnformattedVolumeReadsRawAndHasNoFreeSpace) {
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001",
        "packs":[{"id":"B1000000-0000-4000-8000-000000000001",
          "disks":[{"id":"B2000000-0000-4000-8000-000000000001","size":"1 GiB","style":"gpt",
                    "partitions":[{"offset":"1 MiB","size":"100 MiB"}]}],
          "volumes":[{"id":"B3000000-0000-4000-8000-000000000001","driveLetter":"K","plexes":[{
            "id":"B4000000-0000-4000-8000-000000000001","extents":[{
            "disk":"B2000000-0000-4000-8000-000000000001","offset":"1 MiB","size":"100 MiB"}]}]}]}]}]})"),
              0);
    auto volume = get<IVdsVolumeMF>("B3000000-0000-4000-8000-000000000001", VDS_OT_VOLUME);
    VDS_FILE_SYSTEM_PROP fs{};
    ASSERT_EQ(volume->GetFileSystemProperties(&fs), S_OK);
    EXPECT_EQ(fs.type, VDS_FST_RAW);
    EXPECT_EQ(fs.ullTotalAllocationUnits, 0u);
    CoTaskMemFree(fs.pwszLabel);
    TOLVANE_LINUX_STAND_INS_ONLY("the simulated volumes' letters answer only through the Linux stand-in");
    ULARGE_INTEGER a{}, t{}, f{};
    EXPECT_FALSE(GetDiskFreeSpaceExA("K:\\", &a, &t, &f));
    EXPECT_EQ(GetLastError(), ERROR_UNRECOGNIZED_VOLUME);
}

TEST_F(Views, ServicePropertiesAndFileSystemTypes) {
    VDS_SERVICE_PROP p{};
    ASSERT_EQ(service->GetProperties(&p), S_OK);
    EXPECT_FALSE(narrow(p.pwszVersion).empty());
    CoTaskMemFree(p.pwszVersion);

    VDS_FILE_SYSTEM_TYPE_PROP* types = nullptr;
    LONG n = 0;
    ASSERT_EQ(service->QueryFileSystemTypes(&types, &n), S_OK);
    ASSERT_GT(n, 0);
    bool ntfs = false;
    for (LONG i = 0; i < n; ++i) {
        ntfs |= types[i].type == VDS_FST_NTFS && narrow(types[i].wszName) == "NTFS";
        CoTaskMemFree(types[i].pwszIllegalLabelCharSet);
    }
    CoTaskMemFree(types);
    EXPECT_TRUE(ntfs);
}

TEST_F(Views, JournalEntryCopiesAsMuchAsFitsAndTellsTheWholeLength) {
    VdsSimJournalEnable(1);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(service->QueryProviders(VDS_QUERY_HARDWARE_PROVIDERS, e.put()), S_OK);
    char small[12];
    std::memset(small, 'x', sizeof small);
    const size_t needed = VdsSimJournalEntry(0, small, sizeof small);
    EXPECT_EQ(needed, std::strlen("IVdsService::QueryProviders(2)"));
    EXPECT_STREQ(small, "IVdsService");  // cut to 11 characters and terminated
}

TEST_F(Views, EnumerationCallsCanBeFailed) {
    VdsSimInjectFault("IEnumVdsObject::Next", 2, VDS_E_PROVIDER_FAILURE);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(service->QueryProviders(3, e.put()), S_OK);
    IUnknown* unk = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(e->Next(1, &unk, &fetched), S_OK);
    unk->Release();
    EXPECT_EQ(e->Next(1, &unk, &fetched), VDS_E_PROVIDER_FAILURE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(collect<IVdsProvider>(e.get()).size(), 3u);  // the failed call took nothing
}

}  // namespace
