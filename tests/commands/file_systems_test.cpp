// Volume file systems read back through the library: the properties, access
// path and reparse point replies byte for byte, every change seen again
// through those queries, and refused changes leaving the machine alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "default_machine.h"
#include "platform/vds_interfaces.h"
#include "service_fixture.h"
#include "tolvane.h"
#include "vds_sim.h"

namespace {

using machine::kArchiveVolume;
using machine::kVolumeC;
using machine::kVolumeF;

constexpr GUID kReservedVolume = machine::id("90000000-0000-4000-8000-000000000001");  // no paths at all
constexpr GUID kVolumeD = machine::id("90000000-0000-4000-8000-000000000003");
constexpr GUID kVolumeH = machine::id("90000000-0000-4000-8000-000000000007");  // FAT32
constexpr GUID kUnknown = machine::id("90000000-0000-4000-8000-0000000000ff");

RequestBytes onVolume(int code, const GUID& volume) { return std::move(RequestBytes(code).guid(4, volume)); }

std::vector<unsigned char> addPath(const GUID& volume, const std::string& path) {
    return onVolume(0x0602, volume).int32(20, static_cast<std::int32_t>(path.size())).bytes(24, path).data();
}

std::vector<unsigned char> deletePath(const GUID& volume, const std::string& path, int force = 0) {
    return onVolume(0x0605, volume)
        .int16(20, force)
        .int16(22, static_cast<int>(path.size()))
        .bytes(24, path)
        .data();
}

std::vector<unsigned char> format(const GUID& volume, int type, const std::string& label, int force = 0,
                                  std::int32_t unit = 0, int compress = 0) {
    return onVolume(0x0601, volume)
        .int32(20, type)
        .int32(24, unit)
        .int16(28, force)
        .int16(30, 1)
        .int16(32, compress)
        .int16(34, static_cast<int>(label.size()))
        .bytes(36, label)
        .data();
}

std::vector<unsigned char> dismount(const GUID& volume, int force, int permanent) {
    return onVolume(0x0607, volume).int16(20, force).int16(22, permanent).data();
}

std::string textAt(const Reply& r, std::size_t at, std::size_t length) {
    return std::string(reinterpret_cast<const char*>(r.bytes.data() + at), length);
}

// The access paths 0x0603 lists, in order.
std::vector<std::string> accessPaths(const GUID& volume) {
    const Reply r = runCommand(onVolume(0x0603, volume).data());
    std::vector<std::string> out;
    std::size_t at = 16;
    for (int i = 0; i < r.int32(12); ++i) {
        const auto length = static_cast<std::size_t>(r.int32(at));
        out.push_back(textAt(r, at + 4, length));
        at += 4 + length;
    }
    return out;
}

struct FileSystemSeen {
    int type;
    std::uint32_t flags;
    std::uint64_t totalUnits;
    std::uint64_t freeUnits;
    std::uint32_t unit;
    std::string label;
};

FileSystemSeen fileSystem(const GUID& volume) {
    const Reply r = runCommand(onVolume(0x000C, volume).data());
    EXPECT_EQ(r.status(), 0);
    if (r.status() != 0) return {};
    return {r.int32(28), static_cast<std::uint32_t>(r.int32(32)), r.uint64(36), r.uint64(44),
            static_cast<std::uint32_t>(r.int32(52)), textAt(r, 60, static_cast<std::size_t>(r.int16(56)))};
}

bool journalHas(const std::string& line) {
    for (const auto& l : journal())
        if (l.find(line) != std::string::npos) return true;
    return false;
}

class FileSystems : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        connect();
    }
    // F: becomes a host: the archive volume is mounted in a folder on it too.
    void mountArchiveOnF() { ASSERT_EQ(runCommand(addPath(kArchiveVolume, "F:\\Nested\\")).status(), 0); }
    void expectRefused(const std::vector<unsigned char>& request, HRESULT expected) {
        const unsigned long long before = VdsSimModelDigest();
        const Reply r = runCommand(request);
        EXPECT_EQ(r.status(), -100);
        EXPECT_EQ(r.addStatus(), static_cast<std::int32_t>(expected));
        EXPECT_EQ(r.outSize, 12);
        EXPECT_EQ(VdsSimModelDigest(), before) << "a refused change changed the machine";
    }
};

