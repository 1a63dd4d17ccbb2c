#include "changes/pack_changes.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>

#include "changes/access_paths.h"
#include "changes/volume_changes.h"
#include "core/notices.h"
#include "model/model_edit.h"
#include "model/model_rules.h"
#include "model/partition_table.h"

namespace tolvane::sim {

namespace {

bool dynamicProvider(const Model& m, const GUID& provider) {
    return (m.providers.at(provider).flags & VDS_PF_DYNAMIC) != 0;
}
bool dynamicPack(const Model& m, const GUID& pack) { return isDynamicPack(m, m.packs.at(pack)); }

bool unallocated(const Disk& d) { return isNullGuid(d.pack); }

void unlist(IdList& list, const GUID& id) { list.erase(id); }

// The disks that hold a stretch of the volume.
std::vector<GUID> disksOf(const Model& m, const Volume& v) {
    std::vector<GUID> disks;
    for (const GUID& plex : v.plexes)
        for (const DiskSpan& s : m.volumePlexes.at(plex).extents) disks.push_back(s.disk);
    return disks;
}

// Volumes that lie wholly on the moved disks go with them.
void moveVolumes(Model& m, const GUID& from, const GUID& to, const std::vector<GUID>& moved) {
    std::vector<GUID> going;
    for (const GUID& v : m.packs.at(from).volumes) {
        const auto on = disksOf(m, m.volumes.at(v));
        if (!on.empty() && std::all_of(on.begin(), on.end(), [&](const GUID& d) {
                return std::find(moved.begin(), moved.end(), d) != moved.end();
            }))
            going.push_back(v);
    }
    for (const GUID& v : going) {
        unlist(m.packs.at(from).volumes, v);
        m.packs.at(to).volumes.push_back(v);
        m.volumes.at(v).pack = to;
    }
}

std::uint64_t freeAtEnd(const Disk& d) {
    std::uint64_t end = 0;
    for (const Partition& p : d.partitions) end = std::max(end, p.offset + p.size);
    return d.size > end ? d.size - end : 0;
}

bool anyFailed(const HRESULT* results, std::size_t n) {
    return std::any_of(results, results + n, [](HRESULT r) { return FAILED(r); });
}

// Foreign disks are imported where they stand: the foreign pack comes online
// and a new, empty target is no longer needed.
HRESULT importForeign(Model& m, const Migration& g) {
    Pack& source = m.packs.at(g.source);
    std::vector<GUID> given = g.disks, all = source.disks.toVector();
    std::sort(given.begin(), given.end(), [](const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) < 0; });
    std::sort(all.begin(), all.end(), [](const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) < 0; });
    if (given != all) return VDS_E_IMPORT_SET_INCOMPLETE;
    if (g.queryOnly) return S_OK;
    source.flags &= ~VDS_PKF_FOREIGN;
    source.status = VDS_PS_ONLINE;
    if (m.packs.at(g.target).disks.empty() && m.packs.at(g.target).volumes.empty()) removeObject(m, g.target);
    return S_OK;
}

