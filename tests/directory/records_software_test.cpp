// Records of packs, disks, volumes, plexes, extents and partitions, byte for byte.

#include <gtest/gtest.h>

#include <utility>

#include <string>

#include "directory/records.h"
#include "ansi_text.h"
#include "record_test_support.h"
#include "wide_text.h"

namespace {

TEST(SoftwareRecords, PackWithoutNameIsTheFixedPartOnly) {
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty name" : "no name");
        VDS_PACK_PROP prop{};
        prop.id = kIdA;
        prop.pwszName = empty ? comText(u"") : nullptr;
        prop.status = static_cast<VDS_PACK_STATUS>(-5);
        prop.ulFlags = 0x80000001u;
        const Record r = makeRecord(vdsWritePackRecord, prop);
        expectLayout(r, 32, {i32At(0, 32), guidAt(4, kIdABytes), i32At(20, -5),
                             i32At(24, 0x80000001u), refAt(28, 0, 32)});
    }
}

TEST(SoftwareRecords, PackNameFollowsTheFixedPart) {
    VDS_PACK_PROP prop{};
    prop.pwszName = comText(u"Basic");
    const Record r = makeRecord(vdsWritePackRecord, prop);
    expectLayout(r, 37, {i32At(0, 37), refAt(28, 5, 32), textAt(32, "Basic")});
}

TEST(SoftwareRecords, VolumeNamesAreConvertedAndMeasuredInBytes) {
    struct Case {
        const char16_t* wide;
        PinnedBytes narrow;
    };
    const Case cases[] = {
        {u"Donn\u00e9es", {"Donn\xc3\xa9" "es", "Donn\xe9" "es"}},
        {u"\u65e5\u672c", {"\xe6\x97\xa5\xe6\x9c\xac", "??"}},
        {u"\\\\?\\Volume{1}", {"\\\\?\\Volume{1}", "\\\\?\\Volume{1}"}},
    };
    for (const Case& c : cases) {
        const std::string narrow = ansiBytes(c.wide);
        SCOPED_TRACE(narrow);
        expectAnsiBytes(narrow, c.wide, c.narrow);
        VDS_VOLUME_PROP prop{};
        prop.id = kIdB;
        prop.type = static_cast<VDS_VOLUME_TYPE>(10);
        prop.status = static_cast<VDS_VOLUME_STATUS>(1);
        prop.health = VDS_H_REBUILDING;
        prop.TransitionState = VDS_TS_SHRINKING;
        prop.ullSize = 0x0000000280000000ull;
        prop.ulFlags = 0x40;
        prop.RecommendedFileSystemType = static_cast<VDS_FILE_SYSTEM_TYPE>(6);
        prop.pwszName = comText(c.wide);
        const Record r = makeRecord(vdsWriteVolumeRecord, prop);
        const int n = static_cast<int>(narrow.size());
        expectLayout(r, 56 + n,
                     {i32At(0, 56 + n), guidAt(4, kIdBBytes), i32At(20, 10), i32At(24, 1),
                      i32At(28, 2), i32At(32, 3), u64At(36, 0x0000000280000000ull),
                      i32At(44, 0x40), i32At(48, 6), refAt(52, n, 56), textAt(56, narrow)});
    }
}

TEST(SoftwareRecords, DiskLayoutWithSizeAbove4GiB) {
    VDS_DISK_PROP prop{};
    prop.id = kIdA;
    prop.status = static_cast<VDS_DISK_STATUS>(1);
    prop.ReserveMode = static_cast<VDS_LUN_RESERVE_MODE>(2);
    prop.health = VDS_H_HEALTHY;
    prop.dwDeviceType = 7;
    prop.dwMediaType = 12;
    prop.ullSize = 0x0000000300000200ull;  // 12 GiB + 512
    prop.ulBytesPerSector = 512;
    prop.ulSectorsPerTrack = 63;
    prop.ulTracksPerCylinder = 255;
    prop.ulFlags = 0x8000;
    prop.BusType = VDSBusTypeSata;
    prop.PartitionStyle = static_cast<VDS_PARTITION_STYLE>(2);
    prop.DiskGuid = kIdB;  // not carried
    const Record r = makeRecord(vdsWriteDiskRecord, prop);
    expectLayout(r, 68,
                 {guidAt(0, kIdABytes), i32At(16, 1), i32At(20, 2), i32At(24, 1), i32At(28, 7),
                  i32At(32, 12), i32At(36, 0x200), i32At(40, 3), i32At(44, 512), i32At(48, 63),
                  i32At(52, 255), i32At(56, 0x8000), i32At(60, 0xB), i32At(64, 2)});
}

