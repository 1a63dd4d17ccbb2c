#include "changes/lun_growth.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "changes/drive_space.h"
#include "changes/lun_changes.h"
#include "core/notices.h"

namespace tolvane::sim {

namespace {

using GuidSet = std::unordered_set<GUID, GuidHash>;

// The drives of the subsystem a LUN may grow onto, most free first, and the
// same as a set.
struct InService {
    std::vector<GUID> order;
    GuidSet set;
};

InService drivesInService(const Model& m, const SubSystem& s) {
    InService out;
    for (const auto& d : s.drives)
        if (checkLunDrives(m, s, {d}) == S_OK) out.order.push_back(d);
    out.order = mostFreeFirst(m, std::move(out.order));
    out.set.insert(out.order.begin(), out.order.end());
    return out;
}

// Which plexes hold each drive: as the LUN stands, and as the plan so far has it.
using Holders = std::unordered_map<GUID, std::vector<GUID>, GuidHash>;

bool heldByAnother(const Holders& holders, const GUID& drive, const GUID& plex) {
    auto it = holders.find(drive);
    return it != holders.end() &&
           std::any_of(it->second.begin(), it->second.end(), [&](const GUID& p) { return p != plex; });
}

bool growStriped(const Model& m, const LunPlex& plex, std::uint64_t bytes, const InService& inService,
                 std::vector<DriveSpan>& added) {
    const std::vector<GUID> columns = plexColumns(plex);
    const std::uint64_t share = ceilDiv(bytes, dataColumns(plex, columns.size()));
    for (const auto& d : columns)
        if (!inService.set.count(d) || !takeColumn(m, d, share, added)) return false;
    return true;
}

bool growInOrder(const Model& m, const LunPlex& plex, std::uint64_t bytes, const std::vector<GUID>& named,
                 const InService& inService, const Holders& holders, std::vector<DriveSpan>& added) {
    std::vector<GUID> order;
    GuidSet ordered;
    const auto consider = [&](const GUID& d) {
        if (inService.set.count(d) && !heldByAnother(holders, d, plex.id) && ordered.insert(d).second)
            order.push_back(d);
    };
    for (const auto& d : named) consider(d);
    for (const auto& e : plex.extents) consider(e.drive);
    for (const auto& d : inService.order) consider(d);
    return takeInOrder(m, order, bytes, added);
}

// A stretch that continues where the plex's last one on the drive ends makes
// that one longer, so that a drive shows one extent per stretch it lends.
// Only the last extent of a simple or spanned plex can continue: its data
// runs through the extents in order.
void append(LunPlex& plex, const DriveSpan& span) {
    for (std::size_t i = plex.extents.size(); i-- > 0;) {
        DriveSpan& e = plex.extents[i];
        if (e.drive == span.drive) {
            if (e.offset + e.size == span.offset) {
                e.size += span.size;
                return;
            }
            break;
        }
        if (!isStriped(plex.type)) break;
    }
    plex.extents.push_back(span);
}

// The checks of the plan that do not depend on the bytes.
HRESULT checkGrowth(const Model& m, const GUID& lunId, const std::vector<GUID>& drives) {
    const Lun* lun = m.luns.get(lunId);
    if (lun == nullptr) return VDS_E_OBJECT_DELETED;
    if (const HRESULT hr = checkLunWorking(m, *lun); FAILED(hr)) return hr;
    return checkLunDrives(m, m.subsystems.at(lun->subsystem), drives);
}

// The plan of a LUN that passed checkGrowth, over the drives in service.
LunGrowthPlan planOver(const Model& m, const Lun& lun, std::uint64_t bytes, const std::vector<GUID>& drives,
                      const InService& inService) {
    LunGrowthPlan out;
    if (bytes == 0) return out;
    Holders holders;
    for (const auto& pid : lun.plexes)
        for (const auto& e : m.lunPlexes.at(pid).extents) holders[e.drive].push_back(pid);
    for (const auto& pid : lun.plexes) {
        const LunPlex& plex = m.lunPlexes.at(pid);
        PlexGrowth growth{pid, {}};
        const bool grown = isStriped(plex.type) ? growStriped(m, plex, bytes, inService, growth.added)
                                                : growInOrder(m, plex, bytes, drives, inService, holders, growth.added);
        if (!grown) return {VDS_E_NOT_ENOUGH_SPACE, {}};
        for (const auto& span : growth.added) holders[span.drive].push_back(pid);
        out.plexes.push_back(std::move(growth));
    }
    return out;
}

}  // namespace

LunGrowthPlan planLunGrowth(const Model& m, const GUID& lunId, std::uint64_t bytes, const std::vector<GUID>& drives) {
    if (const HRESULT hr = checkGrowth(m, lunId, drives); FAILED(hr)) return {hr, {}};
    const Lun& lun = m.luns.at(lunId);
    return planOver(m, lun, bytes, drives, drivesInService(m, m.subsystems.at(lun.subsystem)));
}

ChangeFunction extendLun(const GUID& lunId, std::uint64_t bytes, std::vector<GUID> drives) {
    return tellingDifferences([lunId, bytes, drives = std::move(drives)](Model& m) -> HRESULT {
        const LunGrowthPlan plan = planLunGrowth(m, lunId, bytes, drives);
        if (FAILED(plan.result) || bytes == 0) return plan.result;
        for (const auto& growth : plan.plexes) {
            LunPlex& plex = m.lunPlexes.at(growth.plex);
            for (const auto& span : growth.added) append(plex, span);
            plex.size += bytes;
        }
        m.luns.at(lunId).size += bytes;
        return S_OK;
    });
}

HRESULT maxLunExtendSize(const Model& m, const GUID& lunId, const std::vector<GUID>& drives, std::uint64_t& bytes) {
    bytes = 0;
    if (const HRESULT hr = checkGrowth(m, lunId, drives); FAILED(hr)) return hr;
    const Lun& lun = m.luns.at(lunId);
    const InService inService = drivesInService(m, m.subsystems.at(lun.subsystem));
    // No plex can take more than the free space of the drives in service, so
    // a growth of one byte beyond it fails; between a growth that succeeds and
    // one that fails, halve until they are one byte apart.
    std::uint64_t fails = 1;
    for (const auto& d : inService.order) fails += totalFree(m, d);
    std::uint64_t succeeds = 0;
    while (fails - succeeds > 1) {
        const std::uint64_t mid = succeeds + (fails - succeeds) / 2;
        (SUCCEEDED(planOver(m, lun, mid, drives, inService).result) ? succeeds : fails) = mid;
    }
    bytes = succeeds;
    return S_OK;
}

}  // namespace tolvane::sim
