// The partition types this machine tells apart, in one place: GPT type
// identifiers and MBR type bytes as Windows writes them, and what each
// holds as IVdsDisk::QueryExtents shows it.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace tolvane::sim {

inline constexpr GUID kGptBasicData = {0xEBD0A0A2, 0xB9E5, 0x4433, {0x87, 0xC0, 0x68, 0xB6, 0xB7, 0x26, 0x99, 0xC7}};
inline constexpr GUID kGptEsp = {0xC12A7328, 0xF81F, 0x11D2, {0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B}};
inline constexpr GUID kGptMsr = {0xE3C9E316, 0x0B5C, 0x4DB8, {0x81, 0x7D, 0xF9, 0x2D, 0xF0, 0x02, 0x15, 0xAE}};
inline constexpr GUID kGptLdmMetadata = {0x5808C8AA, 0x7E8F, 0x42E0, {0x85, 0xD2, 0xE1, 0xE9, 0x04, 0x34, 0xCF, 0xB3}};
inline constexpr GUID kGptLdmData = {0xAF9B60A0, 0x1431, 0x4F62, {0xBC, 0x68, 0x33, 0x11, 0x71, 0x4A, 0x69, 0xAD}};

// GPT_ATTRIBUTE_PLATFORM_REQUIRED: the platform needs the partition to work.
inline constexpr std::uint64_t kGptPlatformRequired = 1;

inline constexpr std::uint8_t kMbrInstallableFileSystem = 0x07;  // NTFS, exFAT
inline constexpr std::uint8_t kMbrLdm = 0x42;                     // a dynamic disk's one partition
// MBR types that OEMs and firmware keep for themselves.
inline constexpr std::uint8_t kMbrOemTypes[] = {0x12, 0x84, 0xA0, 0xDE, 0xFE};

// What a partition holds, from its type alone: QueryExtents shows it, and
// Clean, DeletePartition and the partition methods judge by it. OEM
// partitions are the MBR types above, and on GPT any partition the platform
// requires. The MBR extended partition holds only the logical drives.
enum class PartitionKind { Unknown, Data, Oem, Esp, Msr, Ldm, Extended };
PartitionKind partitionKind(const Disk& disk, const Partition& partition);

// The same, valued as VDS_DISK_EXTENT_TYPE.
std::int32_t partitionExtentType(const Disk& disk, const Partition& partition);

}  // namespace tolvane::sim
