#include "model/model_rules.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/partition_types.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

std::uint64_t plexCapacity(std::int32_t type, std::uint64_t rawBytes, std::uint32_t members) {
    if (type == kParityType && members > 1) return rawBytes / members * (members - 1);
    return rawBytes;
}

std::vector<std::uint32_t> absentMembers(const VolumePlex& plex) {
    std::set<std::uint32_t> present;
    for (const DiskSpan& s : plex.extents) present.insert(s.member);
    std::vector<std::uint32_t> out;
    for (std::uint32_t member = 0; member < std::min(plex.numberOfMembers, kMostPlexMembers); ++member)
        if (!present.count(member)) out.push_back(member);
    return out;
}

std::uint64_t volumePlexCapacity(const VolumePlex& plex) {
    std::uint64_t raw = 0;
    for (const DiskSpan& s : plex.extents) raw += s.size;
    // A parity plex short of one member still holds all its data: the column
    // it lost counts as large as the ones it kept.
    const auto present = plex.numberOfMembers - static_cast<std::uint32_t>(absentMembers(plex).size());
    if (plex.type == kParityType && present > 1 && present + 1 == plex.numberOfMembers)
        raw = raw / present * plex.numberOfMembers;
    return plexCapacity(plex.type, raw, plex.numberOfMembers);
}

std::string RuleBreak::text() const {
    return guidToText(object) + (field.empty() ? "" : "/" + field) + ": " + what;
}

namespace {

bool contains(const std::vector<GUID>& ids, const GUID& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}
bool contains(const IdList& ids, const GUID& id) { return ids.contains(id); }

struct Stretch {
    std::uint64_t begin;
    std::uint64_t end;
    GUID owner;
    std::string field;
};

class Checker {
public:
    explicit Checker(const Model& m) : m_(m) {}

    std::optional<RuleBreak> run() {
        indexes();
        if (!broken_) hardware();
        if (!broken_) software();
        return broken_;
    }

private:
    const Model& m_;
    std::optional<RuleBreak> broken_;

    // Records the first break only; later checks keep going but say nothing.
    bool fail(const GUID& object, std::string field, std::string what) {
        if (!broken_) broken_ = RuleBreak{object, std::move(field), std::move(what)};
        return false;
    }

    template <typename Map>
    void indexed(const Map& objects, Kind kind, std::size_t& counted) {
        for (const auto& [id, object] : objects) {
            ++counted;
            if (object.id != id) fail(id, "id", "is filed under another identifier");
            auto k = m_.kindOf(id);
            if (!k || *k != kind) fail(id, "", "is missing from the kind index or filed as another kind");
        }
    }

    // Every object has its kind, every kind its object; parent and child
    // point at each other.
    void indexes() {
        std::size_t counted = 0;
        indexed(m_.providers, Kind::Provider, counted);
        indexed(m_.subsystems, Kind::SubSystem, counted);
        indexed(m_.controllers, Kind::Controller, counted);
        indexed(m_.ports, Kind::Port, counted);
        indexed(m_.drives, Kind::Drive, counted);
        indexed(m_.luns, Kind::Lun, counted);
        indexed(m_.lunPlexes, Kind::LunPlex, counted);
        indexed(m_.packs, Kind::Pack, counted);
        indexed(m_.disks, Kind::Disk, counted);
        indexed(m_.volumes, Kind::Volume, counted);
        indexed(m_.volumePlexes, Kind::VolumePlex, counted);
        if (counted != m_.kinds.size())
            for (const auto& [id, kind] : m_.kinds)
                if (!holds(id, kind)) fail(id, "", "is in the kind index but not in the model");

        for (const auto& list : {&m_.hardwareProviders, &m_.softwareProviders})
            for (const auto& id : *list)
                if (!m_.providers.count(id)) fail(id, "", "is listed as a provider but not in the model");
        for (const auto& [id, p] : m_.providers) {
            const auto& list = p.type == 2 ? m_.hardwareProviders : m_.softwareProviders;
            if (std::count(list.begin(), list.end(), id) != 1) fail(id, "", "is not listed once among its providers");
        }
        children(m_.providers, m_.subsystems, &Provider::children, &SubSystem::provider);
        children(m_.providers, m_.packs, &Provider::children, &Pack::provider);
        children(m_.subsystems, m_.controllers, &SubSystem::controllers, &Controller::subsystem);
        children(m_.subsystems, m_.drives, &SubSystem::drives, &Drive::subsystem);
        children(m_.subsystems, m_.luns, &SubSystem::luns, &Lun::subsystem);
        children(m_.controllers, m_.ports, &Controller::ports, &Port::controller);
        children(m_.luns, m_.lunPlexes, &Lun::plexes, &LunPlex::lun);
        children(m_.packs, m_.disks, &Pack::disks, &Disk::pack, true);
        children(m_.packs, m_.volumes, &Pack::volumes, &Volume::pack);
        children(m_.volumes, m_.volumePlexes, &Volume::plexes, &VolumePlex::volume);
    }

