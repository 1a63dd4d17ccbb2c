// The LUN operations of a hardware RAID subsystem, each one pure change of
// the machine: building LUNs from drive extents, shrinking and deleting them,
// moving plexes between them, and their settings. Growth is lun_growth.h.
#pragma once

#include <string>
#include <vector>

#include "model/change.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

struct NewLun {
    GUID subsystem{};
    std::int32_t type = 0;  // VDS_LUN_TYPE
    std::uint64_t size = 0;
    std::vector<GUID> drives;  // in the order to use; empty: the subsystem chooses
    std::u16string unmaskingList;
    Hints hints;
};

// The model's form of hints a caller gives.
Hints hintsFromVds(const VDS_HINTS& hints);

// A new identifier for the next LUN built on this machine, never one a
// LUN has had before.
GUID nextLunId(Model& m);

// Gives back the new LUN (ChangeOutput::made).
ChangeFunction createLun(NewLun request);
ChangeFunction deleteLun(const GUID& lun);
ChangeFunction shrinkLun(const GUID& lun, std::uint64_t bytes);
ChangeFunction addLunPlex(const GUID& lun, const GUID& source);
ChangeFunction removeLunPlex(const GUID& lun, const GUID& plex);
ChangeFunction setLunStatus(const GUID& lun, std::int32_t status);
ChangeFunction applyLunHints(const GUID& lun, Hints hints);
ChangeFunction associateControllers(const GUID& lun, std::vector<GUID> active, std::vector<GUID> inactive);
// Replaces the hosts the LUN is unmasked to with the effective form of
// `list`; a malformed list is E_INVALIDARG (model/unmasking_list.h).
ChangeFunction setLunMask(const GUID& lun, std::u16string list);

// VDS_E_OBJECT_STATUS_FAILED for a failed LUN or one on a failed subsystem:
// what it holds cannot be grown, shrunk or mirrored; only Delete, the remedy,
// is left to it.
HRESULT checkLunWorking(const Model& m, const Lun& lun);

}  // namespace tolvane::sim
