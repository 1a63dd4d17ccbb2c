#include "changes/disk_changes.h"

#include <algorithm>
#include <map>

#include "changes/access_paths.h"
#include "changes/volume_changes.h"
#include "core/notices.h"
#include "model/model_edit.h"
#include "model/model_rules.h"
#include "model/partition_types.h"

namespace tolvane::sim {

namespace {

constexpr std::uint32_t kReadOnly = VDS_DF_READ_ONLY;

// Volume labels as the file systems keep them.
constexpr std::size_t kFatLabelLength = 11;
constexpr std::size_t kLabelLength = 32;
constexpr std::uint32_t kSmallestCluster = 512;
constexpr std::uint32_t kLargestCluster = 64 * 1024;

// A change told as every difference it made, the letters of partitions included.
template <typename Edit>
ChangeFunction toldAsDifferences(Edit edit) {
    return [edit = std::move(edit)](Model& m, Batch& out) -> HRESULT {
        const HRESULT hr = edit(m);
        if (FAILED(hr)) return hr;
        noteTouched(m, out);
        notePartitionLetters(m, out);
        return hr;
    };
}

Disk* findDisk(Model& m, const GUID& disk) {
    auto it = m.disks.find(disk);
    return it == m.disks.end() ? nullptr : &it->second;
}

// The disk, basic and partitioned, that a partition method may work on.
HRESULT partitionableDisk(const Model& m, const GUID& id, const Disk*& disk) {
    auto it = m.disks.find(id);
    if (it == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
    disk = &it->second;
    if (isRemovableDisk(*disk)) return VDS_E_INVALID_OPERATION;
    if (disk->partitionStyle == 0) return VDS_E_DISK_NOT_INITIALIZED;
    if (isDynamicDisk(m, *disk)) return VDS_E_NOT_SUPPORTED;
    return S_OK;
}

// The partition at `offset` that the service formats and letters itself.
HRESULT servicedPartition(const Model& m, const GUID& id, std::uint64_t offset, const Partition*& partition) {
    auto it = m.disks.find(id);
    if (it == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
    const Disk& disk = it->second;
    if (isRemovableDisk(disk)) return VDS_E_INVALID_OPERATION;
    partition = partitionAt(disk, offset);
    if (partition == nullptr) return VDS_E_OBJECT_NOT_FOUND;
    if (!servicedAsPartition(m, disk, *partition)) return VDS_E_INVALID_OPERATION;
    return S_OK;
}

// The same, for a call that would overwrite it: never the partition the
// machine starts from.
HRESULT writablePartition(const Model& m, const GUID& id, std::uint64_t offset, const Partition*& partition) {
    if (const HRESULT hr = servicedPartition(m, id, offset, partition); hr != S_OK) return hr;
    if (systemPartition(m, m.disks.at(id), *partition)) return VDS_E_OPERATION_DENIED;
    return S_OK;
}

Partition& partitionIn(Model& m, const GUID& disk, std::uint64_t offset) {
    Disk& d = m.disks.at(disk);
    return *std::find_if(d.partitions.begin(), d.partitions.end(),
                         [&](const Partition& p) { return p.offset == offset; });
}

char16_t upper(char16_t letter) {
    return letter >= u'a' && letter <= u'z' ? static_cast<char16_t>(letter - 0x20) : letter;
}

bool isLetter(char16_t letter) { return letter >= u'A' && letter <= u'Z'; }

bool onlyReadOnly(std::uint32_t flags) { return flags == kReadOnly; }

ChangeFunction changeDiskFlags(const GUID& disk, std::uint32_t flags, bool set) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        Disk* d = findDisk(m, disk);
        if (d == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (!onlyReadOnly(flags)) return E_INVALIDARG;
        if (d->partitionStyle == 0) return VDS_E_DISK_NOT_INITIALIZED;
        if (set)
            if (const HRESULT refused = systemDiskRefusal(m, *d); refused != S_OK) return refused;
        const std::uint32_t now = set ? (d->flags | flags) : (d->flags & ~flags);
        if (now == d->flags) return S_OK;
        d->flags = now;
        return S_OK;
    });
}

}  // namespace

ChangeFunction convertStyle(const GUID& disk, std::int32_t style) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        Disk* d = findDisk(m, disk);
        if (d == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (style != VDS_PST_MBR && style != VDS_PST_GPT) return E_INVALIDARG;
        if (isRemovableDisk(*d) || d->partitionStyle == 0) return VDS_E_INVALID_OPERATION;
        // Only what the style itself keeps may be on a disk that changes style.
        for (const Partition& p : d->partitions)
            if (servicedAsPartition(m, *d, p) || m.volumeAt(disk, p.offset) != nullptr ||
                partitionKind(*d, p) == PartitionKind::Extended)
                return VDS_E_DISK_NOT_EMPTY;
        if (!volumesOnDisk(m, disk).empty() || carriesSystem(m, *d)) return VDS_E_DISK_NOT_EMPTY;
        if (d->partitionStyle == style) return S_OK;
        writePartitionStyle(*d, style);
        return S_OK;
    });
}