    bool holds(const GUID& id, Kind kind) const {
        switch (kind) {
            case Kind::Provider: return m_.providers.count(id) != 0;
            case Kind::SubSystem: return m_.subsystems.count(id) != 0;
            case Kind::Controller: return m_.controllers.count(id) != 0;
            case Kind::Port: return m_.ports.count(id) != 0;
            case Kind::Drive: return m_.drives.count(id) != 0;
            case Kind::Lun: return m_.luns.count(id) != 0;
            case Kind::LunPlex: return m_.lunPlexes.count(id) != 0;
            case Kind::Pack: return m_.packs.count(id) != 0;
            case Kind::Disk: return m_.disks.count(id) != 0;
            case Kind::Volume: return m_.volumes.count(id) != 0;
            case Kind::VolumePlex: return m_.volumePlexes.count(id) != 0;
        }
        return false;
    }

    // Each child names a parent that lists it once; each listed child exists
    // (a parent's list may hold children of another kind, as a provider's does).
    template <typename Parents, typename Children, typename P, typename C>
    void children(const Parents& parents, const Children& kids, IdList P::*list, GUID C::*parent,
                  bool mayBeUnfiled = false) {
        // How often each child is listed by the parent it names, counted in one
        // pass: searching each parent's list per child is quadratic in the
        // size of a large machine.
        std::unordered_map<GUID, int, GuidHash> listedByOwnParent;
        for (const auto& [pid, p] : parents)
            for (const auto& cid : p.*list) {
                auto kid = kids.find(cid);
                if (kid != kids.end() && kid->second.*parent == pid) ++listedByOwnParent[cid];
            }
        for (const auto& [id, child] : kids) {
            if (mayBeUnfiled && isNullGuid(child.*parent)) {
                if (std::find(m_.unallocatedDisks.begin(), m_.unallocatedDisks.end(), id) == m_.unallocatedDisks.end())
                    fail(id, "", "is in no pack and not among the unallocated disks");
                continue;
            }
            if (parents.find(child.*parent) == parents.end()) {
                fail(id, "", "names a parent that is not in the model");
                continue;
            }
            auto listed = listedByOwnParent.find(id);
            if (listed == listedByOwnParent.end() || listed->second != 1) fail(id, "", "is not listed once by its parent");
        }
        for (const auto& [pid, p] : parents)
            for (const auto& cid : p.*list) {
                auto k = m_.kindOf(cid);
                if (!k) fail(pid, "", "lists " + guidToText(cid) + ", which is not in the model");
            }
    }

    void overlaps(std::vector<Stretch>& stretches, const char* what, const GUID& where) {
        std::sort(stretches.begin(), stretches.end(),
                  [](const Stretch& a, const Stretch& b) { return a.begin < b.begin; });
        for (std::size_t i = 1; i < stretches.size(); ++i)
            if (stretches[i].begin < stretches[i - 1].end)
                fail(stretches[i].owner, stretches[i].field, std::string(what) + " overlap on " + guidToText(where));
    }

