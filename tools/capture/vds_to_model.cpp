#include "vds_to_model.h"

#include <algorithm>

namespace tolvane::capture {

std::u16string textOf(const WCHAR* text) {
    std::u16string out;
    if (text == nullptr) return out;
    for (const WCHAR* c = text; *c != 0; ++c) out.push_back(static_cast<char16_t>(*c));
    return out;
}

sim::Provider providerFrom(const VDS_PROVIDER_PROP& p) {
    sim::Provider out;
    out.id = p.id;
    out.versionId = p.guidVersionId;
    out.name = textOf(p.pwszName);
    out.version = textOf(p.pwszVersion);
    out.type = p.type;
    out.flags = p.ulFlags;
    out.stripeSizeFlags = p.ulStripeSizeFlags;
    out.rebuildPriority = p.sRebuildPriority;
    return out;
}

sim::SubSystem subsystemFrom(const VDS_SUB_SYSTEM_PROP& p, const GUID& provider) {
    sim::SubSystem out;
    out.id = p.id;
    out.provider = provider;
    out.friendlyName = textOf(p.pwszFriendlyName);
    out.identification = textOf(p.pwszIdentification);
    out.flags = p.ulFlags;
    out.stripeSizeFlags = p.ulStripeSizeFlags;
    out.status = p.status;
    out.health = p.health;
    out.internalBuses = p.sNumberOfInternalBuses;
    out.slotsPerBus = p.sMaxNumberOfSlotsEachBus;
    out.maxControllers = p.sMaxNumberOfControllers;
    out.rebuildPriority = p.sRebuildPriority;
    return out;
}

sim::Controller controllerFrom(const VDS_CONTROLLER_PROP& p, const GUID& subsystem) {
    sim::Controller out;
    out.id = p.id;
    out.subsystem = subsystem;
    out.friendlyName = textOf(p.pwszFriendlyName);
    out.identification = textOf(p.pwszIdentification);
    out.status = p.status;
    out.health = p.health;
    return out;
}

sim::Port portFrom(const VDS_PORT_PROP& p, const GUID& controller, SHORT number) {
    sim::Port out;
    out.id = p.id;
    out.controller = controller;
    out.friendlyName = textOf(p.pwszFriendlyName);
    out.identification = textOf(p.pwszIdentification);
    out.status = p.status;
    out.portNumber = number;
    return out;
}

sim::Drive driveFrom(const VDS_DRIVE_PROP& p, const GUID& subsystem) {
    sim::Drive out;
    out.id = p.id;
    out.subsystem = subsystem;
    out.friendlyName = textOf(p.pwszFriendlyName);
    out.identification = textOf(p.pwszIdentification);
    out.size = p.ullSize;
    out.flags = p.ulFlags;
    out.status = p.status;
    out.health = p.health;
    out.bus = p.sInternalBusNumber;
    out.slot = p.sSlotNumber;
    return out;
}

sim::Lun lunFrom(const VDS_LUN_PROP& p, const GUID& subsystem) {
    sim::Lun out;
    out.id = p.id;
    out.subsystem = subsystem;
    out.friendlyName = textOf(p.pwszFriendlyName);
    out.identification = textOf(p.pwszIdentification);
    out.unmaskingList = textOf(p.pwszUnmaskingList);
    out.size = p.ullSize;
    out.flags = p.ulFlags;
    out.type = p.type;
    out.status = p.status;
    out.health = p.health;
    out.transitionState = p.TransitionState;
    out.rebuildPriority = p.sRebuildPriority;
    return out;
}

sim::LunPlex lunPlexFrom(const VDS_LUN_PLEX_PROP& p, const GUID& lun) {
    sim::LunPlex out;
    out.id = p.id;
    out.lun = lun;
    out.size = p.ullSize;
    out.type = p.type;
    out.status = p.status;
    out.health = p.health;
    out.transitionState = p.TransitionState;
    out.flags = p.ulFlags;
    out.stripeSize = p.ulStripeSize;
    out.rebuildPriority = p.sRebuildPriority;
    return out;
}

sim::Pack packFrom(const VDS_PACK_PROP& p, const GUID& provider) {
    sim::Pack out;
    out.id = p.id;
    out.provider = provider;
    out.name = textOf(p.pwszName);
    out.status = p.status;
    out.flags = p.ulFlags;
    return out;
}

sim::Disk diskFrom(const VDS_DISK_PROP& p, const GUID& pack) {
    sim::Disk out;
    out.id = p.id;
    out.pack = pack;
    out.status = p.status;
    out.reserveMode = p.ReserveMode;
    out.health = p.health;
    out.deviceType = p.dwDeviceType;
    out.mediaType = p.dwMediaType;
    out.size = p.ullSize;
    out.bytesPerSector = p.ulBytesPerSector;
    out.sectorsPerTrack = p.ulSectorsPerTrack;
    out.tracksPerCylinder = p.ulTracksPerCylinder;
    out.flags = p.ulFlags;
    out.busType = p.BusType;
    out.partitionStyle = p.PartitionStyle;
    if (p.PartitionStyle == VDS_PST_MBR) out.signature = p.dwSignature;
    if (p.PartitionStyle == VDS_PST_GPT) out.diskGuid = p.DiskGuid;
    out.diskAddress = textOf(p.pwszDiskAddress);
    out.name = textOf(p.pwszName);
    out.friendlyName = textOf(p.pwszFriendlyName);
    out.adaptorName = textOf(p.pwszAdaptorName);
    out.devicePath = textOf(p.pwszDevicePath);
    return out;
}

sim::Partition partitionFrom(const VDS_PARTITION_PROP& p) {
    sim::Partition out;
    out.number = p.ulPartitionNumber;
    out.offset = p.ullOffset;
    out.size = p.ullSize;
    out.flags = p.ulFlags;
    if (p.PartitionStyle == VDS_PST_MBR) {
        out.mbrType = p.Mbr.partitionType;
        out.bootIndicator = p.Mbr.bootIndicator != 0;
        out.recognized = p.Mbr.recognizedPartition != 0;
    } else if (p.PartitionStyle == VDS_PST_GPT) {
        out.gptType = p.Gpt.partitionType;
        out.gptId = p.Gpt.partitionId;
        out.gptAttributes = p.Gpt.attributes;
        // The name fills its array when it is 36 characters long.
        const WCHAR* end = std::find(p.Gpt.name, p.Gpt.name + GPT_PARTITION_NAME_LENGTH, WCHAR{0});
        for (const WCHAR* c = p.Gpt.name; c != end; ++c) out.gptName.push_back(static_cast<char16_t>(*c));
    }
    return out;
}

sim::Volume volumeFrom(const VDS_VOLUME_PROP& p, const GUID& pack) {
    sim::Volume out;
    out.id = p.id;
    out.pack = pack;
    out.name = textOf(p.pwszName);
    out.type = p.type;
    out.status = p.status;
    out.health = p.health;
    out.transitionState = p.TransitionState;
    out.size = p.ullSize;
    out.flags = p.ulFlags;
    out.recommendedFileSystem = p.RecommendedFileSystemType;
    // Only a permanent dismount shows; a passing one leaves no trace a client reads.
    out.dismounted = (p.ulFlags & VDS_VF_PERMANENTLY_DISMOUNTED) != 0;
    return out;
}

std::optional<sim::FileSystem> fileSystemFrom(const VDS_FILE_SYSTEM_PROP& p) {
    const std::u16string label = textOf(p.pwszLabel);
    if (p.type == VDS_FST_RAW && p.ulFlags == 0 && p.ullTotalAllocationUnits == 0 &&
        p.ullAvailableAllocationUnits == 0 && p.ulAllocationUnitSize == 0 && label.empty())
        return std::nullopt;
    sim::FileSystem out;
    out.type = p.type;
    out.flags = p.ulFlags;
    out.allocationUnitSize = p.ulAllocationUnitSize;
    out.totalAllocationUnits = p.ullTotalAllocationUnits;
    out.availableAllocationUnits = p.ullAvailableAllocationUnits;
    out.label = label;
    return out;
}

sim::VolumePlex volumePlexFrom(const VDS_VOLUME_PLEX_PROP& p, const GUID& volume) {
    sim::VolumePlex out;
    out.id = p.id;
    out.volume = volume;
    out.type = p.type;
    out.status = p.status;
    out.health = p.health;
    out.transitionState = p.TransitionState;
    out.size = p.ullSize;
    out.stripeSize = p.ulStripeSize;
    out.numberOfMembers = p.ulNumberOfMembers;
    return out;
}

sim::DiskSpan diskSpanFrom(const VDS_DISK_EXTENT& e) {
    return sim::DiskSpan{e.diskId, e.ullOffset, e.ullSize, e.memberIdx};
}

void accessPathsInto(sim::Volume& v, const std::vector<std::u16string>& paths) {
    for (const auto& path : paths) {
        const bool letterOnly = path.size() == 3 && path[1] == u':' && path[2] == u'\\';
        if (letterOnly && v.driveLetter == 0) {
            char16_t letter = path[0];
            if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 0x20);
            v.driveLetter = letter;
        } else {
            v.mountFolders.push_back(path);
        }
    }
}

void DriveLayouts::add(const GUID& drive, const std::vector<VDS_DRIVE_EXTENT>& extents) {
    std::vector<Used>& used = used_[drive];
    std::uint64_t offset = 0;
    for (const auto& e : extents) {
        if (e.bUsed != FALSE) used.push_back({e.LunId, offset, e.ullSize, false});
        offset += e.ullSize;
    }
}

std::optional<std::uint64_t> DriveLayouts::place(const GUID& drive, const GUID& lun, std::uint64_t size) {
    auto it = used_.find(drive);
    if (it == used_.end()) return std::nullopt;
    for (Used& u : it->second)
        if (!u.placed && u.lun == lun && u.size == size) {
            u.placed = true;
            return u.offset;
        }
    return std::nullopt;
}

}  // namespace tolvane::capture
