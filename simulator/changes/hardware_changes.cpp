#include "changes/hardware_changes.h"

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "changes/hardware_failures.h"
#include "core/notices.h"
#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

// What a caller may ask each kind to become. REMOVED is known to the
// controller and drive enumerations, but only a hand pulling the hardware
// causes it.
constexpr std::int32_t kSubSystemStatuses[] = {1, 2, 4, 5, 9};  // ... PARTIALLY_MANAGED
constexpr std::int32_t kDeviceStatuses[] = {1, 2, 4, 5};

enum class Removable { No, ByHand };

HRESULT checkStatus(std::span<const std::int32_t> settable, Removable removable, std::int32_t status) {
    if (std::find(settable.begin(), settable.end(), status) != settable.end()) return S_OK;
    if (removable == Removable::ByHand && status == kHwRemoved) return VDS_E_NOT_SUPPORTED;
    return E_INVALIDARG;
}

// A client's SetStatus takes the one path every status change takes; asking
// for the status the object already has is no failure.
ChangeFunction setStatusAsked(std::span<const std::int32_t> settable, Removable removable, const GUID& id,
                              std::int32_t status) {
    return ChangeFunction::Apply([settable, removable, id, status](Model& m, Batch& out, ChangeOutput& output) {
        if (HRESULT hr = checkStatus(settable, removable, status); hr != S_OK) return hr;
        const HRESULT hr = changeHardwareStatus(id, status)(m, out, output);
        return hr == S_FALSE ? S_OK : hr;
    });
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
    return setStatusAsked(kSubSystemStatuses, Removable::No, id, status);
}

ChangeFunction setControllerStatus(const GUID& id, std::int32_t status) {
    return setStatusAsked(kDeviceStatuses, Removable::ByHand, id, status);
}

ChangeFunction setDriveStatus(const GUID& id, std::int32_t status) {
    return setStatusAsked(kDeviceStatuses, Removable::ByHand, id, status);
}

ChangeFunction resetController(const GUID& id) {
    return [id](Model& m, Batch& out) -> HRESULT {
        return editAndTell(m, out, [&](Model& d) {
            Controller& c = d.controllers.at(id);
            c.maintenanceRunning = 0;
            // Re-initialising brings a controller that was still starting
            // into service; it cannot mend a failed one.
            if (c.status == kHwNotReady) c.status = kHwOnline;
            return S_OK;
        });
    };
}

ChangeFunction setDriveFlags(const GUID& id, std::uint32_t flags) {
    return [id, flags](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = checkCallerFlags(flags); hr != S_OK) return hr;
        // A failed drive can stand in for nothing.
        if ((flags & VDS_DRF_HOTSPARE) != 0 && std::as_const(m).drives.at(id).status == kHwFailed)
            return VDS_E_OBJECT_STATUS_FAILED;
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
