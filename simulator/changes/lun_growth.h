// How a LUN grows: Extend and QueryMaxLunExtendSize read one plan, so that
// the most a LUN is said to grow by is exactly what Extend then takes.
#pragma once

#include <cstdint>
#include <vector>

#include "model/change.h"

namespace tolvane::sim {

// The stretches one plex would add, in the order it would use them.
struct PlexGrowth {
    GUID plex{};
    std::vector<DriveSpan> added;
};

struct LunGrowthPlan {
    HRESULT result = S_OK;
    std::vector<PlexGrowth> plexes;  // each plex of the LUN, when the plan succeeds
};

// What growing the LUN by `bytes` would take, changing nothing. Every plex
// grows by the same bytes. A simple or spanned plex keeps its own drives, and
// every other drive in service (the named first, then the rest, most free
// first) goes whole to the copy with the least room so far, so that copies
// stay apart and grow alike; each plex then takes free stretches of its named
// drives, its own, then the rest it was given. A striped or parity plex grows
// each column alike on the drive it already uses, in one stretch. No drive
// named: every drive in service is considered.
LunGrowthPlan planLunGrowth(const Model& m, const GUID& lun, std::uint64_t bytes, const std::vector<GUID>& drives);

// All or nothing: a LUN that cannot grow by all of `bytes` stays as it was.
ChangeFunction extendLun(const GUID& lun, std::uint64_t bytes, std::vector<GUID> drives);

// The most bytes for which planLunGrowth succeeds: Extend by it succeeds, by
// one byte more it does not. Refusals of the plan itself (a drive of another
// subsystem, a failed LUN) are answered as Extend answers them.
HRESULT maxLunExtendSize(const Model& m, const GUID& lun, const std::vector<GUID>& drives, std::uint64_t& bytes);

}  // namespace tolvane::sim
