// Single owner of one COM reference inside the stand-ins.
#pragma once

#include <memory>

#include "platform/com_types.h"

namespace tolvane::compat {

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

// Holds a reference that was already taken; gives it back once on reset or
// destruction.
template <typename Interface>
using ComOwner = std::unique_ptr<Interface, ComReleaser>;

}  // namespace tolvane::compat
