// Changes that happen to the machine from outside the service: a drive
// pulled or failing, a controller taken away. Tests and the demo cause them
// through the control surface; each is one pure change function.
#pragma once

#include "model/change.h"

namespace tolvane::sim {

// Sets the status of a subsystem, controller, port, drive, LUN, pack, disk
// or volume (valued as that kind's VDS status enumeration). Hardware takes
// the path of every hardware status change (changeHardwareStatus): the LUNs
// on it are judged again, and a drive or controller that becomes REMOVED
// departs. Anything else is a modification of the object. S_FALSE, with
// nothing sent, when the status is already that.
ChangeFunction setStatus(const GUID& id, std::int32_t status);

// Takes the object and everything under it out of the machine; each object
// that had notifications of its own departs, and the objects that held it
// are modified.
ChangeFunction removeFromMachine(const GUID& id);

}  // namespace tolvane::sim
