// Request layouts of the volume commands. The list and plex commands read
// their objects from a software object address; the others put the volume at
// 4 and their arguments after it. Disk arrays come out of the reader as
// aligned copies, so the service never sees a pointer into the request.
#pragma once

#include <cstdint>
#include <vector>

#include "commands/request_layout.h"

// 0x0501: the volume of a software object address.
using VolumePlexListRequest = IdentifierRequest<software_address::kVolume>;

// 0x0502: all four identifiers of a software object address.
struct VolumePlexExtentsRequest {
    GUID provider;
    GUID pack;
    GUID volume;
    GUID plex;
    static VolumePlexExtentsRequest read(RequestReader& in) {
        return {in.guid(software_address::kProvider), in.guid(software_address::kPack),
                in.guid(software_address::kVolume), in.guid(software_address::kVolumePlex)};
    }
};

// 0x0503: the plex at 52, int32 N at 68, N InputDiskRecords from 72.
struct RepairVolumePlexRequest {
    GUID plex;
    std::vector<VDS_INPUT_DISK> disks;
    static RepairVolumePlexRequest read(RequestReader& in) {
        return {in.guid(software_address::kVolumePlex), in.inputDisks(72, in.int32(68))};
    }
};

// 0x0504: the volume at 36, int32 N at 52, N InputDiskRecords from 56.
struct ExtendVolumeRequest {
    GUID volume;
    std::vector<VDS_INPUT_DISK> disks;
    static ExtendVolumeRequest read(RequestReader& in) {
        return {in.guid(software_address::kVolume), in.inputDisks(56, in.int32(52))};
    }
};

// 0x0505, 0x0506, 0x0507: the volume at 36 and a second identifier at 52 (the
// volume to add as a plex, or the plex to break off or remove).
struct VolumeAndSecondRequest {
    GUID volume;
    GUID second;
    static VolumeAndSecondRequest read(RequestReader& in) {
        return {in.guid(software_address::kVolume), in.guid(software_address::kVolumePlex)};
    }
};

// 0x0508: the pack at 20, int32 volume type at 36, int32 N at 40, N
// InputDiskRecords from 44.
struct CreateVolumeRequest {
    GUID pack;
    std::int32_t type;
    std::int32_t count;
    std::vector<VDS_INPUT_DISK> disks;
    static CreateVolumeRequest read(RequestReader& in) {
        const std::int32_t n = in.int32(40);
        return {in.guid(software_address::kPack), in.int32(36), n, in.inputDisks(44, n)};
    }
};

// 0x0509: volume 4, int32 force 20.
struct DeleteVolumeRequest {
    GUID volume;
    std::int32_t force;
    static DeleteVolumeRequest read(RequestReader& in) { return {in.guid(4), in.int32(20)}; }
};

// 0x0510: volume 4, uint64 bytes to remove at 20 (low half first).
struct ShrinkVolumeRequest {
    GUID volume;
    std::uint64_t bytes;
    static ShrinkVolumeRequest read(RequestReader& in) { return {in.guid(4), in.uint64(20)}; }
};

// 0x0511: volume 4, uint32 flags 20, int32 revert on close 24.
struct SetVolumeFlagsRequest {
    GUID volume;
    std::uint32_t flags;
    std::int32_t revertOnClose;
    static SetVolumeFlagsRequest read(RequestReader& in) {
        return {in.guid(4), in.uint32(20), in.int32(24)};
    }
};

// 0x0512: volume 4, uint32 flags 20.
struct ClearVolumeFlagsRequest {
    GUID volume;
    std::uint32_t flags;
    static ClearVolumeFlagsRequest read(RequestReader& in) { return {in.guid(4), in.uint32(20)}; }
};

// The commands that read these requests, answered in volumes.cpp.
Answer cmdQueryVolumePlexes(const VolumePlexListRequest& request, IVdsService* service);
Answer cmdQueryVolumePlexExtents(const VolumePlexExtentsRequest& request, IVdsService* service);
Answer cmdRepairVolumePlex(const RepairVolumePlexRequest& request, IVdsService* service);
Answer cmdExtendVolume(const ExtendVolumeRequest& request, IVdsService* service);
Answer cmdAddVolumePlex(const VolumeAndSecondRequest& request, IVdsService* service);
Answer cmdBreakVolumePlex(const VolumeAndSecondRequest& request, IVdsService* service);
Answer cmdRemoveVolumePlex(const VolumeAndSecondRequest& request, IVdsService* service);
Answer cmdCreateVolume(const CreateVolumeRequest& request, IVdsService* service);
Answer cmdDeleteVolume(const DeleteVolumeRequest& request, IVdsService* service);
Answer cmdShrinkVolume(const ShrinkVolumeRequest& request, IVdsService* service);
Answer cmdSetVolumeFlags(const SetVolumeFlagsRequest& request, IVdsService* service);
Answer cmdClearVolumeFlags(const ClearVolumeFlagsRequest& request, IVdsService* service);
