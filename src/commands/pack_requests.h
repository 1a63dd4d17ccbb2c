// Request layouts of the pack commands. The list commands read the pack from
// a software object address; the changing ones put the pack at 4 and their
// other arguments after it.
#pragma once

#include <cstdint>
#include <vector>

#include "commands/request_layout.h"

// 0x0402, 0x0500: the pack of a software object address.
using PackListRequest = IdentifierRequest<software_address::kPack>;

// 0x0416: the software provider at 4.
using CreatePackRequest = IdentifierRequest<software_address::kProvider>;

// 0x0412: pack 4, disk 20, int32 partition style 36, int32 hot spare 40.
struct AddDiskRequest {
    GUID pack;
    GUID disk;
    std::int32_t style;
    std::int32_t hotSpare;
    static AddDiskRequest read(RequestReader& in) {
        return {in.guid(4), in.guid(20), in.int32(36), in.int32(40)};
    }
};

// 0x0413: source pack 4, target pack 20, int32 force 36, int32 query only 40,
// int32 N 44, then N disk identifiers from 48.
struct MigrateDisksRequest {
    GUID source;
    GUID target;
    std::int32_t force;
    std::int32_t queryOnly;
    std::int32_t count;
    std::vector<GUID> disks;
    static MigrateDisksRequest read(RequestReader& in) {
        const std::int32_t n = in.int32(44);
        return {in.guid(4), in.guid(20), in.int32(36), in.int32(40), n, in.guids(48, n)};
    }
};

// 0x0414: pack 4, old disk 20, new disk 36.
struct ReplaceDiskRequest {
    GUID pack;
    GUID oldDisk;
    GUID newDisk;
    static ReplaceDiskRequest read(RequestReader& in) { return {in.guid(4), in.guid(20), in.guid(36)}; }
};

// 0x0415: pack 4, disk 20.
struct RemoveMissingDiskRequest {
    GUID pack;
    GUID disk;
    static RemoveMissingDiskRequest read(RequestReader& in) { return {in.guid(4), in.guid(20)}; }
};

// The commands that read these requests, answered in packs.cpp.
Answer cmdQueryPackDisks(const PackListRequest& request, IVdsService* service);
Answer cmdAddDisk(const AddDiskRequest& request, IVdsService* service);
Answer cmdMigrateDisks(const MigrateDisksRequest& request, IVdsService* service);
Answer cmdReplaceDisk(const ReplaceDiskRequest& request, IVdsService* service);
Answer cmdRemoveMissingDisk(const RemoveMissingDiskRequest& request, IVdsService* service);
Answer cmdCreatePack(const CreatePackRequest& request, IVdsService* service);
Answer cmdQueryVolumes(const PackListRequest& request, IVdsService* service);
