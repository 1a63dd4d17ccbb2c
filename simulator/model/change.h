// What a change of the machine is: a function over the model that edits it
// in place and adds the notifications it owes, answering a VDS result code.
// No COM, locks or threads inside; whoever runs it makes it a transaction
// (the service's core: open, apply, check, commit or undo).
#pragma once

#include <functional>
#include <vector>

#include "model/model.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

using Batch = std::vector<VDS_NOTIFICATION>;

using ChangeFunction = std::function<HRESULT(Model&, Batch&)>;

}  // namespace tolvane::sim
