// The file-system operations of a volume, each one pure change of the
// machine: formatting, access paths (drive letters and mount folders),
// mounting and dismounting, and file-system flags.
#pragma once

#include <string>

#include "model/change.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

// HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY): the folder is not empty or is
// already a mount point, or the drive letter is taken.
inline constexpr HRESULT kPathTaken = MAKE_HRESULT_CONST(0x80070091u);

struct FormatRequest {
    std::int32_t type = 0;  // VDS_FILE_SYSTEM_TYPE
    std::u16string label;
    std::uint32_t allocationUnitSize = 0;  // 0: the file system's choice
    bool force = false;
    bool quick = false;
    bool compress = false;
};

// What Format refuses before it starts (system and boot volumes, a failed
// or offline volume); S_OK when it may start.
HRESULT formatRefusedAtCall(const Model& m, const GUID& volume);
// What the running format fails with (in use, file-system limits); S_OK
// when it can complete.
HRESULT formatRefusedWhileRunning(const Model& m, const GUID& volume, const FormatRequest& request);
// Tells how far the format has come; the machine is not changed.
ChangeFunction reportFormatProgress(const GUID& volume, unsigned long percent);
ChangeFunction formatVolume(const GUID& volume, FormatRequest request);

ChangeFunction addAccessPath(const GUID& volume, std::u16string path);
ChangeFunction deleteAccessPath(const GUID& volume, std::u16string path, bool force);
ChangeFunction mountVolume(const GUID& volume);
ChangeFunction dismountVolume(const GUID& volume, bool force, bool permanent);
ChangeFunction setFileSystemFlags(const GUID& volume, std::uint32_t flags);

// What GetFileSystemProperties cannot read past: an offline volume.
HRESULT fileSystemUnreadable(const Model& m, const GUID& volume);

}  // namespace tolvane::sim
