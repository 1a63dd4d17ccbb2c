// What the service's management calls do to subsystems, controllers and
// drives, and through the drives to the LUNs built on them. Each is one pure
// change function: model in, notifications and a VDS result out.
#pragma once

#include <cstdint>

#include "model/change.h"

namespace tolvane::sim {

// IVdsSubSystem::SetStatus, IVdsController::SetStatus, IVdsDrive::SetStatus.
// A value the object's status enumeration lacks, or UNKNOWN, is E_INVALIDARG;
// REMOVED names a physical event no call can cause (VDS_E_NOT_SUPPORTED).
// Otherwise the change is the one every status change takes
// (changeHardwareStatus), which judges the LUNs resting on the object again.
ChangeFunction setSubSystemStatus(const GUID& id, std::int32_t status);
ChangeFunction setControllerStatus(const GUID& id, std::int32_t status);
ChangeFunction setDriveStatus(const GUID& id, std::int32_t status);

// IVdsController::Reset.
ChangeFunction resetController(const GUID& id);

// IVdsDrive::SetFlags / ClearFlags; only the hot-spare flag is the caller's.
ChangeFunction setDriveFlags(const GUID& id, std::uint32_t flags);
ChangeFunction clearDriveFlags(const GUID& id, std::uint32_t flags);

// IVdsMaintenance on a subsystem, controller or drive.
enum class MaintenanceAction { Start, Stop, Pulse };
ChangeFunction maintain(const GUID& id, MaintenanceAction action, std::int32_t operation);

}  // namespace tolvane::sim
