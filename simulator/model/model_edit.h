// Adding and removing objects of the model with every index kept in step:
// the object's own map, the kind index, and its parent's list of children.
// The change functions use these and nothing else to grow or shrink the
// machine, so no change can leave a half-filed object behind.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "model/model.h"

namespace tolvane::sim {

// Files `object` under the parent it names, at `position` in the parent's
// list (the end when past it). VDS_E_OBJECT_EXISTS when its identifier is
// taken, VDS_E_OBJECT_NOT_FOUND when its parent is missing; the model is
// untouched on failure.
HRESULT addObject(Model& m, Provider object);
HRESULT addObject(Model& m, SubSystem object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Controller object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Port object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Drive object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Lun object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, LunPlex object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Pack object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Disk object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, Volume object, std::size_t position = SIZE_MAX);
HRESULT addObject(Model& m, VolumePlex object, std::size_t position = SIZE_MAX);

// Files a disk under another pack, or among the unallocated disks when
// `pack` is null; the end of the new list.
void moveDisk(Model& m, const GUID& disk, const GUID& pack);

struct RemovedObject {
    Kind kind;
    GUID id;
};

// Removes the object and everything under it, and every mention of it in
// other objects' lists (a controller from the LUNs it serves). Returns what
// went, parents before their children; empty when no such object exists.
std::vector<RemovedObject> removeObject(Model& m, const GUID& id);

}  // namespace tolvane::sim
