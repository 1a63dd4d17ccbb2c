// Request layouts of the volume file-system commands. Every request names
// the volume at 4 and takes its arguments from 20; int16 arguments are
// widened with their sign, and texts carry no terminator.
#pragma once

#include <cstdint>
#include <string>

#include "commands/request_layout.h"

inline constexpr std::size_t kFileSystemVolume = 4;

// 0x000C, 0x0603, 0x0604, 0x0606: the volume alone.
using FileSystemVolumeRequest = IdentifierRequest<kFileSystemVolume>;

// 0x0601: type, allocation unit, force, quick, compression, then an int16
// label length at 34 and the label from 36.
struct FormatVolumeRequest {
    GUID volume;
    std::uint32_t type;
    std::uint32_t allocationUnitSize;
    std::int32_t force;
    std::int32_t quick;
    std::int32_t compress;
    std::string label;
    static FormatVolumeRequest read(RequestReader& in) {
        FormatVolumeRequest r{};
        r.volume = in.guid(kFileSystemVolume);
        r.type = in.uint32(20);
        r.allocationUnitSize = in.uint32(24);
        r.force = in.int16(28);
        r.quick = in.int16(30);
        r.compress = in.int16(32);
        r.label = in.textAfterInt16(34);
        return r;
    }
};

// 0x0602: a uint32 path length at 20 and the path from 24.
struct AddAccessPathRequest {
    GUID volume;
    std::string path;
    static AddAccessPathRequest read(RequestReader& in) {
        return {in.guid(kFileSystemVolume), in.countedText(24, in.uint32(20))};
    }
};

// 0x0605: force at 20, an int16 path length at 22 and the path from 24.
struct DeleteAccessPathRequest {
    GUID volume;
    std::int32_t force;
    std::string path;
    static DeleteAccessPathRequest read(RequestReader& in) {
        DeleteAccessPathRequest r{};
        r.volume = in.guid(kFileSystemVolume);
        r.force = in.int16(20);
        r.path = in.textAfterInt16(22);
        return r;
    }
};

// 0x0607: force at 20, permanent at 22.
struct DismountVolumeRequest {
    GUID volume;
    std::int32_t force;
    std::int32_t permanent;
    static DismountVolumeRequest read(RequestReader& in) {
        return {in.guid(kFileSystemVolume), in.int16(20), in.int16(22)};
    }
};

// 0x0608: uint32 flags at 20.
struct SetFileSystemFlagsRequest {
    GUID volume;
    std::uint32_t flags;
    static SetFileSystemFlagsRequest read(RequestReader& in) {
        return {in.guid(kFileSystemVolume), in.uint32(20)};
    }
};

// The commands that read these requests, answered in file_systems.cpp.
Answer cmdGetFileSystemProperties(const FileSystemVolumeRequest& request, IVdsService* service);
Answer cmdFormatVolume(const FormatVolumeRequest& request, IVdsService* service);
Answer cmdAddAccessPath(const AddAccessPathRequest& request, IVdsService* service);
Answer cmdQueryAccessPaths(const FileSystemVolumeRequest& request, IVdsService* service);
Answer cmdQueryReparsePoints(const FileSystemVolumeRequest& request, IVdsService* service);
Answer cmdDeleteAccessPath(const DeleteAccessPathRequest& request, IVdsService* service);
Answer cmdMountVolume(const FileSystemVolumeRequest& request, IVdsService* service);
Answer cmdDismountVolume(const DismountVolumeRequest& request, IVdsService* service);
Answer cmdSetFileSystemFlags(const SetFileSystemFlagsRequest& request, IVdsService* service);
