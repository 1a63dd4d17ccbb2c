// GetDiskFreeSpaceExA / GetDiskFreeSpaceA. There are no drive letters off
// Windows: the simulated service owns the volumes and answers for them
// through the hook of compat_hooks.h.

#include <algorithm>
#include <atomic>
#include <optional>
#include <string_view>

#include "compat_hooks.h"
#include "platform/com_types.h"
#include "win32_error.h"

namespace {

using tolvane::compat::failWith;

std::atomic<TolvaneVolumeSpaceHook> g_volumeSpaceHook{nullptr};

// The geometry GetDiskFreeSpaceA reports, as NTFS formats by default.
constexpr DWORD kSectorsPerCluster = 8;
constexpr DWORD kBytesPerSector = 512;
constexpr ULONGLONG kBytesPerCluster = ULONGLONG{kSectorsPerCluster} * kBytesPerSector;

struct VolumeSpace {
    ULONGLONG availableToCaller = 0;
    ULONGLONG total = 0;
    ULONGLONG free = 0;
};

// "C:", "c:\", "C:\some\dir", also behind the long-path prefix "\\?\".
std::optional<char> driveLetterOf(const char* path) {
    if (path == nullptr) return std::nullopt;
    std::string_view rest(path);
    if (rest.starts_with("\\\\?\\")) rest.remove_prefix(4);
    if (rest.size() < 2 || rest[1] != ':') return std::nullopt;
    char letter = rest[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    return letter;
}

// Sets the last error and returns nothing when the path names no volume
// that the hook knows.
std::optional<VolumeSpace> queryVolume(const char* path) {
    std::optional<char> letter = driveLetterOf(path);
    TolvaneVolumeSpaceHook hook = g_volumeSpaceHook.load();
    if (!letter || hook == nullptr) return failWith(ERROR_PATH_NOT_FOUND, std::nullopt);
    VolumeSpace space;
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (hook(*letter, &space.availableToCaller, &space.total, &space.free, &error) == 0)
        return failWith(error, std::nullopt);
    return space;
}

DWORD clusterCount(ULONGLONG bytes) {
    // Counts that do not fit are reported as the largest that does.
    return static_cast<DWORD>(std::min<ULONGLONG>(bytes / kBytesPerCluster, 0xFFFFFFFFu));
}

}  // namespace

extern "C" TolvaneVolumeSpaceHook TolvaneCompatSetVolumeSpaceHook(TolvaneVolumeSpaceHook hook) {
    return g_volumeSpaceHook.exchange(hook);
}

extern "C" BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName,
                                    PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                    PULARGE_INTEGER lpTotalNumberOfBytes,
                                    PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
    std::optional<VolumeSpace> space = queryVolume(lpDirectoryName);
    if (!space) return FALSE;
    if (lpFreeBytesAvailableToCaller) lpFreeBytesAvailableToCaller->QuadPart = space->availableToCaller;
    if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = space->total;
    if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = space->free;
    return TRUE;
}

extern "C" BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster,
                                  LPDWORD lpBytesPerSector, LPDWORD lpNumberOfFreeClusters,
                                  LPDWORD lpTotalNumberOfClusters) {
    std::optional<VolumeSpace> space = queryVolume(lpRootPathName);
    if (!space) return FALSE;
    if (lpSectorsPerCluster) *lpSectorsPerCluster = kSectorsPerCluster;
    if (lpBytesPerSector) *lpBytesPerSector = kBytesPerSector;
    // Windows counts the free clusters that the caller may use.
    if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = clusterCount(space->availableToCaller);
    if (lpTotalNumberOfClusters) *lpTotalNumberOfClusters = clusterCount(space->total);
    return TRUE;
}
