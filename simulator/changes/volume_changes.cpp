#include "changes/volume_changes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "changes/access_paths.h"
#include "core/notices.h"
#include "model/model_edit.h"
#include "model/model_rules.h"
#include "model/partition_types.h"

namespace tolvane::sim {

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
// Volumes, their plexes and disks share the value.
constexpr std::int32_t kOnline = VDS_VS_ONLINE;
static_assert(kOnline == VDS_VPS_ONLINE && kOnline == VDS_DS_ONLINE);
constexpr std::size_t kMaxDisks = 32;
constexpr std::uint32_t kRawClusterSize = 4096;

// Flags a caller may set or clear, and those that may be set only until
// the last client lets go.
constexpr std::uint32_t kSettableFlags = VDS_VF_LBN_REMAP_ENABLED | VDS_VF_HIDDEN | VDS_VF_READONLY |
                                         VDS_VF_NO_DEFAULT_DRIVE_LETTER | VDS_VF_INSTALLABLE |
                                         VDS_VF_SHADOW_COPY;
constexpr std::uint32_t kRevertibleFlags =
    VDS_VF_READONLY | VDS_VF_HIDDEN | VDS_VF_NO_DEFAULT_DRIVE_LETTER | VDS_VF_SHADOW_COPY;

bool dynamicPack(const Model& m, const GUID& pack) { return isDynamicPack(m, m.packs.at(pack)); }

template <typename T>
bool listed(const std::vector<T>& items, const T& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

struct Gap {
    std::uint64_t offset;
    std::uint64_t size;
};

// Where volumes may lie on a disk and what already lies there: on a dynamic
// disk the LDM area and the plexes' stretches in it, on a basic disk the
// partition area and its partitions.
std::vector<Gap> freeGaps(const Model& m, const GUID& diskId) {
    const Disk& d = m.disks.at(diskId);
    std::uint64_t begin = std::min(kFirstPartitionByte, d.size);
    std::uint64_t end = d.size > 2 * kMiB ? d.size - kMiB : begin;
    std::vector<Gap> used;
    if (dynamicPack(m, d.pack)) {
        // Inside the LDM area, and never over a partition Windows kept (ESP, MSR).
        for (const Partition& p : d.partitions)
            if ((d.partitionStyle == VDS_PST_MBR && p.mbrType == kMbrLdm) ||
                (d.partitionStyle == VDS_PST_GPT && p.gptType == kGptLdmData)) {
                begin = p.offset;
                end = p.offset + p.size;
            } else if (partitionKind(d, p) != PartitionKind::Ldm) {
                used.push_back({p.offset, p.size});
            }
        for (const GUID& id : m.volumePlexesOnDisk(diskId))
            for (const DiskSpan& s : m.volumePlexes.at(id).extents)
                if (s.disk == diskId) used.push_back({s.offset, s.size});
    } else {
        for (const Partition& p : d.partitions) used.push_back({p.offset, p.size});
    }
    std::sort(used.begin(), used.end(), [](const Gap& a, const Gap& b) { return a.offset < b.offset; });
    std::vector<Gap> gaps;
    std::uint64_t cursor = begin;
    for (const Gap& u : used) {
        if (u.offset > cursor && cursor < end) gaps.push_back({cursor, std::min(u.offset, end) - cursor});
        cursor = std::max(cursor, u.offset + u.size);
    }
    if (end > cursor) gaps.push_back({cursor, end - cursor});
    return gaps;
}

// The first free stretch of the disk that holds `bytes` in one piece.
std::optional<std::uint64_t> placeOn(const Model& m, const GUID& disk, std::uint64_t bytes) {
    for (const Gap& g : freeGaps(m, disk))
        if (g.size >= bytes) return g.offset;
    return std::nullopt;
}

// Where a basic volume's partition of `bytes` goes on the disk, and the
// extended partition to make first, if any. As Windows lays out a basic
// volume on MBR: a primary partition while fewer than three are there and a
// free stretch outside the extended partition holds it; otherwise a logical
// drive, in the extended partition if there is one, else in one made over
// the largest free stretch, which keeps the last table entry for it.
struct BasicPlace {
    std::uint64_t offset = 0;
    std::optional<Partition> extended;
};

HRESULT placeBasic(const Model& m, const GUID& diskId, std::uint64_t bytes, BasicPlace& out) {
    const Disk& d = m.disks.at(diskId);
    const auto primary = placeOn(m, diskId, bytes);
    if (d.partitionStyle != VDS_PST_MBR || (primary && primaryCount(d) < 3)) {
        if (!primary) return VDS_E_NOT_ENOUGH_SPACE;
        out.offset = *primary;
        return S_OK;
    }
    if (extendedPartitionOf(d) != nullptr) {
        if (const auto at = firstLogicalStart(d, bytes)) {
            out.offset = *at;
            return S_OK;
        }
    } else if (partitionSlotLeft(d)) {
        std::optional<Gap> largest;
        for (const Gap& g : freeGaps(m, diskId))
            if (!largest || g.size > largest->size) largest = g;
        if (largest) {
            Disk planned = d;
            const Partition ext = extendedOver(d, largest->offset, largest->offset + largest->size);
            planned.partitions.insert(std::find_if(planned.partitions.begin(), planned.partitions.end(),
                                                   [&](const Partition& q) { return q.offset > ext.offset; }),
                                      ext);
            if (const auto at = firstLogicalStart(planned, bytes)) {
                out.offset = *at;
                out.extended = ext;
                return S_OK;
            }
        }
    }
    // Room for it, but no table entry left to file it in.
    return primary && !partitionSlotLeft(d) ? VDS_E_PARTITION_LIMIT_REACHED : VDS_E_NOT_ENOUGH_SPACE;
}

// The disks that hold a stretch of the volume.
std::vector<GUID> disksOf(const Model& m, const Volume& v) {
    std::vector<GUID> out;
    for (const GUID& plex : v.plexes)
        for (const DiskSpan& s : m.volumePlexes.at(plex).extents)
            if (!listed(out, s.disk)) out.push_back(s.disk);
    return out;
}

// A disk of the pack that a new stretch may be put on.
HRESULT usableDisk(const Model& m, const GUID& pack, const GUID& disk) {
    auto it = m.disks.find(disk);
    if (it == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
    if (it->second.pack != pack) return VDS_E_DISK_NOT_FOUND_IN_PACK;
    if (it->second.status == VDS_DS_MISSING) return VDS_E_MISSING_DISK;
    if (it->second.status != kOnline) return VDS_E_DISK_NOT_ONLINE;
    return S_OK;
}

HRESULT distinctDisks(const std::vector<VDS_INPUT_DISK>& disks) {
    for (std::size_t i = 0; i < disks.size(); ++i)
        for (std::size_t j = i + 1; j < disks.size(); ++j)
            if (disks[i].diskId == disks[j].diskId) return VDS_E_DUPLICATE_DISK;
    return S_OK;
}

// `count` new identifiers of one prefix.
std::vector<GUID> issueIds(Model& m, std::uint32_t prefix, std::size_t count) {
    std::vector<GUID> out;
    while (out.size() < count) out.push_back(m.issueId(prefix));
    return out;
}

std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// The device name the provider gives a new volume.
std::u16string deviceName(const Model& m, const Pack& pack, bool dynamic) {
    const std::string number = std::to_string(m.volumes.size() + 1);
    if (!dynamic) return ascii("\\\\?\\GLOBALROOT\\Device\\HarddiskVolume" + number);
    return ascii("\\\\?\\GLOBALROOT\\Device\\HarddiskDmVolumes\\") + pack.name + ascii("\\Volume" + number);
}

std::uint32_t clusterSize(const Volume& v) {
    return v.fileSystem && v.fileSystem->allocationUnitSize != 0 ? v.fileSystem->allocationUnitSize
                                                                  : kRawClusterSize;
}

// Only NTFS and unformatted volumes can change size under their file system.
bool resizable(const Volume& v) {
    return !v.fileSystem || v.fileSystem->type == VDS_FST_NTFS || v.fileSystem->type == VDS_FST_RAW;
}

// Grows or shrinks the file system by whole clusters to follow its volume.
void resizeFileSystem(Volume& v, std::int64_t bytes) {
    if (!v.fileSystem) return;
    FileSystem& fs = *v.fileSystem;
    const std::uint64_t units = static_cast<std::uint64_t>(bytes < 0 ? -bytes : bytes) / clusterSize(v);
    if (bytes >= 0) {
        fs.totalAllocationUnits += units;
        fs.availableAllocationUnits += units;
    } else {
        fs.totalAllocationUnits -= std::min(units, fs.totalAllocationUnits);
        fs.availableAllocationUnits -= std::min(units, fs.availableAllocationUnits);
    }
}

// A partition for a basic volume's stretch; the disk's table must have room.
HRESULT partitionFor(Model& m, const GUID& disk, std::uint64_t offset, std::uint64_t size) {
    Partition p;
    p.offset = offset;
    p.size = size;
    if (std::as_const(m.disks).at(disk).partitionStyle == VDS_PST_GPT) {
        p.gptType = kGptBasicData;
        p.gptName = u"Basic data partition";
    }
    return addPartition(m, disk, std::move(p));
}

Partition* partitionAt(Model& m, const GUID& disk, std::uint64_t offset) {
    for (Partition& p : m.disks.at(disk).partitions)
        if (p.offset == offset) return &p;
    return nullptr;
}

// The partitions of a basic volume that a change grew or shrank.
using ResizedPartitions = std::vector<DiskSpan>;

void resizePartition(Model& m, const GUID& disk, std::uint64_t offset, std::int64_t bytes,
                     ResizedPartitions& resized) {
    Partition* p = partitionAt(m, disk, offset);
    if (p == nullptr || bytes == 0) return;
    p->size = static_cast<std::uint64_t>(static_cast<std::int64_t>(p->size) + bytes);
    if (std::none_of(resized.begin(), resized.end(),
                     [&](const DiskSpan& s) { return s.disk == disk && s.offset == offset; }))
        resized.push_back({disk, offset, p->size, 0});
}

// A partition that is a volume is told as modified, and then the volume.
void tellResized(Batch& out, const GUID& volume, const ResizedPartitions& resized) {
    Batch told;
    for (const DiskSpan& s : resized) told.push_back(partitionNotice(s.disk, s.offset, Event::Modify));
    const auto volumeModified = std::find_if(out.begin(), out.end(), [&](const VDS_NOTIFICATION& n) {
        return n.objectType == VDS_NTT_VOLUME && n.Volume.ulEvent == VDS_NF_VOLUME_MODIFY &&
               n.Volume.volumeId == volume;
    });
    out.insert(volumeModified, told.begin(), told.end());
}

// A change told as every difference it made, before what it tells itself.
template <typename Edit>
ChangeFunction toldChange(Edit edit) {
    return [edit = std::move(edit)](Model& m, Batch& out) -> HRESULT {
        const HRESULT hr = edit(m, out);
        if (FAILED(hr)) return hr;
        Batch told;
        noteTouched(m, told);
        out.insert(out.begin(), told.begin(), told.end());
        return hr;
    };
}

// On a basic MBR disk, hiding or write-protecting is disk-wide: refused on
// every volume of a disk the running system lives on.
bool besideSystemOnMbr(const Model& m, const Volume& v) {
    if (dynamicPack(m, v.pack)) return false;
    for (const GUID& disk : disksOf(m, v)) {
        const Disk& d = m.disks.at(disk);
        if (d.partitionStyle == VDS_PST_MBR && carriesSystem(m, d)) return true;
    }
    return false;
}

Volume* findVolume(Model& m, const GUID& id) {
    auto it = m.volumes.find(id);
    return it == m.volumes.end() ? nullptr : &it->second;
}

// The stretches of a new volume, one per listed disk, before anything is filed.
struct Layout {
    std::vector<std::vector<DiskSpan>> plexes;
    std::int32_t plexType = kSimpleType;
    std::uint32_t members = 1;
    std::uint64_t size = 0;
    // Extended partitions to make on basic disks before the stretches' own.
    std::vector<std::pair<GUID, Partition>> containers;
};

std::size_t minimumDisks(std::int32_t type) {
    switch (type) {
    case kStripeType: case kMirrorType: return 2;
    case kParityType: return 3;
    default: return 1;
    }
}

HRESULT layOut(const Model& m, const NewVolume& r, Layout& out) {
    const bool striped = r.type == kStripeType || r.type == kParityType;
    std::uint64_t column = UINT64_MAX;
    for (const auto& d : r.disks) column = std::min<std::uint64_t>(column, d.ullSize);
    if (striped) column -= column % r.stripeSize;
    if (column == 0) return VDS_E_EXTENT_SIZE_LESS_THAN_MIN;

    out.plexType = r.type == kMirrorType ? kSimpleType : r.type;
    out.members = striped ? static_cast<std::uint32_t>(r.disks.size()) : 1;
    const bool dynamic = dynamicPack(m, r.pack);
    std::vector<DiskSpan> spans;
    for (std::size_t i = 0; i < r.disks.size(); ++i) {
        const GUID& disk = r.disks[i].diskId;
        const std::uint64_t bytes = r.type == kSimpleType || r.type == kSpanType ? r.disks[i].ullSize : column;
        BasicPlace place;
        if (dynamic) {
            const auto offset = placeOn(m, disk, bytes);
            if (!offset) return VDS_E_NOT_ENOUGH_SPACE;
            place.offset = *offset;
        } else if (const HRESULT hr = placeBasic(m, disk, bytes, place); FAILED(hr)) {
            return hr;
        }
        if (place.extended) out.containers.emplace_back(disk, *place.extended);
        spans.push_back({disk, place.offset, bytes, striped ? static_cast<std::uint32_t>(i) : 0});
    }
    if (r.type == kMirrorType) {
        for (const DiskSpan& s : spans) out.plexes.push_back({s});
        out.size = column;
    } else {
        out.plexes.push_back(spans);
        std::uint64_t raw = 0;
        for (const DiskSpan& s : spans) raw += s.size;
        out.size = plexCapacity(r.type, raw, out.members);
    }
    return S_OK;
}

// A plex that is still read, its redundancy failing or lost.
bool needsRepair(const VolumePlex& plex) {
    return plex.status == kOnline &&
           (plex.health == VDS_H_FAILING_REDUNDANCY || plex.health == VDS_H_FAILED_REDUNDANCY ||
            plex.health == VDS_H_FAILED_REDUNDANCY_FAILING);
}

}  // namespace

GUID nextVolumeId(Model& m) { return m.issueId(0x92000000u); }

HRESULT addPartitionVolume(Model& m, const GUID& disk, std::uint64_t offset, std::uint64_t size, GUID& made) {
    const GUID pack = std::as_const(m.disks).at(disk).pack;
    Volume v;
    v.id = nextVolumeId(m);
    v.pack = pack;
    v.name = deviceName(m, m.packs.at(pack), false);
    v.size = size;
    if (const HRESULT hr = addObject(m, v); FAILED(hr)) return hr;
    VolumePlex p;
    p.id = m.issueId(0x93000000u);
    p.volume = v.id;
    p.size = size;
    p.extents = {{disk, offset, size, 0}};
    if (const HRESULT hr = addObject(m, p); FAILED(hr)) return hr;
    made = v.id;
    return S_OK;
}

void settleVolumeType(Model& m, Volume& v) {
    if (v.plexes.size() > 1)
        v.type = kMirrorType;
    else if (!v.plexes.empty())
        v.type = m.volumePlexes.at(v.plexes.front()).type;
}

std::vector<std::uint32_t> unavailableMembers(const Model& m, const VolumePlex& plex) {
    std::vector<std::uint32_t> out = absentMembers(plex);
    for (const DiskSpan& s : plex.extents) {
        const Disk* d = m.disks.get(s.disk);
        if ((d == nullptr || d->status != kOnline) && !listed(out, s.member))
            out.push_back(s.member);
    }
    return out;
}

HRESULT checkCreateVolume(const Model& m, const NewVolume& r) {
    auto pit = m.packs.find(r.pack);
    if (pit == m.packs.end()) return VDS_E_OBJECT_NOT_FOUND;
    if (pit->second.status == VDS_PS_OFFLINE) return VDS_E_PACK_OFFLINE;
    if (r.type < kSimpleType || r.type > kParityType) return E_INVALIDARG;
    if (!dynamicPack(m, r.pack) && r.type != kSimpleType) return VDS_E_NOT_SUPPORTED;
    const bool striped = r.type == kStripeType || r.type == kParityType;
    if (striped ? (r.stripeSize == 0 || (r.stripeSize & (r.stripeSize - 1)) != 0) : r.stripeSize != 0)
        return VDS_E_INVALID_STRIPE_SIZE;
    if (r.disks.size() > kMaxDisks) return VDS_E_VOLUME_DISK_COUNT_MAX_EXCEEDED;
    if (r.disks.size() < minimumDisks(r.type) || (r.type == kSimpleType && r.disks.size() != 1))
        return VDS_E_INVALID_DISK_COUNT;
    if (const HRESULT hr = distinctDisks(r.disks); FAILED(hr)) return hr;
    for (std::size_t i = 0; i < r.disks.size(); ++i) {
        if (const HRESULT hr = usableDisk(m, r.pack, r.disks[i].diskId); FAILED(hr)) return hr;
        if (r.disks[i].ullSize == 0) return VDS_E_EXTENT_SIZE_LESS_THAN_MIN;
        if (striped && r.disks[i].memberIdx != static_cast<ULONG>(i)) return VDS_E_INVALID_MEMBER_ORDER;
    }
    Layout layout;
    return layOut(m, r, layout);
}

namespace {

ChangeFunction makeVolume(const NewVolume& r, GUID volumeId) {
    return toldChange([&r, volumeId](Model& m, Batch&) -> HRESULT {
        if (const HRESULT hr = checkCreateVolume(m, r); FAILED(hr)) return hr;
        Layout layout;
        if (const HRESULT hr = layOut(m, r, layout); FAILED(hr)) return hr;
        const bool dynamic = dynamicPack(m, r.pack);
        Volume v;
        v.id = volumeId;
        v.pack = r.pack;
        v.name = deviceName(m, m.packs.at(r.pack), dynamic);
        v.type = r.type;
        v.size = layout.size;
        if (const HRESULT hr = addObject(m, v); FAILED(hr)) return hr;
        for (const auto& [disk, ext] : layout.containers)
            if (const HRESULT hr = addPartition(m, disk, ext); FAILED(hr)) return hr;
        const auto plexIds = issueIds(m, 0x93000000u, layout.plexes.size());
        for (std::size_t i = 0; i < layout.plexes.size(); ++i) {
            VolumePlex p;
            p.id = plexIds[i];
            p.volume = volumeId;
            p.type = layout.plexType;
            p.size = layout.size;
            p.stripeSize = layout.plexType == kStripeType || layout.plexType == kParityType ? r.stripeSize : 0;
            p.numberOfMembers = layout.members;
            p.extents = layout.plexes[i];
            if (const HRESULT hr = addObject(m, p); FAILED(hr)) return hr;
            if (!dynamic)
                for (const DiskSpan& s : p.extents)
                    if (const HRESULT hr = partitionFor(m, s.disk, s.offset, s.size); FAILED(hr)) return hr;
        }
        return S_OK;
    });
}

}  // namespace

ChangeFunction createVolume(NewVolume request) {
    return ChangeFunction::Apply([r = std::move(request)](Model& m, Batch& out, ChangeOutput& output) {
        output.made = nextVolumeId(m);
        return makeVolume(r, output.made)(m, out);
    });
}

HRESULT checkExtendVolume(const Model& m, const GUID& volume, const std::vector<VDS_INPUT_DISK>& disks) {
    auto it = m.volumes.find(volume);
    if (it == m.volumes.end()) return S_OK;  // the call's entry answers for a volume gone
    const Volume& v = it->second;
    if (!resizable(v)) return VDS_E_CANNOT_EXTEND;
    if (disks.empty()) return S_OK;
    if (v.type != kSimpleType && v.type != kSpanType) return VDS_E_NOT_SUPPORTED;
    if (const HRESULT hr = distinctDisks(disks); FAILED(hr)) return hr;
    const bool dynamic = dynamicPack(m, v.pack);
    const VolumePlex& plex = m.volumePlexes.at(v.plexes.front());
    for (const VDS_INPUT_DISK& d : disks) {
        if (const HRESULT hr = usableDisk(m, v.pack, d.diskId); FAILED(hr)) return hr;
        if (d.ullSize == 0) return VDS_E_EXTENT_SIZE_LESS_THAN_MIN;
        if (!dynamic) {
            // A basic volume grows only into the space right behind it.
            const DiskSpan& last = plex.extents.back();
            if (disks.size() != 1 || d.diskId != last.disk) return VDS_E_EXTEND_MULTIPLE_DISKS_NOT_SUPPORTED;
            const auto gaps = freeGaps(m, d.diskId);
            const bool behind = std::any_of(gaps.begin(), gaps.end(), [&](const Gap& g) {
                return g.offset == last.offset + last.size && g.size >= d.ullSize;
            });
            if (!behind) return VDS_E_EXTENT_EXCEEDS_DISK_FREE_SPACE;
        } else if (!placeOn(m, d.diskId, d.ullSize)) {
            return VDS_E_EXTENT_EXCEEDS_DISK_FREE_SPACE;
        }
    }
    return S_OK;
}

ChangeFunction extendVolume(const GUID& volume, std::vector<VDS_INPUT_DISK> disks) {
    return [volume, disks = std::move(disks)](Model& machine, Batch& out) -> HRESULT {
        ResizedPartitions resized;
        const HRESULT result = toldChange([&](Model& m, Batch&) -> HRESULT {
            if (!m.volumes.count(volume)) return VDS_E_OBJECT_NOT_FOUND;
            if (const HRESULT hr = checkExtendVolume(m, volume, disks); FAILED(hr)) return hr;
            Volume& v = m.volumes.at(volume);
            if (disks.empty()) {
                // Nothing to add: the file system is grown to fill the volume.
                if (v.fileSystem) {
                    const std::uint64_t fits = v.size / clusterSize(v);
                    if (fits > v.fileSystem->totalAllocationUnits) {
                        v.fileSystem->availableAllocationUnits += fits - v.fileSystem->totalAllocationUnits;
                        v.fileSystem->totalAllocationUnits = fits;
                    }
                }
                return S_FALSE;
            }
            const bool dynamic = dynamicPack(m, v.pack);
            VolumePlex& plex = m.volumePlexes.at(v.plexes.front());
            std::uint64_t added = 0;
            for (const VDS_INPUT_DISK& d : disks) {
                if (!dynamic) {
                    DiskSpan& last = plex.extents.back();
                    resizePartition(m, last.disk, last.offset, static_cast<std::int64_t>(d.ullSize), resized);
                    last.size += d.ullSize;
                } else {
                    plex.extents.push_back({d.diskId, *placeOn(m, d.diskId, d.ullSize), d.ullSize, 0});
                }
                added += d.ullSize;
            }
            plex.size += added;
            v.size += added;
            if (disksOf(m, v).size() > 1) {
                v.type = kSpanType;
                plex.type = kSpanType;
            }
            resizeFileSystem(v, static_cast<std::int64_t>(added));
            return S_OK;
        })(machine, out);
        if (SUCCEEDED(result)) tellResized(out, volume, resized);
        return result;
    };
}

namespace {

// What a shrink by `bytes` gives back: whole clusters, and for a striped plex
// the same amount from every column.
std::uint64_t reclaimable(const Model& m, const Volume& v, std::uint64_t bytes) {
    const std::uint64_t cluster = clusterSize(v);
    bytes = (bytes + cluster - 1) / cluster * cluster;
    const VolumePlex& plex = m.volumePlexes.at(v.plexes.front());
    if (plex.type != kStripeType && plex.type != kParityType) return bytes;
    const std::uint64_t columns = plex.numberOfMembers - (plex.type == kParityType ? 1 : 0);
    return (bytes + columns - 1) / columns * columns;
}

// Takes `bytes` off the end of the plex (of every column, for a striped plex);
// on a basic disk its partitions shrink with it (`resized` not null).
void trimPlex(Model& m, VolumePlex& plex, std::uint64_t bytes, ResizedPartitions* resized) {
    const bool striped = plex.type == kStripeType || plex.type == kParityType;
    const std::uint64_t columns = striped ? plex.numberOfMembers - (plex.type == kParityType ? 1 : 0) : 1;
    if (striped) {
        for (DiskSpan& s : plex.extents) s.size -= bytes / columns;
    } else {
        for (std::size_t i = plex.extents.size(); i-- > 0 && bytes > 0;) {
            DiskSpan& s = plex.extents[i];
            const std::uint64_t cut = std::min(bytes, s.size);
            bytes -= cut;
            if (resized != nullptr) resizePartition(m, s.disk, s.offset, -static_cast<std::int64_t>(cut), *resized);
            if (cut == s.size)
                plex.extents.erase(plex.extents.begin() + static_cast<std::ptrdiff_t>(i));
            else
                s.size -= cut;
        }
    }
}

}  // namespace

HRESULT checkShrinkVolume(const Model& m, const GUID& volume, std::uint64_t bytes) {
    auto it = m.volumes.find(volume);
    if (it == m.volumes.end()) return S_OK;  // the call's entry answers for a volume gone
    const Volume& v = it->second;
    if (bytes == 0) return E_INVALIDARG;
    if (!resizable(v)) return VDS_E_CANNOT_SHRINK;
    const std::uint64_t reclaimed = reclaimable(m, v, bytes);
    if (reclaimed < kMiB) return VDS_E_SHRINK_SIZE_LESS_THAN_MIN;
    std::uint64_t used = 0;
    if (v.fileSystem)
        used = (v.fileSystem->totalAllocationUnits - v.fileSystem->availableAllocationUnits) * clusterSize(v);
    // Never below what the file system holds, and never to nothing.
    if (reclaimed >= v.size || v.size - reclaimed < used) return VDS_E_SHRINK_SIZE_TOO_BIG;
    return S_OK;
}

ChangeFunction shrinkVolume(const GUID& volume, std::uint64_t bytes) {
    return ChangeFunction::Apply([volume, bytes](Model& machine, Batch& out, ChangeOutput& output) {
        ResizedPartitions resized;
        const HRESULT result = toldChange([&](Model& m, Batch&) -> HRESULT {
            if (!m.volumes.count(volume)) return VDS_E_OBJECT_NOT_FOUND;
            if (const HRESULT hr = checkShrinkVolume(m, volume, bytes); FAILED(hr)) return hr;
            Volume& v = m.volumes.at(volume);
            const std::uint64_t cut = reclaimable(m, v, bytes);
            const bool basic = !dynamicPack(m, v.pack);
            for (const GUID& id : v.plexes) {
                VolumePlex& plex = m.volumePlexes.at(id);
                trimPlex(m, plex, cut, basic ? &resized : nullptr);
                plex.size -= cut;
            }
            v.size -= cut;
            resizeFileSystem(v, -static_cast<std::int64_t>(cut));
            output.reclaimed = cut;
            return S_OK;
        })(machine, out);
        if (SUCCEEDED(result)) tellResized(out, volume, resized);
        return result;
    });
}

// A basic volume's partition goes with it; a logical drive that was the
// last in its extended partition takes the extended partition along.
void removeBasicPartition(Model& m, const GUID& disk, std::uint64_t offset, std::vector<DiskSpan>& departed) {
    Disk& d = m.disks.at(disk);
    const Partition* p = partitionAt(std::as_const(d), offset);
    if (p == nullptr) return;
    const bool logical = isLogicalDrive(d, *p);
    std::erase_if(d.partitions, [&](const Partition& q) { return q.offset == offset; });
    departed.push_back({disk, offset, 0, 0});
    if (!logical) return;
    const Partition* ext = extendedPartitionOf(d);
    if (ext == nullptr || logicalDriveCount(d) != 0) return;
    const std::uint64_t at = ext->offset;
    std::erase_if(d.partitions, [&](const Partition& q) { return q.offset == at; });
    departed.push_back({disk, at, 0, 0});
}


ChangeFunction deleteVolume(const GUID& volume, bool force) {
    return [volume, force](Model& m, Batch& out) -> HRESULT {
        Volume* found = findVolume(m, volume);
        if (found == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (m.packs.at(found->pack).status == VDS_PS_OFFLINE) return VDS_E_PACK_OFFLINE;
        if (systemVolume(m, *found)) return VDS_E_OPERATION_DENIED;
        // The dismount that force skips fails while volumes are mounted in it.
        if (!force && volumeInUse(m, volume)) return VDS_E_DEVICE_IN_USE;
        const Volume v = *found;
        const bool basic = !dynamicPack(m, v.pack);
        std::vector<DiskSpan> spans;
        for (const GUID& plex : v.plexes)
            for (const DiskSpan& s : m.volumePlexes.at(plex).extents) spans.push_back(s);
        const std::vector<GUID> unmounted = removeVolume(m, volume);
        std::vector<DiskSpan> departed;  // partitions gone, in the order told
        if (basic)
            for (const DiskSpan& s : spans) removeBasicPartition(m, s.disk, s.offset, departed);

        note(out, Kind::Volume, volume, Event::Depart);
        for (const DiskSpan& s : departed) out.push_back(partitionNotice(s.disk, s.offset, Event::Depart));
        if (v.driveLetter != 0) out.push_back(driveLetterNotice(v.driveLetter, nullptr));
        for (const GUID& id : unmounted) out.push_back(mountPointsNotice(id));
        std::vector<GUID> told;
        for (const DiskSpan& s : spans)
            if (!listed(told, s.disk)) {
                told.push_back(s.disk);
                note(out, Kind::Disk, s.disk, Event::Modify);
            }
        return S_OK;
    };
}

ChangeFunction setVolumeFlags(const GUID& volume, std::uint32_t flags, bool revertOnClose) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        Volume* v = findVolume(m, volume);
        if (v == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (flags == 0 || (flags & ~kSettableFlags) != 0) return VDS_E_INVALID_VOLUME_FLAG;
        if (systemVolume(m, *v) || ((flags & (VDS_VF_HIDDEN | VDS_VF_READONLY)) != 0 && besideSystemOnMbr(m, *v)))
            return VDS_E_OPERATION_DENIED;
        if (revertOnClose &&
            ((flags & ~kRevertibleFlags) != 0 || (flags & (VDS_VF_HIDDEN | VDS_VF_READONLY)) == 0))
            return VDS_E_REVERT_ON_CLOSE;
        v->flags |= flags;
        return S_OK;
    });
}

ChangeFunction clearVolumeFlags(const GUID& volume, std::uint32_t flags) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        Volume* v = findVolume(m, volume);
        if (v == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (flags == 0 || (flags & ~kSettableFlags) != 0) return VDS_E_INVALID_VOLUME_FLAG;
        v->flags &= ~flags;
        return S_OK;
    });
}

