// Identifiers in their 36-character text form (no braces), as the topology
// files, the journal and log lines show them.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/com_types.h"

namespace tolvane::sim {

std::string guidToText(const GUID& id);
std::optional<GUID> guidFromText(std::string_view text);
bool isNullGuid(const GUID& id);

struct GuidHash {
    std::size_t operator()(const GUID& g) const noexcept;
};

}  // namespace tolvane::sim
