// A disk's partition table, in one place for every change that lays out
// partitions (CreatePartition, and the volumes of a basic disk): where the
// partition area begins, how a start is aligned, how many entries a table
// holds, how partitions are numbered and what GPT identity a new one gets.
//
// An MBR disk may hold one extended partition (type 0x05 or 0x0F); the
// logical drives are the partitions lying inside it, kept in the same
// offset-ordered list as the primaries. Each logical drive is preceded by
// its extended boot record, one alignment unit the drive never starts in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/model.h"

namespace tolvane::sim {

// Windows keeps the first mebibyte of a partitioned disk for its tables.
inline constexpr std::uint64_t kFirstPartitionByte = 1024 * 1024;
// MBR holds four primary partitions; GPT as Windows writes it, 128 entries.
inline constexpr std::size_t kMbrPartitionSlots = 4;
inline constexpr std::size_t kGptPartitionSlots = 128;
// Logical drives take no entry of the MBR: each has a boot record of its own.
// The chain could run on; the service stops at as many as a GPT table holds.
inline constexpr std::size_t kMaxLogicalDrives = 128;

// Partition types of an extended partition: CHS addressed, and LBA addressed.
inline constexpr std::uint8_t kMbrExtended = 0x05;
inline constexpr std::uint8_t kMbrExtendedLba = 0x0F;
bool isExtendedType(std::uint8_t mbrType);

// The extended partition, by its type (whatever the disk's style, so that
// the rules can refuse one on GPT).
bool isExtendedPartition(const Partition& partition);
// The disk's extended partition, or null (the first, should a broken table hold two).
const Partition* extendedPartitionOf(const Disk& disk);
// A logical drive: a partition other than the container inside the extended partition.
bool isLogicalDrive(const Disk& disk, const Partition& partition);

// The boundary a new partition's start is rounded up to: 64 KiB on disks
// under 4 GiB, 1 MiB on larger ones, as Windows aligns by default.
std::uint64_t partitionAlignment(const Disk& disk);

// Where a partition of `size` bytes asked for at `offset` starts (rounded up
// to the alignment), or why it cannot be made: VDS_E_INVALID_SPACE when the
// start lies outside the disk's partition area or inside another partition,
// VDS_E_NOT_ENOUGH_SPACE when the free stretch there is too small,
// VDS_E_PARTITION_LIMIT_REACHED when the table has no entry left.
// An offset inside the extended partition asks for a logical drive there
// (after its boot record's room); `extended` asks for the extended
// partition itself, of which a disk holds one (a second one:
// VDS_E_PARTITION_LIMIT_REACHED, as the table holds no more of that kind).
HRESULT placePartition(const Disk& disk, std::uint64_t offset, std::uint64_t size, std::uint64_t& start,
                       bool extended = false);

// The first place in the extended partition a logical drive of `size`
// bytes fits, after its boot record's room; nullopt when none does.
std::optional<std::uint64_t> firstLogicalStart(const Disk& disk, std::uint64_t size);

// The extended partition the service makes over the free stretch
// [begin, end): its start aligned, its end the stretch's.
Partition extendedOver(const Disk& disk, std::uint64_t begin, std::uint64_t end);

std::size_t logicalDriveCount(const Disk& disk);
// MBR entries in use: primaries and the extended partition, not logical drives.
std::size_t mbrEntriesUsed(const Disk& disk);
std::size_t primaryCount(const Disk& disk);

// Whether the disk's table has an entry left for one more partition (a
// logical drive when `logical`).
bool partitionSlotLeft(const Disk& disk, bool logical = false);

// Files `partition` in the disk's table, in the order of offsets: it takes
// the next partition number and, on a GPT disk without an identity of its
// own, a new one that no partition of this machine ever had. An extended
// partition is numbered 0, as Windows numbers no container: it is no device
// of its own. One inside the extended partition is a logical drive.
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
// New GPT partitions get identities no partition of this machine ever had.
void writeDynamicLayout(Model& m, const GUID& disk);
// And back, for a dynamic disk that holds no volume: the LDM partitions go,
// and a GPT disk gets its reserved partition if it has none.
HRESULT writeBasicLayout(Model& m, const GUID& disk);

// The partition that starts at `offset`, or null.
const Partition* partitionAt(const Disk& disk, std::uint64_t offset);

}  // namespace tolvane::sim
