#include "core/notices.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "model/model_digest.h"

namespace tolvane::sim {

namespace {

struct KindEvents {
    Kind kind;
    VDS_NOTIFICATION_TARGET_TYPE target;
    ULONG arrive;
    ULONG depart;
    ULONG modify;
};

// Listed containers first: the order in which arrivals are told.
constexpr KindEvents kKindEvents[] = {
    {Kind::SubSystem, VDS_NTT_SUB_SYSTEM, VDS_NF_SUB_SYSTEM_ARRIVE, VDS_NF_SUB_SYSTEM_DEPART, VDS_NF_SUB_SYSTEM_MODIFY},
    {Kind::Controller, VDS_NTT_CONTROLLER, VDS_NF_CONTROLLER_ARRIVE, VDS_NF_CONTROLLER_DEPART, VDS_NF_CONTROLLER_MODIFY},
    {Kind::Port, VDS_NTT_PORT, VDS_NF_PORT_ARRIVE, VDS_NF_PORT_DEPART, VDS_NF_PORT_MODIFY},
    {Kind::Drive, VDS_NTT_DRIVE, VDS_NF_DRIVE_ARRIVE, VDS_NF_DRIVE_DEPART, VDS_NF_DRIVE_MODIFY},
    {Kind::Lun, VDS_NTT_LUN, VDS_NF_LUN_ARRIVE, VDS_NF_LUN_DEPART, VDS_NF_LUN_MODIFY},
    {Kind::Pack, VDS_NTT_PACK, VDS_NF_PACK_ARRIVE, VDS_NF_PACK_DEPART, VDS_NF_PACK_MODIFY},
    {Kind::Disk, VDS_NTT_DISK, VDS_NF_DISK_ARRIVE, VDS_NF_DISK_DEPART, VDS_NF_DISK_MODIFY},
    {Kind::Volume, VDS_NTT_VOLUME, VDS_NF_VOLUME_ARRIVE, VDS_NF_VOLUME_DEPART, VDS_NF_VOLUME_MODIFY},
};

const KindEvents* eventsOf(Kind kind) {
    for (const auto& k : kKindEvents)
        if (k.kind == kind) return &k;
    return nullptr;
}

ULONG eventCode(const KindEvents& k, Event e) {
    return e == Event::Arrive ? k.arrive : e == Event::Depart ? k.depart : k.modify;
}

std::vector<GUID> sorted(std::vector<GUID> ids) {
    std::sort(ids.begin(), ids.end(), [](const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); });
    return ids;
}

// Identifiers of `kind` in `m` that `other` lacks (or holds as another kind).
std::vector<GUID> missingFrom(const Model& m, const Model& other, Kind kind) {
    std::vector<GUID> out;
    for (const auto& [id, k] : m.kinds)
        if (k == kind && other.kindOf(id) != kind) out.push_back(id);
    return sorted(std::move(out));
}

std::set<std::uint64_t> partitionOffsets(const Model& m, const GUID& disk) {
    std::set<std::uint64_t> out;
    auto it = m.disks.find(disk);
    if (it != m.disks.end())
        for (const auto& p : it->second.partitions) out.insert(p.offset);
    return out;
}

void notePartitions(const Model& from, const Model& to, Event event, Batch& out) {
    std::set<GUID, bool (*)(const GUID&, const GUID&)> disks(
        [](const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); });
    for (const auto& [id, d] : from.disks) disks.insert(id);
    for (const GUID& disk : disks) {
        const auto theirs = partitionOffsets(to, disk);
        for (std::uint64_t offset : partitionOffsets(from, disk))
            if (!theirs.count(offset)) out.push_back(partitionNotice(disk, offset, event));
    }
}

std::map<char16_t, GUID> letters(const Model& m) {
    std::map<char16_t, GUID> out;
    for (const auto& [id, v] : m.volumes)
        if (v.driveLetter != 0) out[v.driveLetter] = id;
    return out;
}

bool textOrder(const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); }

using GuidSet = std::set<GUID, bool (*)(const GUID&, const GUID&)>;
GuidSet guidSet() { return GuidSet(textOrder); }

template <typename T>
void addKeys(GuidSet& out, const ObjectTable<T>& table) {
    for (const auto& [id, old] : table.before()) out.insert(id);
}

