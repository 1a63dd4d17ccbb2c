// The model's rules, checked on what the open change touched and on what
// lies beside it (the other stretches of the drives and disks it reached,
// the holders of the letters it handed out), so that every build can afford
// to check every change however large the machine.
#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

bool contains(const std::vector<GUID>& ids, const GUID& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool isLetter(char16_t c) { return c >= u'A' && c <= u'Z'; }

class TouchedChecker {
public:
    explicit TouchedChecker(const Model& m) : m_(m) {}

    std::optional<RuleBreak> run() {
        filing();
        for (const auto& [id, old] : m_.luns.before())
            if (const Lun* l = m_.luns.get(id)) lun(*l);
        for (const auto& [id, old] : m_.lunPlexes.before())
            if (const LunPlex* p = m_.lunPlexes.get(id)) lunPlex(*p);
        for (const auto& [id, old] : m_.drives.before())
            if (const Drive* d = m_.drives.get(id)) {
                if (d->size == 0) fail(id, "size", "a drive needs a size above 0");
                drives_.insert(id);
            }
        for (const GUID& drive : drives_) overlaps(m_.lunPlexesOnDrive(drive), m_.lunPlexes, &DriveSpan::drive, drive,
                                                   "two LUN extents");
        for (const auto& [id, old] : m_.volumes.before()) {
            if (const Volume* v = m_.volumes.get(id)) volume(*v);
            if (old) pathsGone(*old);
        }
        for (const auto& [id, old] : m_.volumePlexes.before())
            if (const VolumePlex* p = m_.volumePlexes.get(id)) volumePlex(*p);
        for (const auto& [id, old] : m_.disks.before())
            if (const Disk* d = m_.disks.get(id)) disk(*d);
        for (const GUID& disk : disks_) {
            overlaps(m_.volumePlexesOnDisk(disk), m_.volumePlexes, &DiskSpan::disk, disk, "two volume extents");
            if (auto broken = findDiskPlacementBreak(m_, m_.disks.at(disk))) fail(broken->object, broken->field, broken->what);
        }
        return broken_;
    }

private:
    const Model& m_;
    std::optional<RuleBreak> broken_;
    std::unordered_set<GUID, GuidHash> drives_;
    std::unordered_set<GUID, GuidHash> disks_;

    void fail(const GUID& object, std::string field, std::string what) {
        if (!broken_) broken_ = RuleBreak{object, std::move(field), std::move(what)};
    }

    bool tableHolds(Kind kind, const GUID& id) const {
        switch (kind) {
            case Kind::Provider: return m_.providers.contains(id);
            case Kind::SubSystem: return m_.subsystems.contains(id);
            case Kind::Controller: return m_.controllers.contains(id);
            case Kind::Port: return m_.ports.contains(id);
            case Kind::Drive: return m_.drives.contains(id);
            case Kind::Lun: return m_.luns.contains(id);
            case Kind::LunPlex: return m_.lunPlexes.contains(id);
            case Kind::Pack: return m_.packs.contains(id);
            case Kind::Disk: return m_.disks.contains(id);
            case Kind::Volume: return m_.volumes.contains(id);
            case Kind::VolumePlex: return m_.volumePlexes.contains(id);
        }
        return false;
    }

    // An object touched is filed under its kind, and names a parent that is there.
    void filing() {
        for (const auto& [id, old] : m_.kinds.before()) {
            if (const auto kind = m_.kindOf(id)) {
                if (!tableHolds(*kind, id)) fail(id, "", "is in the kind index but not in the model");
            } else if (old && tableHolds(*old, id)) {
                fail(id, "", "is in the model but not in the kind index");
            }
        }
        parents(m_.subsystems, &SubSystem::provider, Kind::Provider);
        parents(m_.controllers, &Controller::subsystem, Kind::SubSystem);
        parents(m_.ports, &Port::controller, Kind::Controller);
        parents(m_.drives, &Drive::subsystem, Kind::SubSystem);
        parents(m_.luns, &Lun::subsystem, Kind::SubSystem);
        parents(m_.lunPlexes, &LunPlex::lun, Kind::Lun);
        parents(m_.packs, &Pack::provider, Kind::Provider);
        for (const auto& [id, old] : m_.disks.before())
            if (const Disk* d = m_.disks.get(id); d != nullptr && !isNullGuid(d->pack) && m_.kindOf(d->pack) != Kind::Pack)
                fail(id, "", "names a parent that is not in the model");
        parents(m_.volumes, &Volume::pack, Kind::Pack);
        parents(m_.volumePlexes, &VolumePlex::volume, Kind::Volume);
    }

    template <typename T>
    void parents(const ObjectTable<T>& table, GUID T::*parent, Kind kind) {
        for (const auto& [id, old] : table.before())
            if (const T* object = table.get(id); object != nullptr && m_.kindOf(object->*parent) != kind)
                fail(id, "", "names a parent that is not in the model");
    }

    void lun(const Lun& l) {
        if (l.plexes.empty()) fail(l.id, "plexes", "a LUN needs at least one plex");
        for (const GUID& c : l.associatedControllers) {
            const Controller* controller = m_.controllers.get(c);
            if (controller == nullptr || controller->subsystem != l.subsystem)
                fail(l.id, "associatedControllers", guidToText(c) + " is not a controller of this subsystem");
        }
        for (const GUID& c : l.activeControllers)
            if (!contains(l.associatedControllers, c))
                fail(l.id, "activeControllers", "an active controller must also be associated with the LUN");
    }

    void lunPlex(const LunPlex& p) {
        const Lun* owner = m_.luns.get(p.lun);
        if (owner == nullptr) return;  // told by filing()
        if (p.extents.empty()) fail(p.id, "extents", "a LUN plex needs at least one drive extent");
        std::uint64_t raw = 0;
        for (std::size_t i = 0; i < p.extents.size(); ++i) {
            const DriveSpan& e = p.extents[i];
            const std::string field = "extents/" + std::to_string(i);
            const Drive* d = m_.drives.get(e.drive);
            if (d == nullptr || d->subsystem != owner->subsystem) {
                fail(p.id, field + "/drive", guidToText(e.drive) + " is not a drive of this subsystem");
                continue;
            }
            if (e.size == 0) fail(p.id, field + "/size", "an extent needs a size above 0");
            if (e.offset + e.size < e.offset || e.offset + e.size > d->size)
                fail(p.id, field, "the extent runs past the end of its drive");
            drives_.insert(e.drive);
            raw += e.size;
        }
        if (p.size > plexCapacity(p.type, raw, static_cast<std::uint32_t>(p.extents.size())))
            fail(p.id, "size", "the plex is larger than its drive extents hold");
    }

    void volume(const Volume& v) {
        if (v.plexes.empty()) fail(v.id, "plexes", "a volume needs at least one plex");
        if (v.fileSystem && v.fileSystem->availableAllocationUnits > v.fileSystem->totalAllocationUnits)
            fail(v.id, "fileSystem/availableAllocationUnits", "more available than total allocation units");
        if (v.driveLetter != 0) {
            if (!isLetter(v.driveLetter)) fail(v.id, "driveLetter", "expected one letter A to Z");
            if (m_.volumesWithLetter(v.driveLetter).size() > 1 || m_.diskWithPartitionLetter(v.driveLetter) != nullptr)
                fail(v.id, "driveLetter", std::string("drive letter ") + static_cast<char>(v.driveLetter) +
                                              " is held twice");
        }
        for (std::size_t i = 0; i < v.mountFolders.size(); ++i) {
            const std::u16string& folder = v.mountFolders[i];
            const std::string field = "mountFolders/" + std::to_string(i);
            if (folder.size() < 4 || folder[1] != u':' || folder[2] != u'\\' || folder.back() != u'\\') {
                fail(v.id, field, "a mount folder is a full path ending in a backslash");
                continue;
            }
            const auto host = driveLetterHolder(m_, folder[0]);
            if (!host)
                fail(v.id, field, "no volume holds drive letter " + std::string(1, static_cast<char>(folder[0])));
            else if (*host == v.id)
                fail(v.id, field, "a volume cannot be mounted inside itself");
        }
    }

    // No mount folder is left under an access path that has gone.
    void pathsGone(const Volume& old) {
        const Volume* now = m_.volumes.get(old.id);
        std::vector<std::u16string> gone;
        if (old.driveLetter != 0 && (now == nullptr || now->driveLetter != old.driveLetter) &&
            !driveLetterHolder(m_, old.driveLetter))
            gone.push_back(std::u16string{old.driveLetter, u':', u'\\'});
        for (const auto& folder : old.mountFolders)
            if (now == nullptr || std::find(now->mountFolders.begin(), now->mountFolders.end(), folder) ==
                                      now->mountFolders.end())
                gone.push_back(folder);
        for (const auto& path : gone)
            for (const GUID& id : volumesMountedUnder(m_, path))
                if (id != old.id) fail(id, "mountFolders", "a mount folder lies under a path no volume holds");
    }

    void volumePlex(const VolumePlex& p) {
        const Volume* owner = m_.volumes.get(p.volume);
        if (owner == nullptr) return;  // told by filing()
        if (p.extents.empty()) fail(p.id, "extents", "a volume plex needs at least one disk extent");
        for (std::size_t i = 0; i < p.extents.size(); ++i) {
            const DiskSpan& e = p.extents[i];
            const std::string field = "extents/" + std::to_string(i);
            const Disk* d = m_.disks.get(e.disk);
            if (d == nullptr || d->pack != owner->pack) {
                fail(p.id, field + "/disk", guidToText(e.disk) + " is not a disk of this pack");
                continue;
            }
            if (e.size == 0) fail(p.id, field + "/size", "an extent needs a size above 0");
            if (e.offset + e.size < e.offset || e.offset + e.size > d->size)
                fail(p.id, field, "the extent runs past the end of its disk");
            disks_.insert(e.disk);
        }
        if (p.size > volumePlexCapacity(p))
            fail(p.id, "size", "the plex is larger than its disk extents hold");
    }

    void disk(const Disk& d) {
        disks_.insert(d.id);
        if (auto broken = findPartitionTableBreak(d)) fail(broken->object, broken->field, broken->what);
        for (std::size_t i = 0; i < d.partitions.size(); ++i) {
            const Partition& p = d.partitions[i];
            const std::string field = "partitions/" + std::to_string(i);
            if (p.driveLetter == 0) continue;
            if (!isLetter(p.driveLetter)) fail(d.id, field + "/driveLetter", "expected one letter A to Z");
            if (m_.volumeAt(d.id, p.offset) != nullptr)
                fail(d.id, field + "/driveLetter", "a volume's partition takes its letter through the volume");
            const Disk* holder = m_.diskWithPartitionLetter(p.driveLetter);
            const bool twiceHere =
                std::count_if(d.partitions.begin(), d.partitions.end(),
                              [&](const Partition& q) { return q.driveLetter == p.driveLetter; }) > 1;
            if (m_.volumeWithLetter(p.driveLetter) != nullptr || (holder != nullptr && holder->id != d.id) || twiceHere)
                fail(d.id, field + "/driveLetter",
                     std::string("drive letter ") + static_cast<char>(p.driveLetter) + " is held twice");
        }
    }

    template <typename Plex, typename Span>
    void overlaps(const std::vector<GUID>& plexes, const ObjectTable<Plex>& table, GUID Span::*place,
                  const GUID& where, const char* what) {
        struct Stretch {
            std::uint64_t begin, end;
            GUID owner;
        };
        std::vector<Stretch> stretches;
        for (const GUID& id : plexes)
            for (const auto& span : table.at(id).extents)
                if (span.*place == where) stretches.push_back({span.offset, span.offset + span.size, id});
        std::sort(stretches.begin(), stretches.end(), [](const Stretch& a, const Stretch& b) { return a.begin < b.begin; });
        for (std::size_t i = 1; i < stretches.size(); ++i)
            if (stretches[i].begin < stretches[i - 1].end)
                fail(stretches[i].owner, "extents", std::string(what) + " overlap on " + guidToText(where));
    }
};

}  // namespace

std::optional<RuleBreak> findTouchedRuleBreak(const Model& model) { return TouchedChecker(model).run(); }

}  // namespace tolvane::sim
