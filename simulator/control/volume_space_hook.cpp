// Answers GetDiskFreeSpace(Ex) of the Win32 stand-ins from the simulated
// volumes: the volume holding the drive letter, its file system's total and
// free bytes.
#include "compat_hooks.h"
#include "core/sim_core.h"

namespace tolvane::sim {

int simulatedVolumeSpace(char letter, ULONGLONG* availableToCaller, ULONGLONG* total, ULONGLONG* free,
                         DWORD* error) {
    return Core::instance().read([&](const Model& m) {
        const Volume* v = m.volumeWithLetter(static_cast<char16_t>(static_cast<unsigned char>(letter)));
        if (v == nullptr) {
            *error = ERROR_PATH_NOT_FOUND;
            return 0;
        }
        if (!v->fileSystem || v->fileSystem->type <= 1) {  // no file system, or RAW
            *error = ERROR_UNRECOGNIZED_VOLUME;
            return 0;
        }
        const FileSystem& fs = *v->fileSystem;
        *total = fs.totalAllocationUnits * fs.allocationUnitSize;
        *free = fs.availableAllocationUnits * fs.allocationUnitSize;
        *availableToCaller = *free;
        return 1;
    });
}

}  // namespace tolvane::sim
