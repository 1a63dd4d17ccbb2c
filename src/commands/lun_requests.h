// Request layouts of the LUN management commands. Every command but 0x0120
// names its LUN at 36 of a hardware object address and takes its arguments
// from 52; 0x0120 names the subsystem at 20 and takes its arguments from 36.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/request_layout.h"

inline constexpr std::size_t kLunHintsRecordSize = 52;

// `count` identifiers from `at`; a request that names none need not reach `at`.
inline std::vector<VDS_OBJECT_ID> readIds(RequestReader& in, std::size_t at, std::int64_t count) {
    if (count == 0) return {};
    return in.guids(at, count);
}

// A LUN hints record as VDS_HINTS. The rebuild priority travels ahead of the
// flags; each flag byte is widened with its sign, so any non-zero byte is true.
inline VDS_HINTS readLunHints(RequestReader& in, std::size_t at) {
    VDS_HINTS h{};
    h.ullHintMask = in.uint64(at);
    h.ullExpectedMaximumSize = in.uint64(at + 8);
    h.ulOptimalReadSize = in.uint32(at + 16);
    h.ulOptimalReadAlignment = in.uint32(at + 20);
    h.ulOptimalWriteSize = in.uint32(at + 24);
    h.ulOptimalWriteAlignment = in.uint32(at + 28);
    h.ulMaximumDriveCount = in.uint32(at + 32);
    h.ulStripeSize = in.uint32(at + 36);
    h.sRebuildPriority = in.int16(at + 40);
    BOOL* const flags[] = {&h.bFastCrashRecoveryRequired, &h.bMostlyReads,
                           &h.bOptimizeForSequentialReads, &h.bOptimizeForSequentialWrites,
                           &h.bRemapEnabled, &h.bReadBackVerifyEnabled,
                           &h.bWriteThroughCachingEnabled, &h.bHardwareChecksumEnabled,
                           &h.bIsYankable};
    for (std::size_t i = 0; i < std::size(flags); ++i)
        *flags[i] = static_cast<std::int8_t>(in.byte(at + 42 + i));
    // The padding byte belongs to the record; a request that stops before it
    // is short.
    in.byte(at + 51);
    return h;
}

// 0x0120: the subsystem at 20, then type, size, list length L, drive count N,
// the list, the hints at 56+L and the drives at 108+L.
struct CreateLunRequest {
    GUID subsystem;
    VDS_LUN_TYPE type;
    std::uint64_t size;
    std::string unmaskingList;
    VDS_HINTS hints;
    std::vector<VDS_OBJECT_ID> drives;
    static CreateLunRequest read(RequestReader& in) {
        CreateLunRequest r{};
        r.subsystem = in.guid(hardware_address::kSubSystem);
        r.type = static_cast<VDS_LUN_TYPE>(in.int16(36));
        r.size = in.uint64(40);
        const std::uint32_t listLength = in.uint32(48);
        const std::uint32_t driveCount = in.uint32(52);
        r.unmaskingList = in.countedText(56, listLength);
        r.hints = readLunHints(in, 56 + std::size_t{listLength});
        r.drives = readIds(in, 108 + std::size_t{listLength}, driveCount);
        return r;
    }
};

// 0x0200, 0x0205, 0x0209, 0x0213: the LUN alone.
using LunTargetRequest = IdentifierRequest<hardware_address::kObject>;

// 0x0201: the LUN, and the LUN to add as a plex at 36 of a second address at 52.
struct AddLunPlexRequest {
    GUID lun;
    GUID plexLun;
    static AddLunPlexRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.guid(52 + hardware_address::kObject - 4)};
    }
};

// 0x0202: the LUN, and the plex to remove at 52.
struct RemoveLunPlexRequest {
    GUID lun;
    GUID plex;
    static RemoveLunPlexRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.guid(hardware_address::kLunPlex)};
    }
};

// 0x0203: int16 count at 52, the drives from 56.
struct QueryMaxLunExtendSizeRequest {
    GUID lun;
    std::vector<VDS_OBJECT_ID> drives;
    static QueryMaxLunExtendSizeRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), readIds(in, 56, in.int16(52))};
    }
};

// 0x0204: uint64 bytes at 52, int16 count at 60, the drives from 62.
struct ExtendLunRequest {
    GUID lun;
    std::uint64_t bytes;
    std::vector<VDS_OBJECT_ID> drives;
    static ExtendLunRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.uint64(52), readIds(in, 62, in.int16(60))};
    }
};

// 0x0206: a hints record at 52.
struct ApplyLunHintsRequest {
    GUID lun;
    VDS_HINTS hints;
    static ApplyLunHintsRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), readLunHints(in, 52)};
    }
};

// 0x0207: int16 status at 52, widened with its sign.
struct SetLunStatusRequest {
    GUID lun;
    VDS_LUN_STATUS status;
    static SetLunStatusRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), static_cast<VDS_LUN_STATUS>(in.int16(52))};
    }
};

// 0x0208: int16 length at 52, the narrow list from 54.
struct SetLunMaskRequest {
    GUID lun;
    std::string unmaskingList;
    static SetLunMaskRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.textAfterInt16(52)};
    }
};

// 0x0210: int16 active count at 52, int16 inactive count at 54, the active
// controllers from 56 and the inactive ones right after them.
struct AssociateControllersRequest {
    GUID lun;
    std::vector<VDS_OBJECT_ID> active;
    std::vector<VDS_OBJECT_ID> inactive;
    static AssociateControllersRequest read(RequestReader& in) {
        AssociateControllersRequest r{};
        r.lun = in.guid(hardware_address::kObject);
        const std::int16_t activeCount = in.int16(52);
        const std::int16_t inactiveCount = in.int16(54);
        r.active = readIds(in, 56, activeCount);
        if (activeCount >= 0)
            r.inactive = readIds(in, 56 + sizeof(GUID) * static_cast<std::size_t>(activeCount), inactiveCount);
        return r;
    }
};

// 0x0212: uint64 bytes to remove at 52.
struct ShrinkLunRequest {
    GUID lun;
    std::uint64_t bytes;
    static ShrinkLunRequest read(RequestReader& in) {
        return {in.guid(hardware_address::kObject), in.uint64(52)};
    }
};

// The commands that read these requests, answered in luns.cpp.
Answer cmdCreateLun(const CreateLunRequest& request, IVdsService* service);
Answer cmdDeleteLun(const LunTargetRequest& request, IVdsService* service);
Answer cmdAddLunPlex(const AddLunPlexRequest& request, IVdsService* service);
Answer cmdRemoveLunPlex(const RemoveLunPlexRequest& request, IVdsService* service);
Answer cmdQueryMaxLunExtendSize(const QueryMaxLunExtendSizeRequest& request, IVdsService* service);
Answer cmdExtendLun(const ExtendLunRequest& request, IVdsService* service);
Answer cmdQueryLunHints(const LunTargetRequest& request, IVdsService* service);
Answer cmdApplyLunHints(const ApplyLunHintsRequest& request, IVdsService* service);
Answer cmdSetLunStatus(const SetLunStatusRequest& request, IVdsService* service);
Answer cmdSetLunMask(const SetLunMaskRequest& request, IVdsService* service);
Answer cmdQueryActiveControllers(const LunTargetRequest& request, IVdsService* service);
Answer cmdAssociateControllers(const AssociateControllersRequest& request, IVdsService* service);
Answer cmdShrinkLun(const ShrinkLunRequest& request, IVdsService* service);
Answer cmdRecoverLun(const LunTargetRequest& request, IVdsService* service);