// Objects whose digest reads a touched plex: the drives or disks under its
// extents and its LUN or volume, as it stood and as it stands.
template <typename Plex, typename Span, typename Owner>
void addPlexDependents(GuidSet& places, GuidSet& owners, const ObjectTable<Plex>& plexes, GUID Span::*place,
                       GUID Owner::*owner) {
    const auto add = [&](const Plex& p) {
        owners.insert(p.*owner);
        for (const auto& span : p.extents) places.insert(span.*place);
    };
    for (const auto& [id, old] : plexes.before()) {
        if (old) add(*old);
        if (const Plex* now = plexes.get(id)) add(*now);
    }
}

// What a client can tell of the touched part of the machine in one state.
struct TouchedView {
    std::map<GUID, std::optional<Kind>, bool (*)(const GUID&, const GUID&)> kinds{textOrder};
    std::map<Kind, std::unordered_map<GUID, std::uint64_t, GuidHash>> digests;
    std::map<GUID, std::set<std::uint64_t>, bool (*)(const GUID&, const GUID&)> partitions{textOrder};
    std::map<char16_t, GUID> letterHolders;
    std::map<GUID, std::pair<std::vector<std::u16string>, std::uint64_t>, bool (*)(const GUID&, const GUID&)>
        volumes{textOrder};
};

struct Candidates {
    GuidSet ids = guidSet();
    std::map<Kind, GuidSet> modified;
    GuidSet disks = guidSet();
    GuidSet volumes = guidSet();
    std::set<char16_t> letters;
};

Candidates candidatesOf(const Model& m) {
    Candidates c;
    addKeys(c.ids, m.kinds);
    for (const auto& k : kKindEvents) c.modified.emplace(k.kind, guidSet());
    addKeys(c.modified.at(Kind::SubSystem), m.subsystems);
    addKeys(c.modified.at(Kind::Controller), m.controllers);
    addKeys(c.modified.at(Kind::Port), m.ports);
    addKeys(c.modified.at(Kind::Drive), m.drives);
    addKeys(c.modified.at(Kind::Lun), m.luns);
    addKeys(c.modified.at(Kind::Pack), m.packs);
    addKeys(c.modified.at(Kind::Disk), m.disks);
    addKeys(c.modified.at(Kind::Volume), m.volumes);
    addPlexDependents(c.modified.at(Kind::Drive), c.modified.at(Kind::Lun), m.lunPlexes, &DriveSpan::drive,
                      &LunPlex::lun);
    addPlexDependents(c.modified.at(Kind::Disk), c.modified.at(Kind::Volume), m.volumePlexes, &DiskSpan::disk,
                      &VolumePlex::volume);
    addKeys(c.disks, m.disks);
    addKeys(c.volumes, m.volumes);
    for (const auto& [id, old] : m.volumes.before()) {
        if (old && old->driveLetter != 0) c.letters.insert(old->driveLetter);
        if (const Volume* v = m.volumes.get(id); v && v->driveLetter != 0) c.letters.insert(v->driveLetter);
    }
    return c;
}

TouchedView viewOf(const Model& m, const Candidates& c) {
    TouchedView v;
    for (const GUID& id : c.ids) v.kinds[id] = m.kindOf(id);
    for (const auto& [kind, ids] : c.modified)
        for (const GUID& id : ids) v.digests[kind][id] = m.kindOf(id) == kind ? objectDigest(m, kind, id) : 0;
    for (const GUID& disk : c.disks) v.partitions[disk] = partitionOffsets(m, disk);
    for (char16_t letter : c.letters)
        if (const Volume* holder = m.volumeWithLetter(letter)) v.letterHolders[letter] = holder->id;
    for (const GUID& id : c.volumes)
        if (m.volumes.contains(id)) v.volumes[id] = {m.accessPaths(id), fileSystemDigest(m, id)};
    return v;
}

void notePartitionsLeaving(const TouchedView& from, const TouchedView& to, Event event, Batch& out) {
    for (const auto& [disk, offsets] : from.partitions) {
        const auto& theirs = to.partitions.at(disk);
        for (std::uint64_t offset : offsets)
            if (!theirs.count(offset)) out.push_back(partitionNotice(disk, offset, event));
    }
}

