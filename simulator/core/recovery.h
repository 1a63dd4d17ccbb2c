// The subsystem's own work on a LUN, run on the service's worker: stand-ins
// for failed drives, then a rebuild that takes its time, told a step at a
// time. Each step is one committed change, so clients see the LUN go from
// degraded through rebuilding to healthy, and a drive that fails meanwhile
// stops the rebuild where it stands.
#pragma once

#include <functional>

#include "platform/vds_types.h"

namespace tolvane::sim {

class Core;

// Brings the LUN's stale stretches up to date, reporting each step's percent
// (below 100) to `report`. Answers S_OK when the LUN ends healthy,
// VDS_E_OBJECT_DELETED when it went, VDS_E_OBJECT_STATUS_FAILED otherwise.
HRESULT rebuildLun(Core& core, const GUID& lun, const std::function<void(ULONG)>& report);

// What the subsystem does by itself: stand-ins from its hot spares, then the rebuild.
void lookAfterLun(Core& core, const GUID& lun);

}  // namespace tolvane::sim
