// The free space of a subsystem's drives and how LUN plexes take it: shared
// by the building of LUNs and their growth, so that both read a drive alike.
#pragma once

#include <cstdint>
#include <vector>

#include "model/model.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

struct Stretch {
    std::uint64_t offset;
    std::uint64_t size;
};

// A drive's free stretches, in offset order, as the drive reports its extents.
std::vector<Stretch> freeStretches(const Model& m, const GUID& drive);
std::uint64_t largestFree(const Model& m, const GUID& drive);
std::uint64_t totalFree(const Model& m, const GUID& drive);

// The drives in order of the most free space in one stretch first (stable).
std::vector<GUID> mostFreeFirst(const Model& m, std::vector<GUID> drives);

// Takes `bytes` from the drives in order, each drive's free stretches used up
// before the next drive; nothing is taken when they do not hold it all.
bool takeInOrder(const Model& m, const std::vector<GUID>& drives, std::uint64_t bytes, std::vector<DriveSpan>& out);
// One column of `bytes` on the drive, in one stretch.
bool takeColumn(const Model& m, const GUID& drive, std::uint64_t bytes, std::vector<DriveSpan>& out);

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b);

// The drives given for a LUN to be built on or grow onto: VDS_E_OBJECT_NOT_FOUND
// for one of another subsystem, VDS_E_OBJECT_STATUS_FAILED for one out of
// service, VDS_E_INVALID_OPERATION for a hot spare (kept for rebuilds),
// E_INVALIDARG for one named twice.
HRESULT checkLunDrives(const Model& m, const SubSystem& s, const std::vector<GUID>& drives);

// A stripe or parity plex: its data lies in columns, one per drive.
bool isStriped(std::int32_t plexType);
// The drives of a plex's columns, in the order its extents first name them.
std::vector<GUID> plexColumns(const LunPlex& plex);
// The columns that hold data, not parity (never fewer than one).
std::uint64_t dataColumns(const LunPlex& plex, std::size_t columns);

}  // namespace tolvane::sim
