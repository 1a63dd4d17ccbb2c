// A fingerprint of the whole machine, so a test can tell that an operation
// which failed left no trace. Objects kept in hash maps are combined without
// regard to the map's order; lists the service enumerates in order keep it.
#pragma once

#include <cstdint>

#include "model/model.h"

namespace tolvane::sim {

// The objects' fingerprints come from sums the model keeps as of its last
// commit, corrected by what was touched since; only the order of each
// parent's children is walked.
std::uint64_t modelDigest(const Model& model);

// The digest of what VDS calls can read: settings only the simulator keeps
// (docs/topology.md, "What a capture cannot read") are taken at their
// defaults on both sides, so a captured machine compares equal to its source.
std::uint64_t vdsReadableDigest(const Model& model);

// Each table's sum as it stands now (the committed sums corrected by what
// the open change touched); a commit keeps them.
DigestSums currentDigestSums(const Model& model);

// A fingerprint of what a client reads from one object's properties (for a
// drive or disk, its extents too; for a LUN or volume, its plexes), so that
// a difference means the object was modified. 0 for no such object.
std::uint64_t objectDigest(const Model& model, Kind kind, const GUID& id);
std::uint64_t fileSystemDigest(const Model& model, const GUID& volume);

}  // namespace tolvane::sim
