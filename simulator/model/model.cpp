#include "model/model.h"

#include <algorithm>
#include <map>

#include "model/model_digest.h"
#include "model/partition_table.h"
#include "model/partition_types.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

namespace {

// The drive letter a mount folder lies under, upper case.
char16_t folderLetter(const std::u16string& folder) {
    if (folder.empty()) return 0;
    const char16_t c = folder[0];
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
}

struct PlexSpanOnDisk {
    GUID volume{};
    GUID plex{};
    DiskSpan span;
};

template <typename Plex, typename Span>
bool hasExtentOn(const Plex* plex, const GUID& where, GUID Span::*place) {
    if (plex == nullptr) return false;
    for (const auto& span : plex->extents)
        if (span.*place == where) return true;
    return false;
}

// The committed index's plexes that are still there, then the ones the open
// change touched that now lie there too.
template <typename Plex, typename Span>
std::vector<GUID> plexesAt(const std::unordered_map<GUID, std::vector<GUID>, GuidHash>& index,
                           const ObjectTable<Plex>& plexes, const GUID& where, GUID Span::*place) {
    std::vector<GUID> out;
    if (auto it = index.find(where); it != index.end())
        for (const GUID& id : it->second)
            if (!plexes.before().count(id) && hasExtentOn(plexes.get(id), where, place)) out.push_back(id);
    for (const auto& [id, old] : plexes.before())
        if (hasExtentOn(plexes.get(id), where, place)) out.push_back(id);
    return out;
}

// Moves one touched plex in the index from where it was to where it is.
template <typename Plex, typename Span>
void reindex(std::unordered_map<GUID, std::vector<GUID>, GuidHash>& index, const GUID& id, const Plex* was,
             const Plex* now, GUID Span::*place) {
    if (was != nullptr)
        for (const auto& span : was->extents) {
            auto it = index.find(span.*place);
            if (it == index.end()) continue;
            std::erase(it->second, id);
            if (it->second.empty()) index.erase(it);
        }
    if (now != nullptr)
        for (const auto& span : now->extents) {
            auto& list = index[span.*place];
            if (std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
        }
}

template <typename T>
const T* valueOf(const std::optional<T>& old) {
    return old ? &*old : nullptr;
}

}  // namespace

std::vector<GUID> Model::lunPlexesOnDrive(const GUID& drive) const {
    return plexesAt(lunPlexesByDrive_, lunPlexes, drive, &DriveSpan::drive);
}

std::vector<GUID> Model::volumePlexesOnDisk(const GUID& disk) const {
    return plexesAt(volumePlexesByDisk_, volumePlexes, disk, &DiskSpan::disk);
}

void Model::openChange() { opened_ = Opened{hardwareProviders, softwareProviders, unallocatedDisks, lastSerial}; }

void Model::undoChange() {
    eachTable([](auto& table) { table.restore(); });
    if (opened_) {
        hardwareProviders = std::move(opened_->hardwareProviders);
        softwareProviders = std::move(opened_->softwareProviders);
        unallocatedDisks = std::move(opened_->unallocatedDisks);
        lastSerial = std::move(opened_->lastSerial);
        opened_.reset();
    }
}

void Model::commitChange() {
    committedDigestSums = currentDigestSums(*this);
    for (const auto& [id, old] : lunPlexes.before())
        reindex(lunPlexesByDrive_, id, valueOf(old), lunPlexes.get(id), &DriveSpan::drive);
    for (const auto& [id, old] : volumePlexes.before())
        reindex(volumePlexesByDisk_, id, valueOf(old), volumePlexes.get(id), &DiskSpan::disk);
    for (const auto& [id, old] : volumes.before()) {
        if (old && old->driveLetter != 0) {
            auto it = volumeByLetter_.find(old->driveLetter);
            if (it != volumeByLetter_.end() && it->second == id) volumeByLetter_.erase(it);
        }
    }
    for (const auto& [id, old] : volumes.before())
        if (const Volume* v = volumes.get(id); v != nullptr && v->driveLetter != 0) volumeByLetter_[v->driveLetter] = id;
    for (const auto& [id, old] : volumes.before()) {
        if (old)
            for (const auto& folder : old->mountFolders) std::erase(volumesByFolderLetter_[folderLetter(folder)], id);
        if (const Volume* v = volumes.get(id))
            for (const auto& folder : v->mountFolders) {
                auto& list = volumesByFolderLetter_[folderLetter(folder)];
                if (std::find(list.begin(), list.end(), id) == list.end()) list.push_back(id);
            }
    }
    for (const auto& [id, old] : disks.before())
        if (old)
            for (const Partition& p : old->partitions) {
                auto it = diskByPartitionLetter_.find(p.driveLetter);
                if (it != diskByPartitionLetter_.end() && it->second == id) diskByPartitionLetter_.erase(it);
            }
    for (const auto& [id, old] : disks.before())
        if (const Disk* d = disks.get(id))
            for (const Partition& p : d->partitions)
                if (p.driveLetter != 0) diskByPartitionLetter_[p.driveLetter] = id;
    eachTable([](auto& table) { table.forgetBefore(); });
    opened_.reset();
}

void Model::tradeTouched() {
    eachTable([](auto& table) { table.trade(); });
}

GUID Model::issueId(std::uint32_t prefix) {
    std::uint64_t& serial = lastSerial[prefix];
    for (;;) {
        ++serial;
        GUID id{prefix, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0}};
        for (int i = 0; i < 6; ++i) id.Data4[7 - i] = static_cast<unsigned char>(serial >> (8 * i));
        if (!kindOf(id)) return id;
    }
}