TEST_F(FileSystems, PropertiesCarryTheFileSystemAndItsLabelUnderTheFamilysCode) {
    const Reply r = runCommand(onVolume(0x000C, kVolumeD).data());
    ASSERT_EQ(r.status(), 0);
    EXPECT_EQ(r.cmd(), 0x0600);
    EXPECT_EQ(compareGUID(r.guid(12), kVolumeD), 1);
    EXPECT_EQ(r.int32(28), VDS_FST_NTFS);
    EXPECT_EQ(r.uint64(44), 400000u);
    EXPECT_EQ(r.int32(52), 65536);
    EXPECT_EQ(r.int16(56), 4);
    EXPECT_EQ(r.int16(58), 48);
    EXPECT_EQ(r.outSize, 64);
    EXPECT_EQ(textAt(r, 60, 4), "Data");
}

TEST_F(FileSystems, AnUnknownVolumeAnswersTwelveBytesUnderTheFamilysCode) {
    const Reply r = runCommand(onVolume(0x000C, kUnknown).data());
    EXPECT_EQ(r.outSize, 12);
    EXPECT_EQ(r.cmd(), 0x0600);
    EXPECT_EQ(r.status(), -1);
    EXPECT_EQ(r.addStatus(), 0);
    for (int code : {0x0603, 0x0604}) {
        const Reply list = runCommand(onVolume(code, kUnknown).data());
        EXPECT_EQ(list.outSize, 16) << std::hex << code;
        EXPECT_EQ(list.cmd(), code);
        EXPECT_EQ(list.status(), -1);
        EXPECT_EQ(list.int32(12), 0);
    }
}

TEST_F(FileSystems, FormatWithoutLabelGivesAnEmptyLabelAndASixtyByteReply) {
    const Reply formatted = runCommand(format(kVolumeF, VDS_FST_NTFS, ""));
    ASSERT_EQ(formatted.status(), 0) << std::hex << formatted.addStatus();
    EXPECT_EQ(formatted.outSize, 12);
    EXPECT_TRUE(journalHas("IVdsVolumeMF::Format(4, \"\", 0, 0, 1, 0)")) << ::testing::PrintToString(journal());
    const Reply r = runCommand(onVolume(0x000C, kVolumeF).data());
    EXPECT_EQ(r.outSize, 60);
    EXPECT_EQ(r.int16(56), 0);
    EXPECT_EQ(r.int16(58), 48);
}

TEST_F(FileSystems, AFormatIsReadBackAsTheNewFileSystem) {
    ASSERT_EQ(runCommand(format(kVolumeF, VDS_FST_NTFS, "Projekte", 0, 8192, 1)).status(), 0);
    const FileSystemSeen fs = fileSystem(kVolumeF);
    EXPECT_EQ(fs.type, VDS_FST_NTFS);
    EXPECT_EQ(fs.label, "Projekte");
    EXPECT_EQ(fs.unit, 8192u);
    EXPECT_EQ(fs.totalUnits, (200ull << 30) / 8192);
    EXPECT_LT(fs.freeUnits, fs.totalUnits);
    EXPECT_EQ(fs.flags, static_cast<std::uint32_t>(VDS_FPF_COMPRESSED));
}

