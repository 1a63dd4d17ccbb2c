// A fingerprint of the whole machine, so a test can tell that an operation
// which failed left no trace. Objects kept in hash maps are combined without
// regard to the map's order; lists the service enumerates in order keep it.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace tolvane::sim {

std::uint64_t modelDigest(const Model& model);

}  // namespace tolvane::sim
