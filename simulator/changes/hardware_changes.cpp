#include "changes/hardware_changes.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "core/notices.h"
#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

// Status values shared by the subsystem, controller, drive, LUN and LUN plex
// enumerations, which the judging below mixes.
constexpr std::int32_t kOnline = VDS_DRS_ONLINE;
constexpr std::int32_t kNotReady = VDS_DRS_NOT_READY;
constexpr std::int32_t kFailed = VDS_DRS_FAILED;
constexpr std::int32_t kRemoved = VDS_DRS_REMOVED;
static_assert(kOnline == VDS_SSS_ONLINE && kOnline == VDS_CS_ONLINE && kOnline == VDS_LS_ONLINE &&
              kOnline == VDS_LPS_ONLINE);
static_assert(kNotReady == VDS_SSS_NOT_READY && kNotReady == VDS_CS_NOT_READY && kNotReady == VDS_LS_NOT_READY);
static_assert(kFailed == VDS_SSS_FAILED && kFailed == VDS_CS_FAILED && kFailed == VDS_LS_FAILED &&
              kFailed == VDS_LPS_FAILED);
static_assert(kRemoved == VDS_CS_REMOVED);

// Health values (VDS_HEALTH).


// What a caller may ask each kind to become. REMOVED is known to the
// controller and drive enumerations, but only a hand pulling the hardware
// causes it.
constexpr std::int32_t kSubSystemStatuses[] = {1, 2, 4, 5, 9};  // ... PARTIALLY_MANAGED
constexpr std::int32_t kDeviceStatuses[] = {1, 2, 4, 5};

enum class Removable { No, ByHand };

HRESULT checkStatus(std::span<const std::int32_t> settable, Removable removable, std::int32_t status) {
    if (std::find(settable.begin(), settable.end(), status) != settable.end()) return S_OK;
    if (removable == Removable::ByHand && status == kRemoved) return VDS_E_NOT_SUPPORTED;
    return E_INVALIDARG;
}

void addOnce(std::vector<GUID>& ids, const GUID& id) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

bool inService(const Model& m, const GUID& drive) { return m.drives.at(drive).status == kOnline; }

// A plex survives as many lost drives as it has redundancy for.
void judgePlex(const Model& m, LunPlex& plex) {
    std::vector<GUID> lost;
    for (const DriveSpan& s : plex.extents)
        if (!inService(m, s.drive)) addOnce(lost, s.drive);
    const std::size_t tolerated = plex.type == kParityType ? 1 : 0;
    if (lost.empty()) {
        plex.status = kOnline;
        plex.health = VDS_H_HEALTHY;
    } else if (lost.size() <= tolerated) {
        plex.status = kOnline;
        plex.health = VDS_H_FAILED_REDUNDANCY;
    } else {
        plex.status = kFailed;
        plex.health = VDS_H_FAILED;
    }
}

// A LUN stays usable while one of its plexes is; it is whole again only
// when all of them are.
void judgeLun(Model& m, Lun& lun) {
    bool anyUsable = false;
    bool allHealthy = true;
    for (const GUID& p : lun.plexes) {
        LunPlex& plex = m.lunPlexes.at(p);
        judgePlex(m, plex);
        anyUsable = anyUsable || plex.status == kOnline;
        allHealthy = allHealthy && plex.health == VDS_H_HEALTHY;
    }
    if (!anyUsable) {
        lun.status = kFailed;
        lun.health = VDS_H_FAILED;
        return;
    }
    if (lun.status == kFailed) lun.status = kOnline;
    lun.health = allHealthy ? VDS_H_HEALTHY : VDS_H_FAILED_REDUNDANCY;
}

// Judges again every LUN with a stretch on `drive`.
void judgeLunsOn(Model& m, const GUID& drive) {
    std::vector<GUID> luns;
    for (const GUID& plex : m.lunPlexesOnDrive(drive)) addOnce(luns, std::as_const(m.lunPlexes).at(plex).lun);
    for (const GUID& l : luns) judgeLun(m, m.luns.at(l));
}

// Applies `edit` to the model and tells what it changed.
template <typename Edit>
HRESULT editAndTell(Model& m, Batch& out, Edit&& edit) {
    return tellingDifferences(std::forward<Edit>(edit))(m, out);
}

