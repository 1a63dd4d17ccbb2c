// Request layouts of the disk and partition commands. Two shapes: the
// commands that act on the disk as a whole name it at 36 of a software
// object address and take their arguments from 52; the commands that name a
// partition by its offset put the disk first, at 4, and the offset at 20.
#pragma once

#include <cstdint>
#include <string>

#include "commands/request_layout.h"

// Where the disk stands in each shape, and where the second shape keeps its
// partition's offset and its further field.
namespace disk_address {
inline constexpr std::size_t kDisk = 36;          // after provider and pack
inline constexpr std::size_t kArguments = 52;
inline constexpr std::size_t kPartitionDisk = 4;  // disk first
inline constexpr std::size_t kPartitionOffset = 20;
inline constexpr std::size_t kPartitionArgument = 28;
}  // namespace disk_address

// A flag of the request as the VDS truth value: any non-zero int16 is TRUE.
inline BOOL readFlag(RequestReader& in, std::size_t at) { return in.int16(at) != 0 ? TRUE : FALSE; }

// 0x0404, 0x0409: the disk alone.
using DiskTargetRequest = IdentifierRequest<disk_address::kDisk>;

// 0x0403: int32 partition style at 52.
struct ConvertStyleRequest {
    GUID disk;
    std::int32_t style;
    static ConvertStyleRequest read(RequestReader& in) {
        return {in.guid(disk_address::kDisk), in.int32(disk_address::kArguments)};
    }
};

// 0x0410, 0x0411: uint32 disk flags at 52.
struct DiskFlagsRequest {
    GUID disk;
    std::uint32_t flags;
    static DiskFlagsRequest read(RequestReader& in) {
        return {in.guid(disk_address::kDisk), in.uint32(disk_address::kArguments)};
    }
};

// 0x0406: offset 52, force 60, force protected 62.
struct DeletePartitionRequest {
    GUID disk;
    std::uint64_t offset;
    BOOL force;
    BOOL forceProtected;
    static DeletePartitionRequest read(RequestReader& in) {
        return {in.guid(disk_address::kDisk), in.uint64(52), readFlag(in, 60), readFlag(in, 62)};
    }
};

// 0x0407: offset 52, allocation unit 60, int16 file-system type 64 (widened
// with its sign), force 66, quick 68, compression 70, uint32 label length L
// at 72 and L label bytes from 76. A label longer than the request holds is
// a short request. The label ends at its first zero byte.
struct FormatPartitionRequest {
    GUID disk;
    std::uint64_t offset;
    std::uint32_t allocationUnit;
    std::int32_t fileSystem;
    BOOL force;
    BOOL quick;
    BOOL compress;
    bool hasLabel;
    std::string label;
    static FormatPartitionRequest read(RequestReader& in) {
        FormatPartitionRequest r{};
        r.disk = in.guid(disk_address::kDisk);
        r.offset = in.uint64(52);
        r.allocationUnit = in.uint32(60);
        r.fileSystem = in.int16(64);
        r.force = readFlag(in, 66);
        r.quick = readFlag(in, 68);
        r.compress = readFlag(in, 70);
        const std::uint32_t length = in.uint32(72);
        r.hasLabel = length != 0;
        r.label = in.countedText(76, length);
        r.label.resize(std::char_traits<char>::length(r.label.c_str()));
        return r;
    }
};

// 0x0408: force 52, force OEM 54, full clean 56.
struct CleanDiskRequest {
    GUID disk;
    BOOL force;
    BOOL forceOem;
    BOOL fullClean;
    static CleanDiskRequest read(RequestReader& in) {
        return {in.guid(disk_address::kDisk), readFlag(in, 52), readFlag(in, 54), readFlag(in, 56)};
    }
};

// 0x0405: disk 4, offset 20, size 28, int32 style 36.
struct CreatePartitionRequest {
    GUID disk;
    std::uint64_t offset;
    std::uint64_t size;
    std::int32_t style;
    static CreatePartitionRequest read(RequestReader& in) {
        return {in.guid(disk_address::kPartitionDisk), in.uint64(disk_address::kPartitionOffset),
                in.uint64(disk_address::kPartitionArgument), in.int32(36)};
    }
};

// 0x0417: disk 4, offset 20.
struct PartitionRequest {
    GUID disk;
    std::uint64_t offset;
    static PartitionRequest read(RequestReader& in) {
        return {in.guid(disk_address::kPartitionDisk), in.uint64(disk_address::kPartitionOffset)};
    }
};

// 0x0418, 0x0419: disk 4, offset 20, the letter as one narrow byte at 28.
struct DriveLetterRequest {
    GUID disk;
    std::uint64_t offset;
    char letter;
    static DriveLetterRequest read(RequestReader& in) {
        return {in.guid(disk_address::kPartitionDisk), in.uint64(disk_address::kPartitionOffset),
                static_cast<char>(in.byte(disk_address::kPartitionArgument))};
    }
};

// The commands that read these requests, answered in disks.cpp.
Answer cmdConvertStyle(const ConvertStyleRequest& request, IVdsService* service);
Answer cmdQueryPartitions(const DiskTargetRequest& request, IVdsService* service);
Answer cmdCreatePartitions(const CreatePartitionRequest& request, IVdsService* service);
Answer cmdDeletePartition(const DeletePartitionRequest& request, IVdsService* service);
Answer cmdFormatPartition(const FormatPartitionRequest& request, IVdsService* service);
Answer cmdCleanDisk(const CleanDiskRequest& request, IVdsService* service);
Answer cmdQueryDiskExtents(const DiskTargetRequest& request, IVdsService* service);
Answer cmdSetDiskFlags(const DiskFlagsRequest& request, IVdsService* service);
Answer cmdClearDiskFlags(const DiskFlagsRequest& request, IVdsService* service);
Answer cmdGetDriveLetter(const PartitionRequest& request, IVdsService* service);
Answer cmdAssignDriveLetter(const DriveLetterRequest& request, IVdsService* service);
Answer cmdDeleteDriveLetter(const DriveLetterRequest& request, IVdsService* service);
