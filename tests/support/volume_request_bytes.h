// Requests of the volume commands, built once for the samples, the tests and
// their fault sweeps.
#pragma once

#include <cstdint>
#include <vector>

#include "default_machine.h"
#include "platform/vds_types.h"
#include "service_fixture.h"

namespace volume_requests {

struct DiskUse {
    GUID disk;
    std::uint64_t bytes;
    std::uint32_t member = 0;
};

inline constexpr std::uint64_t kGiB = 1ull << 30;
inline constexpr std::size_t kInputDiskBytes = 48;

// `disks` as InputDiskRecords from `offset`, without a plex identifier.
inline RequestBytes& inputDisks(RequestBytes& r, std::size_t offset, const std::vector<DiskUse>& disks) {
    for (const DiskUse& d : disks) {
        r.guid(offset, d.disk)
            .int32(offset + 16, static_cast<std::int32_t>(d.bytes & 0xFFFFFFFFu))
            .int32(offset + 20, static_cast<std::int32_t>(d.bytes >> 32))
            .guid(offset + 24, GUID{})
            .int32(offset + 40, static_cast<std::int32_t>(d.member))
            .int32(offset + 44, 0);
        offset += kInputDiskBytes;
    }
    return r;
}

// A software object address: provider, pack, volume and plex.
inline std::vector<unsigned char> address(int code, const GUID& volume, const GUID& plex = GUID{},
                                          const GUID& pack = machine::kDynamicPack,
                                          const GUID& provider = machine::kDynamicProvider) {
    return RequestBytes(code).guid(4, provider).guid(20, pack).guid(36, volume).guid(52, plex).data();
}

inline std::vector<unsigned char> createVolume(const GUID& pack, std::int32_t type,
                                               const std::vector<DiskUse>& disks) {
    RequestBytes r(0x0508);
    r.guid(4, machine::kDynamicProvider).guid(20, pack).int32(36, type).int32(40, static_cast<std::int32_t>(disks.size()));
    return inputDisks(r, 44, disks).data();
}

inline std::vector<unsigned char> extendVolume(const GUID& volume, const std::vector<DiskUse>& disks) {
    RequestBytes r(0x0504);
    r.guid(36, volume).int32(52, static_cast<std::int32_t>(disks.size()));
    return inputDisks(r, 56, disks).data();
}

inline std::vector<unsigned char> repairPlex(const GUID& plex, const std::vector<DiskUse>& disks) {
    RequestBytes r(0x0503);
    r.guid(52, plex).int32(68, static_cast<std::int32_t>(disks.size()));
    return inputDisks(r, 72, disks).data();
}

// 0x0505 to 0x0507: the volume at 36 and the second object at 52.
inline std::vector<unsigned char> volumeAndSecond(int code, const GUID& volume, const GUID& second) {
    return RequestBytes(code).guid(36, volume).guid(52, second).data();
}

inline std::vector<unsigned char> deleteVolume(const GUID& volume, std::int32_t force = 0) {
    return RequestBytes(0x0509).guid(4, volume).int32(20, force).data();
}

inline std::vector<unsigned char> shrinkVolume(const GUID& volume, std::uint64_t bytes) {
    return RequestBytes(0x0510)
        .guid(4, volume)
        .int32(20, static_cast<std::int32_t>(bytes & 0xFFFFFFFFu))
        .int32(24, static_cast<std::int32_t>(bytes >> 32))
        .data();
}

inline std::vector<unsigned char> setFlags(const GUID& volume, std::uint32_t flags, std::int32_t revert = 0) {
    return RequestBytes(0x0511).guid(4, volume).int32(20, static_cast<std::int32_t>(flags)).int32(24, revert).data();
}

inline std::vector<unsigned char> clearFlags(const GUID& volume, std::uint32_t flags) {
    return RequestBytes(0x0512).guid(4, volume).int32(20, static_cast<std::int32_t>(flags)).data();
}

// Objects of the default machine that only the volume commands name, and the
// first volumes and plexes the simulated service makes.
inline constexpr GUID kVolumeD = machine::id("90000000-0000-4000-8000-000000000003");
inline constexpr GUID kSpanVolume = machine::id("90000000-0000-4000-8000-000000000007");
inline constexpr GUID kMirrorVolumePlex1 = machine::id("91000000-0000-4000-8000-000000000006");
inline constexpr GUID kSecondDynDisk = machine::id("80000000-0000-4000-8000-000000000005");
inline constexpr GUID kFirstMadeVolume = machine::id("92000000-0000-4000-8000-000000000001");
inline constexpr GUID kSecondMadeVolume = machine::id("92000000-0000-4000-8000-000000000002");
inline constexpr GUID kThirdMadeVolume = machine::id("92000000-0000-4000-8000-000000000003");
inline constexpr GUID kFirstMadePlex = machine::id("93000000-0000-4000-8000-000000000001");

}  // namespace volume_requests
