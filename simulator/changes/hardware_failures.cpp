#include "changes/hardware_failures.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "changes/drive_space.h"
#include "core/notices.h"
#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

constexpr std::uint64_t kGiB = 1ull << 30;

bool isFaultTolerant(const Lun& lun) { return lun.type == kMirrorType || lun.type == kParityType; }

void addOnce(std::vector<GUID>& ids, const GUID& id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

// A failed or pulled drive is gone for good; one set offline or not ready may
// come back, so only Recover looks for a stand-in for it.
bool driveLost(const Drive& d) { return d.status == kHwFailed || d.status == kHwRemoved; }

// How many drives a plex misses, how many hold only stale copies, and how
// many it can do without.
struct PlexCondition {
    std::size_t lost = 0;
    std::size_t stale = 0;
    std::size_t tolerated = 0;
    bool whole() const { return lost + stale == 0; }
    bool holdsData() const { return lost + stale <= tolerated; }
};

PlexCondition conditionOf(const Model& m, const LunPlex& plex) {
    std::vector<GUID> lost;
    std::vector<GUID> stale;
    for (const DriveSpan& s : plex.extents) {
        if (!driveInService(m.drives.at(s.drive)))
            addOnce(lost, s.drive);
        else if (s.stale)
            addOnce(stale, s.drive);
    }
    return {lost.size(), stale.size(), plex.type == kParityType ? 1u : 0u};
}

bool hasStaleInService(const Model& m, const LunPlex& plex) {
    return std::any_of(plex.extents.begin(), plex.extents.end(),
                       [&](const DriveSpan& s) { return s.stale && driveInService(m.drives.at(s.drive)); });
}

// A mirror of striped plexes (RAID 10) keeps its data while each column has
// a current copy on some plex, even when no plex is whole any more.
bool everyStripeHasACopy(const Model& m, const Lun& lun) {
    std::vector<std::vector<GUID>> columns;
    for (const GUID& p : lun.plexes) {
        const LunPlex& plex = m.lunPlexes.at(p);
        if (plex.type != kStripeType) return false;
        columns.push_back(plexColumns(plex));
        if (columns.back().size() != columns.front().size()) return false;
    }
    if (columns.size() < 2) return false;
    const auto current = [&](const GUID& plexId, const GUID& drive) {
        if (!driveInService(m.drives.at(drive))) return false;
        const auto& extents = m.lunPlexes.at(plexId).extents;
        return std::none_of(extents.begin(), extents.end(),
                            [&](const DriveSpan& s) { return s.drive == drive && s.stale; });
    };
    for (std::size_t column = 0; column < columns.front().size(); ++column) {
        bool copied = false;
        std::size_t i = 0;
        for (const GUID& p : lun.plexes) copied = copied || current(p, columns[i++][column]);
        if (!copied) return false;
    }
    return true;
}

bool controllerServes(const Model& m, const GUID& id) {
    const Controller& c = m.controllers.at(id);
    if (c.status != kHwOnline) return false;
    if (c.ports.empty()) return true;  // a machine that does not describe its ports
    return std::any_of(c.ports.begin(), c.ports.end(),
                       [&](const GUID& p) { return m.ports.at(p).status == kHwOnline; });
}

// The controllers a LUN is reached through: those associated with it, or all
// of the subsystem's when it names none.
std::vector<GUID> pathsOf(const Model& m, const Lun& lun) {
    return lun.associatedControllers.empty() ? m.subsystems.at(lun.subsystem).controllers.toVector()
                                             : lun.associatedControllers;
}

// Hosts reach a LUN through any of its controllers that serves, while its
// subsystem is up.
bool reachable(const Model& m, const Lun& lun) {
    const SubSystem& s = m.subsystems.at(lun.subsystem);
    if (s.status != kHwOnline && s.status != VDS_SSS_PARTIALLY_MANAGED) return false;
    const std::vector<GUID> paths = pathsOf(m, lun);
    if (paths.empty()) return true;
    return std::any_of(paths.begin(), paths.end(), [&](const GUID& c) { return controllerServes(m, c); });
}

// A dual-controller array moves a LUN whose active controllers all stopped
// serving to one of its associated controllers that still serves (it does
// not move it back by itself). A LUN with no active controller keeps none.
std::vector<GUID> activeAfterFailover(const Model& m, const Lun& lun) {
    const auto serves = [&](const GUID& c) { return controllerServes(m, c); };
    const std::vector<GUID>& active = lun.activeControllers;
    if (active.empty() || std::any_of(active.begin(), active.end(), serves)) return active;
    const std::vector<GUID> paths = pathsOf(m, lun);
    const auto survivor = std::find_if(paths.begin(), paths.end(), serves);
    return survivor == paths.end() ? lun.activeControllers : std::vector<GUID>{*survivor};
}

std::vector<GUID> lunsOnDrive(const Model& m, const GUID& drive) {
    std::vector<GUID> luns;
    for (const GUID& plex : m.lunPlexesOnDrive(drive)) addOnce(luns, m.lunPlexes.at(plex).lun);
    return luns;
}

// Health follows the status where it says all: failed, or back in service.
void followHealth(std::int32_t status, std::int32_t& health) {
    if (status == kHwFailed) health = VDS_H_FAILED;
    if (status == kHwOnline) health = VDS_H_HEALTHY;
}

// The copies on a drive that comes back missed every write its LUN took
// while it was away.
void markMissedWrites(Model& m, const GUID& drive) {
    for (const GUID& plexId : std::as_const(m).lunPlexesOnDrive(drive)) {
        const Lun& lun = std::as_const(m).luns.at(std::as_const(m).lunPlexes.at(plexId).lun);
        if (!isFaultTolerant(lun) || lun.status != kHwOnline) continue;
        for (DriveSpan& s : m.lunPlexes.at(plexId).extents)
            if (s.drive == drive) s.stale = true;
    }
}

// Sets the object's status and answers the LUNs resting on it.
std::vector<GUID> setStatusOf(Model& m, Kind kind, const GUID& id, std::int32_t status) {
    const Model& seen = m;
    switch (kind) {
        case Kind::Drive: {
            const bool wasInService = driveInService(seen.drives.at(id));
            Drive& d = m.drives.at(id);
            d.status = status;
            followHealth(status, d.health);
            if (!wasInService && driveInService(d)) markMissedWrites(m, id);
            return lunsOnDrive(seen, id);
        }
        case Kind::Controller: {
            Controller& c = m.controllers.at(id);
            c.status = status;
            followHealth(status, c.health);
            const bool serving = status == kHwOnline;
            for (const GUID& p : seen.controllers.at(id).ports) {
                const std::int32_t portStatus = seen.ports.at(p).status;
                if (!serving && portStatus == kHwOnline) m.ports.at(p).status = kHwOffline;
                if (serving && portStatus == kHwOffline) m.ports.at(p).status = kHwOnline;
            }
            return seen.subsystems.at(seen.controllers.at(id).subsystem).luns.toVector();
        }
        case Kind::Port: {
            m.ports.at(id).status = status;
            const Controller& c = seen.controllers.at(seen.ports.at(id).controller);
            return seen.subsystems.at(c.subsystem).luns.toVector();
        }
        case Kind::SubSystem: {
            SubSystem& s = m.subsystems.at(id);
            s.status = status;
            followHealth(status, s.health);
            return seen.subsystems.at(id).luns.toVector();
        }
        default: return {};
    }
}

std::optional<std::int32_t> hardwareStatus(const Model& m, Kind kind, const GUID& id) {
    switch (kind) {
        case Kind::Drive: return m.drives.at(id).status;
        case Kind::Controller: return m.controllers.at(id).status;
        case Kind::Port: return m.ports.at(id).status;
        case Kind::SubSystem: return m.subsystems.at(id).status;
        default: return std::nullopt;
    }
}

// A drive or controller pulled out departs rather than changes, and one
// put back arrives.
void retellPresence(Batch& out, Kind kind, const GUID& id, Event event) {
    const auto modified = objectNotice(kind, id, Event::Modify);
    const auto told = objectNotice(kind, id, event);
    if (!modified || !told) return;
    for (VDS_NOTIFICATION& n : out)
        if (std::memcmp(&n, &*modified, sizeof n) == 0) n = *told;
}

void tellLeftGroup(Batch& out, const std::vector<GUID>& drives) {
    for (const GUID& d : drives) {
        VDS_NOTIFICATION left{};
        left.objectType = VDS_NTT_DRIVE;
        left.Drive = {VDS_NF_DRIVE_REMOVED, d};
        out.push_back(left);
    }
}

bool needsLookingAfter(const Model& m, const GUID& lunId) {
    const Lun& lun = m.luns.at(lunId);
    if (!m.subsystems.at(lun.subsystem).recoversByItself || !isFaultTolerant(lun) || !lunHoldsData(m, lun))
        return false;
    for (const GUID& p : lun.plexes) {
        const LunPlex& plex = m.lunPlexes.at(p);
        if (hasStaleInService(m, plex) && !lun.rebuilding) return true;
        for (const DriveSpan& s : plex.extents)
            if (driveLost(m.drives.at(s.drive))) return true;
    }
    return false;
}

// Where each of `sizes` would lie on the drive's free space, largest first
// into the first stretch that takes it; nullopt when they do not all fit.
std::optional<std::vector<std::uint64_t>> placeOn(const Model& m, const GUID& drive,
                                                  const std::vector<std::uint64_t>& sizes) {
    std::vector<Stretch> free = freeStretches(m, drive);
    std::vector<std::size_t> order(sizes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
    std::vector<std::uint64_t> offsets(sizes.size());
    for (std::size_t i : order) {
        auto room = std::find_if(free.begin(), free.end(), [&](const Stretch& f) { return f.size >= sizes[i]; });
        if (room == free.end()) return std::nullopt;
        offsets[i] = room->offset;
        room->offset += sizes[i];
        room->size -= sizes[i];
    }
    return offsets;
}

std::vector<std::uint64_t> spanSizesOn(const Model& m, const Lun& lun, const GUID& drive) {
    std::vector<std::uint64_t> sizes;
    for (const GUID& p : lun.plexes)
        for (const DriveSpan& s : m.lunPlexes.at(p).extents)
            if (s.drive == drive) sizes.push_back(s.size);
    return sizes;
}

bool holdsPartOf(const Model& m, const Lun& lun, const GUID& drive) {
    for (const GUID& p : lun.plexes)
        for (const DriveSpan& s : m.lunPlexes.at(p).extents)
            if (s.drive == drive) return true;
    return false;
}

enum class StandIns { HotSparesOnly, AnyDrive };

struct StandIn {
    GUID drive;
    std::vector<std::uint64_t> offsets;
};

// A drive of the subsystem, in service, holding nothing of the LUN (copies
// stay apart), with room for what the lost drive held of it; hot spares
// first, in the subsystem's order.
std::optional<StandIn> findStandIn(const Model& m, const Lun& lun, const GUID& lost, StandIns which) {
    const std::vector<std::uint64_t> sizes = spanSizesOn(m, lun, lost);
    for (const bool spares : {true, false}) {
        if (!spares && which == StandIns::HotSparesOnly) break;
        for (const GUID& d : m.subsystems.at(lun.subsystem).drives) {
            const Drive& drive = m.drives.at(d);
            if (((drive.flags & VDS_DRF_HOTSPARE) != 0) != spares || !driveInService(drive) || holdsPartOf(m, lun, d))
                continue;
            if (auto offsets = placeOn(m, d, sizes)) return StandIn{d, std::move(*offsets)};
        }
    }
    return std::nullopt;
}

// The stand-in takes over what the lost drive held of the LUN, as copies
// still to be rebuilt; a spare that stands in is a spare no longer.
void standIn(Model& m, const GUID& lunId, const GUID& lost, const StandIn& in) {
    std::size_t next = 0;
    for (const GUID& p : std::as_const(m).luns.at(lunId).plexes)
        for (DriveSpan& s : m.lunPlexes.at(p).extents)
            if (s.drive == lost) s = {in.drive, in.offsets[next++], s.size, true};
    m.drives.at(in.drive).flags &= ~VDS_DRF_HOTSPARE;
    m.drives.at(lost).health = VDS_H_REPLACED;
}

void beginRebuild(Model& m, const GUID& lunId) {
    const Lun& lun = std::as_const(m).luns.at(lunId);
    if (lun.rebuilding) return;
    for (const GUID& p : lun.plexes)
        if (hasStaleInService(m, std::as_const(m).lunPlexes.at(p))) {
            m.luns.at(lunId).rebuilding = true;
            return;
        }
}

// Stand-ins for every drive of the LUN that `needsOne` picks; the drives
// that left the LUN are added to `left`. False when one found none.
template <typename Picks>
bool standInFor(Model& m, const GUID& lunId, StandIns which, Picks needsOne, std::vector<GUID>& left) {
    std::vector<GUID> lost;
    const Lun& lun = std::as_const(m).luns.at(lunId);
    for (const GUID& p : lun.plexes)
        for (const DriveSpan& s : std::as_const(m).lunPlexes.at(p).extents)
            if (needsOne(std::as_const(m).drives.at(s.drive))) addOnce(lost, s.drive);
    for (const GUID& d : lost) {
        const auto in = findStandIn(m, std::as_const(m).luns.at(lunId), d, which);
        if (!in) return false;
        standIn(m, lunId, d, *in);
        left.push_back(d);
    }
    return true;
}

VDS_NOTIFICATION lunRebuildProgressNotice(const GUID& lun, const GUID& plex, ULONG percent) {
    // No notification of its own exists for a LUN's rebuild: the volume's
    // progress event carries it, with the LUN as its target.
    VDS_NOTIFICATION n = rebuildProgressNotice(lun, plex, percent);
    n.objectType = VDS_NTT_LUN;
    return n;
}

void tellProgress(const Model& m, const Lun& lun, ULONG percent, Batch& out) {
    for (const GUID& p : lun.plexes)
        if (hasStaleInService(m, m.lunPlexes.at(p))) out.push_back(lunRebuildProgressNotice(lun.id, p, percent));
}

}  // namespace

bool driveInService(const Drive& drive) { return drive.status == kHwOnline; }

bool lunHoldsData(const Model& m, const Lun& lun) {
    return std::any_of(lun.plexes.begin(), lun.plexes.end(),
                       [&](const GUID& p) { return conditionOf(m, m.lunPlexes.at(p)).holdsData(); }) ||
           everyStripeHasACopy(m, lun);
}

void judgeLun(Model& m, const GUID& lunId) {
    const Model& seen = m;
    const Lun& lun = seen.luns.at(lunId);
    std::vector<PlexCondition> conditions;
    bool holds = false;
    bool anyStale = false;
    for (const GUID& p : lun.plexes) {
        conditions.push_back(conditionOf(seen, seen.lunPlexes.at(p)));
        holds = holds || conditions.back().holdsData();
        anyStale = anyStale || conditions.back().stale > 0;
    }
    holds = holds || everyStripeHasACopy(seen, lun);
    const bool rebuilding = lun.rebuilding && holds && anyStale;
    const std::int32_t catchingUp = rebuilding ? VDS_H_REBUILDING : VDS_H_STALE;

    bool degraded = false;
    bool catching = false;
    std::size_t i = 0;
    for (const GUID& p : lun.plexes) {
        const PlexCondition& c = conditions[i++];
        std::pair<std::int32_t, std::int32_t> state{kHwFailed, VDS_H_FAILED};
        if (c.whole())
            state = {kHwOnline, VDS_H_HEALTHY};
        else if (c.holdsData())
            state = {kHwOnline, c.lost > 0 ? VDS_H_FAILED_REDUNDANCY : catchingUp};
        else if (c.lost == 0 && holds)
            state = {kHwOnline, catchingUp};  // a copy made again from another plex
        degraded = degraded || state.second == VDS_H_FAILED || state.second == VDS_H_FAILED_REDUNDANCY ||
                   state.second == VDS_H_STALE;
        catching = catching || state.second == VDS_H_REBUILDING;
        const LunPlex& plex = seen.lunPlexes.at(p);
        if (plex.status != state.first || plex.health != state.second) {
            LunPlex& edit = m.lunPlexes.at(p);
            edit.status = state.first;
            edit.health = state.second;
        }
    }

    std::int32_t status = lun.status;
    std::int32_t health = VDS_H_FAILED;
    if (!holds) {
        status = kHwFailed;
    } else {
        health = degraded ? VDS_H_FAILED_REDUNDANCY : catching ? VDS_H_REBUILDING : VDS_H_HEALTHY;
        if (!reachable(seen, lun)) {
            if (status == kHwOnline || status == kHwFailed) status = kHwNotReady;
        } else if (status == kHwFailed || status == kHwNotReady) {
            status = kHwOnline;
        }
    }
    std::vector<GUID> active = activeAfterFailover(seen, lun);
    if (lun.status != status || lun.health != health || lun.rebuilding != rebuilding ||
        lun.activeControllers != active) {
        Lun& edit = m.luns.at(lunId);
        edit.status = status;
        edit.health = health;
        edit.rebuilding = rebuilding;
        edit.activeControllers = std::move(active);
    }
}

ChangeFunction changeHardwareStatus(const GUID& id, std::int32_t status) {
    return ChangeFunction::Apply([id, status](Model& m, Batch& out, ChangeOutput& output) -> HRESULT {
        const auto kind = m.kindOf(id);
        if (!kind) return VDS_E_OBJECT_NOT_FOUND;
        const auto was = hardwareStatus(m, *kind, id);
        if (!was) return VDS_E_NOT_SUPPORTED;
        if (*was == status) return S_FALSE;
        const HRESULT hr = tellingDifferences([&](Model& d) {
            const std::vector<GUID> luns = setStatusOf(d, *kind, id, status);
            for (const GUID& l : luns) judgeLun(d, l);
            for (const GUID& l : luns)
                if (needsLookingAfter(d, l)) output.lunsToRecover.push_back(l);
            return S_OK;
        })(m, out);
        if (FAILED(hr)) return hr;
        if (*kind == Kind::Drive || *kind == Kind::Controller) {
            if (status == kHwRemoved) retellPresence(out, *kind, id, Event::Depart);
            if (*was == kHwRemoved) retellPresence(out, *kind, id, Event::Arrive);
        }
        return S_OK;
    });
}

ChangeFunction beginRecoveryByItself(const GUID& lunId) {
    return [lunId](Model& m, Batch& out) -> HRESULT {
        const Lun* lun = std::as_const(m).luns.get(lunId);
        if (lun == nullptr || !needsLookingAfter(m, lunId)) return S_FALSE;
        std::vector<GUID> left;
        const HRESULT hr = tellingDifferences([&](Model& d) {
            standInFor(d, lunId, StandIns::HotSparesOnly, driveLost, left);
            beginRebuild(d, lunId);
            judgeLun(d, lunId);
            return S_OK;
        })(m, out);
        tellLeftGroup(out, left);
        return hr;
    };
}

ChangeFunction recoverLun(const GUID& lunId) {
    return [lunId](Model& m, Batch& out) -> HRESULT {
        const Lun* lun = std::as_const(m).luns.get(lunId);
        if (lun == nullptr) return VDS_E_OBJECT_DELETED;
        if (!isFaultTolerant(*lun)) return VDS_E_INVALID_OPERATION;
        if (m.subsystems.at(lun->subsystem).status == kHwFailed || !lunHoldsData(m, *lun))
            return VDS_E_OBJECT_STATUS_FAILED;
        std::vector<GUID> left;
        const auto outOfService = [](const Drive& d) { return !driveInService(d); };
        const HRESULT hr = tellingDifferences([&](Model& d) -> HRESULT {
            if (!standInFor(d, lunId, StandIns::AnyDrive, outOfService, left)) return VDS_E_NOT_ENOUGH_DRIVE;
            beginRebuild(d, lunId);
            judgeLun(d, lunId);
            return S_OK;
        })(m, out);
        if (SUCCEEDED(hr)) tellLeftGroup(out, left);
        return hr;
    };
}

ChangeFunction replaceDrive(const GUID& subsystem, const GUID& replaced, const GUID& replacement) {
    return ChangeFunction::Apply([=](Model& m, Batch& out, ChangeOutput& output) -> HRESULT {
        const Model& seen = m;
        const SubSystem& s = seen.subsystems.at(subsystem);
        if (!s.drives.contains(replaced) || !s.drives.contains(replacement)) return VDS_E_OBJECT_NOT_FOUND;
        if (s.status == kHwFailed) return VDS_E_OBJECT_STATUS_FAILED;
        if (replaced == replacement) return E_INVALIDARG;
        const Drive& incoming = seen.drives.at(replacement);
        if (!driveInService(incoming)) return VDS_E_OBJECT_STATUS_FAILED;
        if (!seen.lunPlexesOnDrive(replacement).empty()) return VDS_E_DEVICE_IN_USE;
        const std::vector<GUID> plexes = seen.lunPlexesOnDrive(replaced);
        std::uint64_t needed = 0;
        for (const GUID& id : plexes)
            for (const DriveSpan& span : seen.lunPlexes.at(id).extents)
                if (span.drive == replaced) needed = std::max(needed, span.offset + span.size);
        if (needed > incoming.size) return VDS_E_NOT_ENOUGH_SPACE;
        const bool replacedInService = driveInService(seen.drives.at(replaced));
        // What a drive out of service held is rebuilt from what the LUN still
        // holds; a LUN that lost its data cannot be rebuilt.
        if (!replacedInService)
            for (const GUID& id : plexes)
                if (!lunHoldsData(seen, seen.luns.at(seen.lunPlexes.at(id).lun))) return VDS_E_OBJECT_STATUS_FAILED;
        const HRESULT hr = tellingDifferences([&](Model& d) {
            std::vector<GUID> luns;
            for (const GUID& id : plexes) {
                addOnce(luns, std::as_const(d).lunPlexes.at(id).lun);
                // Another copy rebuilds a fault-tolerant LUN's stretches; any
                // other LUN's are copied from the replaced drive at once.
                const bool rebuilt = isFaultTolerant(std::as_const(d).luns.at(luns.back()));
                for (DriveSpan& span : d.lunPlexes.at(id).extents)
                    if (span.drive == replaced) span = {replacement, span.offset, span.size, rebuilt || span.stale};
            }
            // A copy that would be the LUN's last is taken from the replaced
            // drive at once instead.
            for (const GUID& l : luns)
                if (replacedInService && !lunHoldsData(d, std::as_const(d).luns.at(l)))
                    for (const GUID& p : std::as_const(d).luns.at(l).plexes)
                        for (DriveSpan& span : d.lunPlexes.at(p).extents)
                            if (span.drive == replacement) span.stale = false;
            if (needed == 0) return S_OK;  // an unused drive leaves nothing to take over
            d.drives.at(replacement).flags &= ~VDS_DRF_HOTSPARE;
            d.drives.at(replaced).health = VDS_H_REPLACED;
            for (const GUID& l : luns) {
                beginRebuild(d, l);
                judgeLun(d, l);
                if (std::as_const(d).luns.at(l).rebuilding) output.lunsToRecover.push_back(l);
            }
            return S_OK;
        })(m, out);
        if (hr == S_OK && needed != 0) tellLeftGroup(out, {replaced});
        return hr;
    });
}

ChangeFunction tellRebuildProgress(const GUID& lunId, ULONG percent) {
    return [lunId, percent](Model& m, Batch& out) -> HRESULT {
        const Lun* lun = std::as_const(m).luns.get(lunId);
        if (lun == nullptr || !lun->rebuilding) return S_FALSE;
        tellProgress(m, *lun, percent, out);
        return S_OK;
    };
}

ChangeFunction finishRebuild(const GUID& lunId) {
    return [lunId](Model& m, Batch& out) -> HRESULT {
        const Lun* lun = std::as_const(m).luns.get(lunId);
        if (lun == nullptr || !lun->rebuilding) return S_FALSE;
        tellProgress(m, *lun, 100, out);
        return tellingDifferences([lunId](Model& d) {
            for (const GUID& p : std::as_const(d).luns.at(lunId).plexes)
                if (hasStaleInService(d, std::as_const(d).lunPlexes.at(p)))
                    for (DriveSpan& s : d.lunPlexes.at(p).extents)
                        if (driveInService(std::as_const(d).drives.at(s.drive))) s.stale = false;
            d.luns.at(lunId).rebuilding = false;
            judgeLun(d, lunId);
            return S_OK;
        })(m, out);
    };
}

std::uint64_t rebuildMilliseconds(const Model& m, const GUID& lunId) {
    const Lun* lun = m.luns.get(lunId);
    if (lun == nullptr || !lun->rebuilding) return 0;
    std::uint64_t bytes = 0;
    for (const GUID& p : lun->plexes)
        for (const DriveSpan& s : m.lunPlexes.at(p).extents)
            if (s.stale && driveInService(m.drives.at(s.drive))) bytes += s.size;
    const std::uint64_t perGiB = m.subsystems.at(lun->subsystem).rebuildMsPerGiB;
    return (bytes / kGiB) * perGiB + (bytes % kGiB) * perGiB / kGiB;
}

}  // namespace tolvane::sim