    void hardware() {
        for (const auto& [sid, s] : m_.subsystems) {
            if (s.controllers.size() > static_cast<std::size_t>(std::max<std::int16_t>(s.maxControllers, 0)))
                fail(sid, "controllers", "more controllers than maxControllers (" + std::to_string(s.maxControllers) + ")");
            std::set<std::pair<int, int>> slots;
            const int perBus = std::max<int>(s.slotsPerBus, 1);
            for (const auto& did : s.drives) {
                const Drive& d = m_.drives.at(did);
                if (d.size == 0) fail(did, "size", "a drive needs a size above 0");
                if (d.bus < 0 || d.bus >= std::max<std::int16_t>(s.internalBuses, 1))
                    fail(did, "bus", "bus " + std::to_string(d.bus) + " is outside the subsystem's " +
                                         std::to_string(s.internalBuses) + " internal buses");
                if (d.slot < 0 || d.slot >= perBus)
                    fail(did, "slot", "slot " + std::to_string(d.slot) + " is outside the " + std::to_string(perBus) +
                                          " slots of each bus");
                if (!slots.insert({d.bus, d.slot}).second)
                    fail(did, "", "bus " + std::to_string(d.bus) + " slot " + std::to_string(d.slot) +
                                      " is taken by another drive");
            }
            std::unordered_map<GUID, std::vector<Stretch>, GuidHash> onDrive;
            for (const auto& lid : s.luns) lun(s, m_.luns.at(lid), onDrive);
            for (auto& [did, stretches] : onDrive) overlaps(stretches, "two LUN extents", did);
        }
    }

    void lun(const SubSystem& s, const Lun& l,
             std::unordered_map<GUID, std::vector<Stretch>, GuidHash>& onDrive) {
        if (l.plexes.empty()) fail(l.id, "plexes", "a LUN needs at least one plex");
        for (const auto& c : l.associatedControllers)
            if (!contains(s.controllers, c))
                fail(l.id, "associatedControllers", guidToText(c) + " is not a controller of this subsystem");
        for (const auto& c : l.activeControllers)
            if (!contains(l.associatedControllers, c))
                fail(l.id, "activeControllers", "an active controller must also be associated with the LUN");
        for (const auto& pid : l.plexes) {
            const LunPlex& p = m_.lunPlexes.at(pid);
            if (p.extents.empty()) fail(pid, "extents", "a LUN plex needs at least one drive extent");
            std::uint64_t raw = 0;
            for (std::size_t i = 0; i < p.extents.size(); ++i) {
                const DriveSpan& e = p.extents[i];
                const std::string field = "extents/" + std::to_string(i);
                if (!contains(s.drives, e.drive)) {
                    fail(pid, field + "/drive", guidToText(e.drive) + " is not a drive of this subsystem");
                    continue;
                }
                if (e.size == 0) fail(pid, field + "/size", "an extent needs a size above 0");
                if (e.offset + e.size < e.offset || e.offset + e.size > m_.drives.at(e.drive).size)
                    fail(pid, field, "the extent runs past the end of its drive");
                onDrive[e.drive].push_back({e.offset, e.offset + e.size, pid, field});
                raw += e.size;
            }
            const auto members = static_cast<std::uint32_t>(p.extents.size());
            if (p.size > plexCapacity(p.type, raw, members))
                fail(pid, "size", "the plex is larger than its drive extents hold");
        }
    }

    void software() {
        for (const auto& [kid, k] : m_.packs) {
            std::unordered_map<GUID, std::vector<Stretch>, GuidHash> onDisk;
            for (const auto& did : k.disks) partitions(m_.disks.at(did));
            for (const auto& vid : k.volumes) volume(k, m_.volumes.at(vid), onDisk);
            for (auto& [did, stretches] : onDisk) overlaps(stretches, "two volume extents", did);
        }
        unallocated();
        letters();
    }

    void partitions(const Disk& d) {
        if (auto broken = findPartitionTableBreak(d)) fail(broken->object, broken->field, broken->what);
        if (auto broken = findDiskPlacementBreak(m_, d)) fail(broken->object, broken->field, broken->what);
    }

