#include "model/partition_table.h"

#include <algorithm>

#include "platform/vds_types.h"

namespace tolvane::sim {

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
// The prefix of the GPT identities the service gives partitions it makes.
constexpr std::uint32_t kMadePartitionIds = 0x8B000000u;

}  // namespace

std::uint64_t partitionAlignment(const Disk& disk) {
    return disk.size < 4 * kGiB ? 64 * 1024 : kFirstPartitionByte;
}

bool partitionSlotLeft(const Disk& disk) {
    const std::size_t slots = disk.partitionStyle == VDS_PST_GPT ? kGptPartitionSlots : kMbrPartitionSlots;
    return disk.partitions.size() < slots;
}

HRESULT placePartition(const Disk& disk, std::uint64_t offset, std::uint64_t size, std::uint64_t& start) {
    const std::uint64_t alignment = partitionAlignment(disk);
    start = std::max(offset, kFirstPartitionByte);
    if (start > UINT64_MAX - alignment) return VDS_E_INVALID_SPACE;
    start = (start + alignment - 1) / alignment * alignment;
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

HRESULT addPartition(Model& m, const GUID& diskId, Partition partition) {
    Disk& d = m.disks.at(diskId);
    if (!partitionSlotLeft(d)) return VDS_E_PARTITION_LIMIT_REACHED;
    std::uint32_t highest = 0;
    for (const Partition& q : d.partitions) highest = std::max(highest, q.number);
    partition.number = highest + 1;
    if (d.partitionStyle == VDS_PST_GPT && partition.gptId == GUID{}) partition.gptId = m.issueId(kMadePartitionIds);
    auto place = std::find_if(d.partitions.begin(), d.partitions.end(),
                              [&](const Partition& q) { return q.offset > partition.offset; });
    d.partitions.insert(place, std::move(partition));
    return S_OK;
}

const Partition* partitionAt(const Disk& disk, std::uint64_t offset) {
    for (const Partition& p : disk.partitions)
        if (p.offset == offset) return &p;
    return nullptr;
}

}  // namespace tolvane::sim
