#include "com/vds_conversions.h"

#include "model/model_rules.h"

#include <algorithm>

namespace tolvane::sim {

void toVds(const Hints& h, VDS_HINTS& out) {
    out = VDS_HINTS{};
    out.ullHintMask = h.hintMask;
    out.ullExpectedMaximumSize = h.expectedMaximumSize;
    out.ulOptimalReadSize = h.optimalReadSize;
    out.ulOptimalReadAlignment = h.optimalReadAlignment;
    out.ulOptimalWriteSize = h.optimalWriteSize;
    out.ulOptimalWriteAlignment = h.optimalWriteAlignment;
    out.ulMaximumDriveCount = h.maximumDriveCount;
    out.ulStripeSize = h.stripeSize;
    out.bFastCrashRecoveryRequired = h.fastCrashRecoveryRequired;
    out.bMostlyReads = h.mostlyReads;
    out.bOptimizeForSequentialReads = h.optimizeForSequentialReads;
    out.bOptimizeForSequentialWrites = h.optimizeForSequentialWrites;
    out.bRemapEnabled = h.remapEnabled;
    out.bReadBackVerifyEnabled = h.readBackVerifyEnabled;
    out.bWriteThroughCachingEnabled = h.writeThroughCachingEnabled;
    out.bHardwareChecksumEnabled = h.hardwareChecksumEnabled;
    out.bIsYankable = h.isYankable;
    out.sRebuildPriority = h.rebuildPriority;
}

std::vector<VDS_DRIVE_EXTENT> toVds(const std::vector<DriveExtentView>& views) {
    std::vector<VDS_DRIVE_EXTENT> out;
    for (const auto& v : views) out.push_back(VDS_DRIVE_EXTENT{v.drive, v.lun, v.size, v.used ? TRUE : FALSE});
    return out;
}

std::uint64_t spaceOnDrives(const Model& m, const std::vector<GUID>& drives, std::int32_t type, std::size_t copies) {
    std::uint64_t total = 0;
    std::uint64_t smallest = UINT64_MAX;
    for (const auto& d : drives) {
        std::uint64_t largest = 0;
        for (const auto& e : m.driveExtents(d))
            if (!e.used) largest = std::max(largest, e.size);
        total += largest;
        smallest = std::min(smallest, largest);
    }
    if (drives.empty()) return 0;
    switch (type) {
        case 12: return smallest * drives.size();  // stripe
        case 13: return drives.size() >= copies ? smallest : 0;  // mirror: every copy alike
        case kParityType:
            return drives.size() >= 3
                       ? plexCapacity(kParityType, smallest * drives.size(), static_cast<std::uint32_t>(drives.size()))
                       : 0;
        default: return total;
    }
}

HRESULT notifyOutOfSync() {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_SERVICE;
    n.Service.ulEvent = VDS_NF_SERVICE_OUT_OF_SYNC;
    n.Service.action = VDS_RA_REFRESH;
    Core::instance().notifier.post(Batch{n});
    return S_OK;
}

std::vector<VDS_DISK_EXTENT> toVds(const std::vector<DiskExtentView>& views) {
    std::vector<VDS_DISK_EXTENT> out;
    for (const auto& v : views) {
        VDS_DISK_EXTENT e{};
        e.diskId = v.disk;
        e.type = static_cast<VDS_DISK_EXTENT_TYPE>(v.type);
        e.ullOffset = v.offset;
        e.ullSize = v.size;
        e.volumeId = v.volume;
        e.plexId = v.plex;
        e.memberIdx = v.member;
        out.push_back(e);
    }
    return out;
}

VDS_PARTITION_PROP toVds(const Disk& d, const Partition& p) {
    VDS_PARTITION_PROP out{};
    out.PartitionStyle = static_cast<VDS_PARTITION_STYLE>(d.partitionStyle);
    out.ulFlags = p.flags;
    out.ulPartitionNumber = p.number;
    out.ullOffset = p.offset;
    out.ullSize = p.size;
    if (d.partitionStyle == 1) {
        out.Mbr.partitionType = p.mbrType;
        out.Mbr.bootIndicator = p.bootIndicator;
        out.Mbr.recognizedPartition = p.recognized;
        out.Mbr.hiddenSectors = static_cast<DWORD>(p.offset / (d.bytesPerSector == 0 ? 512 : d.bytesPerSector));
    } else if (d.partitionStyle == 2) {
        out.Gpt.partitionType = p.gptType;
        out.Gpt.partitionId = p.gptId;
        out.Gpt.attributes = p.gptAttributes;
        std::size_t n = std::min<std::size_t>(p.gptName.size(), GPT_PARTITION_NAME_LENGTH - 1);
        std::copy_n(p.gptName.begin(), n, out.Gpt.name);
    }
    return out;
}

bool allAmong(const std::vector<GUID>& wanted, const IdList& available) {
    return std::all_of(wanted.begin(), wanted.end(), [&](const GUID& id) { return available.contains(id); });
}

}  // namespace tolvane::sim