std::optional<Kind> Model::kindOf(const GUID& id) const {
    auto it = kinds.find(id);
    if (it == kinds.end()) return std::nullopt;
    return it->second;
}

std::vector<DriveExtentView> Model::driveExtents(const GUID& driveId) const {
    std::vector<DriveExtentView> out;
    auto dit = drives.find(driveId);
    if (dit == drives.end()) return out;
    std::map<std::uint64_t, std::pair<std::uint64_t, GUID>> used;  // offset -> size, LUN
    for (const GUID& pid : lunPlexesOnDrive(driveId)) {
        const LunPlex& plex = lunPlexes.at(pid);
        for (const auto& span : plex.extents)
            if (span.drive == driveId) used[span.offset] = {span.size, plex.lun};
    }
    std::uint64_t cursor = 0;
    for (const auto& [offset, entry] : used) {
        if (offset > cursor) out.push_back({driveId, GUID{}, offset - cursor, false});
        out.push_back({driveId, entry.second, entry.first, true});
        cursor = std::max(cursor, offset + entry.first);
    }
    if (dit->second.size > cursor) out.push_back({driveId, GUID{}, dit->second.size - cursor, false});
    return out;
}

std::vector<DriveExtentView> Model::lunPlexExtents(const GUID& plexId) const {
    std::vector<DriveExtentView> out;
    auto it = lunPlexes.find(plexId);
    if (it == lunPlexes.end()) return out;
    for (const auto& span : it->second.extents) out.push_back({span.drive, it->second.lun, span.size, true});
    return out;
}

std::vector<DiskExtentView> Model::diskExtents(const GUID& diskId) const {
    std::vector<DiskExtentView> out;
    auto dit = disks.find(diskId);
    if (dit == disks.end()) return out;
    const Disk& disk = dit->second;

    std::map<std::uint64_t, PlexSpanOnDisk> plexSpans;
    for (const GUID& pid : volumePlexesOnDisk(diskId)) {
        const VolumePlex& plex = volumePlexes.at(pid);
        for (const auto& span : plex.extents)
            if (span.disk == diskId) plexSpans[span.offset] = {plex.volume, plex.id, span};
    }

    std::map<std::uint64_t, DiskExtentView> extents;
    const Partition* ext = extendedPartitionOf(disk);
    for (const auto& p : disk.partitions) {
        // The extended partition is only the logical drives' container: its
        // drives show, and the room left in it shows as free.
        if (&p == ext) continue;
        DiskExtentView e{diskId, partitionExtentType(disk, p), p.offset, p.size, GUID{}, GUID{}, 0};
        auto sit = plexSpans.find(p.offset);
        if (sit != plexSpans.end()) {
            e.volume = sit->second.volume;
            e.plex = sit->second.plex;
            e.member = sit->second.span.member;
            plexSpans.erase(sit);
        }
        extents[p.offset] = e;
    }
    // Spans of dynamic volumes live inside the LDM area rather than in partitions.
    for (const auto& [offset, s] : plexSpans)
        extents[offset] = {diskId, VDS_DET_DATA, offset, s.span.size, s.volume, s.plex, s.span.member};

    // Free space inside the extended partition is told apart from free
    // space outside it: a partition made there is a logical drive.
    const auto free = [&](std::uint64_t from, std::uint64_t to) {
        for (const std::uint64_t cut : {ext ? ext->offset : 0, ext ? ext->offset + ext->size : 0})
            if (cut > from && cut < to) {
                out.push_back({diskId, VDS_DET_FREE, from, cut - from, GUID{}, GUID{}, 0});
                from = cut;
            }
        out.push_back({diskId, VDS_DET_FREE, from, to - from, GUID{}, GUID{}, 0});
    };
    std::uint64_t cursor = disk.partitionStyle == 0 ? 0 : std::min(kFirstPartitionByte, disk.size);
    for (const auto& [offset, e] : extents) {
        if (e.type == VDS_DET_LDM) {
            // The LDM partition holds the dynamic volumes' spans; show them, not it.
            bool holdsSpans = false;
            for (const auto& [o2, e2] : extents)
                if (o2 >= e.offset && o2 < e.offset + e.size && e2.type == VDS_DET_DATA) holdsSpans = true;
            if (holdsSpans) continue;
        }
        if (offset > cursor) free(cursor, offset);
        out.push_back(e);
        cursor = std::max(cursor, offset + e.size);
    }
    if (disk.size > cursor) free(cursor, disk.size);
    return out;
}

