// What the topology format says beyond the model's own values: the names a
// file may give an enumeration value instead of its number, and the defaults
// of fields left out that differ from the model's, shared by the loader
// (which fills them in) and the writer (which leaves them out), so that both
// always speak the same words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "model/model_rules.h"

namespace tolvane::sim::topology {

using Name = std::pair<const char*, std::int32_t>;

// The first name of a value is the one written.
inline constexpr Name kLunTypes[] = {{"simple", 10}, {"span", 11}, {"stripe", 12}, {"mirror", 13}, {"parity", 14}};
inline constexpr Name kVolumeTypes[] = {{"simple", 10}, {"span", 11}, {"stripe", 12}, {"mirror", 13}, {"parity", 14}};
inline constexpr Name kPlexTypes[] = {{"simple", 10}, {"span", 11}, {"stripe", 12}, {"parity", 14}};
inline constexpr Name kFileSystems[] = {{"raw", 1}, {"fat", 2},   {"fat32", 3}, {"ntfs", 4}, {"cdfs", 5},
                                        {"udf", 6}, {"exfat", 7}, {"csvfs", 8}, {"refs", 9}};
inline constexpr Name kDiskStyles[] = {{"unknown", 0}, {"raw", 0}, {"mbr", 1}, {"gpt", 2}};
inline constexpr Name kProviderKinds[] = {{"basic", 0}, {"dynamic", 1}};

// The name written for `value`, or nullptr when it has none (a number is written).
inline const char* nameOf(std::span<const Name> names, std::int32_t value) {
    for (const auto& [name, v] : names)
        if (v == value) return name;
    return nullptr;
}

// Defaults of the format that are not the model's own.
inline constexpr const char16_t* kProviderVersion = u"1.0";
inline constexpr std::uint32_t kHardwareStripeSizeFlags = 0x0001F000;  // 4 KiB to 64 KiB
inline constexpr std::int16_t kInternalBuses = 1;
inline constexpr std::int16_t kSlotsPerBus = 16;
inline constexpr std::int16_t kMaxControllers = 2;
inline constexpr std::uint32_t kVdsDynamicProvider = 0x1;  // VDS_PF_DYNAMIC

// A striped or parity plex stripes at 64 KiB unless told otherwise.
inline constexpr std::uint32_t defaultStripeSize(std::int32_t plexType) {
    return plexType == 12 || plexType == 14 ? 65536 : 0;
}
// A volume's plexes are of its own type, a mirror's are simple.
inline constexpr std::int32_t defaultVolumePlexType(std::int32_t volumeType) {
    return volumeType == 13 ? 10 : volumeType;
}
// A span's extents all belong to its one member; other plexes give each extent a member.
inline constexpr std::uint32_t defaultMember(std::int32_t plexType, std::size_t position) {
    return plexType == 11 ? 0 : static_cast<std::uint32_t>(position);
}

// Bounds that keep a description from making the service allocate without
// limit: a volume plex's members are counted out one by one.
inline constexpr std::uint32_t kMaxPlexMembers = kMostPlexMembers;
// Identifier serials fill the last 12 hex digits of an identifier.
inline constexpr std::uint64_t kMaxSerial = (1ull << 48) - 1;

}  // namespace tolvane::sim::topology