    void unallocated() {
        std::set<GUID, bool (*)(const GUID&, const GUID&)> seen(
            [](const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) < 0; });
        for (const GUID& id : m_.unallocatedDisks) {
            const auto it = m_.disks.find(id);
            if (it == m_.disks.end() || !isNullGuid(it->second.pack) || !seen.insert(id).second) {
                fail(id, "", "is listed among the unallocated disks but is not one, or twice");
                continue;
            }
            partitions(it->second);
        }
    }

    void volume(const Pack& k, const Volume& v, std::unordered_map<GUID, std::vector<Stretch>, GuidHash>& onDisk) {
        if (v.plexes.empty()) fail(v.id, "plexes", "a volume needs at least one plex");
        if (v.fileSystem && v.fileSystem->availableAllocationUnits > v.fileSystem->totalAllocationUnits)
            fail(v.id, "fileSystem/availableAllocationUnits", "more available than total allocation units");
        for (const auto& pid : v.plexes) {
            const VolumePlex& p = m_.volumePlexes.at(pid);
            if (p.extents.empty()) fail(pid, "extents", "a volume plex needs at least one disk extent");
            for (std::size_t i = 0; i < p.extents.size(); ++i) {
                const DiskSpan& e = p.extents[i];
                const std::string field = "extents/" + std::to_string(i);
                if (!contains(k.disks, e.disk)) {
                    fail(pid, field + "/disk", guidToText(e.disk) + " is not a disk of this pack");
                    continue;
                }
                if (e.size == 0) fail(pid, field + "/size", "an extent needs a size above 0");
                if (e.offset + e.size < e.offset || e.offset + e.size > m_.disks.at(e.disk).size)
                    fail(pid, field, "the extent runs past the end of its disk");
                onDisk[e.disk].push_back({e.offset, e.offset + e.size, pid, field});
            }
            if (p.numberOfMembers > kMostPlexMembers)
                fail(pid, "numberOfMembers", "a plex has at most " + std::to_string(kMostPlexMembers) + " members");
            else if (p.size > volumePlexCapacity(p))
                fail(pid, "size", "the plex is larger than its disk extents hold");
        }
    }

    // Letters the service gave to partitions that are no volumes.
    void partitionLetters(std::map<char16_t, GUID>& held) {
        std::vector<const Disk*> byId;
        for (const auto& [did, d] : m_.disks) byId.push_back(&d);
        std::sort(byId.begin(), byId.end(), [](const Disk* a, const Disk* b) {
            return guidToText(a->id) < guidToText(b->id);
        });
        for (const Disk* d : byId)
            for (std::size_t i = 0; i < d->partitions.size(); ++i) {
                const Partition& p = d->partitions[i];
                if (p.driveLetter == 0) continue;
                const std::string field = "partitions/" + std::to_string(i) + "/driveLetter";
                if (p.driveLetter < u'A' || p.driveLetter > u'Z') fail(d->id, field, "expected one letter A to Z");
                if (m_.volumeAt(d->id, p.offset) != nullptr)
                    fail(d->id, field, "a volume's partition takes its letter through the volume");
                if (!held.emplace(p.driveLetter, d->id).second)
                    fail(d->id, field, std::string("drive letter ") + static_cast<char>(p.driveLetter) +
                                           " is held twice");
            }
    }

