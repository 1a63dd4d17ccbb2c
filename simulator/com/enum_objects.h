// IEnumVdsObject over a snapshot of identifiers taken when the enumeration
// was opened: later changes to the machine do not move it.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "com/counted_object.h"
#include "platform/vds_interfaces.h"

namespace tolvane::sim {

using ObjectList = std::vector<std::pair<Kind, GUID>>;

// A new enumeration with one reference for the caller.
IEnumVdsObject* makeEnumeration(ObjectList objects);

// Children of one kind in model order, as an enumeration snapshot.
ObjectList listOf(Kind kind, const std::vector<GUID>& ids);
ObjectList listOf(Kind kind, const IdList& ids);

}  // namespace tolvane::sim
