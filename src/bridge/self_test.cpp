// vdsTest: a developer's probe of the two ways the free-space command learns
// about a volume, on fixed drive names. Every failure is silent: it only
// leaves its part of the report unprinted.
#include "commands/free_space_probes.h"
#include "tolvane.h"

namespace {

// Opens the device and asks its geometry and partition; nothing of the
// answers is kept.
void probeDevice(const char* path) {
    HANDLE device = vdsOpenVolumeDevice(path);
    if (device == INVALID_HANDLE_VALUE) return;
    DISK_GEOMETRY geometry{};
    PARTITION_INFORMATION partition{};
    DWORD returned = 0;
    DeviceIoControl(device, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &returned,
                    nullptr);
    DeviceIoControl(device, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &partition, sizeof partition, &returned,
                    nullptr);
    CloseHandle(device);
}

void reportFreeSpace(const char* root) {
    const GetDiskFreeSpaceExFn freeSpaceEx = vdsFindFreeSpaceEx();
    if (freeSpaceEx == nullptr) return;
    ULARGE_INTEGER available{}, total{}, free{};
    if (!freeSpaceEx(root, &available, &total, &free)) return;
    vdsPrintFreeSpaceEx(available.QuadPart, total.QuadPart, free.QuadPart);
}

}  // namespace

extern "C" TOLVANE_API void vdsTest(void) {
    probeDevice("\\\\.\\E:");
    reportFreeSpace("F:");
}
