#include "changes/lun_changes.h"

#include <algorithm>
#include <utility>

#include "changes/drive_space.h"
#include "core/notices.h"
#include "model/model_edit.h"
#include "model/unmasking_list.h"
#include "model/model_rules.h"
#include "platform/vds_types.h"

namespace tolvane::sim {

namespace {


// A concrete RAID type for the automatic ones, as a RAID controller picks them.
HRESULT concreteType(std::int32_t type, std::int32_t& out) {
    switch (type) {
    case VDS_LT_DEFAULT: out = kSimpleType; return S_OK;
    case VDS_LT_FAULT_TOLERANT: out = kMirrorType; return S_OK;
    case VDS_LT_NON_FAULT_TOLERANT: out = kSpanType; return S_OK;
    case kSimpleType: case kSpanType: case kStripeType: case kMirrorType: case kParityType:
        out = type;
        return S_OK;
    default:
        return type > kParityType && type <= VDS_LT_RAID61 ? VDS_E_NOT_SUPPORTED : E_INVALIDARG;
    }
}

// The usable drives of the subsystem, most free space first.
std::vector<GUID> usableDrives(const Model& m, const SubSystem& s) {
    std::vector<GUID> out;
    for (const auto& d : s.drives)
        if (checkLunDrives(m, s, {d}) == S_OK && largestFree(m, d) > 0) out.push_back(d);
    return mostFreeFirst(m, std::move(out));
}

std::size_t minimumDrives(std::int32_t plexType) {
    switch (plexType) {
    case kStripeType: case kMirrorType: return 2;
    case kParityType: return 3;
    default: return 1;
    }
}


// The plexes of one layout: one plex of `plexType` over the drives, or, for a
// mirror, one simple plex on each drive.
struct Layout {
    std::vector<std::vector<DriveSpan>> plexes;
    std::int32_t plexType;
};

HRESULT layOut(const Model& m, std::int32_t type, std::uint64_t bytes, const std::vector<GUID>& drives, Layout& out) {
    out.plexes.clear();
    out.plexType = type == kMirrorType ? kSimpleType : type;
    if (drives.size() < minimumDrives(type)) return VDS_E_NOT_ENOUGH_DRIVE;
    if (type == kSimpleType && drives.size() != 1) return E_INVALIDARG;
    if (type == kMirrorType) {
        for (const auto& d : drives) {
            std::vector<DriveSpan> plex;
            if (!takeColumn(m, d, bytes, plex)) return VDS_E_NOT_ENOUGH_SPACE;
            out.plexes.push_back(plex);
        }
        return S_OK;
    }
    std::vector<DriveSpan> plex;
    if (type == kStripeType || type == kParityType) {
        const std::uint64_t data = drives.size() - (type == kParityType ? 1 : 0);
        const std::uint64_t column = ceilDiv(bytes, data);
        for (const auto& d : drives)
            if (!takeColumn(m, d, column, plex)) return VDS_E_NOT_ENOUGH_SPACE;
    } else if (!takeInOrder(m, drives, bytes, plex)) {
        return VDS_E_NOT_ENOUGH_SPACE;
    }
    out.plexes.push_back(plex);
    return S_OK;
}

// Lets the subsystem pick drives: the fewest that the type needs, most free first.
std::vector<GUID> chooseDrives(const Model& m, const SubSystem& s, std::int32_t type, std::uint64_t bytes,
                               std::uint32_t maximumDrives) {
    const std::vector<GUID> usable = usableDrives(m, s);
    std::size_t n = minimumDrives(type);
    const std::size_t limit = maximumDrives != 0 ? std::min<std::size_t>(maximumDrives, usable.size()) : usable.size();
    for (; n <= limit; ++n) {
        std::vector<GUID> pick(usable.begin(), usable.begin() + static_cast<std::ptrdiff_t>(n));
        Layout l;
        if (layOut(m, type, bytes, pick, l) == S_OK) return pick;
        if (type == kSimpleType || type == kMirrorType) break;
    }
    return {};
}

// Takes `bytes` off the end of the extents (those on `drive` only, when
// given), never the last byte of one; what was cut is added to `trimmed`.
void trimEnd(std::vector<DriveSpan>& extents, const GUID* drive, std::uint64_t bytes, std::vector<DriveSpan>& trimmed) {
    for (std::size_t i = extents.size(); i-- > 0 && bytes > 0;) {
        if (drive != nullptr && extents[i].drive != *drive) continue;
        const std::uint64_t cut = std::min(bytes, extents[i].size);
        if (cut == extents[i].size && extents.size() == 1) break;
        trimmed.push_back({extents[i].drive, extents[i].offset + extents[i].size - cut, cut});
        bytes -= cut;
        if (cut == extents[i].size)
            extents.erase(extents.begin() + static_cast<std::ptrdiff_t>(i));
        else
            extents[i].size -= cut;
    }
}

std::uint32_t stripeSizeFor(const SubSystem& s, std::uint32_t asked) {
    if (asked != 0) return asked;
    for (std::uint32_t bit = 16; bit < 32; ++bit)
        if ((s.stripeSizeFlags & (1u << bit)) != 0) return 1u << bit;
    return 65536;
}

// A supported stripe size is a power of two whose bit the subsystem sets;
// a subsystem that sets none takes any power of two.
bool stripeSizeSupported(const SubSystem& s, std::uint32_t size) {
    if (size == 0) return true;
    if ((size & (size - 1)) != 0) return false;
    return s.stripeSizeFlags == 0 || (s.stripeSizeFlags & size) != 0;
}

}  // namespace

Hints hintsFromVds(const VDS_HINTS& h) {
    Hints out;
    out.hintMask = h.ullHintMask;
    out.expectedMaximumSize = h.ullExpectedMaximumSize;
    out.optimalReadSize = h.ulOptimalReadSize;
    out.optimalReadAlignment = h.ulOptimalReadAlignment;
    out.optimalWriteSize = h.ulOptimalWriteSize;
    out.optimalWriteAlignment = h.ulOptimalWriteAlignment;
    out.maximumDriveCount = h.ulMaximumDriveCount;
    out.stripeSize = h.ulStripeSize;
    out.fastCrashRecoveryRequired = h.bFastCrashRecoveryRequired != 0;
    out.mostlyReads = h.bMostlyReads != 0;
    out.optimizeForSequentialReads = h.bOptimizeForSequentialReads != 0;
    out.optimizeForSequentialWrites = h.bOptimizeForSequentialWrites != 0;
    out.remapEnabled = h.bRemapEnabled != 0;
    out.readBackVerifyEnabled = h.bReadBackVerifyEnabled != 0;
    out.writeThroughCachingEnabled = h.bWriteThroughCachingEnabled != 0;
    out.hardwareChecksumEnabled = h.bHardwareChecksumEnabled != 0;
    out.isYankable = h.bIsYankable != 0;
    out.rebuildPriority = h.sRebuildPriority;
    return out;
}

GUID nextLunId(Model& m) { return m.issueId(0x52000000u); }

namespace {

ChangeFunction buildLun(const NewLun& r, GUID lunId) {
    return tellingDifferences([&r, lunId](Model& m) -> HRESULT {
        auto sit = m.subsystems.find(r.subsystem);
        if (sit == m.subsystems.end()) return VDS_E_OBJECT_DELETED;
        const SubSystem& s = sit->second;
        std::int32_t type = 0;
        if (const HRESULT hr = concreteType(r.type, type); FAILED(hr)) return hr;
        if (r.size == 0) return E_INVALIDARG;
        const auto unmasked = effectiveUnmaskingList(r.unmaskingList);
        if (!unmasked) return E_INVALIDARG;
        if (!stripeSizeSupported(s, r.hints.stripeSize)) return VDS_E_NOT_SUPPORTED;
        if (const HRESULT hr = checkLunDrives(m, s, r.drives); FAILED(hr)) return hr;
        std::vector<GUID> drives = r.drives;
        if (drives.empty()) {
            drives = chooseDrives(m, s, type, r.size, r.hints.maximumDriveCount);
            if (drives.empty())
                return usableDrives(m, s).size() < minimumDrives(type) ? VDS_E_NOT_ENOUGH_DRIVE : VDS_E_NOT_ENOUGH_SPACE;
        }
        Layout layout;
        if (const HRESULT hr = layOut(m, type, r.size, drives, layout); FAILED(hr)) return hr;

        Lun lun;
        lun.id = lunId;
        lun.subsystem = r.subsystem;
        lun.size = r.size;
        lun.type = type;
        lun.unmaskingList = *unmasked;
        lun.hints = r.hints;
        lun.rebuildPriority = r.hints.rebuildPriority;
        if (const HRESULT hr = addObject(m, lun); FAILED(hr)) return hr;
        for (const auto& spans : layout.plexes) {
            LunPlex plex;
            plex.id = m.issueId(0x53000000u);
            plex.lun = lunId;
            plex.size = r.size;
            plex.type = layout.plexType;
            if (plex.type == kStripeType || plex.type == kParityType) plex.stripeSize = stripeSizeFor(s, r.hints.stripeSize);
            plex.rebuildPriority = r.hints.rebuildPriority;
            plex.extents = spans;
            if (const HRESULT hr = addObject(m, plex); FAILED(hr)) return hr;
        }
        return S_OK;
    });
}

}  // namespace

ChangeFunction createLun(NewLun request) {
    return ChangeFunction::Apply([r = std::move(request)](Model& m, Batch& out, ChangeOutput& output) -> HRESULT {
        // A failed array builds nothing.
        const SubSystem* s = std::as_const(m).subsystems.get(r.subsystem);
        if (s != nullptr && s->status == VDS_SSS_FAILED) return VDS_E_OBJECT_STATUS_FAILED;
        output.made = nextLunId(m);
        return buildLun(r, output.made)(m, out);
    });
}

ChangeFunction deleteLun(const GUID& lunId) {
    return tellingDifferences([lunId](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        removeObject(m, lunId);
        return S_OK;
    });
}

ChangeFunction shrinkLun(const GUID& lunId, std::uint64_t bytes) {
    return tellingDifferences([lunId, bytes](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        Lun& lun = it->second;
        if (const HRESULT hr = checkLunWorking(m, lun); FAILED(hr)) return hr;
        if (bytes == 0 || bytes >= lun.size) return VDS_E_INVALID_OPERATION;
        for (const auto& pid : lun.plexes) {
            LunPlex& plex = m.lunPlexes.at(pid);
            plex.size -= bytes;
            std::vector<DriveSpan> trimmed;
            if (isStriped(plex.type)) {
                // Each column gives back its share from its own end.
                const std::vector<GUID> columns = plexColumns(plex);
                const std::uint64_t share = bytes / dataColumns(plex, columns.size());
                for (const auto& d : columns) trimEnd(plex.extents, &d, share, trimmed);
            } else {
                trimEnd(plex.extents, nullptr, bytes, trimmed);
            }
        }
        lun.size -= bytes;
        return S_OK;
    });
}

ChangeFunction addLunPlex(const GUID& lunId, const GUID& sourceId) {
    return tellingDifferences([lunId, sourceId](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        auto sit = m.luns.find(sourceId);
        if (sit == m.luns.end() || sit->second.subsystem != it->second.subsystem) return VDS_E_OBJECT_NOT_FOUND;
        for (const Lun* l : {&it->second, &sit->second})
            if (const HRESULT hr = checkLunWorking(m, *l); FAILED(hr)) return hr;
        if (sourceId == lunId || sit->second.size < it->second.size) return VDS_E_INVALID_OPERATION;
        const std::vector<GUID> moved = sit->second.plexes.toVector();
        std::vector<LunPlex> plexes;
        for (const auto& p : moved) plexes.push_back(m.lunPlexes.at(p));
        removeObject(m, sourceId);
        // The absorbed LUN's plexes keep their drive extents; the target keeps its size.
        for (auto& plex : plexes) {
            plex.lun = lunId;
            plex.size = m.luns.at(lunId).size;
            if (const HRESULT hr = addObject(m, plex); FAILED(hr)) return hr;
        }
        Lun& lun = m.luns.at(lunId);
        if (lun.type != kMirrorType && lun.plexes.size() > 1) lun.type = kMirrorType;
        return S_OK;
    });
}

ChangeFunction removeLunPlex(const GUID& lunId, const GUID& plexId) {
    return tellingDifferences([lunId, plexId](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        Lun& lun = it->second;
        if (const HRESULT hr = checkLunWorking(m, lun); FAILED(hr)) return hr;
        if (std::find(lun.plexes.begin(), lun.plexes.end(), plexId) == lun.plexes.end()) return VDS_E_OBJECT_NOT_FOUND;
        // The only plex holds the LUN's data; it is never removed.
        if (lun.plexes.size() == 1) return VDS_E_INVALID_OPERATION;
        removeObject(m, plexId);
        Lun& after = m.luns.at(lunId);
        if (after.type == kMirrorType && after.plexes.size() == 1)
            after.type = m.lunPlexes.at(after.plexes.front()).type;
        return S_OK;
    });
}

ChangeFunction setLunStatus(const GUID& lunId, std::int32_t status) {
    return tellingDifferences([lunId, status](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        if (status != VDS_LS_ONLINE && status != VDS_LS_NOT_READY && status != VDS_LS_OFFLINE &&
            status != VDS_LS_FAILED)
            return E_INVALIDARG;
        if (it->second.status == status) return S_OK;
        it->second.status = status;
        return S_OK;
    });
}

ChangeFunction applyLunHints(const GUID& lunId, Hints hints) {
    return tellingDifferences([lunId, hints](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        if (!stripeSizeSupported(m.subsystems.at(it->second.subsystem), hints.stripeSize)) return VDS_E_NOT_SUPPORTED;
        Lun& lun = it->second;
        lun.hints = hints;
        lun.rebuildPriority = hints.rebuildPriority;
        // Hints reach every plex at once.
        for (const auto& p : lun.plexes) m.lunPlexes.at(p).rebuildPriority = hints.rebuildPriority;
        return S_OK;
    });
}

ChangeFunction associateControllers(const GUID& lunId, std::vector<GUID> active, std::vector<GUID> inactive) {
    return tellingDifferences([lunId, active = std::move(active), inactive = std::move(inactive)](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        const SubSystem& s = m.subsystems.at(it->second.subsystem);
        std::vector<GUID> all = active;
        all.insert(all.end(), inactive.begin(), inactive.end());
        for (const auto& c : all)
            if (std::find(s.controllers.begin(), s.controllers.end(), c) == s.controllers.end())
                return VDS_E_OBJECT_NOT_FOUND;
        // Every controller of the subsystem exactly once.
        if (all.size() != s.controllers.size()) return E_INVALIDARG;
        for (const auto& c : s.controllers)
            if (std::count(all.begin(), all.end(), c) != 1) return E_INVALIDARG;
        // A failed controller can carry no LUN's traffic.
        for (const auto& c : active)
            if (std::as_const(m).controllers.at(c).status == VDS_CS_FAILED) return VDS_E_OBJECT_STATUS_FAILED;
        Lun& lun = it->second;
        if (lun.activeControllers == active && lun.associatedControllers == all) return S_OK;
        lun.activeControllers = active;
        lun.associatedControllers = all;
        return S_OK;
    });
}

ChangeFunction setLunMask(const GUID& lunId, std::u16string list) {
    return tellingDifferences([lunId, list = std::move(list)](Model& m) -> HRESULT {
        auto it = m.luns.find(lunId);
        if (it == m.luns.end()) return VDS_E_OBJECT_DELETED;
        auto effective = effectiveUnmaskingList(list);
        if (!effective) return E_INVALIDARG;
        it->second.unmaskingList = std::move(*effective);
        return S_OK;
    });
}

HRESULT checkLunWorking(const Model& m, const Lun& lun) {
    if (lun.status == VDS_LS_FAILED || m.subsystems.at(lun.subsystem).status == VDS_SSS_FAILED)
        return VDS_E_OBJECT_STATUS_FAILED;
    return S_OK;
}

}  // namespace tolvane::sim