HRESULT checkPlexOperation(const Model& m, const GUID& volume) {
    auto it = m.volumes.find(volume);
    if (it == m.volumes.end()) return S_OK;  // the call's entry answers for a volume gone
    return dynamicPack(m, it->second.pack) ? S_OK : VDS_E_NOT_SUPPORTED;
}

namespace {

// A volume whose plexes may become plexes of another: whole and healthy,
// each plex in one stretch of one disk, the copy kept where it lies.
HRESULT mayBecomePlexes(const Model& m, const Volume& v) {
    if (v.health != VDS_H_HEALTHY) return VDS_E_VOLUME_NOT_HEALTHY;
    for (const GUID& id : v.plexes) {
        const VolumePlex& p = m.volumePlexes.at(id);
        if (p.status != kOnline || p.health != VDS_H_HEALTHY) return VDS_E_VOLUME_NOT_HEALTHY;
    }
    for (const GUID& id : v.plexes) {
        const auto& extents = m.volumePlexes.at(id).extents;
        const auto elsewhere = [&](const DiskSpan& s) { return s.disk != extents.front().disk; };
        if (std::any_of(extents.begin(), extents.end(), elsewhere)) return VDS_E_VOLUME_SPANS_DISKS;
    }
    for (const GUID& id : v.plexes)
        if (m.volumePlexes.at(id).extents.size() > 1) return VDS_E_REQUIRES_CONTIGUOUS_DISK_SPACE;
    return S_OK;
}

}  // namespace

