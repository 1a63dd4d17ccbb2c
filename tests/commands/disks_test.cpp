// The disk and partition commands against the simulated basic and dynamic
// providers: the bytes they answer, what reaches the service, and changes
// read back through the library's own lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "bridge/connection.h"
#include "default_machine.h"
#include "directory/lookup.h"
#include "directory/records.h"
#include "platform/com_ptr.h"
#include "service_fixture.h"
#include "simulated_machine.h"
#include "vds_sim.h"

#if !defined(_WIN32)
#include "generate/machine_generator.h"
#include "protocol/guid_text.h"
#endif

namespace {

using namespace machine;

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;
constexpr std::uint64_t kEsp = kMiB;                // the GPT disk's system partition
constexpr std::uint64_t kVolumeFStart = 117 * kMiB;
constexpr std::uint64_t kGptFree = 225397 * kMiB;   // after the GPT disk's last volume
constexpr std::uint64_t kMbrFree = 102501 * kMiB;   // after the MBR disk's last volume
constexpr const char* kGptDiskTrace = "VDS: disk 80000000-0000-4000-8000-000000000002\n";

std::uint32_t u(std::int32_t v) { return static_cast<std::uint32_t>(v); }

RequestBytes& put64(RequestBytes& r, std::size_t at, std::uint64_t value) {
    return r.int32(at, static_cast<std::int32_t>(value & 0xFFFFFFFFu)).int32(at + 4, static_cast<std::int32_t>(value >> 32));
}

// Provider, pack and disk of a software object address.
RequestBytes diskCommand(int code, const GUID& disk) {
    return std::move(RequestBytes(code).guid(4, kBasicProvider).guid(20, kBasicPack).guid(36, disk));
}
// The disk first, the partition's offset at 20.
RequestBytes partitionCommand(int code, const GUID& disk, std::uint64_t offset) {
    RequestBytes r(code);
    r.guid(4, disk);
    return std::move(put64(r, 20, offset));
}

std::vector<unsigned char> queryPartitions(const GUID& disk) { return diskCommand(0x0404, disk).data(); }
std::vector<unsigned char> queryExtents(const GUID& disk) { return diskCommand(0x0409, disk).data(); }
std::vector<unsigned char> createPartition(const GUID& disk, std::uint64_t offset, std::uint64_t size, int style) {
    RequestBytes r = partitionCommand(0x0405, disk, offset);
    return put64(r, 28, size).int32(36, style).data();
}
std::vector<unsigned char> deletePartition(const GUID& disk, std::uint64_t offset, int force = 0, int protect = 0) {
    RequestBytes r = diskCommand(0x0406, disk);
    return put64(r, 52, offset).int16(60, force).int16(62, protect).data();
}
std::vector<unsigned char> formatPartition(const GUID& disk, std::uint64_t offset, int type,
                                           const std::string& label, std::uint32_t length) {
    RequestBytes r = diskCommand(0x0407, disk);
    put64(r, 52, offset).int16(64, type).int16(68, 1).int32(72, static_cast<std::int32_t>(length));
    if (!label.empty()) r.bytes(76, label);
    return r.data();
}
std::vector<unsigned char> cleanDisk(const GUID& disk, int force = 0) {
    return diskCommand(0x0408, disk).int16(52, force).int16(56, 0).data();
}
std::vector<unsigned char> letterCommand(int code, const GUID& disk, std::uint64_t offset, char letter) {
    RequestBytes r = partitionCommand(code, disk, offset);
    return r.bytes(28, std::string(1, letter)).data();
}
std::vector<unsigned char> addToDynamicPack(const GUID& disk) {
    return RequestBytes(0x0412).guid(4, kDynamicPack).guid(20, disk).int32(36, 1).int32(40, 0).data();
}

// The partitions' offsets that 0x0404 lists.
std::vector<std::uint64_t> partitionOffsets(const Reply& r) {
    std::vector<std::uint64_t> out;
    for (int i = 0; i < r.int32(12); ++i) out.push_back(r.uint64(16 + kPartitionRecordSize * i + 12));
    return out;
}

bool journalHas(const std::string& line) {
    const auto lines = journal();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool calledAny(const char* method) {
    for (const std::string& line : journal())
        if (line.rfind(method, 0) == 0) return true;
    return false;
}

class DiskCommands : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
    // A partition as the service reports it, asked through the library's own lookup.
    VDS_PARTITION_PROP partition(const GUID& disk, std::uint64_t offset) {
        VDS_PARTITION_PROP p{};
        ComPtr<IUnknown> object(vdsGetObject(vdsConnectionView().service, VDS_OT_DISK, disk));
        ComPtr<IVdsAdvancedDisk> advanced(vdsGetAdvancedDisk(object.get()));
        EXPECT_TRUE(advanced);
        if (advanced) {
            EXPECT_EQ(advanced->GetPartitionProperties(offset, &p), S_OK);
        }
        return p;
    }
    // The disk record of a pack's disk list (0x0402).
    Reply diskRecordOf(const GUID& pack, const GUID& disk, std::size_t& at) {
        const Reply r = runCommand(RequestBytes(0x0402).guid(4, kDynamicProvider).guid(20, pack).data());
        at = 0;
        for (int i = 0; i < r.int16(12); ++i)
            if (std::memcmp(r.bytes.data() + 14 + kDiskRecordSize * i, &disk, sizeof disk) == 0)
                at = 14 + static_cast<std::size_t>(kDiskRecordSize) * i;
        return r;
    }
};

TEST_F(DiskCommands, ListsCountWithAnInt32AndStartTheirRecordsAtSixteen) {
    const Reply parts = runCommand(queryPartitions(kMbrDisk));
    ASSERT_EQ(parts.status(), 0);
    ASSERT_EQ(parts.bytes.size(), 16u + 3 * kPartitionRecordSize);
    EXPECT_EQ(parts.int32(12), 3);
    EXPECT_EQ(partitionOffsets(parts), (std::vector<std::uint64_t>{kMiB, 101 * kMiB, 61541 * kMiB}));
    EXPECT_EQ(parts.uint64(16 + 20), 100 * kMiB) << "the first partition's size";
    EXPECT_EQ(parts.printed.rfind("VDS: disk 80000000-0000-4000-8000-000000000001\n", 0), 0u);
    EXPECT_EQ(parts.printed.find("Output size"), std::string::npos);

    const Reply extents = runCommand(queryExtents(kMbrDisk));
    ASSERT_EQ(extents.status(), 0);
    const int n = extents.int32(12);
    ASSERT_EQ(n, 4) << "three partitions and the free end";
    ASSERT_EQ(extents.bytes.size(), 16u + static_cast<std::size_t>(n) * kDiskExtentRecordSize);
    for (int i = 0; i < n; ++i) EXPECT_EQ(std::memcmp(extents.bytes.data() + 16 + kDiskExtentRecordSize * i, &kMbrDisk, 16), 0);
}

#if !defined(_WIN32)
// A disk of more partitions than the batches of log lines hold (4 KiB, then
// 64 KiB, of 33-byte lines): every offset is logged once, in the records'
// order, with nothing lost or doubled where a batch ends, and the records
// carry what the service reports.
TEST_F(DiskCommands, LongPartitionListsLogEveryOffsetInOrder) {
    for (const int partitions : {1, 124, 125, 1986, 2100}) {
        const auto m = tolvane::sim::generateMachine({.packs = 1, .disksPerPack = 1, .partitionsPerDisk = partitions});
        ASSERT_EQ(VdsSimLoadTopologyJson(m.json.c_str()), 0);
        const Reply r = runCommand(RequestBytes(0x0404)
                                       .guid(4, m.softwareProvider)
                                       .guid(20, m.packs.front())
                                       .guid(36, m.disks.front())
                                       .data());
        ASSERT_EQ(r.status(), 0) << partitions;
        ASSERT_EQ(r.int32(12), partitions);
        ASSERT_EQ(r.bytes.size(), 16u + static_cast<std::size_t>(partitions) * kPartitionRecordSize);
        char disk[kGuidTextLength + 1];
        vdsFormatGuid(m.disks.front(), disk);
        std::string expected = std::string("VDS: disk ") + disk + "\n";
        std::uint64_t previous = 0;
        for (int i = 0; i < partitions; ++i) {
            const std::uint64_t offset = r.uint64(16 + kPartitionRecordSize * static_cast<std::size_t>(i) + 12);
            EXPECT_GT(offset, previous) << "partition " << i;
            previous = offset;
            char line[40];
            std::snprintf(line, sizeof line, "0x%08X%08X .............\n", static_cast<unsigned>(offset >> 32),
                          static_cast<unsigned>(offset & 0xFFFFFFFFu));
            expected += line;
        }
        EXPECT_EQ(r.printed, expected) << partitions << " partitions";
    }
}
#endif

TEST_F(DiskCommands, EmptyAndUnreadablePartitionListsAnswerSixteenBytes) {
    // Unallocated, the disk has no partition table to read.
    const Reply raw = runCommand(queryPartitions(kRawDisk));
    EXPECT_EQ(raw.status(), -100);
    EXPECT_EQ(u(raw.addStatus()), u(VDS_E_DISK_NOT_INITIALIZED));
    ASSERT_EQ(raw.bytes.size(), 16u);
    EXPECT_EQ(raw.int32(12), 0);

    // Initialised and empty: the service's S_FALSE is an empty success.
    ASSERT_EQ(runCommand(addToDynamicPack(kRawDisk)).status(), 0);
    const Reply empty = runCommand(queryPartitions(kRawDisk));
    EXPECT_EQ(empty.status(), 0);
    EXPECT_EQ(empty.addStatus(), 0);
    ASSERT_EQ(empty.bytes.size(), 16u);
    EXPECT_EQ(empty.int32(12), 0);
}

TEST_F(DiskCommands, EveryCommandAnswersForAnUnknownForeignOrFacelessDisk) {
    struct Command {
        int code;
        std::vector<unsigned char> (*request)(const GUID& disk);
        std::size_t failureSize;
        bool advanced;
    };
    const Command commands[] = {
        {0x0403, [](const GUID& d) { return diskCommand(0x0403, d).int32(52, 2).data(); }, 12, false},
        {0x0404, [](const GUID& d) { return queryPartitions(d); }, 16, true},
        {0x0405, [](const GUID& d) { return createPartition(d, kGptFree, kGiB, 2); }, 12, true},
        {0x0406, [](const GUID& d) { return deletePartition(d, kGptFree); }, 12, true},
        {0x0407, [](const GUID& d) { return formatPartition(d, kEsp, 3, "", 0); }, 12, true},
        {0x0408, [](const GUID& d) { return cleanDisk(d); }, 12, true},
        {0x0409, [](const GUID& d) { return queryExtents(d); }, 16, false},
        {0x0410, [](const GUID& d) { return diskCommand(0x0410, d).int32(52, 0x40).data(); }, 12, false},
        {0x0411, [](const GUID& d) { return diskCommand(0x0411, d).int32(52, 0x40).data(); }, 12, false},
        {0x0417, [](const GUID& d) { return partitionCommand(0x0417, d, kEsp).data(); }, 12, true},
        {0x0418, [](const GUID& d) { return letterCommand(0x0418, d, kEsp, 'S'); }, 12, true},
        {0x0419, [](const GUID& d) { return letterCommand(0x0419, d, kEsp, 'S'); }, 12, true},
    };
    struct Case {
        const char* what;
        GUID disk;
        const IID* refused;
    };
    const Case cases[] = {
        {"unknown", kUnknown, nullptr},
        {"a volume named as a disk", kVolumeF, nullptr},
        {"a disk without IVdsDisk", kGptDisk, &IID_IVdsDisk},
        {"a disk without IVdsAdvancedDisk", kGptDisk, &IID_IVdsAdvancedDisk},
    };
    const unsigned long long before = VdsSimModelDigest();
    for (const Case& c : cases) {
        VdsSimClearFaults();
        if (c.refused != nullptr) VdsSimRefuseInterface(&c.disk, c.refused);
        for (const Command& command : commands) {
            const bool reachesCall = c.refused == &IID_IVdsAdvancedDisk && !command.advanced;
            if (reachesCall) continue;
            const Reply r = runCommand(command.request(c.disk));
            const int expected = c.refused == &IID_IVdsAdvancedDisk ? -10 : -1;
            EXPECT_EQ(r.status(), expected) << c.what << " " << std::hex << command.code;
            EXPECT_EQ(r.addStatus(), 0) << c.what << " " << std::hex << command.code;
            ASSERT_EQ(r.bytes.size(), command.failureSize) << c.what << " " << std::hex << command.code;
            for (std::size_t i = 12; i < r.bytes.size(); ++i) EXPECT_EQ(r.bytes[i], 0);
            EXPECT_EQ(VdsSimLiveReferences(), 0) << c.what << " " << std::hex << command.code;
        }
    }
    EXPECT_EQ(VdsSimModelDigest(), before);
}

TEST_F(DiskCommands, OffsetsAndSizesTravelAndPrintInFullSixtyFourBits) {
    // The bytes 00 00 00 00 01 00 00 00 at 52.
    const Reply deleted = runCommand(deletePartition(kGptDisk, 0x100000000ull));
    EXPECT_TRUE(journalHas("IVdsAdvancedDisk::DeletePartition(4294967296, 0, 0)"));
    EXPECT_EQ(deleted.status(), -100);
    EXPECT_EQ(u(deleted.addStatus()), u(VDS_E_OBJECT_NOT_FOUND));

    const Reply created = runCommand(createPartition(kGptDisk, kGptFree + 5 * kGiB, 6 * kGiB, 2));
    EXPECT_NE(created.printed.find("VDS: cmdCreatePartitions, disk 80000000-0000-4000-8000-000000000002, offset "
                                   "241714593792, create size 6442450944, style 2\n"),
              std::string::npos)
        << created.printed;
    EXPECT_TRUE(journalHas("IVdsAdvancedDisk::CreatePartition(241714593792, 6442450944)"));

    const Reply letter = runCommand(partitionCommand(0x0417, kGptDisk, 0x123456789ull).data());
    EXPECT_EQ(letter.printed.rfind("VDS: disk 80000000-0000-4000-8000-000000000002, offset 4886718345\n", 0), 0u);
}

TEST_F(DiskCommands, NewPartitionsCarryTheDataTypeOfTheirStyle) {
    const Reply mbr = runCommand(createPartition(kMbrDisk, kMbrFree, kGiB, 1));
    ASSERT_EQ(mbr.status(), 0);
    EXPECT_EQ(mbr.printed.find("=========="), std::string::npos);
    const VDS_PARTITION_PROP made = partition(kMbrDisk, kMbrFree);
    EXPECT_EQ(made.PartitionStyle, VDS_PST_MBR);
    EXPECT_EQ(made.Mbr.partitionType, 0x07);
    EXPECT_FALSE(made.Mbr.bootIndicator);

    const Reply gpt = runCommand(createPartition(kGptDisk, kGptFree, kGiB, 2));
    ASSERT_EQ(gpt.status(), 0);
    EXPECT_NE(gpt.printed.find("========== GUID EBD0A0A2-B9E5-4433-87C0-68B6B72699C7 =========\n"), std::string::npos);
    constexpr GUID kBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
    EXPECT_EQ(partition(kGptDisk, kGptFree).Gpt.partitionType, kBasicData);

    // Any other style carries nothing but itself, which no disk takes.
    for (int style : {0, 3}) {
        const Reply other = runCommand(createPartition(kGptDisk, kGptFree + 2 * kGiB, kGiB, style));
        EXPECT_EQ(other.status(), -100) << style;
        EXPECT_EQ(u(other.addStatus()), u(E_INVALIDARG)) << style;
        EXPECT_EQ(other.printed.find("=========="), std::string::npos);
    }
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

// Migrated to dynamic, the GPT disk keeps its ESP and MSR, its data partitions
// give way to the LDM area and database, and its volumes join the dynamic pack.
TEST_F(DiskCommands, MigrationToDynamicRewritesThePartitionTableAsTheListsShow) {
    const Reply moved =
        runCommand(RequestBytes(0x0413).guid(4, kGptPack).guid(20, kDynamicPack).int32(44, 1).guid(48, kGptDisk).data());
    ASSERT_EQ(moved.status(), 0);
    EXPECT_EQ(moved.int32(12), 0);
    const std::vector<std::uint64_t> expected = {kEsp, 101 * kMiB, kVolumeFStart, 256 * kGiB - kMiB};
    EXPECT_EQ(partitionOffsets(runCommand(queryPartitions(kGptDisk))), expected);
    EXPECT_EQ(runCommand(RequestBytes(0x0500).guid(20, kDynamicPack).data()).int32(12), 4);
    EXPECT_EQ(runCommand(RequestBytes(0x0500).guid(20, kGptPack).data()).status(), -1) << "its basic pack is gone";
}

TEST_F(DiskCommands, PartitionsMadeAndRemovedAreReadBack) {
    ASSERT_EQ(runCommand(createPartition(kGptDisk, kGptFree + 1, kGiB, 2)).status(), 0);
    const Reply listed = runCommand(queryPartitions(kGptDisk));
    ASSERT_EQ(listed.int32(12), 5);
    EXPECT_EQ(partitionOffsets(listed).back(), kGptFree + kMiB) << "the start is rounded up to the next MiB";

    const Reply extents = runCommand(queryExtents(kGptDisk));
    bool seen = false;
    for (int i = 0; i < extents.int32(12); ++i)
        seen = seen || extents.uint64(16 + kDiskExtentRecordSize * i + 20) == kGptFree + kMiB;
    EXPECT_TRUE(seen);

    EXPECT_EQ(runCommand(deletePartition(kGptDisk, kGptFree)).status(), -100) << "not a partition's start";
    ASSERT_EQ(runCommand(deletePartition(kGptDisk, kGptFree + kMiB)).status(), 0);
    EXPECT_EQ(runCommand(queryPartitions(kGptDisk)).int32(12), 4);

    // A volume's partition goes with its volume, and the volume with it.
    ASSERT_EQ(runCommand(deletePartition(kGptDisk, kVolumeFStart, 1)).status(), 0);
    EXPECT_EQ(runCommand(queryPartitions(kGptDisk)).int32(12), 3);
    const Reply volumes = runCommand(RequestBytes(0x0500).guid(20, kGptPack).data());
    EXPECT_EQ(volumes.int32(12), 1);
    for (int i = 0, at = 16; i < volumes.int32(12); ++i, at += volumes.int32(at))
        EXPECT_NE(std::memcmp(volumes.bytes.data() + at + 4, &kVolumeF, 16), 0);
}

TEST_F(DiskCommands, FormatLabelsEndAtTheirLengthOrTheirFirstZero) {
    struct Case {
        const char* what;
        std::string label;
        std::uint32_t length;
        const char* journaled;
    };
    const Case cases[] = {
        {"no label", "", 0, "IVdsAdvancedDisk::FormatPartition(1048576, 3, null, 0, 0, 1, 0)"},
        {"a label", "EFI", 3, "IVdsAdvancedDisk::FormatPartition(1048576, 3, \"EFI\", 0, 0, 1, 0)"},
        {"a label with a zero byte", std::string("AB\0CD", 5), 5,
         "IVdsAdvancedDisk::FormatPartition(1048576, 3, \"AB\", 0, 0, 1, 0)"},
        {"a label the request stops short of", "EFI", 3, nullptr},
    };
    for (const Case& c : cases) {
        VdsSimJournalClear();
        std::vector<unsigned char> request = formatPartition(kGptDisk, kEsp, 3, c.label, c.length);
        if (c.journaled == nullptr) request = formatPartition(kGptDisk, kEsp, 3, c.label, 10);
        const Reply r = runCommand(request);
        if (c.journaled == nullptr) {
            EXPECT_TRUE(r.null) << c.what;
            EXPECT_FALSE(calledAny("IVdsAdvancedDisk::FormatPartition")) << c.what;
            continue;
        }
        EXPECT_EQ(r.status(), 0) << c.what;
        EXPECT_TRUE(journalHas(c.journaled)) << c.what;
        EXPECT_EQ(r.printed.rfind(kGptDiskTrace, 0), 0u) << c.what;
    }
}

TEST_F(DiskCommands, AFormatThatFailsAnswersWithItsResult) {
    struct Case {
        const char* what;
        std::uint64_t offset;
        int type;
        HRESULT result;
    };
    const Case cases[] = {
        {"the operation refuses the file system", kEsp, 5, VDS_E_INCOMPATIBLE_FILE_SYSTEM},
        {"the call refuses a volume's partition", kVolumeFStart, 4, VDS_E_INVALID_OPERATION},
        {"the call finds no partition", kGptFree, 4, VDS_E_OBJECT_NOT_FOUND},
    };
    const unsigned long long before = VdsSimModelDigest();
    for (const Case& c : cases) {
        const Reply r = runCommand(formatPartition(kGptDisk, c.offset, c.type, "", 0));
        EXPECT_EQ(r.status(), -100) << c.what;
        EXPECT_EQ(u(r.addStatus()), u(c.result)) << c.what;
        EXPECT_EQ(r.bytes.size(), 12u);
    }
    EXPECT_EQ(VdsSimModelDigest(), before);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(DiskCommands, DriveLetterRepliesAreThirteenBytesAndTheirFailuresTwelve) {
    const Reply none = runCommand(partitionCommand(0x0417, kGptDisk, kEsp).data());
    EXPECT_EQ(none.status(), -100);
    EXPECT_EQ(u(none.addStatus()), u(VDS_E_OBJECT_NOT_FOUND));
    EXPECT_EQ(none.bytes.size(), 12u);

    const Reply assigned = runCommand(letterCommand(0x0418, kGptDisk, kEsp, 's'));
    ASSERT_EQ(assigned.status(), 0);
    EXPECT_EQ(assigned.printed.rfind("VDS: disk 80000000-0000-4000-8000-000000000002, offset 1048576, drive letter s\n", 0), 0u);
    EXPECT_TRUE(journalHas("IVdsAdvancedDisk::AssignDriveLetter(1048576, 's')"));

    const Reply got = runCommand(partitionCommand(0x0417, kGptDisk, kEsp).data());
    EXPECT_EQ(got.status(), 0);
    ASSERT_EQ(got.bytes.size(), 13u);
    EXPECT_EQ(got.bytes[12], 'S');
    EXPECT_EQ(got.printed, "VDS: disk 80000000-0000-4000-8000-000000000002, offset 1048576\n") << "no size line";

    const Reply taken = runCommand(letterCommand(0x0418, kMbrDisk, kMbrFree, 'S'));
    EXPECT_EQ(taken.status(), -100);

    // A zero byte passes the character 0, which names no letter.
    const Reply zero = runCommand(letterCommand(0x0419, kGptDisk, kEsp, '\0'));
    EXPECT_EQ(zero.printed.rfind("VDS: disk 80000000-0000-4000-8000-000000000002, offset 1048576, drive letter \n", 0), 0u);
    EXPECT_TRUE(journalHas("IVdsAdvancedDisk::DeleteDriveLetter(1048576, 0)"));
    EXPECT_EQ(u(zero.addStatus()), u(VDS_E_INVALID_DRIVE_LETTER));

    ASSERT_EQ(runCommand(letterCommand(0x0419, kGptDisk, kEsp, 'S')).status(), 0);
    EXPECT_EQ(runCommand(partitionCommand(0x0417, kGptDisk, kEsp).data()).bytes.size(), 12u);
}

TEST_F(DiskCommands, StyleFlagsAndCleanAreReadBackFromThePackList) {
    ASSERT_EQ(runCommand(addToDynamicPack(kRawDisk)).status(), 0);
    const Reply converted = runCommand(diskCommand(0x0403, kRawDisk).int32(52, 2).data());
    ASSERT_EQ(converted.status(), 0);
    EXPECT_EQ(converted.printed.rfind("VDS: disk 80000000-0000-4000-8000-000000000003\n", 0), 0u);
    std::size_t at = 0;
    Reply disks = diskRecordOf(kDynamicPack, kRawDisk, at);
    ASSERT_NE(at, 0u);
    EXPECT_EQ(disks.int32(at + 64), 2);

    ASSERT_EQ(runCommand(diskCommand(0x0410, kRawDisk).int32(52, 0x40).data()).status(), 0);
    disks = diskRecordOf(kDynamicPack, kRawDisk, at);
    EXPECT_EQ(disks.int32(at + 56) & 0x40, 0x40);
    const Reply other = runCommand(diskCommand(0x0410, kRawDisk).int32(52, 0x2).data());
    EXPECT_EQ(u(other.addStatus()), u(E_INVALIDARG)) << "callers may change the read-only flag alone";
    ASSERT_EQ(runCommand(diskCommand(0x0411, kRawDisk).int32(52, 0x40).data()).status(), 0);
    disks = diskRecordOf(kDynamicPack, kRawDisk, at);
    EXPECT_EQ(disks.int32(at + 56) & 0x40, 0);

    // Cleaned, the disk is unallocated again: the service's, in no pack.
    const Reply cleaned = runCommand(cleanDisk(kRawDisk));
    ASSERT_EQ(cleaned.status(), 0);
    diskRecordOf(kDynamicPack, kRawDisk, at);
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(u(runCommand(queryPartitions(kRawDisk)).addStatus()), u(VDS_E_DISK_NOT_INITIALIZED));

    // A basic disk with volumes is cleaned only when forced.
    const Reply refused = runCommand(cleanDisk(kGptDisk));
    EXPECT_EQ(u(refused.addStatus()), u(VDS_E_OPERATION_DENIED));
    ASSERT_EQ(runCommand(cleanDisk(kGptDisk, 1)).status(), 0);
    EXPECT_EQ(u(runCommand(queryPartitions(kGptDisk)).addStatus()), u(VDS_E_DISK_NOT_INITIALIZED));
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(DiskCommands, RequestsShortOfTheirLayoutReachNoService) {
    struct Case {
        int code;
        std::size_t needs;  // the request's size that holds every field read
    };
    const Case cases[] = {
        {0x0403, 56}, {0x0404, 52}, {0x0405, 40}, {0x0406, 64}, {0x0407, 76}, {0x0408, 58},
        {0x0409, 52}, {0x0410, 56}, {0x0411, 56}, {0x0417, 28}, {0x0418, 29}, {0x0419, 29},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> request(c.needs - 1, 0);
        request[2] = static_cast<unsigned char>(c.code & 0xFF);
        request[3] = static_cast<unsigned char>(c.code >> 8);
        VdsSimJournalClear();
        const Reply r = runCommand(request);
        EXPECT_TRUE(r.null) << std::hex << c.code;
        EXPECT_TRUE(journal().empty()) << std::hex << c.code;
    }
}

}  // namespace
