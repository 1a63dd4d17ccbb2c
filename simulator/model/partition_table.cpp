#include "model/partition_table.h"

#include <algorithm>

#include "model/partition_types.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
// The prefix of the GPT identities the service gives partitions it makes.
constexpr std::uint32_t kMadePartitionIds = 0x8B000000u;

// A disk identity derived from the disk's own identifier.
GUID derivedId(const GUID& disk, std::uint32_t tag) {
    GUID id = disk;
    id.Data1 ^= tag;
    return id;
}

}  // namespace

void writePartitionStyle(Disk& disk, std::int32_t style) {
    disk.partitions.clear();
    disk.partitionStyle = style;
    disk.signature = style == VDS_PST_MBR ? derivedId(disk.id, 0).Data1 : 0;
    disk.diskGuid = style == VDS_PST_GPT ? derivedId(disk.id, 0x8A) : GUID{};
}

Partition reservedPartition(const Disk& disk) {
    Partition p;
    p.offset = kFirstPartitionByte;
    p.size = (disk.size < 16 * kGiB ? 32 : 128) * 1024 * 1024;
    p.gptType = kGptMsr;
    p.gptName = u"Microsoft reserved partition";
    return p;
}

std::uint64_t partitionAlignment(const Disk& disk) {
    return disk.size < 4 * kGiB ? 64 * 1024 : kFirstPartitionByte;
}

bool isExtendedType(std::uint8_t mbrType) { return mbrType == kMbrExtended || mbrType == kMbrExtendedLba; }

bool isExtendedPartition(const Partition& partition) { return isExtendedType(partition.mbrType); }

const Partition* extendedPartitionOf(const Disk& disk) {
    if (disk.partitionStyle != VDS_PST_MBR) return nullptr;
    for (const Partition& p : disk.partitions)
        if (isExtendedPartition(p)) return &p;
    return nullptr;
}

bool isLogicalDrive(const Disk& disk, const Partition& partition) {
    const Partition* ext = extendedPartitionOf(disk);
    return ext != nullptr && !isExtendedPartition(partition) && partition.offset >= ext->offset &&
           partition.offset < ext->offset + ext->size;
}

std::size_t primaryCount(const Disk& disk) {
    return static_cast<std::size_t>(
        std::count_if(disk.partitions.begin(), disk.partitions.end(),
                      [&](const Partition& p) { return !isExtendedPartition(p) && !isLogicalDrive(disk, p); }));
}

std::size_t logicalDriveCount(const Disk& disk) {
    return static_cast<std::size_t>(std::count_if(disk.partitions.begin(), disk.partitions.end(),
                                                  [&](const Partition& p) { return isLogicalDrive(disk, p); }));
}

std::size_t mbrEntriesUsed(const Disk& disk) { return primaryCount(disk) + (extendedPartitionOf(disk) ? 1 : 0); }

bool partitionSlotLeft(const Disk& disk, bool logical) {
    if (disk.partitionStyle == VDS_PST_GPT) return disk.partitions.size() < kGptPartitionSlots;
    if (!logical) return mbrEntriesUsed(disk) < kMbrPartitionSlots;
    return logicalDriveCount(disk) < kMaxLogicalDrives;
}

namespace {

std::uint64_t alignUp(std::uint64_t at, std::uint64_t alignment) {
    return (at + alignment - 1) / alignment * alignment;
}

// A logical drive asked for at `offset` inside the extended partition: it
// starts one alignment unit after what precedes it (the extended
// partition's start or a logical drive's end), where its boot record lies,
// and ends before the next logical drive's boot record.
HRESULT placeLogical(const Disk& disk, const Partition& ext, std::uint64_t offset, std::uint64_t size,
                     std::uint64_t& start) {
    const std::uint64_t alignment = partitionAlignment(disk);
    std::uint64_t boundary = ext.offset;
    std::uint64_t limit = ext.offset + ext.size;
    for (const Partition& q : disk.partitions) {
        if (!isLogicalDrive(disk, q)) continue;
        if (offset >= q.offset && offset < q.offset + q.size) return VDS_E_INVALID_SPACE;
        if (q.offset + q.size <= offset)
            boundary = std::max(boundary, q.offset + q.size);
        else
            limit = std::min(limit, q.offset - std::min(q.offset, alignment));
    }
    start = alignUp(std::max(offset, boundary + alignment), alignment);
    if (start >= limit || size > limit - start) return VDS_E_NOT_ENOUGH_SPACE;
    if (!partitionSlotLeft(disk, true)) return VDS_E_PARTITION_LIMIT_REACHED;
    return S_OK;
}

}  // namespace

HRESULT placePartition(const Disk& disk, std::uint64_t offset, std::uint64_t size, std::uint64_t& start,
                       bool extended) {
    const Partition* ext = extendedPartitionOf(disk);
    if (extended && ext != nullptr) return VDS_E_PARTITION_LIMIT_REACHED;
    if (!extended && ext != nullptr && offset >= ext->offset && offset < ext->offset + ext->size)
        return placeLogical(disk, *ext, offset, size, start);
    const std::uint64_t alignment = partitionAlignment(disk);
    start = std::max(offset, kFirstPartitionByte);
    if (start > UINT64_MAX - alignment) return VDS_E_INVALID_SPACE;
    start = alignUp(start, alignment);
    if (start >= disk.size) return VDS_E_INVALID_SPACE;
    std::uint64_t freeEnd = disk.size;
    for (const Partition& p : disk.partitions) {
        if (start >= p.offset && start < p.offset + p.size) return VDS_E_INVALID_SPACE;
        if (p.offset > start) freeEnd = std::min(freeEnd, p.offset);
    }
    if (size > freeEnd - start) return VDS_E_NOT_ENOUGH_SPACE;
    if (disk.partitionStyle == VDS_PST_MBR && !partitionSlotLeft(disk)) return VDS_E_PARTITION_LIMIT_REACHED;
    return S_OK;
}

