// A notification as the tests compare it: its event and the object it
// names, and how to print one in a failed expectation.
#pragma once

#include <cstdio>
#include <ostream>

#include "platform/vds_types.h"

namespace simtest {

struct Notice {
    ULONG event;
    GUID object;  // the volume of a drive-letter notice, the disk of a partition notice
    bool operator==(const Notice&) const = default;
};

inline void PrintTo(const Notice& n, std::ostream* os) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X...%02X%02X", static_cast<unsigned>(n.object.Data1), n.object.Data4[6], n.object.Data4[7]);
    *os << "{" << n.event << ", " << text << "}";
}

inline Notice noticeOf(const VDS_NOTIFICATION& n) {
    switch (n.objectType) {
        case VDS_NTT_PACK: return {n.Pack.ulEvent, n.Pack.packId};
        case VDS_NTT_VOLUME: return {n.Volume.ulEvent, n.Volume.volumeId};
        case VDS_NTT_DISK: return {n.Disk.ulEvent, n.Disk.diskId};
        case VDS_NTT_SUB_SYSTEM: return {n.SubSystem.ulEvent, n.SubSystem.subSystemId};
        case VDS_NTT_CONTROLLER: return {n.Controller.ulEvent, n.Controller.controllerId};
        case VDS_NTT_DRIVE: return {n.Drive.ulEvent, n.Drive.driveId};
        case VDS_NTT_LUN: return {n.Lun.ulEvent, n.Lun.LunId};
        case VDS_NTT_PORT: return {n.Port.ulEvent, n.Port.portId};
        case VDS_NTT_PARTITION: return {n.Partition.ulEvent, n.Partition.diskId};
        case VDS_NTT_DRIVE_LETTER: return {n.Letter.ulEvent, n.Letter.volumeId};
        case VDS_NTT_FILE_SYSTEM: return {n.FileSystem.ulEvent, n.FileSystem.volumeId};
        case VDS_NTT_MOUNT_POINT: return {n.MountPoint.ulEvent, n.MountPoint.volumeId};
        case VDS_NTT_SERVICE: return {n.Service.ulEvent, GUID{}};
        default: return {0, GUID{}};
    }
}

}  // namespace simtest
