// A disk's partition table, in one place for every change that lays out
// partitions (CreatePartition, and the volumes of a basic disk): where the
// partition area begins, how a start is aligned, how many entries a table
// holds, how partitions are numbered and what GPT identity a new one gets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/model.h"

namespace tolvane::sim {

// Windows keeps the first mebibyte of a partitioned disk for its tables.
inline constexpr std::uint64_t kFirstPartitionByte = 1024 * 1024;
// MBR holds four primary partitions; GPT as Windows writes it, 128 entries.
inline constexpr std::size_t kMbrPartitionSlots = 4;
inline constexpr std::size_t kGptPartitionSlots = 128;

// The boundary a new partition's start is rounded up to: 64 KiB on disks
// under 4 GiB, 1 MiB on larger ones, as Windows aligns by default.
std::uint64_t partitionAlignment(const Disk& disk);

// Where a partition of `size` bytes asked for at `offset` starts (rounded up
// to the alignment), or why it cannot be made: VDS_E_INVALID_SPACE when the
// start lies outside the disk's partition area or inside another partition,
// VDS_E_NOT_ENOUGH_SPACE when the free stretch there is too small,
// VDS_E_PARTITION_LIMIT_REACHED when the table has no entry left.
HRESULT placePartition(const Disk& disk, std::uint64_t offset, std::uint64_t size, std::uint64_t& start);

// Whether the disk's table has an entry left for one more partition.
bool partitionSlotLeft(const Disk& disk);

// Files `partition` in the disk's table, in the order of offsets: it takes
// the next partition number and, on a GPT disk without an identity of its
// own, a new one that no partition of this machine ever had.
// VDS_E_PARTITION_LIMIT_REACHED when the table is full.
HRESULT addPartition(Model& m, const GUID& disk, Partition partition);

// Writes a new, empty partition table of `style` on the disk (0: none, the
// disk is left unallocated), with the disk identity that style carries: an
// MBR signature or a GPT disk GUID, derived from the disk so a run repeats.
void writePartitionStyle(Disk& disk, std::int32_t style);

// The Microsoft reserved partition Windows puts first on a basic GPT disk:
// 32 MiB on disks under 16 GiB, 128 MiB on larger ones.
Partition reservedPartition(const Disk& disk);

// Windows keeps the LDM database in the last mebibyte of a dynamic disk.
inline constexpr std::uint64_t kLdmDatabaseBytes = 1024 * 1024;

// Why a basic disk's table cannot be rewritten as a dynamic disk's (the
// per-disk result MigrateDisks reports), S_OK when it can: an MBR disk keeps
// nothing but data partitions, and on GPT the partitions that stay (ESP,
// MSR, OEM) must lie before the data.
HRESULT dynamicLayoutRefusal(const Disk& disk);
// The rewrite: the data partitions give way to one LDM area that holds
// their volumes' stretches where they lie, the database at the disk's end.
void writeDynamicLayout(Disk& disk);
// And back, for a dynamic disk that holds no volume: the LDM partitions go,
// and a GPT disk gets its reserved partition if it has none.
HRESULT writeBasicLayout(Model& m, const GUID& disk);

// The partition that starts at `offset`, or null.
const Partition* partitionAt(const Disk& disk, std::uint64_t offset);

}  // namespace tolvane::sim
