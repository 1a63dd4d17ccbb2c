#include <gtest/gtest.h>

#include <string>

#include "compat_hooks.h"
#include "platform/com_types.h"

namespace {

constexpr ULONGLONG kGiB = 1024ull * 1024 * 1024;

struct FakeVolume {
    char letter;
    ULONGLONG available;
    ULONGLONG total;
    ULONGLONG free;
};

constexpr FakeVolume kVolumes[] = {
    {'C', 3 * kGiB, 10 * kGiB, 4 * kGiB},
    {'F', 1 * kGiB, 2 * kGiB, 1 * kGiB},
    {'T', 40000 * kGiB, 40000 * kGiB, 40000 * kGiB},  // beyond 32-bit cluster counts
};

// Letters the fake refuses, with the error it gives.
constexpr struct {
    char letter;
    DWORD error;
} kRefusals[] = {{'R', ERROR_UNRECOGNIZED_VOLUME}, {'Z', 0}};

int fakeVolumeSpace(char letter, ULONGLONG* available, ULONGLONG* total, ULONGLONG* free,
                    DWORD* error) {
    for (const FakeVolume& volume : kVolumes) {
        if (volume.letter != letter) continue;
        *available = volume.available;
        *total = volume.total;
        *free = volume.free;
        return 1;
    }
    for (const auto& refusal : kRefusals)
        if (refusal.letter == letter) *error = refusal.error;
    return 0;  // unknown letters keep the preset error
}

class VolumeSpace : public ::testing::Test {
protected:
    void SetUp() override { previous_ = TolvaneCompatSetVolumeSpaceHook(fakeVolumeSpace); }
    void TearDown() override { TolvaneCompatSetVolumeSpaceHook(previous_); }

private:
    TolvaneVolumeSpaceHook previous_ = nullptr;
};

TEST_F(VolumeSpace, AnswersDriveLettersThroughTheHook) {
    struct PathCase {
        const char* path;
        bool found;
        ULONGLONG total;
        DWORD error;
    };
    const PathCase cases[] = {
        {"C:\\", true, 10 * kGiB, 0},
        {"c:", true, 10 * kGiB, 0},
        {"F:", true, 2 * kGiB, 0},
        {"f:\\some\\dir", true, 2 * kGiB, 0},
        {"\\\\?\\C:\\", true, 10 * kGiB, 0},
        {"Q:\\", false, 0, ERROR_PATH_NOT_FOUND},
        {"R:\\", false, 0, ERROR_UNRECOGNIZED_VOLUME},
        {"Z:\\", false, 0, 0},
        {"/mnt/data", false, 0, ERROR_PATH_NOT_FOUND},
        {"1:", false, 0, ERROR_PATH_NOT_FOUND},
        {"", false, 0, ERROR_PATH_NOT_FOUND},
        {nullptr, false, 0, ERROR_PATH_NOT_FOUND},
    };
    for (const PathCase& c : cases) {
        const std::string name = c.path ? c.path : "(null)";
        ULARGE_INTEGER available{}, total{}, free{};
        SetLastError(0xDEAD);
        ASSERT_EQ(GetDiskFreeSpaceExA(c.path, &available, &total, &free), c.found ? TRUE : FALSE)
            << name;
        if (c.found) {
            EXPECT_EQ(total.QuadPart, c.total) << name;
        } else {
            EXPECT_EQ(GetLastError(), c.error) << name;
        }
    }
}

TEST_F(VolumeSpace, ReportsTheThreeValuesAsTheHookGaveThem) {
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));
    EXPECT_EQ(available.QuadPart, 3 * kGiB);
    EXPECT_EQ(total.QuadPart, 10 * kGiB);
    EXPECT_EQ(free.QuadPart, 4 * kGiB);
    EXPECT_TRUE(GetDiskFreeSpaceExA("C:\\", nullptr, nullptr, nullptr)) << "outputs are optional";
}

TEST_F(VolumeSpace, ClusterFormDerivesFromTheSameNumbers) {
    struct ClusterCase {
        const char* path;
        DWORD freeClusters;
        DWORD totalClusters;
    };
    const ClusterCase cases[] = {
        {"C:\\", static_cast<DWORD>(3 * kGiB / 4096), static_cast<DWORD>(10 * kGiB / 4096)},
        {"F:", static_cast<DWORD>(kGiB / 4096), static_cast<DWORD>(2 * kGiB / 4096)},
        {"T:", 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const ClusterCase& c : cases) {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        ASSERT_TRUE(GetDiskFreeSpaceA(c.path, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                      &totalClusters))
            << c.path;
        EXPECT_EQ(sectorsPerCluster, 8u);
        EXPECT_EQ(bytesPerSector, 512u);
        EXPECT_EQ(freeClusters, c.freeClusters) << c.path;
        EXPECT_EQ(totalClusters, c.totalClusters) << c.path;
    }
    SetLastError(0);
    DWORD unused = 0;
    EXPECT_FALSE(GetDiskFreeSpaceA("Q:\\", &unused, &unused, &unused, &unused));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(VolumeSpace, WithoutAHookNoDriveExists) {
    TolvaneVolumeSpaceHook mine = TolvaneCompatSetVolumeSpaceHook(nullptr);
    EXPECT_EQ(mine, &fakeVolumeSpace) << "the previous hook is handed back";
    SetLastError(0);
    ULARGE_INTEGER total{};
    EXPECT_FALSE(GetDiskFreeSpaceExA("C:\\", nullptr, &total, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
