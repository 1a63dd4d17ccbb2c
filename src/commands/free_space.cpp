// The space of a volume path: a drive root answers from the file system, a
// device path from its partition length.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "commands/free_space_probes.h"
#include "commands/provider_requests.h"
#include "protocol/framing.h"
#include "protocol/log_output.h"

namespace {

constexpr std::uint64_t kMiB = 1048576;

struct Space {
    std::uint64_t availableToCaller = 0;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
};

// The free-space calls of a path with a drive letter. False with the Win32
// error code when the path names no volume.
bool volumeSpace(const char* path, Space& space, DWORD& error) {
    const GetDiskFreeSpaceExFn freeSpaceEx = vdsFindFreeSpaceEx();
    if (freeSpaceEx != nullptr) {
        ULARGE_INTEGER available{}, total{}, free{};
        if (!freeSpaceEx(path, &available, &total, &free)) {
            error = GetLastError();
            return false;
        }
        space = {available.QuadPart, total.QuadPart, free.QuadPart};
        vdsPrintFreeSpaceEx(space.availableToCaller, space.total, space.free);
        return true;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(path, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters)) {
        error = GetLastError();
        return false;
    }
    const std::uint64_t cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
    space = {0, std::uint64_t{totalClusters} * cluster, std::uint64_t{freeClusters} * cluster};
    vdsLog("GetDiskFreeSpace reports\n\n");
    vdsLog("Free space  = %" PRIu64 " MB\n", space.free / kMiB);
    vdsLog("Total space = %" PRIu64 " MB\n", space.total / kMiB);
    return true;
}

// The partition length of a device path, or 0 when the device does not open
// or does not answer.
std::uint64_t partitionLength(const char* path) {
    HANDLE device = vdsOpenVolumeDevice(path);
    if (device == INVALID_HANDLE_VALUE) return 0;
    PARTITION_INFORMATION info{};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(device, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info,
                                    sizeof info, &returned, nullptr);
    CloseHandle(device);
    return ok ? static_cast<std::uint64_t>(info.PartitionLength.QuadPart) : 0;
}

}  // namespace

Answer cmdGetFreeSpace(const FreeSpaceRequest& r, IVdsService*) {
    vdsLog("VDS: Root Path length: %d\n", static_cast<int>(r.length));

    Space space;
    DWORD error = 0;
    // The path ends at its first zero byte, as the terminated copy would.
    const char* text = r.path.c_str();
    if (std::strchr(text, ':') != nullptr) {
        if (!volumeSpace(text, space, error)) return Outcome::system(error);
    } else {
        const std::uint64_t size = partitionLength(text);
        space = {size, size, size};
    }

    const std::uint64_t sizes[] = {space.availableToCaller, space.total, space.free};
    ReplyBody body = ReplyBody::withPayload(sizeof sizes);
    if (body.empty()) return Answer::nullReply();
    for (std::size_t i = 0; i < std::size(sizes); ++i)
        vdsPutUInt64(body.data(), sizes[i], kOutputHeaderSize + static_cast<int>(sizeof(std::uint64_t) * i));
    return body;
}
