#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/com_types.h"

namespace {

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kDeviceFlags = FILE_FLAG_OVERLAPPED | FILE_FLAG_NO_BUFFERING;

HANDLE openDevice(const char* path, DWORD access = kReadWrite) {
    return CreateFileA(path, access, kShare, nullptr, OPEN_EXISTING, kDeviceFlags, nullptr);
}

// A scratch directory with a regular file in it, removed afterwards.
class DeviceFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tolvane-compat-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        file_ = dir_ + "/disk.img";
        std::ofstream(file_) << std::string(4096, 'x');
    }
    void TearDown() override {
        std::remove(file_.c_str());
        rmdir(dir_.c_str());
    }

    std::string dir_;
    std::string file_;
};

TEST_F(DeviceFile, PathsThatDoNotOpenGiveAWin32Error) {
    const std::string missing = dir_ + "/missing";
    const std::string underFile = file_ + "/child";
    struct OpenCase {
        const char* name;
        const char* path;
        DWORD error;
    };
    const OpenCase cases[] = {
        {"missing file", missing.c_str(), ERROR_FILE_NOT_FOUND},
        {"below a plain file", underFile.c_str(), ERROR_PATH_NOT_FOUND},
        {"directory", dir_.c_str(), ERROR_ACCESS_DENIED},
        {"drive letter device", "\\\\.\\E:", ERROR_FILE_NOT_FOUND},
        {"empty path", "", ERROR_PATH_NOT_FOUND},
        {"null path", nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const OpenCase& c : cases) {
        SetLastError(0);
        EXPECT_EQ(openDevice(c.path), INVALID_HANDLE_VALUE) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

TEST_F(DeviceFile, AskedAccessIsNotWeakened) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
    ASSERT_EQ(chmod(file_.c_str(), 0400), 0);
    SetLastError(0);
    EXPECT_EQ(openDevice(file_.c_str()), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE readOnly = openDevice(file_.c_str(), GENERIC_READ);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(readOnly));
}

TEST_F(DeviceFile, DiskQueriesOnAPlainFileFail) {
    HANDLE handle = openDevice(file_.c_str());
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    PARTITION_INFORMATION partition{};
    DISK_GEOMETRY geometry{};
    struct QueryCase {
        const char* name;
        DWORD code;
        void* out;
        DWORD size;
        bool withCount;
        DWORD error;
    };
    const QueryCase cases[] = {
        {"partition info", IOCTL_DISK_GET_PARTITION_INFO, &partition, sizeof partition, true,
         ERROR_INVALID_FUNCTION},
        {"drive geometry", IOCTL_DISK_GET_DRIVE_GEOMETRY, &geometry, sizeof geometry, true,
         ERROR_INVALID_FUNCTION},
        {"unknown code", 0x00090000u, &partition, sizeof partition, true, ERROR_INVALID_FUNCTION},
        {"answer does not fit", IOCTL_DISK_GET_PARTITION_INFO, &partition, sizeof partition - 1,
         true, ERROR_INSUFFICIENT_BUFFER},
        {"no byte count", IOCTL_DISK_GET_PARTITION_INFO, &partition, sizeof partition, false,
         ERROR_INVALID_PARAMETER},
    };
    for (const QueryCase& c : cases) {
        DWORD returned = 99;
        SetLastError(0);
        EXPECT_FALSE(DeviceIoControl(handle, c.code, nullptr, 0, c.out, c.size,
                                     c.withCount ? &returned : nullptr, nullptr))
            << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
        if (c.withCount) {
            EXPECT_EQ(returned, 0u) << c.name;
        }
    }
    EXPECT_TRUE(CloseHandle(handle));
}

TEST_F(DeviceFile, ClosedAndForeignHandlesAreRefused) {
    HANDLE handle = openDevice(file_.c_str());
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(handle));

    int notAHandle = 0;
    PARTITION_INFORMATION partition{};
    DWORD returned = 0;
    for (HANDLE bad : {handle, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr),
                       static_cast<HANDLE>(&notAHandle)}) {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(DeviceIoControl(bad, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &partition,
                                     sizeof partition, &returned, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

// Needs a block device this process may open; its size is checked against
// the kernel's own count of 512-byte sectors.
TEST(BlockDevice, PartitionLengthAndGeometryComeFromTheDeviceSize) {
    DIR* blocks = opendir("/sys/block");
    if (blocks == nullptr) GTEST_SKIP() << "no /sys/block";
    HANDLE handle = INVALID_HANDLE_VALUE;
    unsigned long long sectors = 0;
    while (dirent* entry = readdir(blocks)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream sizeFile(std::string("/sys/block/") + entry->d_name + "/size");
        if (!(sizeFile >> sectors) || sectors == 0) continue;
        const std::string path = std::string("/dev/") + entry->d_name;
        handle = openDevice(path.c_str(), GENERIC_READ);
        if (handle != INVALID_HANDLE_VALUE) break;
    }
    closedir(blocks);
    if (handle == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no block device can be opened";

    PARTITION_INFORMATION partition{};
    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    ASSERT_TRUE(DeviceIoControl(handle, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &partition,
                                sizeof partition, &returned, nullptr));
    EXPECT_EQ(returned, sizeof partition);
    EXPECT_EQ(static_cast<unsigned long long>(partition.PartitionLength.QuadPart), sectors * 512);
    ASSERT_TRUE(DeviceIoControl(handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                                sizeof geometry, &returned, nullptr));
    EXPECT_EQ(returned, sizeof geometry);
    EXPECT_EQ(geometry.BytesPerSector, 512u);
    EXPECT_EQ(static_cast<unsigned long long>(geometry.Cylinders.QuadPart),
              sectors / (63ull * 255));
    EXPECT_TRUE(CloseHandle(handle));
}

}  // namespace