bool driveHoldsData(const Model& m, const GUID& drive) { return !m.lunPlexesOnDrive(drive).empty(); }

HRESULT checkCallerFlags(std::uint32_t flags) { return (flags & ~VDS_DRF_HOTSPARE) != 0 ? E_INVALIDARG : S_OK; }

// Which maintenance operations each kind of object can perform
// (bit 1 << VDS_MAINTENANCE_OPERATION).
constexpr std::uint32_t bit(std::int32_t op) { return 1u << op; }
constexpr std::uint32_t kSubSystemOperations = bit(BlinkLight) | bit(BeepAlarm) | bit(Ping);
constexpr std::uint32_t kControllerOperations = bit(BlinkLight) | bit(Ping);
constexpr std::uint32_t kDriveOperations = bit(BlinkLight) | bit(SpinDown) | bit(SpinUp) | bit(Ping);

struct MaintenanceSlot {
    std::uint32_t* running;
    std::uint32_t supported;
};

std::optional<MaintenanceSlot> maintenanceOf(Model& m, const GUID& id) {
    switch (m.kindOf(id).value_or(Kind::Provider)) {
        case Kind::SubSystem: return MaintenanceSlot{&m.subsystems.at(id).maintenanceRunning, kSubSystemOperations};
        case Kind::Controller:
            return MaintenanceSlot{&m.controllers.at(id).maintenanceRunning, kControllerOperations};
        case Kind::Drive: return MaintenanceSlot{&m.drives.at(id).maintenanceRunning, kDriveOperations};
        default: return std::nullopt;
    }
}

}  // namespace

ChangeFunction setSubSystemStatus(const GUID& id, std::int32_t status) {
    return [id, status](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = checkStatus(kSubSystemStatuses, Removable::No, status); hr != S_OK) return hr;
        return editAndTell(m, out, [&](Model& d) {
            d.subsystems.at(id).status = status;
            return S_OK;
        });
    };
}

ChangeFunction setControllerStatus(const GUID& id, std::int32_t status) {
    return [id, status](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = checkStatus(kDeviceStatuses, Removable::ByHand, status); hr != S_OK) return hr;
        return editAndTell(m, out, [&](Model& d) {
            Controller& c = d.controllers.at(id);
            c.status = status;
            if (status == kFailed) c.health = VDS_H_FAILED;
            else if (status == kOnline) c.health = VDS_H_HEALTHY;
            return S_OK;
        });
    };
}

ChangeFunction setDriveStatus(const GUID& id, std::int32_t status) {
    return [id, status](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = checkStatus(kDeviceStatuses, Removable::ByHand, status); hr != S_OK) return hr;
        return editAndTell(m, out, [&](Model& d) {
            Drive& drive = d.drives.at(id);
            drive.status = status;
            if (status == kFailed) drive.health = VDS_H_FAILED;
            else if (status == kOnline) drive.health = VDS_H_HEALTHY;
            judgeLunsOn(d, id);
            return S_OK;
        });
    };
}

