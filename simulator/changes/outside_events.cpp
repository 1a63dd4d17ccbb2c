#include "changes/outside_events.h"

#include "changes/access_paths.h"
#include "changes/hardware_failures.h"
#include "changes/volume_changes.h"
#include "core/notices.h"
#include "model/model_edit.h"
#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

std::int32_t* statusField(Model& m, Kind kind, const GUID& id) {
    switch (kind) {
        case Kind::Lun: return &m.luns.at(id).status;
        case Kind::LunPlex: return &m.lunPlexes.at(id).status;
        case Kind::Pack: return &m.packs.at(id).status;
        case Kind::Disk: return &m.disks.at(id).status;
        case Kind::Volume: return &m.volumes.at(id).status;
        case Kind::VolumePlex: return &m.volumePlexes.at(id).status;
        default: return nullptr;  // providers; hardware takes changeHardwareStatus
    }
}

// The object whose modification a plex's change is told as.
std::pair<Kind, GUID> toldAs(const Model& m, Kind kind, const GUID& id) {
    if (kind == Kind::LunPlex) return {Kind::Lun, m.lunPlexes.at(id).lun};
    if (kind == Kind::VolumePlex) return {Kind::Volume, m.volumePlexes.at(id).volume};
    return {kind, id};
}

// A volume that vanishes takes what lay on it: its partitions on a basic
// disk, the mount folders inside it.
void takeAwayVolume(Model& m, const GUID& volume) {
    std::vector<DiskSpan> spans;
    const Volume& v = std::as_const(m.volumes).at(volume);
    const bool basic = !isDynamicPack(m, std::as_const(m.packs).at(v.pack));
    for (const GUID& plex : v.plexes)
        for (const DiskSpan& s : std::as_const(m.volumePlexes).at(plex).extents) spans.push_back(s);
    removeVolume(m, volume);
    std::vector<DiskSpan> departed;
    if (basic)
        for (const DiskSpan& s : spans) removeBasicPartition(m, s.disk, s.offset, departed);
}

// A basic disk that vanishes takes its volumes and its one-disk pack along.
void takeAwayDisk(Model& m, const GUID& disk) {
    const GUID pack = std::as_const(m.disks).at(disk).pack;
    const Pack* holder = std::as_const(m.packs).get(pack);
    if (holder == nullptr || isDynamicPack(m, *holder)) {
        removeObject(m, disk);
        return;
    }
    for (const GUID& v : volumesOnDisk(m, disk)) removeVolume(m, v);
    removeObject(m, disk);
    const Pack& left = std::as_const(m.packs).at(pack);
    if (left.disks.empty() && left.volumes.empty()) removeObject(m, pack);
}

}  // namespace

ChangeFunction setStatus(const GUID& id, std::int32_t status) {
    return ChangeFunction::Apply([id, status](Model& m, Batch& out, ChangeOutput& output) -> HRESULT {
        auto kind = m.kindOf(id);
        if (!kind) return VDS_E_OBJECT_NOT_FOUND;
        // Hardware failing, or coming back, from outside takes the path a
        // client's SetStatus takes, down to the LUNs on it.
        if (*kind == Kind::SubSystem || *kind == Kind::Controller || *kind == Kind::Port || *kind == Kind::Drive)
            return changeHardwareStatus(id, status)(m, out, output);
        std::int32_t* field = statusField(m, *kind, id);
        if (field == nullptr) return VDS_E_NOT_SUPPORTED;
        if (*field == status) return S_FALSE;
        *field = status;
        auto [k, told] = toldAs(m, *kind, id);
        note(out, k, told, Event::Modify);
        return S_OK;
    });
}

ChangeFunction removeFromMachine(const GUID& id) {
    return [id](Model& m, Batch& out) -> HRESULT {
        auto kind = m.kindOf(id);
        if (!kind) return VDS_E_OBJECT_NOT_FOUND;
        if (*kind == Kind::Volume)
            takeAwayVolume(m, id);
        else if (*kind == Kind::Disk)
            takeAwayDisk(m, id);
        else
            removeObject(m, id);
        // Storage that others still live on (a drive under a LUN, a disk
        // under a volume) cannot simply vanish from the model.
        if (findRuleBreak(m)) return VDS_E_DEVICE_IN_USE;
        // The holders' modifications and the drives' freed extents come
        // from the differences too.
        noteTouched(m, out);
        return S_OK;
    };
}

}  // namespace tolvane::sim