void noteKindLeaving(const TouchedView& from, const TouchedView& to, Kind kind, Event event, Batch& out) {
    for (const auto& [id, k] : from.kinds)
        if (k == kind && to.kinds.at(id) != kind) note(out, kind, id, event);
}

// Letters held by partitions of the disks the open change touched.
std::set<char16_t> touchedPartitionLetters(const Model& m) {
    std::set<char16_t> out;
    for (const auto& [id, old] : m.disks.before())
        if (const Disk* d = m.disks.get(id))
            for (const Partition& p : d->partitions)
                if (p.driveLetter != 0) out.insert(p.driveLetter);
    return out;
}

}  // namespace

void notePartitionLetters(Model& m, Batch& out) {
    const auto after = touchedPartitionLetters(m);
    m.tradeTouched();
    const auto before = touchedPartitionLetters(m);
    m.tradeTouched();
    const GUID noVolume{};
    for (char16_t letter : before)
        if (!after.count(letter)) out.push_back(driveLetterNotice(letter, nullptr));
    for (char16_t letter : after)
        if (!before.count(letter)) out.push_back(driveLetterNotice(letter, &noVolume));
}

void noteTouched(Model& m, Batch& out) {
    const Candidates c = candidatesOf(m);
    const TouchedView after = viewOf(m, c);
    m.tradeTouched();
    const TouchedView before = viewOf(m, c);
    m.tradeTouched();

    notePartitionsLeaving(before, after, Event::Depart, out);
    for (auto k = std::rbegin(kKindEvents); k != std::rend(kKindEvents); ++k)
        noteKindLeaving(before, after, k->kind, Event::Depart, out);
    for (const auto& k : kKindEvents) {
        if (k.kind == Kind::Volume) notePartitionsLeaving(after, before, Event::Arrive, out);
        noteKindLeaving(after, before, k.kind, Event::Arrive, out);
    }
    for (const auto& k : kKindEvents)
        for (const GUID& id : c.modified.at(k.kind))
            if (before.kinds.count(id) ? before.kinds.at(id) == k.kind && after.kinds.at(id) == k.kind
                                       : m.kindOf(id) == k.kind) {
                if (before.digests.at(k.kind).at(id) != after.digests.at(k.kind).at(id))
                    note(out, k.kind, id, Event::Modify);
            }

    for (const auto& [letter, volume] : before.letterHolders) {
        auto it = after.letterHolders.find(letter);
        if (it == after.letterHolders.end() || it->second != volume) out.push_back(driveLetterNotice(letter, nullptr));
    }
    for (const auto& [letter, volume] : after.letterHolders) {
        auto it = before.letterHolders.find(letter);
        if (it == before.letterHolders.end() || it->second != volume) out.push_back(driveLetterNotice(letter, &volume));
    }
    for (const auto& [id, now] : after.volumes) {
        auto was = before.volumes.find(id);
        if (was != before.volumes.end() && was->second.first != now.first) out.push_back(mountPointsNotice(id));
    }
    for (const auto& [id, now] : after.volumes) {
        auto was = before.volumes.find(id);
        if (was != before.volumes.end() && was->second.second != now.second) out.push_back(fileSystemNotice(id));
    }
}

std::optional<VDS_NOTIFICATION> objectNotice(Kind kind, const GUID& id, Event event) {
    const KindEvents* k = eventsOf(kind);
    if (k == nullptr) return std::nullopt;
    VDS_NOTIFICATION n{};
    n.objectType = k->target;
    const ULONG code = eventCode(*k, event);
    switch (kind) {
        case Kind::SubSystem: n.SubSystem = {code, id}; break;
        case Kind::Controller: n.Controller = {code, id}; break;
        case Kind::Port: n.Port = {code, id}; break;
        case Kind::Drive: n.Drive = {code, id}; break;
        case Kind::Lun: n.Lun = {code, id}; break;
        case Kind::Pack: n.Pack = {code, id}; break;
        case Kind::Disk: n.Disk = {code, id}; break;
        case Kind::Volume: n.Volume = {code, id, GUID{}, 0}; break;
        default: return std::nullopt;
    }
    return n;
}