    void letters() {
        // Ordered, so that the same machine always reports the same break.
        std::map<char16_t, GUID> held;
        std::vector<const Volume*> byId;
        for (const auto& [vid, v] : m_.volumes) byId.push_back(&v);
        std::sort(byId.begin(), byId.end(), [](const Volume* a, const Volume* b) {
            return guidToText(a->id) < guidToText(b->id);
        });
        partitionLetters(held);
        for (const Volume* v : byId) {
            if (v->driveLetter == 0) continue;
            if (v->driveLetter < u'A' || v->driveLetter > u'Z')
                fail(v->id, "driveLetter", "expected one letter A to Z");
            auto [it, fresh] = held.emplace(v->driveLetter, v->id);
            if (!fresh)
                fail(v->id, "driveLetter", std::string("drive letter ") + static_cast<char>(v->driveLetter) +
                                               " is already held by volume " + guidToText(it->second));
        }
        for (const Volume* v : byId)
            for (std::size_t i = 0; i < v->mountFolders.size(); ++i) {
                const std::u16string& folder = v->mountFolders[i];
                const std::string field = "mountFolders/" + std::to_string(i);
                if (folder.size() < 4 || folder[1] != u':' || folder[2] != u'\\' || folder.back() != u'\\') {
                    fail(v->id, field, "a mount folder is a full path ending in a backslash");
                    continue;
                }
                char16_t c = folder[0];
                if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
                auto it = held.find(c);
                if (it == held.end())
                    fail(v->id, field, std::string("no volume holds drive letter ") + static_cast<char>(c));
                else if (it->second == v->id)
                    fail(v->id, field, "a volume cannot be mounted inside itself");
            }
    }
};

}  // namespace

std::optional<RuleBreak> findPartitionTableBreak(const Disk& d) {
    if (d.size == 0) return RuleBreak{d.id, "size", "a disk needs a size above 0"};
    if (d.partitionStyle == 0 && !d.partitions.empty())
        return RuleBreak{d.id, "partitions", "an unpartitioned disk has no partitions"};
    // Table entries (primaries and the extended partition) must not overlap
    // one another; logical drives lie inside the extended partition, each
    // after room for its boot record, and must not overlap one another.
    const Partition* ext = extendedPartitionOf(d);
    const std::uint64_t bootRecord = std::max<std::uint64_t>(d.bytesPerSector, 1);
    const Partition* lastEntry = nullptr;
    const Partition* lastLogical = nullptr;
    std::size_t extendeds = 0;
    std::size_t logicals = 0;
    for (std::size_t i = 0; i < d.partitions.size(); ++i) {
        const Partition& p = d.partitions[i];
        const std::string field = "partitions/" + std::to_string(i);
        if (p.size == 0) return RuleBreak{d.id, field + "/size", "a partition needs a size above 0"};
        if (p.offset + p.size < p.offset || p.offset + p.size > d.size)
            return RuleBreak{d.id, field, "the partition runs past the end of its disk"};
        if (i > 0 && d.partitions[i - 1].offset > p.offset)
            return RuleBreak{d.id, "partitions", "partitions are not kept in the order of their offsets"};
        if (isExtendedPartition(p)) {
            if (d.partitionStyle != VDS_PST_MBR)
                return RuleBreak{d.id, field + "/mbrType", "only an MBR disk holds an extended partition"};
            if (++extendeds > 1) return RuleBreak{d.id, field, "a disk holds one extended partition only"};
        }
        if (isLogicalDrive(d, p)) {
            if (p.offset + p.size > ext->offset + ext->size)
                return RuleBreak{d.id, field, "the logical drive runs past the end of the extended partition"};
            const std::uint64_t after = lastLogical ? lastLogical->offset + lastLogical->size : ext->offset;
            if (lastLogical != nullptr && p.offset < after)
                return RuleBreak{d.id, "partitions", "logical drives " + std::to_string(lastLogical->number) +
                                                         " and " + std::to_string(p.number) + " overlap"};
            if (p.offset < after + bootRecord)
                return RuleBreak{d.id, field, "the logical drive leaves no room for its boot record before it"};
            lastLogical = &p;
            ++logicals;
            continue;
        }
        if (lastEntry != nullptr && p.offset < lastEntry->offset + lastEntry->size)
            return RuleBreak{d.id, "partitions", "partitions " + std::to_string(lastEntry->number) + " and " +
                                                     std::to_string(p.number) + " overlap"};
        lastEntry = &p;
    }
    if (d.partitionStyle == VDS_PST_MBR && mbrEntriesUsed(d) > kMbrPartitionSlots)
        return RuleBreak{d.id, "partitions",
                         "an MBR holds four entries: primary partitions and the extended partition"};
    if (logicals > kMaxLogicalDrives)
        return RuleBreak{d.id, "partitions",
                         "more than " + std::to_string(kMaxLogicalDrives) + " logical drives"};
    return std::nullopt;
}