TEST_F(FileSystems, FormatRefusalsArriveThroughTheOperationAndChangeNothing) {
    mountArchiveOnF();
    const struct {
        const char* what;
        std::vector<unsigned char> request;
        HRESULT expected;
    } cases[] = {
        {"a volume others are mounted in, without force", format(kVolumeF, VDS_FST_NTFS, "W"), VDS_E_DEVICE_IN_USE},
        {"the running system's volume, even forced", format(kVolumeC, VDS_FST_NTFS, "W", 1), VDS_E_OPERATION_DENIED},
        {"a type that cannot be formatted", format(kVolumeD, VDS_FST_CDFS, "X"), VDS_E_INVALID_FS_TYPE},
        {"a label too long for FAT32", format(kVolumeD, VDS_FST_FAT32, "TWELVE CHARS"), VDS_E_BAD_LABEL},
        {"FAT on a volume above 4 GiB", format(kVolumeD, VDS_FST_FAT, "X"), VDS_E_VOLUME_TOO_BIG},
        {"an allocation unit below 512", format(kVolumeD, VDS_FST_NTFS, "X", 0, 256), VDS_E_CLUSTER_SIZE_TOO_SMALL},
        {"an allocation unit above 64 KiB", format(kVolumeD, VDS_FST_NTFS, "X", 0, 1 << 17),
         VDS_E_CLUSTER_SIZE_TOO_BIG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectRefused(c.request, c.expected);
    }
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(FileSystems, ForcedFormatOfAHostVolumeTakesTheFoldersMountedInIt) {
    mountArchiveOnF();
    ASSERT_EQ(runCommand(format(kVolumeF, VDS_FST_NTFS, "Neu", 1)).status(), 0);
    EXPECT_EQ(accessPaths(kArchiveVolume).size(), 1u);  // C:\Archive\ lies on C:, not on F:
    EXPECT_EQ(runCommand(onVolume(0x0604, kVolumeF).data()).int32(12), 0);
}

TEST_F(FileSystems, AVolumeWithoutAccessPathsAnswersSixteenBytes) {
    const Reply r = runCommand(onVolume(0x0603, kReservedVolume).data());
    EXPECT_EQ(r.status(), 0);
    EXPECT_EQ(r.outSize, 16);
    EXPECT_EQ(r.int32(12), 0);
}

TEST_F(FileSystems, ALetterAndAFolderAreListedBackToBack) {
    ASSERT_EQ(runCommand(addPath(kReservedVolume, "K:\\")).status(), 0);
    // A folder is stored with its closing backslash.
    const Reply added = runCommand(addPath(kReservedVolume, "C:\\Mnt"));
    ASSERT_EQ(added.status(), 0);
    EXPECT_NE(added.printed.find("==== Access Path: C:\\Mnt ====\n"), std::string::npos) << added.printed;

    const Reply r = runCommand(onVolume(0x0603, kReservedVolume).data());
    ASSERT_EQ(r.outSize, 34);
    EXPECT_EQ(r.int32(12), 2);
    EXPECT_EQ(r.int32(16), 3);
    EXPECT_EQ(textAt(r, 20, 3), "K:\\");
    EXPECT_EQ(r.int32(23), 7);
    EXPECT_EQ(textAt(r, 27, 7), "C:\\Mnt\\");
}

TEST_F(FileSystems, AReparsePointEndsInTwoZeroBytes) {
    ASSERT_EQ(runCommand(addPath(kReservedVolume, "D:\\Archive1\\")).status(), 0);
    const Reply r = runCommand(onVolume(0x0604, kVolumeD).data());
    ASSERT_EQ(r.status(), 0);
    ASSERT_EQ(r.outSize, 46);
    EXPECT_EQ(r.int32(12), 1);
    EXPECT_EQ(compareGUID(r.guid(16), kReservedVolume), 1);
    EXPECT_EQ(r.int16(32), 10);
    EXPECT_EQ(textAt(r, 34, 10), "\\Archive1\\");
    EXPECT_EQ(r.bytes[44], 0);
    EXPECT_EQ(r.bytes[45], 0);
}

TEST_F(FileSystems, DeletedPathsDisappearFromTheList) {
    ASSERT_EQ(runCommand(addPath(kArchiveVolume, "K:\\")).status(), 0);
    EXPECT_EQ(accessPaths(kArchiveVolume), (std::vector<std::string>{"K:\\", "C:\\Archive\\"}));
    ASSERT_EQ(runCommand(deletePath(kArchiveVolume, "c:\\archive", 1)).status(), 0);
    EXPECT_TRUE(journalHas("IVdsVolumeMF::DeleteAccessPath(\"c:\\archive\", 1)")) << ::testing::PrintToString(journal());
    ASSERT_EQ(runCommand(deletePath(kArchiveVolume, "K:\\")).status(), 0);
    EXPECT_TRUE(accessPaths(kArchiveVolume).empty());
}

TEST_F(FileSystems, AccessPathRefusalsChangeNothing) {
    mountArchiveOnF();
    const struct {
        const char* what;
        std::vector<unsigned char> request;
        HRESULT expected;
    } cases[] = {
        {"a letter another volume holds", addPath(kReservedVolume, "D:\\"), HRESULT(0x80070091)},
        {"a folder that is already a mount point", addPath(kReservedVolume, "C:\\Archive\\"), HRESULT(0x80070091)},
        {"a second letter", addPath(kVolumeD, "K:\\"), VDS_E_INVALID_OPERATION},
        {"a folder on no volume", addPath(kReservedVolume, "Q:\\Mnt\\"), VDS_E_PATH_NOT_FOUND},
        {"a folder on a FAT32 volume", addPath(kReservedVolume, "H:\\Mnt\\"), VDS_E_INCOMPATIBLE_FILE_SYSTEM},
        {"a drive without its backslash", addPath(kReservedVolume, "K:"), E_INVALIDARG},
        {"a path of another volume", deletePath(kVolumeD, "C:\\"), VDS_E_PATH_NOT_FOUND},
        {"the letter of a host volume, without force", deletePath(kVolumeF, "F:\\"), VDS_E_DEVICE_IN_USE},
        {"the running system's letter, even forced", deletePath(kVolumeC, "C:\\", 1), VDS_E_OPERATION_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectRefused(c.request, c.expected);
    }
}

TEST_F(FileSystems, DismountAndMountFollowTheVolumesState) {
    ASSERT_EQ(runCommand(dismount(kVolumeF, 0, 0)).status(), 0);
    expectRefused(dismount(kVolumeF, 0, 0), VDS_E_VOLUME_TEMPORARILY_DISMOUNTED);
    ASSERT_EQ(runCommand(onVolume(0x0606, kVolumeF).data()).status(), 0);
    EXPECT_EQ(runCommand(dismount(kVolumeF, 0, 0)).status(), 0);
    // Volumes of this machine do not offer permanent dismount.
    ASSERT_EQ(runCommand(onVolume(0x0606, kVolumeF).data()).status(), 0);
    expectRefused(dismount(kVolumeF, 1, 1), VDS_E_NOT_SUPPORTED);
    expectRefused(dismount(kVolumeC, 0, 0), VDS_E_DEVICE_IN_USE);
    EXPECT_EQ(runCommand(dismount(kVolumeC, 1, 0)).status(), 0);
}

TEST_F(FileSystems, CompressionIsTheOneFlagAndOnlyWhereTheFileSystemCompresses) {
    ASSERT_EQ(runCommand(onVolume(0x0608, kVolumeF).int32(20, 1).data()).status(), 0);
    EXPECT_EQ(fileSystem(kVolumeF).flags, 1u);
    expectRefused(onVolume(0x0608, kVolumeF).int32(20, 2).data(), E_INVALIDARG);
    expectRefused(onVolume(0x0608, kVolumeH).int32(20, 1).data(), VDS_E_INCOMPATIBLE_FILE_SYSTEM);
}

TEST_F(FileSystems, AVolumeWithoutTheFileSystemInterfaceAnswersWithQueryInterfacesResult) {
    VdsSimRefuseInterface(&kVolumeF, &IID_IVdsVolumeMF);
    for (int code : {0x0603, 0x0606}) {
        const Reply r = runCommand(onVolume(code, kVolumeF).data());
        EXPECT_EQ(r.status(), -100) << std::hex << code;
        EXPECT_EQ(r.addStatus(), static_cast<std::int32_t>(E_NOINTERFACE));
    }
    const Reply r = runCommand(onVolume(0x000C, kVolumeF).data());
    EXPECT_EQ(r.cmd(), 0x0600);
    EXPECT_EQ(r.status(), -100);
    EXPECT_EQ(VdsSimLiveReferences(), 0);
}

TEST_F(FileSystems, TextsAreReadFromTheirOwnOffsetsAndWithinTheRequest) {
    // The add command's length is 32 bits: a high half makes it run past the end.
    EXPECT_TRUE(runCommand(onVolume(0x0602, kReservedVolume).int32(20, 0x00010003).bytes(24, "K:\\").data()).null);
    const struct {
        const char* what;
        std::vector<unsigned char> request;
    } refused[] = {
        {"a label running past the end", onVolume(0x0601, kVolumeF).int32(20, 4).int16(34, 9).bytes(36, "short").data()},
        {"a negative label length", onVolume(0x0601, kVolumeF).int32(20, 4).int16(34, -1).bytes(36, "x").data()},
        {"a path running past the end", onVolume(0x0602, kVolumeF).int32(20, 8).bytes(24, "K:\\").data()},
        {"a negative path length", onVolume(0x0605, kVolumeF).int16(20, 0).int16(22, -3).bytes(24, "F:\\").data()},
        {"a dismount without its permanent flag", onVolume(0x0607, kVolumeF).int16(20, 0).data()},
        {"flags cut short", onVolume(0x0608, kVolumeF).int16(20, 1).data()},
        {"no volume", RequestBytes(0x0603, 12).data()},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.what);
        VdsSimJournalClear();
        const Reply r = runCommand(c.request);
        EXPECT_TRUE(r.null);
        EXPECT_EQ(r.outSize, 0);
        EXPECT_TRUE(journal().empty()) << "no VDS call";
    }
}

}  // namespace