HRESULT migrate(Model& m, const Migration& g, HRESULT* results, BOOL* reboot) {
    const std::size_t n = g.disks.size();
    if (n == 0 || results == nullptr || reboot == nullptr) return E_INVALIDARG;
    if (m.kindOf(g.target) != Kind::Pack || m.kindOf(g.source) != Kind::Pack) return VDS_E_OBJECT_NOT_FOUND;
    if (g.target == g.source) return E_INVALIDARG;
    for (std::size_t i = 0; i < n; ++i) {
        auto it = m.disks.find(g.disks[i]);
        if (it == m.disks.end() || it->second.pack != g.source) {
            results[i] = VDS_E_DISK_NOT_FOUND_IN_PACK;
            continue;
        }
        if (it->second.status != VDS_DS_ONLINE) return VDS_E_DISK_NOT_ONLINE;
    }
    if (anyFailed(results, n)) return S_FALSE;
    if (m.packs.at(g.source).flags & VDS_PKF_FOREIGN) return importForeign(m, g);

    const bool toDynamic = dynamicPack(m, g.target);
    // A basic pack is one disk's: it takes one, and only when it has none.
    if (!toDynamic && (n > 1 || !m.packs.at(g.target).disks.empty())) return VDS_E_NOT_SUPPORTED;
    // Between basic and dynamic the disk's partition table is rewritten.
    const bool rewrite = toDynamic != dynamicPack(m, g.source);
    std::vector<GUID> moving;
    for (std::size_t i = 0; i < n; ++i) {
        const GUID& disk = g.disks[i];
        const Disk& d = std::as_const(m.disks).at(disk);
        if (rewrite && toDynamic && !g.force && freeAtEnd(d) < kLdmDatabaseBytes) {
            results[i] = VDS_E_NO_FREE_SPACE;
            continue;
        }
        if (rewrite && toDynamic && FAILED(dynamicLayoutRefusal(d))) {
            results[i] = dynamicLayoutRefusal(d);
            continue;
        }
        // A dynamic disk becomes basic only once its volumes are gone.
        if (rewrite && !toDynamic && !m.volumePlexesOnDisk(disk).empty()) {
            results[i] = VDS_E_DISK_NOT_EMPTY;
            continue;
        }
        if (carriesSystem(m, m.disks.at(disk))) *reboot = TRUE;  // it cannot change hands while it runs
        moving.push_back(disk);
    }
    const HRESULT answer = anyFailed(results, n) ? S_FALSE : S_OK;
    if (g.queryOnly) return answer;

    for (const GUID& disk : moving) {
        moveDisk(m, disk, g.target);
        if (rewrite && toDynamic) writeDynamicLayout(m, disk);
        if (rewrite && !toDynamic)
            if (const HRESULT hr = writeBasicLayout(m, disk); FAILED(hr)) return hr;
    }
    moveVolumes(m, g.source, g.target, moving);
    const Pack& left = m.packs.at(g.source);
    // A basic pack exists only around its disk.
    if (!dynamicPack(m, g.source) && left.disks.empty() && left.volumes.empty()) removeObject(m, g.source);
    return answer;
}

// A plex with a stretch on a disk that is given up: a parity plex with no
// other member out of service carries on without the member that was there,
// its redundancy lost until a repair; any other plex has lost data and goes.
// A volume left with no plex goes too; a mirror left with one is no mirror.
void loseStretchesOn(Model& m, const GUID& plexId, const GUID& disk) {
    VolumePlex& plex = m.volumePlexes.at(plexId);
    const GUID volume = plex.volume;
    if (plex.type == kParityType && unavailableMembers(m, plex).size() == 1) {
        std::vector<std::uint32_t> lost;
        for (const DiskSpan& s : plex.extents)
            if (s.disk == disk) lost.push_back(s.member);
        std::erase_if(plex.extents, [&](const DiskSpan& s) {
            return std::find(lost.begin(), lost.end(), s.member) != lost.end();
        });
        plex.status = VDS_VPS_ONLINE;
        plex.health = VDS_H_FAILED_REDUNDANCY;
        m.volumes.at(volume).health = VDS_H_FAILED_REDUNDANCY;
        return;
    }
    removeObject(m, plexId);
    Volume& v = m.volumes.at(volume);
    if (v.plexes.empty())
        removeVolume(m, volume);
    else
        settleVolumeType(m, v);
}

}  // namespace

ChangeFunction createPack(const GUID& provider) {
    return ChangeFunction::Apply([provider](Model& machine, Batch& out, ChangeOutput& output) {
        return tellingDifferences([&](Model& m) -> HRESULT {
            auto it = m.providers.find(provider);
            if (it == m.providers.end()) return VDS_E_OBJECT_DELETED;
            // Only one dynamic pack runs at a time; a basic pack holds one
            // disk and is made empty to take one (AddDisk, MigrateDisks).
            const Model& seen = m;
            if (dynamicProvider(m, provider))
                for (const GUID& p : it->second.children)
                    if (seen.packs.at(p).status == VDS_PS_ONLINE) return VDS_E_ONLINE_PACK_EXISTS;
            Pack pack;
            pack.id = m.issueId(0x7E000000u);
            pack.provider = provider;
            pack.status = VDS_PS_ONLINE;
            pack.placeholder = true;
            const HRESULT hr = addObject(m, pack);
            if (FAILED(hr)) return hr;
            output.made = pack.id;
            return S_OK;
        })(machine, out);
    });
}

