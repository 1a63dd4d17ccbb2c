// What the simulated volumes' file-system operations send and refuse, as a
// client of the service sees them.
#include <gmock/gmock.h>

#include <algorithm>
#include <string>
#include <utility>

#include "change_support.h"

namespace simtest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kReserved = "90000000-0000-4000-8000-000000000001";  // no access paths
constexpr const char* kVolumeC = "90000000-0000-4000-8000-000000000002";
constexpr const char* kArchive = "90000000-0000-4000-8000-000000000005";  // mounted in C:\Archive
constexpr const char* kOwnVolume = "B3000000-0000-4000-8000-000000000001";

// One volume of 100 MiB with K:, in the given flags (VDS_VOLUME_FLAG).
std::string oneVolumeMachine(unsigned flags) {
    return R"({"softwareProviders":[{"id":"B0000000-0000-4000-8000-000000000001",
        "packs":[{"id":"B1000000-0000-4000-8000-000000000001",
          "disks":[{"id":"B2000000-0000-4000-8000-000000000001","size":"1 GiB","style":"gpt",
                    "partitions":[{"offset":"1 MiB","size":"100 MiB"}]}],
          "volumes":[{"id":"B3000000-0000-4000-8000-000000000001","driveLetter":"K","flags":)" +
           std::to_string(flags) + R"(,"fileSystem":{"type":"ntfs","label":"Own"},"plexes":[{
            "id":"B4000000-0000-4000-8000-000000000001","extents":[{
            "disk":"B2000000-0000-4000-8000-000000000001","offset":"1 MiB","size":"100 MiB"}]}]}]}]}]})";
}

using FileSystemChanges = ChangeSession;

// Formats quickly and waits: the operation's result, and its output's type.
std::pair<HRESULT, VDS_ASYNC_OUTPUT_TYPE> formatAndWait(IVdsVolumeMF& volume, VDS_FILE_SYSTEM_TYPE type,
                                                        const char16_t* label, BOOL force) {
    ComPtr<IVdsAsync> op;
    const HRESULT call = volume.Format(type, wideText(label), 0, force, TRUE, FALSE, op.put());
    if (call != S_OK) return {call, VDS_ASYNCOUT_UNKNOWN};
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT out{};
    const HRESULT waited = op->Wait(&result, &out);
    return {waited != S_OK ? waited : result, out.type};
}

TEST_F(FileSystemChanges, ALetterIsAssignedAndFreedAndAFolderChangesMountPoints) {
    auto volume = get<IVdsVolumeMF>(kArchive, VDS_OT_VOLUME);
    ASSERT_EQ(volume->AddAccessPath(wideText(u"k:\\")), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_LETTER_ASSIGN, id(kArchive)}));
    ASSERT_EQ(volume->AddAccessPath(wideText(u"C:\\Backup")), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_MOUNT_POINTS_CHANGE, id(kArchive)}));
    ASSERT_EQ(volume->DeleteAccessPath(wideText(u"K:\\"), FALSE), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_DRIVE_LETTER_FREE, GUID{}}));
    // A refused path says nothing.
    EXPECT_EQ(volume->AddAccessPath(wideText(u"C:\\backup\\")), HRESULT(0x80070091));
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(FileSystemChanges, AFormatReportsProgressThenItsNewFileSystem) {
    auto volume = get<IVdsVolumeMF>(kArchive, VDS_OT_VOLUME);
    const auto [result, outputType] = formatAndWait(*volume.get(), VDS_FST_FAT32, u"BOOT", FALSE);
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(outputType, VDS_ASYNCOUT_FORMAT);
    const Notice progress{VDS_NF_FILE_SYSTEM_FORMAT_PROGRESS, id(kArchive)};
    EXPECT_THAT(sink.take(), ElementsAre(progress, progress, progress, progress,
                                         Notice{VDS_NF_VOLUME_MODIFY, id(kArchive)},
                                         Notice{VDS_NF_FILE_SYSTEM_MODIFY, id(kArchive)}));
    VDS_FILE_SYSTEM_PROP fs{};
    ASSERT_EQ(volume->GetFileSystemProperties(&fs), S_OK);
    EXPECT_EQ(fs.type, VDS_FST_FAT32);
    EXPECT_EQ(narrow(fs.pwszLabel), "BOOT");
    CoTaskMemFree(fs.pwszLabel);
}

