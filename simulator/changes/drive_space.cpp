#include "changes/drive_space.h"

#include <algorithm>

#include "changes/hardware_failures.h"
#include "model/model_rules.h"

namespace tolvane::sim {

std::vector<Stretch> freeStretches(const Model& m, const GUID& drive) {
    std::vector<Stretch> out;
    std::uint64_t cursor = 0;
    for (const auto& e : m.driveExtents(drive)) {
        if (!e.used) out.push_back({cursor, e.size});
        cursor += e.size;
    }
    return out;
}

std::uint64_t largestFree(const Model& m, const GUID& drive) {
    std::uint64_t largest = 0;
    for (const auto& s : freeStretches(m, drive)) largest = std::max(largest, s.size);
    return largest;
}

std::uint64_t totalFree(const Model& m, const GUID& drive) {
    std::uint64_t total = 0;
    for (const auto& s : freeStretches(m, drive)) total += s.size;
    return total;
}

std::vector<GUID> mostFreeFirst(const Model& m, std::vector<GUID> drives) {
    std::vector<std::pair<std::uint64_t, GUID>> keyed;
    for (const auto& d : drives) keyed.emplace_back(largestFree(m, d), d);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i) drives[i] = keyed[i].second;
    return drives;
}

bool takeInOrder(const Model& m, const std::vector<GUID>& drives, std::uint64_t bytes, std::vector<DriveSpan>& out) {
    std::vector<DriveSpan> taken;
    for (const auto& d : drives) {
        for (const auto& s : freeStretches(m, d)) {
            if (bytes == 0) break;
            const std::uint64_t n = std::min(bytes, s.size);
            taken.push_back({d, s.offset, n});
            bytes -= n;
        }
    }
    if (bytes != 0) return false;
    out.insert(out.end(), taken.begin(), taken.end());
    return true;
}

bool takeColumn(const Model& m, const GUID& drive, std::uint64_t bytes, std::vector<DriveSpan>& out) {
    for (const auto& s : freeStretches(m, drive))
        if (s.size >= bytes) {
            out.push_back({drive, s.offset, bytes});
            return true;
        }
    return false;
}

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) { return a / b + (a % b != 0 ? 1 : 0); }

bool isStriped(std::int32_t plexType) { return plexType == kStripeType || plexType == kParityType; }

std::vector<GUID> plexColumns(const LunPlex& plex) {
    std::vector<GUID> columns;
    for (const auto& e : plex.extents)
        if (std::find(columns.begin(), columns.end(), e.drive) == columns.end()) columns.push_back(e.drive);
    return columns;
}

std::uint64_t dataColumns(const LunPlex& plex, std::size_t columns) {
    const std::size_t parity = plex.type == kParityType ? 1 : 0;
    return columns > parity ? columns - parity : 1;
}

// Drives a LUN may be built on: of the subsystem, in service, not kept as hot spares.
HRESULT checkLunDrives(const Model& m, const SubSystem& s, const std::vector<GUID>& drives) {
    for (const auto& d : drives) {
        if (std::find(s.drives.begin(), s.drives.end(), d) == s.drives.end()) return VDS_E_OBJECT_NOT_FOUND;
        const Drive& drive = m.drives.at(d);
        if (!driveInService(drive)) return VDS_E_OBJECT_STATUS_FAILED;
        if ((drive.flags & VDS_DRF_HOTSPARE) != 0) return VDS_E_INVALID_OPERATION;
    }
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (std::find(drives.begin() + static_cast<std::ptrdiff_t>(i) + 1, drives.end(), drives[i]) != drives.end())
            return E_INVALIDARG;
    return S_OK;
}

}  // namespace tolvane::sim