ChangeFunction setDiskFlags(const GUID& disk, std::uint32_t flags) { return changeDiskFlags(disk, flags, true); }
ChangeFunction clearDiskFlags(const GUID& disk, std::uint32_t flags) { return changeDiskFlags(disk, flags, false); }

NewPartition newPartitionFromVds(std::uint64_t offset, std::uint64_t size, const CREATE_PARTITION_PARAMETERS& p) {
    NewPartition n;
    n.offset = offset;
    n.size = size;
    n.style = p.style;
    if (p.style == VDS_PST_MBR) {
        n.mbrType = p.MbrPartInfo.partitionType;
        n.bootIndicator = p.MbrPartInfo.bootIndicator != 0;
    } else if (p.style == VDS_PST_GPT) {
        n.gptType = p.GptPartInfo.partitionType;
        n.gptId = p.GptPartInfo.partitionId;
        n.gptAttributes = p.GptPartInfo.attributes;
        for (WCHAR c : p.GptPartInfo.name) {
            if (c == 0) break;
            n.gptName.push_back(static_cast<char16_t>(c));
        }
    }
    return n;
}

HRESULT checkCreatePartition(const Model& m, const GUID& disk, const NewPartition& p, std::uint64_t& start) {
    const Disk* d = nullptr;
    if (const HRESULT hr = partitionableDisk(m, disk, d); hr != S_OK) return hr;
    if (p.style != d->partitionStyle || p.size == 0) return E_INVALIDARG;
    return placePartition(*d, p.offset, p.size, start, p.style == VDS_PST_MBR && isExtendedType(p.mbrType));
}

ChangeFunction createPartition(const GUID& disk, NewPartition p) {
    return ChangeFunction::Apply([=](Model& machine, Batch& out, ChangeOutput& output) -> HRESULT {
        return tellingDifferences([&](Model& m) -> HRESULT {
            std::uint64_t at = 0;
            if (const HRESULT hr = checkCreatePartition(m, disk, p, at); hr != S_OK) return hr;
            Partition made;
            made.offset = at;
            made.size = p.size;
            // Only the fields of the disk's own style: the others keep the
            // values every partition of that style has, however it was made.
            if (p.style == VDS_PST_MBR) {
                made.mbrType = p.mbrType;
                made.bootIndicator = p.bootIndicator;
            } else {
                made.gptType = p.gptType;
                made.gptId = p.gptId;
                made.gptAttributes = p.gptAttributes;
                made.gptName = p.gptName;
            }
            const Disk& d = std::as_const(m.disks).at(disk);
            const bool volume = isDataPartition(d, made);
            if (const HRESULT hr = addPartition(m, disk, std::move(made)); FAILED(hr)) return hr;
            output.offset = at;
            // On a basic disk a partition that holds a file system is a volume.
            if (volume) return addPartitionVolume(m, disk, at, p.size, output.made);
            return S_OK;
        })(machine, out);
    });
}