std::optional<RuleBreak> findDiskPlacementBreak(const Model& m, const Disk& d) {
    if (isNullGuid(d.pack)) {
        if (d.partitionStyle != 0 || !d.partitions.empty())
            return RuleBreak{d.id, "partitions", "a disk in no pack is unallocated: no partition style, no partitions"};
        return std::nullopt;
    }
    if (d.partitionStyle == 0) return RuleBreak{d.id, "style", "a disk in a pack has a partition style"};
    const Pack* pack = m.packs.get(d.pack);
    if (pack == nullptr || isDynamicDisk(m, d)) return std::nullopt;
    if (pack->disks.size() > 1)
        return RuleBreak{d.pack, "disks",
                         "a basic pack holds one disk; pack " + guidToText(d.pack) + " holds " +
                             std::to_string(pack->disks.size())};
    // On a basic disk each data partition is a volume, and each stretch of a
    // volume is a partition of its own.
    for (std::size_t i = 0; i < d.partitions.size(); ++i) {
        const Partition& p = d.partitions[i];
        if (isDataPartition(d, p) && m.volumeAt(d.id, p.offset) == nullptr)
            return RuleBreak{d.id, "partitions/" + std::to_string(i), "a data partition of a basic disk is a volume"};
    }
    for (const GUID& id : m.volumePlexesOnDisk(d.id))
        for (const DiskSpan& s : m.volumePlexes.at(id).extents) {
            if (s.disk != d.id) continue;
            const Partition* p = partitionAt(d, s.offset);
            if (p == nullptr || p->size != s.size)
                return RuleBreak{id, "extents", "a basic volume's stretch is one partition of its disk"};
        }
    return std::nullopt;
}

bool isDataPartition(const Disk& disk, const Partition& partition) {
    return partitionKind(disk, partition) == PartitionKind::Data;
}

bool liesUnder(const std::u16string& folder, const std::u16string& path) {
    const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; };
    if (path.empty() || folder.size() <= path.size()) return false;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (upper(folder[i]) != upper(path[i])) return false;
    return true;
}

std::vector<GUID> volumesMountedUnder(const Model& model, const std::u16string& path) {
    std::vector<GUID> out;
    if (path.empty()) return out;
    for (const GUID& id : model.volumesWithFoldersUnder(path[0])) {
        const auto& folders = model.volumes.at(id).mountFolders;
        if (std::any_of(folders.begin(), folders.end(), [&](const std::u16string& f) { return liesUnder(f, path); }))
            out.push_back(id);
    }
    std::sort(out.begin(), out.end(), [](const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); });
    return out;
}

std::optional<GUID> driveLetterHolder(const Model& model, char16_t letter) {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 0x20);
    if (letter == 0) return std::nullopt;
    if (const Volume* v = model.volumeWithLetter(letter)) return v->id;
    if (const Disk* d = model.diskWithPartitionLetter(letter)) return d->id;
    return std::nullopt;
}

namespace {


constexpr std::uint32_t kRemovableMedia = 11;

constexpr std::uint32_t kSystemVolumeFlags =
    VDS_VF_SYSTEM_VOLUME | VDS_VF_BOOT_VOLUME | VDS_VF_PAGEFILE | VDS_VF_HIBERNATION | VDS_VF_CRASHDUMP;
constexpr std::uint32_t kSystemDiskFlags = VDS_DF_SYSTEM_DISK | VDS_DF_BOOT_DISK | VDS_DF_PAGEFILE_DISK |
                                           VDS_DF_HIBERNATIONFILE_DISK | VDS_DF_CRASHDUMP_DISK;

}  // namespace

bool isDynamicPack(const Model& model, const Pack& pack) {
    auto provider = model.providers.find(pack.provider);
    return provider != model.providers.end() && (provider->second.flags & VDS_PF_DYNAMIC) != 0;
}