std::optional<std::uint64_t> firstLogicalStart(const Disk& disk, std::uint64_t size) {
    const Partition* ext = extendedPartitionOf(disk);
    if (ext == nullptr) return std::nullopt;
    std::uint64_t start = 0;
    if (placeLogical(disk, *ext, ext->offset, size, start) == S_OK) return start;
    for (const Partition& q : disk.partitions)
        if (isLogicalDrive(disk, q) && placeLogical(disk, *ext, q.offset + q.size, size, start) == S_OK) return start;
    return std::nullopt;
}

Partition extendedOver(const Disk& disk, std::uint64_t begin, std::uint64_t end) {
    Partition p;
    p.offset = std::min(alignUp(begin, partitionAlignment(disk)), end);
    p.size = end - p.offset;
    p.mbrType = kMbrExtendedLba;
    return p;
}

HRESULT addPartition(Model& m, const GUID& diskId, Partition partition) {
    Disk& d = m.disks.at(diskId);
    const bool extended = d.partitionStyle == VDS_PST_MBR && isExtendedPartition(partition);
    if (extended && extendedPartitionOf(d) != nullptr) return VDS_E_PARTITION_LIMIT_REACHED;
    if (!partitionSlotLeft(d, isLogicalDrive(d, partition))) return VDS_E_PARTITION_LIMIT_REACHED;
    std::uint32_t highest = 0;
    for (const Partition& q : d.partitions) highest = std::max(highest, q.number);
    partition.number = extended ? 0 : highest + 1;
    if (d.partitionStyle == VDS_PST_GPT && partition.gptId == GUID{}) partition.gptId = m.issueId(kMadePartitionIds);
    auto place = std::find_if(d.partitions.begin(), d.partitions.end(),
                              [&](const Partition& q) { return q.offset > partition.offset; });
    d.partitions.insert(place, std::move(partition));
    return S_OK;
}

namespace {

// Data, or the extended partition that holds the logical drives: the LDM
// area takes the place of both.
bool dataPartition(const Disk& d, const Partition& p) {
    const PartitionKind kind = partitionKind(d, p);
    return kind == PartitionKind::Data || kind == PartitionKind::Extended;
}

bool ldmPartition(const Disk& d, const Partition& p) { return partitionKind(d, p) == PartitionKind::Ldm; }

}  // namespace

HRESULT dynamicLayoutRefusal(const Disk& disk) {
    std::uint64_t firstData = disk.size;
    for (const Partition& p : disk.partitions)
        if (dataPartition(disk, p)) firstData = std::min(firstData, p.offset);
    for (const Partition& p : disk.partitions) {
        if (dataPartition(disk, p) || ldmPartition(disk, p)) continue;
        if (disk.partitionStyle == VDS_PST_MBR) return VDS_E_PARTITION_OF_UNKNOWN_TYPE;
        if (p.offset > firstData) return VDS_E_NON_CONTIGUOUS_DATA_PARTITIONS;
    }
    return S_OK;
}

void writeDynamicLayout(Model& m, const GUID& diskId) {
    Disk& disk = m.disks.at(diskId);
    std::uint64_t begin = kFirstPartitionByte;
    std::vector<Partition> kept;
    for (const Partition& p : disk.partitions) {
        if (dataPartition(disk, p)) {
            begin = std::min(begin, p.offset);
        } else if (!ldmPartition(disk, p)) {
            kept.push_back(p);
            begin = std::max(begin, p.offset + p.size);
        }
    }
    const std::uint64_t end = disk.size > kLdmDatabaseBytes ? disk.size - kLdmDatabaseBytes : disk.size;
    Partition area;
    area.offset = begin;
    area.size = end > begin ? end - begin : 0;
    std::uint32_t number = static_cast<std::uint32_t>(kept.size());
    if (disk.partitionStyle == VDS_PST_MBR) {
        area.mbrType = kMbrLdm;
    } else {
        area.gptType = kGptLdmData;
        area.gptName = u"LDM data partition";
        area.gptId = m.issueId(kMadePartitionIds);
    }
    area.number = ++number;
    if (area.size > 0) kept.push_back(area);
    if (disk.partitionStyle == VDS_PST_GPT && end < disk.size) {
        Partition metadata;
        metadata.offset = end;
        metadata.size = disk.size - end;
        metadata.gptType = kGptLdmMetadata;
        metadata.gptName = u"LDM metadata partition";
        metadata.gptId = m.issueId(kMadePartitionIds);
        metadata.number = ++number;
        kept.push_back(metadata);
    }
    disk.partitions = std::move(kept);
}

HRESULT writeBasicLayout(Model& m, const GUID& diskId) {
    Disk& disk = m.disks.at(diskId);
    std::erase_if(disk.partitions, [&](const Partition& p) { return ldmPartition(disk, p); });
    const bool hasReserved = std::any_of(disk.partitions.begin(), disk.partitions.end(), [&](const Partition& p) {
        return partitionKind(disk, p) == PartitionKind::Msr;
    });
    if (disk.partitionStyle != VDS_PST_GPT || hasReserved) return S_OK;
    Partition reserved = reservedPartition(disk);
    std::uint64_t start = 0;
    if (FAILED(placePartition(disk, reserved.offset, reserved.size, start))) return VDS_E_NO_FREE_SPACE;
    reserved.offset = start;
    return addPartition(m, diskId, std::move(reserved));
}

const Partition* partitionAt(const Disk& disk, std::uint64_t offset) {
    for (const Partition& p : disk.partitions)
        if (p.offset == offset) return &p;
    return nullptr;
}

}  // namespace tolvane::sim
