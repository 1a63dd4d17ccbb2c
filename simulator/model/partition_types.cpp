#include "model/partition_types.h"

#include <algorithm>
#include <iterator>

#include "model/partition_table.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

PartitionKind partitionKind(const Disk& disk, const Partition& partition) {
    if (disk.partitionStyle == VDS_PST_GPT) {
        if (partition.gptType == kGptEsp) return PartitionKind::Esp;
        if (partition.gptType == kGptMsr) return PartitionKind::Msr;
        if (partition.gptType == kGptLdmMetadata || partition.gptType == kGptLdmData) return PartitionKind::Ldm;
        if ((partition.gptAttributes & kGptPlatformRequired) != 0) return PartitionKind::Oem;
        return PartitionKind::Data;
    }
    if (disk.partitionStyle == VDS_PST_MBR) {
        if (partition.mbrType == kMbrLdm) return PartitionKind::Ldm;
        if (isExtendedType(partition.mbrType)) return PartitionKind::Extended;
        if (std::find(std::begin(kMbrOemTypes), std::end(kMbrOemTypes), partition.mbrType) != std::end(kMbrOemTypes))
            return PartitionKind::Oem;
        return PartitionKind::Data;
    }
    return PartitionKind::Unknown;
}

std::int32_t partitionExtentType(const Disk& disk, const Partition& partition) {
    switch (partitionKind(disk, partition)) {
        case PartitionKind::Data: return VDS_DET_DATA;
        case PartitionKind::Oem: return VDS_DET_OEM;
        case PartitionKind::Esp: return VDS_DET_ESP;
        case PartitionKind::Msr: return VDS_DET_MSR;
        case PartitionKind::Ldm: return VDS_DET_LDM;
        case PartitionKind::Extended:
        case PartitionKind::Unknown: break;
    }
    return VDS_DET_UNKNOWN;
}

}  // namespace tolvane::sim