std::vector<DiskExtentView> Model::volumePlexExtents(const GUID& plexId) const {
    std::vector<DiskExtentView> out;
    auto it = volumePlexes.find(plexId);
    if (it == volumePlexes.end()) return out;
    for (const auto& s : it->second.extents)
        out.push_back({s.disk, VDS_DET_DATA, s.offset, s.size, it->second.volume, plexId, s.member});
    return out;
}

std::vector<std::u16string> Model::accessPaths(const GUID& volumeId) const {
    std::vector<std::u16string> out;
    auto it = volumes.find(volumeId);
    if (it == volumes.end()) return out;
    if (it->second.driveLetter != 0) out.push_back(std::u16string{it->second.driveLetter, u':', u'\\'});
    for (const auto& folder : it->second.mountFolders) out.push_back(folder);
    return out;
}

std::vector<ReparsePointView> Model::reparsePoints(const GUID& volumeId) const {
    std::vector<ReparsePointView> out;
    auto it = volumes.find(volumeId);
    if (it == volumes.end() || it->second.driveLetter == 0) return out;
    const char16_t letter = it->second.driveLetter;
    for (const auto& [vid, v] : volumes)
        for (const auto& folder : v.mountFolders)
            if (folder.size() > 2 && folder[1] == u':' && (folder[0] & ~0x20) == letter)
                out.push_back({vid, folder.substr(2)});
    return out;
}

const Volume* Model::volumeWithLetter(char16_t letter) const {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 0x20);
    for (const auto& [vid, old] : volumes.before()) {
        const Volume* v = volumes.get(vid);
        if (v != nullptr && v->driveLetter == letter) return v;
    }
    auto it = volumeByLetter_.find(letter);
    if (it == volumeByLetter_.end()) return nullptr;
    const Volume* v = volumes.get(it->second);
    return v != nullptr && v->driveLetter == letter ? v : nullptr;
}

std::vector<GUID> Model::volumesWithLetter(char16_t letter) const {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 0x20);
    std::vector<GUID> out;
    for (const auto& [id, old] : volumes.before())
        if (const Volume* v = volumes.get(id); v != nullptr && v->driveLetter == letter) out.push_back(id);
    auto it = volumeByLetter_.find(letter);
    if (it != volumeByLetter_.end() && !volumes.before().count(it->second)) {
        const Volume* v = volumes.get(it->second);
        if (v != nullptr && v->driveLetter == letter) out.push_back(it->second);
    }
    return out;
}

std::vector<GUID> Model::volumesWithFoldersUnder(char16_t letter) const {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 0x20);
    const auto has = [letter](const Volume* v) {
        return v != nullptr && std::any_of(v->mountFolders.begin(), v->mountFolders.end(),
                                           [letter](const std::u16string& f) { return folderLetter(f) == letter; });
    };
    std::vector<GUID> out;
    for (const auto& [id, old] : volumes.before())
        if (has(volumes.get(id))) out.push_back(id);
    if (auto it = volumesByFolderLetter_.find(letter); it != volumesByFolderLetter_.end())
        for (const GUID& id : it->second)
            if (!volumes.before().count(id) && has(volumes.get(id))) out.push_back(id);
    return out;
}

const Disk* Model::diskWithPartitionLetter(char16_t letter) const {
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - 0x20);
    const auto holds = [letter](const Disk* d) {
        return d != nullptr && std::any_of(d->partitions.begin(), d->partitions.end(),
                                           [letter](const Partition& p) { return p.driveLetter == letter; });
    };
    for (const auto& [id, old] : disks.before())
        if (const Disk* d = disks.get(id); holds(d)) return d;
    auto it = diskByPartitionLetter_.find(letter);
    if (it == diskByPartitionLetter_.end() || disks.before().count(it->second)) return nullptr;
    const Disk* d = disks.get(it->second);
    return holds(d) ? d : nullptr;
}

const Volume* Model::volumeAt(const GUID& diskId, std::uint64_t offset) const {
    for (const GUID& pid : volumePlexesOnDisk(diskId)) {
        const VolumePlex& plex = volumePlexes.at(pid);
        for (const auto& span : plex.extents)
            if (span.disk == diskId && span.offset == offset) return volumes.get(plex.volume);
    }
    return nullptr;
}

std::vector<GUID> Model::lunsOfController(const GUID& controllerId) const {
    std::vector<GUID> out;
    auto cit = controllers.find(controllerId);
    if (cit == controllers.end()) return out;
    auto sit = subsystems.find(cit->second.subsystem);
    if (sit == subsystems.end()) return out;
    for (const auto& lunId : sit->second.luns) {
        const Lun& lun = luns.at(lunId);
        if (std::find(lun.associatedControllers.begin(), lun.associatedControllers.end(), controllerId) !=
            lun.associatedControllers.end())
            out.push_back(lunId);
    }
    return out;
}

}  // namespace tolvane::sim
