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

// Which plexes hold each drive, as the LUN stands.
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

// The drives each simple or spanned plex grows onto, in the order it uses
// them: the named ones it was given, its own, then the rest it was given.
// A plex keeps its own drives; every other drive in service (the named first,
// then the rest, most free first) goes to the copy with the least room so
// far, so that copies stay apart and grow alike. A lone plex gets them all.
using Shares = std::unordered_map<GUID, std::vector<GUID>, GuidHash>;

Shares shareDrives(const Model& m, const Lun& lun, const std::vector<GUID>& named, const InService& inService) {
    Holders holders;
    for (const auto& pid : lun.plexes)
        for (const auto& e : m.lunPlexes.at(pid).extents) holders[e.drive].push_back(pid);
    std::vector<GUID> copies;
    Shares own;
    std::unordered_map<GUID, std::uint64_t, GuidHash> room;
    GuidSet given;
    for (const auto& pid : lun.plexes) {
        const LunPlex& plex = m.lunPlexes.at(pid);
        if (isStriped(plex.type)) continue;
        copies.push_back(pid);
        room[pid] = 0;
        for (const auto& e : plex.extents) {
            const bool mine = inService.set.count(e.drive) && !heldByAnother(holders, e.drive, pid);
            if (mine && given.insert(e.drive).second) {
                own[pid].push_back(e.drive);
                room[pid] += totalFree(m, e.drive);
            }
        }
    }
    Shares namedShare;
    Shares restShare;
    const auto give = [&](const GUID& d, Shares& share) {
        if (copies.empty() || !inService.set.count(d) || holders.count(d) || !given.insert(d).second) return;
        const auto least = std::min_element(copies.begin(), copies.end(),
                                            [&](const GUID& a, const GUID& b) { return room[a] < room[b]; });
        share[*least].push_back(d);
        room[*least] += totalFree(m, d);
    };
    for (const auto& d : named) give(d, namedShare);
    for (const auto& d : inService.order) give(d, restShare);
    Shares out;
    for (const auto& pid : copies) {
        std::vector<GUID>& order = out[pid];
        for (const Shares* part : {&namedShare, &own, &restShare}) {
            const auto it = part->find(pid);
            if (it != part->end()) order.insert(order.end(), it->second.begin(), it->second.end());
        }
    }
    return out;
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
LunGrowthPlan planOver(const Model& m, const Lun& lun, std::uint64_t bytes, const InService& inService,
                      const Shares& shares) {
    LunGrowthPlan out;
    if (bytes == 0) return out;
    for (const auto& pid : lun.plexes) {
        const LunPlex& plex = m.lunPlexes.at(pid);
        PlexGrowth growth{pid, {}};
        const bool grown = isStriped(plex.type) ? growStriped(m, plex, bytes, inService, growth.added)
                                                : takeInOrder(m, shares.at(pid), bytes, growth.added);
        if (!grown) return {VDS_E_NOT_ENOUGH_SPACE, {}};
        out.plexes.push_back(std::move(growth));
    }
    return out;
}

}  // namespace

LunGrowthPlan planLunGrowth(const Model& m, const GUID& lunId, std::uint64_t bytes, const std::vector<GUID>& drives) {
    if (const HRESULT hr = checkGrowth(m, lunId, drives); FAILED(hr)) return {hr, {}};
    const Lun& lun = m.luns.at(lunId);
    const InService inService = drivesInService(m, m.subsystems.at(lun.subsystem));
    return planOver(m, lun, bytes, inService, shareDrives(m, lun, drives, inService));
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
    const Shares shares = shareDrives(m, lun, drives, inService);
    // No plex can take more than the free space of the drives in service, so
    // a growth of one byte beyond it fails; between a growth that succeeds and
    // one that fails, halve until they are one byte apart.
    std::uint64_t fails = 1;
    for (const auto& d : inService.order) fails += totalFree(m, d);
    std::uint64_t succeeds = 0;
    while (fails - succeeds > 1) {
        const std::uint64_t mid = succeeds + (fails - succeeds) / 2;
        (SUCCEEDED(planOver(m, lun, mid, inService, shares).result) ? succeeds : fails) = mid;
    }
    bytes = succeeds;
    return S_OK;
}

}  // namespace tolvane::sim
