// DeviceIoControl for the two disk queries the library makes, answered from
// the size of a block device.

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "device_handle_table.h"
#include "platform/com_types.h"
#include "win32_error.h"

namespace {

using tolvane::compat::failWith;
using tolvane::compat::win32ErrorFromErrno;

// The classic geometry that Windows reports for a disk of a given size.
constexpr DWORD kBytesPerSector = 512;
constexpr DWORD kSectorsPerTrack = 63;
constexpr DWORD kTracksPerCylinder = 255;
constexpr std::int32_t kFixedMedia = 12;  // MEDIA_TYPE FixedMedia

// The size in bytes of the block device behind `fd`; false with the Win32 error
// in `error` when it is not a block device or cannot be measured.
bool blockDeviceSize(int fd, ULONGLONG& size, DWORD& error) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = win32ErrorFromErrno(errno);
        return false;
    }
    // Windows answers disk control codes sent to a plain file this way.
    if (!S_ISBLK(info.st_mode)) {
        error = ERROR_INVALID_FUNCTION;
        return false;
    }
    std::uint64_t bytes = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0) {
        error = win32ErrorFromErrno(errno);
        return false;
    }
    size = bytes;
    return true;
}

void fillPartitionInformation(ULONGLONG size, void* out) {
    PARTITION_INFORMATION info{};
    info.PartitionLength.QuadPart = static_cast<LONGLONG>(size);
    std::memcpy(out, &info, sizeof info);
}

void fillDriveGeometry(ULONGLONG size, void* out) {
    DISK_GEOMETRY geometry{};
    geometry.BytesPerSector = kBytesPerSector;
    geometry.SectorsPerTrack = kSectorsPerTrack;
    geometry.TracksPerCylinder = kTracksPerCylinder;
    geometry.MediaType = kFixedMedia;
    geometry.Cylinders.QuadPart = static_cast<LONGLONG>(
        size / (ULONGLONG{kBytesPerSector} * kSectorsPerTrack * kTracksPerCylinder));
    std::memcpy(out, &geometry, sizeof geometry);
}

struct DiskQuery {
    DWORD code;
    DWORD answerSize;
    void (*fill)(ULONGLONG size, void* out);
};

constexpr DiskQuery kDiskQueries[] = {
    {IOCTL_DISK_GET_PARTITION_INFO, sizeof(PARTITION_INFORMATION), fillPartitionInformation},
    {IOCTL_DISK_GET_DRIVE_GEOMETRY, sizeof(DISK_GEOMETRY), fillDriveGeometry},
};

const DiskQuery* findQuery(DWORD code) {
    for (const DiskQuery& query : kDiskQueries)
        if (query.code == code) return &query;
    return nullptr;
}

}  // namespace

// The queries complete before the call returns, whether or not an
// OVERLAPPED structure is passed.
extern "C" BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID /*lpInBuffer*/,
                                DWORD /*nInBufferSize*/, LPVOID lpOutBuffer,
                                DWORD nOutBufferSize, LPDWORD lpBytesReturned,
                                OVERLAPPED* lpOverlapped) {
    if (lpBytesReturned != nullptr) *lpBytesReturned = 0;
    auto device = tolvane::compat::findDevice(hDevice);
    if (!device) return failWith(ERROR_INVALID_HANDLE, FALSE);
    // Windows writes the byte count through this pointer for every
    // synchronous call and faults when it is null; refuse it instead.
    if (lpBytesReturned == nullptr && lpOverlapped == nullptr)
        return failWith(ERROR_INVALID_PARAMETER, FALSE);
    const DiskQuery* query = findQuery(dwIoControlCode);
    if (query == nullptr) return failWith(ERROR_INVALID_FUNCTION, FALSE);
    if (lpOutBuffer == nullptr || nOutBufferSize < query->answerSize)
        return failWith(ERROR_INSUFFICIENT_BUFFER, FALSE);
    ULONGLONG size = 0;
    DWORD error = ERROR_SUCCESS;
    if (!blockDeviceSize(device->fd(), size, error)) return failWith(error, FALSE);
    query->fill(size, lpOutBuffer);
    if (lpBytesReturned != nullptr) *lpBytesReturned = query->answerSize;
    return TRUE;
}