ChangeFunction addVolumePlex(const GUID& volume, const GUID& source) {
    return toldChange([=](Model& m, Batch& out) -> HRESULT {
        Volume* target = findVolume(m, volume);
        if (target == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (const HRESULT hr = checkPlexOperation(m, volume); FAILED(hr)) return hr;
        Volume* from = findVolume(m, source);
        if (from == nullptr) return VDS_E_OBJECT_NOT_FOUND;
        if (source == volume) return E_INVALIDARG;
        if (from->pack != target->pack) return VDS_E_VOLUME_NOT_FOUND_IN_PACK;
        if (target->status != kOnline || from->status != kOnline) return VDS_E_VOLUME_NOT_ONLINE;
        if (systemVolume(m, *from)) return VDS_E_OPERATION_DENIED;
        if (const HRESULT hr = mayBecomePlexes(m, *from); FAILED(hr)) return hr;
        if (from->size < target->size) return VDS_E_VOLUME_TOO_SMALL;
        const auto ours = disksOf(m, *target);
        for (const GUID& d : disksOf(m, *from))
            if (listed(ours, d)) return VDS_E_DISK_IN_USE_BY_VOLUME;

        // Every plex of the source joins the target, which keeps its size;
        // the source volume itself is gone, and whatever was mounted in it.
        const std::vector<GUID> plexes = from->plexes.toVector();
        from->plexes.clear();
        removeVolume(m, source);
        target = findVolume(m, volume);
        for (const GUID& plex : plexes) {
            VolumePlex& p = m.volumePlexes.at(plex);
            p.volume = volume;
            p.size = target->size;
            target->plexes.push_back(plex);
        }
        settleVolumeType(m, *target);
        for (const GUID& plex : plexes) out.push_back(rebuildProgressNotice(volume, plex, 100));
        return S_OK;
    });
}

namespace {

// A plex that may leave its volume: one of the volume's own, never its last
// (that goes only with the volume, by Delete), from a volume that is online.
HRESULT plexMayLeave(const Model& m, const GUID& volume, const GUID& plex) {
    auto it = m.volumes.find(volume);
    if (it == m.volumes.end()) return VDS_E_OBJECT_NOT_FOUND;
    if (const HRESULT hr = checkPlexOperation(m, volume); FAILED(hr)) return hr;
    const Volume& v = it->second;
    if (!v.plexes.contains(plex)) return VDS_E_OBJECT_NOT_FOUND;
    if (v.plexes.size() < 2) return VDS_E_VOLUME_NOT_A_MIRROR;
    if (v.status != kOnline) return VDS_E_VOLUME_NOT_ONLINE;
    return S_OK;
}

}  // namespace

namespace {

ChangeFunction splitOff(const GUID& volume, const GUID& plex, GUID newVolume) {
    return toldChange([=](Model& m, Batch&) -> HRESULT {
        if (const HRESULT hr = plexMayLeave(m, volume, plex); FAILED(hr)) return hr;
        Volume* v = findVolume(m, volume);
        if (systemVolume(m, *v)) return VDS_E_CRITICAL_PLEX;
        // What stays must still be a whole volume.
        const bool othersHealthy = std::any_of(v->plexes.begin(), v->plexes.end(), [&](const GUID& id) {
            const VolumePlex& p = m.volumePlexes.at(id);
            return id != plex && p.status == kOnline && p.health == VDS_H_HEALTHY;
        });
        if (!othersHealthy) return VDS_E_VOLUME_NOT_HEALTHY;

        // The plex becomes a volume of its own in the same pack, with the
        // same data and no access path.
        Volume broken;
        broken.id = newVolume;
        broken.pack = v->pack;
        broken.name = deviceName(m, m.packs.at(v->pack), true);
        broken.size = m.volumePlexes.at(plex).size;
        broken.fileSystem = v->fileSystem;
        broken.recommendedFileSystem = v->recommendedFileSystem;
        if (const HRESULT hr = addObject(m, broken); FAILED(hr)) return hr;
        v = findVolume(m, volume);
        v->plexes.erase(plex);
        m.volumePlexes.at(plex).volume = newVolume;
        Volume& made = m.volumes.at(newVolume);
        made.plexes.push_back(plex);
        settleVolumeType(m, made);
        settleVolumeType(m, *v);
        return S_OK;
    });
}

}  // namespace

ChangeFunction breakVolumePlex(const GUID& volume, const GUID& plex) {
    return ChangeFunction::Apply([volume, plex](Model& m, Batch& out, ChangeOutput& output) {
        output.made = nextVolumeId(m);
        return splitOff(volume, plex, output.made)(m, out);
    });
}

ChangeFunction removeVolumePlex(const GUID& volume, const GUID& plex) {
    return toldChange([=](Model& m, Batch&) -> HRESULT {
        if (const HRESULT hr = plexMayLeave(m, volume, plex); FAILED(hr)) return hr;
        removeObject(m, plex);
        settleVolumeType(m, m.volumes.at(volume));
        return S_OK;
    });
}

HRESULT checkRepairPlex(const Model& m, const GUID& plexId, const std::vector<VDS_INPUT_DISK>& disks) {
    auto it = m.volumePlexes.find(plexId);
    if (it == m.volumePlexes.end()) return S_OK;  // the call's entry answers for a plex gone
    const VolumePlex& plex = it->second;
    const Volume& v = m.volumes.at(plex.volume);
    if (!dynamicPack(m, v.pack)) return VDS_E_NOT_SUPPORTED;
    // Only a parity plex is rebuilt member by member; a mirror is mended by
    // adding a plex of another volume.
    if (plex.type != kParityType) return VDS_E_NOT_SUPPORTED;
    if (disks.size() != 1) return VDS_E_INVALID_DISK_COUNT;
    if (v.status != kOnline || !needsRepair(plex)) return VDS_E_REPAIR_VOLUMESTATE;
    const GUID& disk = disks.front().diskId;
    if (const HRESULT hr = usableDisk(m, v.pack, disk); FAILED(hr)) return hr;
    if (listed(disksOf(m, v), disk)) return VDS_E_DISK_IN_USE_BY_VOLUME;
    return S_OK;
}

ChangeFunction repairVolumePlex(const GUID& plexId, std::vector<VDS_INPUT_DISK> disks) {
    return toldChange([plexId, disks = std::move(disks)](Model& m, Batch& out) -> HRESULT {
        auto it = m.volumePlexes.find(plexId);
        if (it == m.volumePlexes.end()) return VDS_E_OBJECT_NOT_FOUND;
        if (const HRESULT hr = checkRepairPlex(m, plexId, disks); FAILED(hr)) return hr;
        const GUID disk = disks.front().diskId;
        VolumePlex plex = it->second;
        // The members that no longer serve (gone with their disk, or on a
        // disk out of service) are laid anew on the new disk, each as large
        // as the largest member left, and rebuilt from the others.
        const std::vector<std::uint32_t> lost = unavailableMembers(m, plex);
        const auto isLost = [&](std::uint32_t member) { return listed(lost, member); };
        if (lost.empty() || lost.size() >= plex.numberOfMembers) return VDS_E_REPAIR_VOLUMESTATE;
        std::vector<std::uint64_t> columns(plex.numberOfMembers, 0);
        for (const DiskSpan& s : plex.extents)
            if (s.member < columns.size()) columns[s.member] += s.size;
        const std::uint64_t column = *std::max_element(columns.begin(), columns.end());
        const auto offset = placeOn(m, disk, column * lost.size());
        if (!offset) return VDS_E_NOT_ENOUGH_SPACE;
        std::erase_if(plex.extents, [&](const DiskSpan& s) { return isLost(s.member); });
        std::uint64_t at = *offset;
        for (std::uint32_t member : lost) {
            plex.extents.push_back({disk, at, column, member});
            at += column;
        }
        std::stable_sort(plex.extents.begin(), plex.extents.end(),
                  [](const DiskSpan& a, const DiskSpan& b) { return a.member < b.member; });
        plex.status = kOnline;
        plex.health = VDS_H_HEALTHY;
        m.volumePlexes.at(plexId) = plex;
        Volume& v = m.volumes.at(plex.volume);
        v.health = VDS_H_HEALTHY;
        out.push_back(rebuildProgressNotice(v.id, plexId, 100));
        return S_OK;
    });
}

}  // namespace tolvane::sim