ChangeFunction addDiskToPack(const GUID& pack, const GUID& disk, std::int32_t style, BOOL hotSpare) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        // Hot spares belong to hardware providers; the protocol asks for FALSE.
        if (hotSpare != FALSE || (style != VDS_PST_MBR && style != VDS_PST_GPT)) return E_INVALIDARG;
        const Pack& p = m.packs.at(pack);
        if (p.status == VDS_PS_OFFLINE) return VDS_E_PACK_OFFLINE;
        auto it = m.disks.find(disk);
        if (it == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
        if (!unallocated(it->second)) return VDS_E_NOT_AN_UNALLOCATED_DISK;
        const bool basic = !dynamicPack(m, pack);
        if (basic && !p.disks.empty()) return VDS_E_NOT_SUPPORTED;
        moveDisk(m, disk, pack);
        writePartitionStyle(m.disks.at(disk), style);
        // A basic GPT disk gets its reserved partition at once, as Windows
        // writes it; a dynamic disk's layout is the LDM's.
        if (basic && style == VDS_PST_GPT) return addPartition(m, disk, reservedPartition(m.disks.at(disk)));
        return S_OK;
    });
}

ChangeFunction migrateDisks(Migration migration) {
    return ChangeFunction::Apply([g = std::move(migration)](Model& m, Batch& out, ChangeOutput& output) {
        // Results are the caller's on every path, a refused migration's included.
        output.perDisk.assign(g.disks.size(), S_OK);
        BOOL reboot = FALSE;
        const auto move = [&](Model& model) { return migrate(model, g, output.perDisk.data(), &reboot); };
        const HRESULT hr = tellingDifferences(move)(m, out);
        output.rebootNeeded = reboot != FALSE;
        return hr;
    });
}

ChangeFunction removeMissingDisk(const GUID& pack, const GUID& disk) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        auto it = m.disks.find(disk);
        if (it == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
        if (it->second.pack != pack) return VDS_E_DISK_NOT_FOUND_IN_PACK;
        if (!dynamicPack(m, pack)) return VDS_E_NOT_SUPPORTED;
        if (it->second.status != VDS_DS_MISSING) return VDS_E_DISK_NOT_MISSING;
        for (const GUID& plex : m.volumePlexesOnDisk(disk)) loseStretchesOn(m, plex, disk);
        removeObject(m, disk);
        return S_OK;
    });
}

bool isPlaceholderPack(const Model& m, const GUID& pack) {
    const Pack* p = m.packs.get(pack);
    return p != nullptr && p->placeholder;
}

ChangeFunction letGoOfPack(const GUID& pack, std::function<bool()> stillHeld) {
    return tellingDifferences([pack, stillHeld = std::move(stillHeld)](Model& m) -> HRESULT {
        if (!isPlaceholderPack(m, pack) || stillHeld()) return S_FALSE;
        Pack& p = m.packs.at(pack);
        if (!p.disks.empty() || !p.volumes.empty()) {
            p.placeholder = false;  // it has served; it stays
            return S_OK;
        }
        removeObject(m, pack);
        return S_OK;
    });
}

HRESULT checkReplaceDisk(const Model& m, const GUID& pack, const GUID& oldDisk, const GUID& newDisk) {
    auto o = m.disks.find(oldDisk);
    auto n = m.disks.find(newDisk);
    if (o == m.disks.end() || n == m.disks.end()) return VDS_E_OBJECT_NOT_FOUND;
    if (o->second.pack != pack || n->second.pack != pack || oldDisk == newDisk) return VDS_E_DISK_NOT_FOUND_IN_PACK;
    if (!m.volumePlexesOnDisk(newDisk).empty()) return VDS_E_DISK_NOT_EMPTY;
    return S_OK;
}

ChangeFunction replaceDisk(const GUID& pack, const GUID& oldDisk, const GUID& newDisk) {
    return tellingDifferences([=](Model& m) -> HRESULT {
        if (const HRESULT hr = checkReplaceDisk(m, pack, oldDisk, newDisk); FAILED(hr)) return hr;
        for (const GUID& id : m.volumePlexesOnDisk(oldDisk))
            for (DiskSpan& s : m.volumePlexes.at(id).extents)
                if (s.disk == oldDisk) s.disk = newDisk;
        return S_OK;
    });
}

}  // namespace tolvane::sim

namespace tolvane::sim {

namespace {
std::atomic<bool> g_replaceDiskSupported{false};
}  // namespace

bool replaceDiskSupported() { return g_replaceDiskSupported.load(); }
void supportReplaceDisk(bool on) { g_replaceDiskSupported.store(on); }

}  // namespace tolvane::sim