TEST(SoftwareRecords, DiskTextsStayWithTheCaller) {
    VDS_DISK_PROP prop{};
    prop.pwszDiskAddress = comText(u"Port0Path0Target0Lun0");
    prop.pwszName = comText(u"\\\\?\\PhysicalDrive0");
    prop.pwszFriendlyName = comText(u"Disk");
    prop.pwszAdaptorName = comText(u"Adaptor");
    prop.pwszDevicePath = comText(u"\\\\?\\ide#disk");
    const Record r = makeRecord(vdsWriteDiskRecord, prop);
    EXPECT_EQ(r.length, kDiskRecordSize);
    // Still readable (a sanitizer build reports a use after free here if the
    // writer freed them), and ours to free.
    EXPECT_EQ(text16(prop.pwszFriendlyName), u"Disk");
    EXPECT_EQ(text16(prop.pwszAdaptorName), u"Adaptor");
    for (LPWSTR text : {prop.pwszDiskAddress, prop.pwszName, prop.pwszFriendlyName,
                        prop.pwszAdaptorName, prop.pwszDevicePath})
        CoTaskMemFree(text);
}

TEST(SoftwareRecords, VolumePlexLayout) {
    VDS_VOLUME_PLEX_PROP prop{};
    prop.id = kIdB;
    prop.type = static_cast<VDS_VOLUME_PLEX_TYPE>(13);
    prop.status = static_cast<VDS_VOLUME_PLEX_STATUS>(2);
    prop.health = VDS_H_FAILED;
    prop.TransitionState = VDS_TS_STABLE;
    prop.ullSize = 0xFFFFFFFFFFFFFFFFull;
    prop.ulStripeSize = 0x20000;
    prop.ulNumberOfMembers = 3;
    const Record r = makeRecord(vdsWriteVolumePlexRecord, prop);
    expectLayout(r, 48, {guidAt(0, kIdBBytes), i32At(16, 13), i32At(20, 2), i32At(24, 8),
                         i32At(28, 1), u64At(32, 0xFFFFFFFFFFFFFFFFull), i32At(40, 0x20000),
                         i32At(44, 3)});
}

TEST(SoftwareRecords, DiskExtentIsPackedAndCopiesIdentifiersVerbatim) {
    struct Case {
        GUID volume;
        GUID plex;
        std::vector<std::uint8_t> volumeBytes;
        std::vector<std::uint8_t> plexBytes;
    };
    const std::vector<std::uint8_t> zero(16, 0);
    const Case cases[] = {
        {GUID{}, GUID{}, zero, zero},  // free space or a partition without volume
        {kIdB, kIdA, kIdBBytes, kIdABytes},
    };
    for (const Case& c : cases) {
        VDS_DISK_EXTENT extent{};
        extent.diskId = kIdA;
        extent.type = static_cast<VDS_DISK_EXTENT_TYPE>(3);
        extent.ullOffset = 0x0000000100100000ull;
        extent.ullSize = 0x00000002000F0000ull;
        extent.volumeId = c.volume;
        extent.plexId = c.plex;
        extent.memberIdx = 0xFFFFFFFEu;
        const Record r = makeFixedRecord(vdsWriteDiskExtentRecordAt, extent, kDiskExtentRecordSize);
        expectLayout(r, 72, {guidAt(0, kIdABytes), i32At(16, 3), u64At(20, 0x0000000100100000ull),
                             u64At(28, 0x00000002000F0000ull), guidAt(36, c.volumeBytes),
                             guidAt(52, c.plexBytes), i32At(68, 0xFFFFFFFEu)});
    }
}

TEST(SoftwareRecords, PartitionLayoutAndOffsetLine) {
    VDS_PARTITION_PROP prop{};
    prop.PartitionStyle = static_cast<VDS_PARTITION_STYLE>(1);
    prop.ulFlags = 0x1;
    prop.ulPartitionNumber = 2;
    prop.ullOffset = 0x0000000ABCDEF000ull;
    prop.ullSize = 0x0000000100000000ull;
    prop.Mbr.partitionType = 0x07;  // not carried
    const auto lineOf = [](std::uint64_t offset) {
        std::string line(kPartitionLineSize, '?');
        vdsFormatPartitionLine(offset, line.data());
        return line;
    };
    const Record r = makeFixedRecord(vdsWritePartitionRecordAt, prop, kPartitionRecordSize);
    EXPECT_EQ(lineOf(prop.ullOffset), "0x0000000ABCDEF000 .............\n");
    // Every digit position, both halves, and the value's extremes.
    for (const auto& [offset, line] : {std::pair{0xFEDCBA9876543210ull, "0xFEDCBA9876543210 .............\n"},
                                       std::pair{0x0ull, "0x0000000000000000 .............\n"},
                                       std::pair{~0ull, "0xFFFFFFFFFFFFFFFF .............\n"}})
        EXPECT_EQ(lineOf(offset), line);
    expectLayout(r, 28, {i32At(0, 1), i32At(4, 1), i32At(8, 2), u64At(12, 0x0000000ABCDEF000ull),
                         u64At(20, 0x0000000100000000ull)});
}

}  // namespace