ChangeFunction replaceDrive(const GUID& subsystem, const GUID& replaced, const GUID& replacement) {
    return [=](Model& m, Batch& out) -> HRESULT {
        const SubSystem& s = m.subsystems.at(subsystem);
        const auto ours = [&](const GUID& d) {
            return std::find(s.drives.begin(), s.drives.end(), d) != s.drives.end();
        };
        if (!ours(replaced) || !ours(replacement)) return VDS_E_OBJECT_NOT_FOUND;
        if (replaced == replacement) return E_INVALIDARG;
        const Drive& incoming = m.drives.at(replacement);
        if (incoming.status != kOnline) return VDS_E_OBJECT_STATUS_FAILED;
        if (driveHoldsData(m, replacement)) return VDS_E_DEVICE_IN_USE;
        const Model& seen = m;
        const std::vector<GUID> plexes = seen.lunPlexesOnDrive(replaced);
        std::uint64_t needed = 0;
        for (const GUID& id : plexes)
            for (const DriveSpan& span : seen.lunPlexes.at(id).extents)
                if (span.drive == replaced) needed = std::max(needed, span.offset + span.size);
        if (needed > incoming.size) return VDS_E_NOT_ENOUGH_SPACE;
        // The stretches of a drive out of service are rebuilt from what the
        // LUN still holds; a LUN that lost its data cannot be rebuilt.
        if (!inService(m, replaced))
            for (const GUID& id : plexes)
                if (seen.luns.at(seen.lunPlexes.at(id).lun).status == kFailed) return VDS_E_OBJECT_STATUS_FAILED;
        const HRESULT hr = editAndTell(m, out, [&](Model& d) {
            for (const GUID& id : plexes)
                for (DriveSpan& span : d.lunPlexes.at(id).extents)
                    if (span.drive == replaced) span.drive = replacement;
            if (needed == 0) return S_OK;  // an unused drive leaves nothing to take over
            // A spare that stands in is a spare no longer.
            d.drives.at(replacement).flags &= ~VDS_DRF_HOTSPARE;
            d.drives.at(replaced).health = VDS_H_REPLACED;
            judgeLunsOn(d, replacement);
            return S_OK;
        });
        if (hr != S_OK || needed == 0) return hr;
        // The replaced drive has left the RAID groups it served.
        VDS_NOTIFICATION left{};
        left.objectType = VDS_NTT_DRIVE;
        left.Drive = {VDS_NF_DRIVE_REMOVED, replaced};
        out.push_back(left);
        return S_OK;
    };
}

ChangeFunction resetController(const GUID& id) {
    return [id](Model& m, Batch& out) -> HRESULT {
        return editAndTell(m, out, [&](Model& d) {
            Controller& c = d.controllers.at(id);
            c.maintenanceRunning = 0;
            // Re-initialising brings a controller that was still starting
            // into service; it cannot mend a failed one.
            if (c.status == kNotReady) c.status = kOnline;
            return S_OK;
        });
    };
}

ChangeFunction setDriveFlags(const GUID& id, std::uint32_t flags) {
    return [id, flags](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = checkCallerFlags(flags); hr != S_OK) return hr;
        // A drive that holds LUN data cannot wait as a spare for another.
        if ((flags & VDS_DRF_HOTSPARE) != 0 && driveHoldsData(m, id)) return VDS_E_DEVICE_IN_USE;
        return editAndTell(m, out, [&](Model& d) {
            d.drives.at(id).flags |= flags;
            return S_OK;
        });
    };
}

ChangeFunction clearDriveFlags(const GUID& id, std::uint32_t flags) {
    return [id, flags](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = checkCallerFlags(flags); hr != S_OK) return hr;
        return editAndTell(m, out, [&](Model& d) {
            d.drives.at(id).flags &= ~flags;
            return S_OK;
        });
    };
}

ChangeFunction maintain(const GUID& id, MaintenanceAction action, std::int32_t operation) {
    return [=](Model& m, Batch&) -> HRESULT {
        if (operation < BlinkLight || operation > Ping) return E_INVALIDARG;
        const auto slot = maintenanceOf(m, id);
        if (!slot) return VDS_E_NOT_SUPPORTED;  // a LUN keeps no operations
        if ((slot->supported & bit(operation)) == 0) return VDS_E_NOT_SUPPORTED;
        std::uint32_t& running = *slot->running;
        switch (action) {
            case MaintenanceAction::Start:
                // Spinning down and up undo each other.
                if (operation == SpinDown) running &= ~bit(SpinUp);
                if (operation == SpinUp) running &= ~bit(SpinDown);
                running |= bit(operation);
                return S_OK;
            case MaintenanceAction::Stop:
                if ((running & bit(operation)) == 0) return S_FALSE;
                running &= ~bit(operation);
                return S_OK;
            case MaintenanceAction::Pulse:
                if (operation == SpinDown || operation == SpinUp) return VDS_E_NOT_SUPPORTED;
                if ((running & bit(operation)) == 0) return S_FALSE;
                // The pulses are given at once; the operation then stops.
                running &= ~bit(operation);
                return S_OK;
        }
        return E_INVALIDARG;
    };
}

}  // namespace tolvane::sim
