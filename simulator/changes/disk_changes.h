// What the service does to one disk: its partition style and flags, its
// partitions made, removed and formatted, the disk cleaned back to an
// unallocated one, and drive letters of partitions that are no volumes. Each
// change is one pure function over the model; the checks a real method makes
// before it returns are functions of their own, which the change repeats as
// it is applied (the machine may have moved on in between).
#pragma once

#include <cstdint>
#include <string>

#include "model/change.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

ChangeFunction convertStyle(const GUID& disk, std::int32_t style);
ChangeFunction setDiskFlags(const GUID& disk, std::uint32_t flags);
ChangeFunction clearDiskFlags(const GUID& disk, std::uint32_t flags);

// A partition as CreatePartition asks for it.
struct NewPartition {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::int32_t style = 0;
    std::uint8_t mbrType = 0;
    bool bootIndicator = false;
    GUID gptType{};
    GUID gptId{};
    std::uint64_t gptAttributes = 0;
    std::u16string gptName;
};
NewPartition newPartitionFromVds(std::uint64_t offset, std::uint64_t size, const CREATE_PARTITION_PARAMETERS& p);

// `start` receives where the partition begins once aligned.
HRESULT checkCreatePartition(const Model& m, const GUID& disk, const NewPartition& p, std::uint64_t& start);
// Gives back where the partition starts (ChangeOutput::offset).
ChangeFunction createPartition(const GUID& disk, NewPartition p);

ChangeFunction deletePartition(const GUID& disk, std::uint64_t offset, bool force, bool forceProtected);

struct PartitionFormat {
    std::uint64_t offset = 0;
    std::int32_t type = 0;  // VDS_FILE_SYSTEM_TYPE
    bool hasLabel = false;
    std::u16string label;
    std::uint32_t allocationUnit = 0;
    bool force = false;
};
HRESULT checkFormatPartition(const Model& m, const GUID& disk, std::uint64_t offset);
ChangeFunction formatPartition(const GUID& disk, PartitionFormat format);

HRESULT checkClean(const Model& m, const GUID& disk, bool force, bool forceOem);
ChangeFunction cleanDisk(const GUID& disk, bool force, bool forceOem);

// The letter of the partition at `offset`, upper case.
HRESULT partitionDriveLetter(const Model& m, const GUID& disk, std::uint64_t offset, char16_t& letter);
ChangeFunction assignDriveLetter(const GUID& disk, std::uint64_t offset, char16_t letter);
ChangeFunction deleteDriveLetter(const GUID& disk, std::uint64_t offset, char16_t letter);

// The partitions of a disk as QueryPartitions answers: VDS_E_DISK_NOT_INITIALIZED
// for a disk without a partition style, S_FALSE when it has none.
HRESULT queryPartitions(const Model& m, const GUID& disk);

}  // namespace tolvane::sim