void note(Batch& out, Kind kind, const GUID& id, Event event) {
    if (auto n = objectNotice(kind, id, event)) out.push_back(*n);
}

VDS_NOTIFICATION partitionNotice(const GUID& disk, std::uint64_t offset, Event event) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_PARTITION;
    const ULONG code = event == Event::Arrive   ? VDS_NF_PARTITION_ARRIVE
                       : event == Event::Depart ? VDS_NF_PARTITION_DEPART
                                                : VDS_NF_PARTITION_MODIFY;
    n.Partition = {code, disk, offset};
    return n;
}

VDS_NOTIFICATION driveLetterNotice(char16_t letter, const GUID* volume) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_DRIVE_LETTER;
    n.Letter = {volume ? VDS_NF_DRIVE_LETTER_ASSIGN : VDS_NF_DRIVE_LETTER_FREE, static_cast<WCHAR>(letter),
                volume ? *volume : GUID{}};
    return n;
}

VDS_NOTIFICATION mountPointsNotice(const GUID& volume) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_MOUNT_POINT;
    n.MountPoint = {VDS_NF_MOUNT_POINTS_CHANGE, volume};
    return n;
}

VDS_NOTIFICATION fileSystemNotice(const GUID& volume) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_FILE_SYSTEM;
    n.FileSystem = {VDS_NF_FILE_SYSTEM_MODIFY, volume, 0};
    return n;
}

void noteDifferences(const Model& before, const Model& after, Batch& out) {
    // A partition that goes is told before the volume on it, and one that
    // comes before its volume.
    notePartitions(before, after, Event::Depart, out);
    for (auto k = std::rbegin(kKindEvents); k != std::rend(kKindEvents); ++k)
        for (const GUID& id : missingFrom(before, after, k->kind)) note(out, k->kind, id, Event::Depart);
    for (const auto& k : kKindEvents) {
        if (k.kind == Kind::Volume) notePartitions(after, before, Event::Arrive, out);
        for (const GUID& id : missingFrom(after, before, k.kind)) note(out, k.kind, id, Event::Arrive);
    }
    for (const auto& k : kKindEvents) {
        std::vector<GUID> changed;
        for (const auto& [id, kind] : after.kinds)
            if (kind == k.kind && before.kindOf(id) == kind &&
                objectDigest(before, kind, id) != objectDigest(after, kind, id))
                changed.push_back(id);
        for (const GUID& id : sorted(std::move(changed))) note(out, k.kind, id, Event::Modify);
    }

    const auto lettersBefore = letters(before);
    const auto lettersAfter = letters(after);
    for (const auto& [letter, volume] : lettersBefore) {
        auto it = lettersAfter.find(letter);
        if (it == lettersAfter.end() || it->second != volume) out.push_back(driveLetterNotice(letter, nullptr));
    }
    for (const auto& [letter, volume] : lettersAfter) {
        auto it = lettersBefore.find(letter);
        if (it == lettersBefore.end() || it->second != volume) out.push_back(driveLetterNotice(letter, &volume));
    }
    std::vector<GUID> kept;
    for (const auto& [id, v] : after.volumes)
        if (before.volumes.count(id)) kept.push_back(id);
    kept = sorted(std::move(kept));
    for (const GUID& id : kept)
        if (before.accessPaths(id) != after.accessPaths(id)) out.push_back(mountPointsNotice(id));
    for (const GUID& id : kept)
        if (fileSystemDigest(before, id) != fileSystemDigest(after, id)) out.push_back(fileSystemNotice(id));
}

VDS_NOTIFICATION formatProgressNotice(const GUID& volume, unsigned long percent) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_FILE_SYSTEM;
    n.FileSystem = {VDS_NF_FILE_SYSTEM_FORMAT_PROGRESS, volume, static_cast<DWORD>(percent)};
    return n;
}

VDS_NOTIFICATION rebuildProgressNotice(const GUID& volume, const GUID& plex, ULONG percent) {
    VDS_NOTIFICATION n{};
    n.objectType = VDS_NTT_VOLUME;
    n.Volume = {VDS_NF_VOLUME_REBUILDING_PROGRESS, volume, plex, percent};
    return n;
}

}  // namespace tolvane::sim