TEST_F(FileSystemChanges, AForcedFormatOfAHostTellsTheVolumesThatLostTheirFolders) {
    ASSERT_EQ(get<IVdsVolumeMF>(kArchive, VDS_OT_VOLUME)->AddAccessPath(wideText(u"F:\\Nested\\")), S_OK);
    sink.take();
    auto volume = get<IVdsVolumeMF>(kVolumeF, VDS_OT_VOLUME);
    ASSERT_EQ(formatAndWait(*volume.get(), VDS_FST_NTFS, u"", TRUE).first, S_OK);
    const auto notices = sink.take();
    EXPECT_NE(std::find(notices.begin(), notices.end(), Notice{VDS_NF_MOUNT_POINTS_CHANGE, id(kArchive)}),
              notices.end());
}

TEST_F(FileSystemChanges, SystemVolumesAreRefusedBeforeAFormatStarts) {
    for (unsigned role : {VDS_VF_SYSTEM_VOLUME, VDS_VF_BOOT_VOLUME, VDS_VF_PAGEFILE}) {
        SCOPED_TRACE(role);
        ASSERT_EQ(VdsSimLoadTopologyJson(oneVolumeMachine(role).c_str()), 0);
        auto volume = get<IVdsVolumeMF>(kOwnVolume, VDS_OT_VOLUME);
        ComPtr<IVdsAsync> op;
        EXPECT_EQ(volume->Format(VDS_FST_NTFS, wideText(u"X"), 0, TRUE, TRUE, FALSE, op.put()),
                  VDS_E_OPERATION_DENIED);
        EXPECT_EQ(op.get(), nullptr);
        EXPECT_EQ(volume->DeleteAccessPath(wideText(u"K:\\"), TRUE), VDS_E_OPERATION_DENIED);
    }
    EXPECT_THAT(sink.take(), IsEmpty());
}

TEST_F(FileSystemChanges, APermanentDismountNeedsNoPathsAndTakesTheVolumeOffline) {
    ASSERT_EQ(VdsSimLoadTopologyJson(oneVolumeMachine(VDS_VF_PERMANENT_DISMOUNT_SUPPORTED).c_str()), 0);
    auto volume = get<IVdsVolumeMF>(kOwnVolume, VDS_OT_VOLUME);
    EXPECT_EQ(volume->Dismount(TRUE, TRUE), VDS_E_VOLUME_HAS_PATH);
    ASSERT_EQ(volume->DeleteAccessPath(wideText(u"K:\\"), FALSE), S_OK);
    sink.take();
    ASSERT_EQ(volume->Dismount(FALSE, TRUE), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_VOLUME_MODIFY, id(kOwnVolume)}));
    EXPECT_EQ(volume->Dismount(FALSE, FALSE), VDS_E_VOLUME_PERMANENTLY_DISMOUNTED);
    VDS_FILE_SYSTEM_PROP fs{};
    EXPECT_EQ(volume->GetFileSystemProperties(&fs), VDS_E_VOLUME_NOT_MOUNTED);
    CoTaskMemFree(fs.pwszLabel);
    auto plain = get<IVdsVolume>(kOwnVolume, VDS_OT_VOLUME);
    VDS_VOLUME_PROP prop{};
    ASSERT_EQ(plain->GetProperties(&prop), S_OK);
    EXPECT_EQ(prop.status, VDS_VS_OFFLINE);
    EXPECT_TRUE(prop.ulFlags & VDS_VF_PERMANENTLY_DISMOUNTED);
    CoTaskMemFree(prop.pwszName);

    // A new access path brings it back.
    ASSERT_EQ(volume->AddAccessPath(wideText(u"L:\\")), S_OK);
    EXPECT_THAT(sink.take(), ElementsAre(Notice{VDS_NF_VOLUME_MODIFY, id(kOwnVolume)},
                                         Notice{VDS_NF_DRIVE_LETTER_ASSIGN, id(kOwnVolume)}));
    ASSERT_EQ(volume->GetFileSystemProperties(&fs), S_OK);
    CoTaskMemFree(fs.pwszLabel);
}

}  // namespace
}  // namespace simtest
