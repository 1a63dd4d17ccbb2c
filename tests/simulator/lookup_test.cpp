// GetObject, enumerations and the read side of every object kind.
#include "sim_session.h"

using namespace simtest;

namespace {

using Lookup = SimSession;

struct ObjectCase {
    const char* id;
    VDS_OBJECT_TYPE type;
    const IID* iid;
};

TEST_F(Lookup, GetObjectFindsEveryKindAndItsInterfaces) {
    const ObjectCase cases[] = {
        {kHwProvider, VDS_OT_PROVIDER, &IID_IVdsHwProvider},   {kSubSystem, VDS_OT_SUB_SYSTEM, &IID_IVdsMaintenance},
        {kControllerA, VDS_OT_CONTROLLER, &IID_IVdsController}, {kDrive1, VDS_OT_DRIVE, &IID_IVdsMaintenance},
        {kBootLun, VDS_OT_LUN, &IID_IVdsMaintenance},          {kBootLunPlex, VDS_OT_LUN_PLEX, &IID_IVdsLunPlex},
        {kBasicProvider, VDS_OT_PROVIDER, &IID_IVdsSwProvider}, {kBasicPack, VDS_OT_PACK, &IID_IVdsPack},
        {kMbrDisk, VDS_OT_DISK, &IID_IVdsAdvancedDisk},         {kVolumeC, VDS_OT_VOLUME, &IID_IVdsVolumeMF},
        {kVolumeCPlex, VDS_OT_VOLUME_PLEX, &IID_IVdsVolumePlex},
    };
    for (const auto& c : cases) {
        ComPtr<IUnknown> unk;
        ASSERT_EQ(service->GetObject(id(c.id), c.type, unk.put()), S_OK) << c.id;
        ComPtr<IUnknown> face;
        EXPECT_EQ(unk->QueryInterface(*c.iid, face.putVoid()), S_OK) << c.id;
    }
}

TEST_F(Lookup, GetObjectRefusesWrongTypeAndUnknownIdentifier) {
    const ObjectCase cases[] = {
        {kSubSystem, VDS_OT_DRIVE, nullptr},
        {kMbrDisk, VDS_OT_VOLUME, nullptr},
        {"DEADBEEF-0000-4000-8000-000000000000", VDS_OT_DISK, nullptr},
    };
    for (const auto& c : cases) {
        IUnknown* unk = reinterpret_cast<IUnknown*>(0x1);
        EXPECT_EQ(service->GetObject(id(c.id), c.type, &unk), VDS_E_OBJECT_NOT_FOUND) << c.id;
        EXPECT_EQ(unk, nullptr);
    }
}

TEST_F(Lookup, ObjectsRefuseInterfacesOfOtherKinds) {
    auto drive = object(kDrive1, VDS_OT_DRIVE);
    ComPtr<IVdsLun> lun;
    EXPECT_EQ(drive->QueryInterface(IID_IVdsLun, lun.putVoid()), E_NOINTERFACE);
    EXPECT_FALSE(lun);
    auto hw = object(kHwProvider, VDS_OT_PROVIDER);
    ComPtr<IVdsSwProvider> sw;
    EXPECT_EQ(hw->QueryInterface(IID_IVdsSwProvider, sw.putVoid()), E_NOINTERFACE);
}

TEST_F(Lookup, QueryProvidersByMask) {
    struct Case {
        DWORD mask;
        size_t count;
    } cases[] = {{VDS_QUERY_SOFTWARE_PROVIDERS, 2}, {VDS_QUERY_HARDWARE_PROVIDERS, 2}, {3, 4}};
    for (const auto& c : cases) {
        ComPtr<IEnumVdsObject> e;
        ASSERT_EQ(service->QueryProviders(c.mask, e.put()), S_OK);
        EXPECT_EQ(collect<IVdsProvider>(e.get()).size(), c.count) << c.mask;
    }
}

TEST_F(Lookup, EnumerationNextSkipResetClone) {
    auto sub = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(sub->QueryDrives(e.put()), S_OK);
    EXPECT_EQ(collect<IVdsDrive>(e.get()).size(), 8u);
    IUnknown* unk = reinterpret_cast<IUnknown*>(0x1);
    ULONG fetched = 7;
    EXPECT_EQ(e->Next(1, &unk, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(unk, nullptr);

    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(6), S_OK);
    ComPtr<IEnumVdsObject> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    IUnknown* batch[4] = {};
    EXPECT_EQ(e->Next(4, batch, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) batch[i]->Release();
    EXPECT_EQ(clone->Skip(5), S_FALSE);  // the clone kept its own place
    EXPECT_EQ(collect<IVdsDrive>(clone.get()).size(), 0u);
}

TEST_F(Lookup, EnumerationSeesTheMachineAsItWasWhenOpened) {
    auto sub = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(sub->QueryLuns(e.put()), S_OK);
    sub.reset();
    ASSERT_EQ(VdsSimLoadTopologyJson(R"({"hardwareProviders":[]})"), 0);
    auto luns = collect<IVdsLun>(e.get());
    ASSERT_EQ(luns.size(), 3u);
    VDS_LUN_PROP p{};
    EXPECT_EQ(luns[0]->GetProperties(&p), VDS_E_OBJECT_DELETED);  // gone since
}

TEST_F(Lookup, PropertyTextsAreTheCallersToFree) {
    auto volume = get<IVdsVolume>(kVolumeF, VDS_OT_VOLUME);
    VDS_VOLUME_PROP v{};
    ASSERT_EQ(volume->GetProperties(&v), S_OK);
    EXPECT_EQ(narrow(v.pwszName), "Données");
    EXPECT_EQ(v.ullSize, 200ull << 30);
    CoTaskMemFree(v.pwszName);

    auto lun = get<IVdsLun>(kBootLun, VDS_OT_LUN);
    VDS_LUN_PROP l{};
    ASSERT_EQ(lun->GetProperties(&l), S_OK);
    EXPECT_EQ(narrow(l.pwszFriendlyName), "Boot LUN");
    EXPECT_EQ(narrow(l.pwszUnmaskingList), "iqn.1991-05.com.microsoft:host1");
    EXPECT_EQ(l.ullSize, 32ull << 30);
    CoTaskMemFree(l.pwszFriendlyName);
    CoTaskMemFree(l.pwszIdentification);
    CoTaskMemFree(l.pwszUnmaskingList);

    auto disk = get<IVdsDisk>(kGptDisk, VDS_OT_DISK);
    VDS_DISK_PROP d{};
    ASSERT_EQ(disk->GetProperties(&d), S_OK);
    EXPECT_EQ(d.PartitionStyle, VDS_PST_GPT);
    EXPECT_EQ(d.DiskGuid, id("8A000000-0000-4000-8000-0000000000D2"));
    for (LPWSTR t : {d.pwszDiskAddress, d.pwszName, d.pwszFriendlyName, d.pwszAdaptorName, d.pwszDevicePath})
        CoTaskMemFree(t);
}

TEST_F(Lookup, DriveExtentsShowTheLunsAndTheFreeSpace) {
    auto drive = get<IVdsDrive>(kDrive1, VDS_OT_DRIVE);
    VDS_DRIVE_EXTENT* extents = nullptr;
    LONG n = 0;
    ASSERT_EQ(drive->QueryExtents(&extents, &n), S_OK);
    ASSERT_EQ(n, 2);
    EXPECT_EQ(extents[0].LunId, id(kBootLun));
    EXPECT_EQ(extents[0].ullSize, 32ull << 30);
    EXPECT_TRUE(extents[0].bUsed);
    EXPECT_EQ(extents[1].LunId, GUID{});
    EXPECT_EQ(extents[1].ullSize, 32ull << 30);
    EXPECT_FALSE(extents[1].bUsed);
    CoTaskMemFree(extents);

    auto lun = get<IVdsLun>(kMirrorLun, VDS_OT_LUN);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(lun->QueryPlexes(e.put()), S_OK);
    auto plexes = collect<IVdsLunPlex>(e.get());
    ASSERT_EQ(plexes.size(), 2u);
    ASSERT_EQ(plexes[1]->QueryExtents(&extents, &n), S_OK);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(extents[0].id, id("40000000-0000-4000-8000-000000000003"));
    EXPECT_EQ(extents[0].LunId, id(kMirrorLun));
    CoTaskMemFree(extents);
}

TEST_F(Lookup, DiskExtentsPartitionsAndLetters) {
    auto disk = get<IVdsDisk>(kMbrDisk, VDS_OT_DISK);
    VDS_DISK_EXTENT* extents = nullptr;
    LONG n = 0;
    ASSERT_EQ(disk->QueryExtents(&extents, &n), S_OK);
    ASSERT_EQ(n, 4);  // three partitions, then the free rest
    EXPECT_EQ(extents[1].type, VDS_DET_DATA);
    EXPECT_EQ(extents[1].volumeId, id(kVolumeC));
    EXPECT_EQ(extents[1].plexId, id(kVolumeCPlex));
    EXPECT_EQ(extents[3].type, VDS_DET_FREE);
    EXPECT_EQ(extents[3].ullOffset + extents[3].ullSize, 128ull << 30);
    CoTaskMemFree(extents);

    ComPtr<IVdsAdvancedDisk> adv;
    ASSERT_EQ(disk.queryInterface(IID_IVdsAdvancedDisk, adv), S_OK);
    VDS_PARTITION_PROP* parts = nullptr;
    ASSERT_EQ(adv->QueryPartitions(&parts, &n), S_OK);
    ASSERT_EQ(n, 3);
    EXPECT_TRUE(parts[0].Mbr.bootIndicator);
    EXPECT_EQ(parts[1].ullOffset, 101ull << 20);
    CoTaskMemFree(parts);

    // A volume's letter is the volume's to tell; the disk tells only those of
    // partitions that are no volume.
    WCHAR letter = 0;
    EXPECT_EQ(adv->GetDriveLetter(101ull << 20, &letter), VDS_E_INVALID_OPERATION);
    EXPECT_EQ(letter, 0);
    EXPECT_EQ(adv->GetDriveLetter(12345, &letter), VDS_E_OBJECT_NOT_FOUND);  // no partition there
    VDS_PARTITION_PROP p{};
    EXPECT_EQ(adv->GetPartitionProperties(12345, &p), VDS_E_OBJECT_NOT_FOUND);

    auto raw = get<IVdsAdvancedDisk>(kRawDisk, VDS_OT_DISK);
    ASSERT_EQ(raw->QueryPartitions(&parts, &n), VDS_E_DISK_NOT_INITIALIZED);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(parts, nullptr);

    VDS_DRIVE_LETTER_PROP letters[6] = {};
    ASSERT_EQ(service->QueryDriveLetters(u'C', 6, letters), S_OK);
    EXPECT_TRUE(letters[0].bUsed);
    EXPECT_EQ(letters[0].volumeId, id(kVolumeC));
    EXPECT_FALSE(letters[2].bUsed);  // E:
    EXPECT_TRUE(letters[3].bUsed);   // F:
}

TEST_F(Lookup, FileSystemAccessPathsAndReparsePoints) {
    auto c = get<IVdsVolumeMF>(kVolumeC, VDS_OT_VOLUME);
    LPWSTR* paths = nullptr;
    LONG n = 0;
    ASSERT_EQ(c->QueryAccessPaths(&paths, &n), S_OK);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(narrow(paths[0]), "C:\\");
    CoTaskMemFree(paths[0]);
    CoTaskMemFree(paths);

    VDS_REPARSE_POINT_PROP* points = nullptr;
    ASSERT_EQ(c->QueryReparsePoints(&points, &n), S_OK);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(points[0].SourceVolumeId, id(kArchiveVolume));
    EXPECT_EQ(narrow(points[0].pwszPath), "\\Archive\\");
    CoTaskMemFree(points[0].pwszPath);
    CoTaskMemFree(points);

    auto archive = get<IVdsVolumeMF>(kArchiveVolume, VDS_OT_VOLUME);
    ASSERT_EQ(archive->QueryAccessPaths(&paths, &n), S_OK);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(narrow(paths[0]), "C:\\Archive\\");
    CoTaskMemFree(paths[0]);
    CoTaskMemFree(paths);

    auto f = get<IVdsVolumeMF>(kVolumeF, VDS_OT_VOLUME);
    VDS_FILE_SYSTEM_PROP fs{};
    ASSERT_EQ(f->GetFileSystemProperties(&fs), S_OK);
    EXPECT_EQ(fs.type, VDS_FST_NTFS);
    EXPECT_EQ(narrow(fs.pwszLabel), "Données partagées");
    EXPECT_EQ(fs.ullTotalAllocationUnits * fs.ulAllocationUnitSize, 200ull << 30);
    CoTaskMemFree(fs.pwszLabel);
}

TEST_F(Lookup, HardwareNavigationAndHints) {
    auto sub = get<IVdsSubSystem>(kSubSystem, VDS_OT_SUB_SYSTEM);
    ComPtr<IVdsDrive> drive;
    ASSERT_EQ(sub->GetDrive(1, 2, drive.put()), S_OK);
    VDS_DRIVE_PROP d{};
    ASSERT_EQ(drive->GetProperties(&d), S_OK);
    EXPECT_EQ(narrow(d.pwszFriendlyName), "Drive 1.2");
    CoTaskMemFree(d.pwszFriendlyName);
    CoTaskMemFree(d.pwszIdentification);
    EXPECT_EQ(sub->GetDrive(1, 9, drive.put()), VDS_E_OBJECT_NOT_FOUND);
    EXPECT_FALSE(drive);

    auto stripe = get<IVdsLun>(kStripeLun, VDS_OT_LUN);
    VDS_HINTS h{};
    ASSERT_EQ(stripe->QueryHints(&h), S_OK);
    EXPECT_TRUE(h.bWriteThroughCachingEnabled);
    EXPECT_EQ(h.sRebuildPriority, 5);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(stripe->QueryActiveControllers(e.put()), S_OK);
    EXPECT_EQ(collect<IVdsController>(e.get()).size(), 1u);

    auto controller = get<IVdsController>(kControllerA, VDS_OT_CONTROLLER);
    ASSERT_EQ(controller->QueryAssociatedLuns(e.put()), S_OK);
    EXPECT_EQ(collect<IVdsLun>(e.get()).size(), 2u);  // not the striped LUN
    VDS_PORT_PROP port{};
    ASSERT_EQ(controller->GetPortProperties(1, &port), S_OK);
    EXPECT_EQ(narrow(port.pwszFriendlyName), "Port A1");
    CoTaskMemFree(port.pwszFriendlyName);
    CoTaskMemFree(port.pwszIdentification);

    ULONGLONG max = 0;
    auto boot = get<IVdsLun>(kBootLun, VDS_OT_LUN);
    ASSERT_EQ(boot->QueryMaxLunExtendSize(nullptr, 0, &max), S_OK);
    EXPECT_EQ(max, 352ull << 30);  // all the free space of the drives in service, the hot spare aside
}

TEST_F(Lookup, SampleProviderHasNoSubsystems) {
    auto sample = get<IVdsHwProvider>(kSampleProvider, VDS_OT_PROVIDER);
    ComPtr<IEnumVdsObject> e;
    ASSERT_EQ(sample->QuerySubSystems(e.put()), S_OK);
    EXPECT_TRUE(collect<IVdsSubSystem>(e.get()).empty());
}

TEST_F(Lookup, ChangingOperationsAreNotSimulatedYetAndChangeNothing) {
    auto lun = get<IVdsLun>(kBootLun, VDS_OT_LUN);
    auto pack = get<IVdsPack>(kDynamicPack, VDS_OT_PACK);
    const unsigned long long before = VdsSimModelDigest();
    ComPtr<IVdsAsync> operation;
    EXPECT_EQ(pack->Recover(operation.put()), E_NOTIMPL);
    EXPECT_EQ(operation.get(), nullptr);
    EXPECT_EQ(VdsSimModelDigest(), before);
    VDS_LUN_PROP p{};
    ASSERT_EQ(lun->GetProperties(&p), S_OK);
    EXPECT_EQ(p.status, VDS_LS_ONLINE);
    CoTaskMemFree(p.pwszFriendlyName);
    CoTaskMemFree(p.pwszIdentification);
    CoTaskMemFree(p.pwszUnmaskingList);
    auto hw = get<IVdsHwProvider>(kHwProvider, VDS_OT_PROVIDER);
    EXPECT_EQ(hw->Refresh(), S_OK);
    EXPECT_EQ(service->Refresh(), S_OK);
}

}  // namespace