ChangeFunction deletePartition(const GUID& disk, std::uint64_t offset, bool force, bool forceProtected) {
    return toldAsDifferences([=](Model& m) -> HRESULT {
        const Disk* d = nullptr;
        if (const HRESULT hr = partitionableDisk(m, disk, d); hr != S_OK) return hr;
        const Partition* p = partitionAt(*d, offset);
        if (p == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (p == extendedPartitionOf(*d) && logicalDriveCount(*d) != 0) return VDS_E_PARTITION_NOT_EMPTY;
        const Volume* v = m.volumeAt(disk, offset);
        if (systemPartition(m, *d, *p) || (v != nullptr && systemVolume(m, *v))) return VDS_E_OPERATION_DENIED;
        if (isProtectedPartition(*d, *p) && !forceProtected) return VDS_E_PARTITION_PROTECTED;
        // A file system cannot be locked while it is in use; force dismounts it.
        const bool inUse = v != nullptr ? volumeInUse(m, v->id) : p->driveLetter != 0;
        if (inUse && !force) return VDS_E_DEVICE_IN_USE;
        // The volume goes with its identifier, so the identifier is kept apart from it.
        if (v != nullptr) {
            const GUID volume = v->id;
            removeVolume(m, volume);
        }
        auto& parts = m.disks.at(disk).partitions;
        parts.erase(std::find_if(parts.begin(), parts.end(), [&](const Partition& q) { return q.offset == offset; }));
        return S_OK;
    });
}

HRESULT checkFormatPartition(const Model& m, const GUID& disk, std::uint64_t offset) {
    const Partition* p = nullptr;
    return writablePartition(m, disk, offset, p);
}

ChangeFunction formatPartition(const GUID& disk, PartitionFormat f) {
    return [=](Model& m, Batch& out) -> HRESULT {
        const Partition* found = nullptr;
        if (const HRESULT hr = writablePartition(m, disk, f.offset, found); hr != S_OK) return hr;
        const Disk& d = m.disks.at(disk);
        if (f.type != VDS_FST_NTFS && f.type != VDS_FST_FAT && f.type != VDS_FST_FAT32 && f.type != VDS_FST_UDF)
            return VDS_E_INCOMPATIBLE_FILE_SYSTEM;
        if ((d.flags & kReadOnly) != 0) return VDS_E_MEDIA_WRITE_PROTECTED;
        if (f.allocationUnit != 0) {
            if ((f.allocationUnit & (f.allocationUnit - 1)) != 0) return E_INVALIDARG;
            if (f.allocationUnit < kSmallestCluster) return VDS_E_CLUSTER_SIZE_TOO_SMALL;
            if (f.allocationUnit > kLargestCluster) return VDS_E_CLUSTER_SIZE_TOO_BIG;
        }
        const bool fat = f.type == VDS_FST_FAT || f.type == VDS_FST_FAT32;
        if (f.label.size() > (fat ? kFatLabelLength : kLabelLength)) return VDS_E_BAD_LABEL;
        if (found->driveLetter != 0 && !f.force) return VDS_E_DEVICE_IN_USE;
        Partition& p = partitionIn(m, disk, f.offset);
        p.fileSystem = f.type;
        p.label = f.hasLabel ? f.label : std::u16string();
        // An OEM partition formatted NTFS becomes an ordinary installable file system.
        const bool typeChanges = d.partitionStyle == VDS_PST_MBR && f.type == VDS_FST_NTFS &&
                                 p.mbrType != kMbrInstallableFileSystem;
        if (typeChanges) p.mbrType = kMbrInstallableFileSystem;
        out.push_back(formatProgressNotice(GUID{}, 100));
        if (typeChanges) out.push_back(partitionNotice(disk, f.offset, Event::Modify));
        return S_OK;
    };
}

HRESULT checkClean(const Model& m, const GUID& disk, bool force, bool forceOem) {
    auto it = m.disks.find(disk);
    if (it == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
    const Disk& d = it->second;
    if (isRemovableDisk(d)) return VDS_E_INVALID_OPERATION;
    if (carriesSystem(m, d)) return VDS_E_OPERATION_DENIED;
    // Data volumes and an ESP need force, OEM partitions their own force;
    // MSR and LDM areas do not count. The basic provider denies the clean;
    // the dynamic one calls the disk not empty.
    const HRESULT notEmpty = isDynamicDisk(m, d) ? VDS_E_DISK_NOT_EMPTY : VDS_E_OPERATION_DENIED;
    bool holdsData = !volumesOnDisk(m, disk).empty();
    for (const Partition& p : d.partitions) {
        const PartitionKind kind = partitionKind(d, p);
        if (kind == PartitionKind::Oem && !forceOem) return notEmpty;
        if (kind == PartitionKind::Esp) holdsData = true;
    }
    if (holdsData && !force) return notEmpty;
    return S_OK;
}

ChangeFunction cleanDisk(const GUID& disk, bool force, bool forceOem) {
    return toldAsDifferences([=](Model& m) -> HRESULT {
        if (const HRESULT hr = checkClean(m, disk, force, forceOem); hr != S_OK) return hr;
        for (const GUID& v : volumesOnDisk(m, disk)) removeVolume(m, v);
        // The disk is the service's again, as AddDisk found it; a basic pack
        // lives only around its one disk.
        const GUID pack = std::as_const(m.disks).at(disk).pack;
        writePartitionStyle(m.disks.at(disk), 0);
        if (isNullGuid(pack)) return S_OK;
        moveDisk(m, disk, GUID{});
        const Pack& left = std::as_const(m.packs).at(pack);
        if (!isDynamicPack(m, left) && left.disks.empty() && left.volumes.empty()) removeObject(m, pack);
        return S_OK;
    });
}

HRESULT partitionDriveLetter(const Model& m, const GUID& disk, std::uint64_t offset, char16_t& letter) {
    letter = 0;
    const Partition* p = nullptr;
    if (const HRESULT hr = servicedPartition(m, disk, offset, p); hr != S_OK) return hr;
    if (p->driveLetter == 0) return VDS_E_OBJECT_NOT_FOUND;
    letter = p->driveLetter;
    return S_OK;
}

// A letter is the service's own business: it is told as the letter alone,
// not as a change of the disk.
ChangeFunction assignDriveLetter(const GUID& disk, std::uint64_t offset, char16_t letter) {
    return [=](Model& m, Batch& out) -> HRESULT {
        const Partition* p = nullptr;
        if (const HRESULT hr = servicedPartition(m, disk, offset, p); hr != S_OK) return hr;
        const char16_t wanted = upper(letter);
        if (!isLetter(wanted)) return VDS_E_INVALID_DRIVE_LETTER;
        if (driveLetterHolder(m, wanted)) return VDS_E_DRIVE_LETTER_NOT_FREE;
        // One letter to a partition: the old one goes first.
        if (p->driveLetter != 0) return VDS_E_INVALID_OPERATION;
        partitionIn(m, disk, offset).driveLetter = wanted;
        const GUID noVolume{};
        out.push_back(driveLetterNotice(wanted, &noVolume));
        return S_OK;
    };
}

ChangeFunction deleteDriveLetter(const GUID& disk, std::uint64_t offset, char16_t letter) {
    return [=](Model& m, Batch& out) -> HRESULT {
        const Partition* p = nullptr;
        if (const HRESULT hr = servicedPartition(m, disk, offset, p); hr != S_OK) return hr;
        if (p->driveLetter == 0 || p->driveLetter != upper(letter)) return VDS_E_INVALID_DRIVE_LETTER;
        partitionIn(m, disk, offset).driveLetter = 0;
        out.push_back(driveLetterNotice(upper(letter), nullptr));
        return S_OK;
    };
}

HRESULT queryPartitions(const Model& m, const GUID& disk) {
    const Disk& d = m.disks.at(disk);
    if (d.partitionStyle == 0) return VDS_E_DISK_NOT_INITIALIZED;
    return d.partitions.empty() ? S_FALSE : S_OK;
}

}  // namespace tolvane::sim