bool isDynamicDisk(const Model& model, const Disk& disk) {
    const Pack* pack = model.packs.get(disk.pack);
    return pack != nullptr && isDynamicPack(model, *pack);
}

bool isRemovableDisk(const Disk& disk) { return disk.mediaType == kRemovableMedia; }

bool servicedAsPartition(const Model& model, const Disk& disk, const Partition& partition) {
    if (model.volumeAt(disk.id, partition.offset) != nullptr) return false;
    const PartitionKind kind = partitionKind(disk, partition);
    return kind != PartitionKind::Msr && kind != PartitionKind::Ldm && kind != PartitionKind::Extended;
}

bool isProtectedPartition(const Disk& disk, const Partition& partition) {
    const PartitionKind kind = partitionKind(disk, partition);
    return kind == PartitionKind::Oem || kind == PartitionKind::Esp || kind == PartitionKind::Msr;
}

std::vector<GUID> volumesOnDisk(const Model& model, const GUID& disk) {
    std::vector<GUID> out;
    for (const GUID& plex : model.volumePlexesOnDisk(disk)) {
        const GUID& vid = model.volumePlexes.at(plex).volume;
        if (std::find(out.begin(), out.end(), vid) == out.end()) out.push_back(vid);
    }
    std::sort(out.begin(), out.end(), [](const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); });
    return out;
}

bool carriesSystem(const Model& model, const Disk& disk) {
    if ((disk.flags & kSystemDiskFlags) != 0) return true;
    for (const GUID& v : volumesOnDisk(model, disk.id))
        if ((model.volumes.at(v).flags & kSystemVolumeFlags) != 0) return true;
    return false;
}

std::optional<RuleBreak> findRuleBreak(const Model& model) { return Checker(model).run(); }

std::optional<std::string> checkModelRules(const Model& model) {
    auto broken = findRuleBreak(model);
    if (!broken) return std::nullopt;
    return broken->text();
}

}  // namespace tolvane::sim

namespace tolvane::sim {

bool systemPartition(const Model& model, const Disk& disk, const Partition& partition) {
    const bool startsMachine =
        disk.partitionStyle == VDS_PST_MBR ? partition.bootIndicator : partitionKind(disk, partition) == PartitionKind::Esp;
    return startsMachine && carriesSystem(model, disk);
}

bool systemVolume(const Model& model, const Volume& volume) {
    if ((volume.flags & kSystemVolumeFlags) != 0) return true;
    if (volume.plexes.size() != 1) return false;
    for (const DiskSpan& s : model.volumePlexes.at(volume.plexes.front()).extents) {
        const Disk* d = model.disks.get(s.disk);
        if (d == nullptr || isDynamicDisk(model, *d)) return false;
        if (const Partition* p = partitionAt(*d, s.offset); p != nullptr && systemPartition(model, *d, *p)) return true;
    }
    return false;
}

HRESULT systemDiskRefusal(const Model& model, const Disk& disk) {
    std::uint32_t roles = 0;
    for (const GUID& v : volumesOnDisk(model, disk.id)) roles |= model.volumes.at(v).flags;
    if ((disk.flags & (VDS_DF_BOOT_DISK | VDS_DF_SYSTEM_DISK)) != 0 ||
        (roles & (VDS_VF_SYSTEM_VOLUME | VDS_VF_BOOT_VOLUME)) != 0)
        return VDS_E_BOOT_DISK;
    if ((disk.flags & VDS_DF_PAGEFILE_DISK) != 0 || (roles & VDS_VF_PAGEFILE) != 0) return VDS_E_PAGEFILE_DISK;
    if ((disk.flags & VDS_DF_HIBERNATIONFILE_DISK) != 0 || (roles & VDS_VF_HIBERNATION) != 0)
        return VDS_E_HIBERNATION_FILE_DISK;
    if ((disk.flags & VDS_DF_CRASHDUMP_DISK) != 0 || (roles & VDS_VF_CRASHDUMP) != 0) return VDS_E_CRASHDUMP_DISK;
    return S_OK;
}

}  // namespace tolvane::sim
