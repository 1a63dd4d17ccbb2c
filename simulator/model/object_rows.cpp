#include "model/object_rows.h"

#include <algorithm>
#include <concepts>
#include <cstring>
#include <map>
#include <type_traits>
#include <unordered_set>

#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

// --- Each kind's own fields, in body order -----------------------------------
// Lists of children are left out: they are rebuilt from the children's rows.

template <typename V> void fields(V& v, Hints& x) {
    v(x.hintMask, x.expectedMaximumSize, x.optimalReadSize, x.optimalReadAlignment, x.optimalWriteSize,
      x.optimalWriteAlignment, x.maximumDriveCount, x.stripeSize, x.fastCrashRecoveryRequired, x.mostlyReads,
      x.optimizeForSequentialReads, x.optimizeForSequentialWrites, x.remapEnabled, x.readBackVerifyEnabled,
      x.writeThroughCachingEnabled, x.hardwareChecksumEnabled, x.isYankable, x.rebuildPriority);
}
template <typename V> void fields(V& v, DriveSpan& x) { v(x.drive, x.offset, x.size, x.stale); }
template <typename V> void fields(V& v, DiskSpan& x) { v(x.disk, x.offset, x.size, x.member); }
template <typename V> void fields(V& v, Partition& x) {
    v(x.number, x.offset, x.size, x.flags, x.mbrType, x.bootIndicator, x.recognized, x.gptType, x.gptId,
      x.gptAttributes, x.gptName, x.driveLetter, x.fileSystem, x.label);
}
template <typename V> void fields(V& v, FileSystem& x) {
    v(x.type, x.flags, x.allocationUnitSize, x.totalAllocationUnits, x.availableAllocationUnits, x.label,
      x.compressionFlags, x.maximumFileNameLength);
}
template <typename V> void fields(V& v, Provider& x) {
    v(x.id, x.versionId, x.name, x.version, x.type, x.flags, x.stripeSizeFlags, x.rebuildPriority);
}
template <typename V> void fields(V& v, SubSystem& x) {
    v(x.id, x.provider, x.friendlyName, x.identification, x.flags, x.stripeSizeFlags, x.status, x.health,
      x.internalBuses, x.slotsPerBus, x.maxControllers, x.rebuildPriority, x.maintenanceRunning, x.recoversByItself,
      x.rebuildMsPerGiB);
}
template <typename V> void fields(V& v, Controller& x) {
    v(x.id, x.subsystem, x.friendlyName, x.identification, x.status, x.health, x.maintenanceRunning);
}
template <typename V> void fields(V& v, Port& x) {
    v(x.id, x.controller, x.friendlyName, x.identification, x.status, x.portNumber);
}
template <typename V> void fields(V& v, Drive& x) {
    v(x.id, x.subsystem, x.friendlyName, x.identification, x.size, x.flags, x.status, x.health, x.bus, x.slot,
      x.maintenanceRunning);
}
template <typename V> void fields(V& v, LunPlex& x) {
    v(x.id, x.lun, x.size, x.type, x.status, x.health, x.transitionState, x.flags, x.stripeSize, x.rebuildPriority,
      x.extents);
}
template <typename V> void fields(V& v, Lun& x) {
    v(x.id, x.subsystem, x.friendlyName, x.identification, x.unmaskingList, x.size, x.flags, x.type, x.status,
      x.health, x.transitionState, x.rebuildPriority, x.rebuilding, x.activeControllers, x.associatedControllers,
      x.hints);
}
template <typename V> void fields(V& v, Pack& x) { v(x.id, x.provider, x.name, x.status, x.flags, x.placeholder); }
template <typename V> void fields(V& v, Disk& x) {
    v(x.id, x.pack, x.status, x.reserveMode, x.health, x.deviceType, x.mediaType, x.size, x.bytesPerSector,
      x.sectorsPerTrack, x.tracksPerCylinder, x.flags, x.busType, x.partitionStyle, x.signature, x.diskGuid,
      x.diskAddress, x.name, x.friendlyName, x.adaptorName, x.devicePath, x.partitions);
}
template <typename V> void fields(V& v, VolumePlex& x) {
    v(x.id, x.volume, x.type, x.status, x.health, x.transitionState, x.size, x.stripeSize, x.numberOfMembers,
      x.extents);
}
template <typename V> void fields(V& v, Volume& x) {
    v(x.id, x.pack, x.name, x.type, x.status, x.health, x.transitionState, x.size, x.flags, x.recommendedFileSystem,
      x.driveLetter, x.mountFolders, x.fileSystem, x.dismounted);
}

// One identifier prefix and the last serial handed out under it.
struct SerialEntry {
    std::uint32_t prefix = 0;
    std::uint64_t serial = 0;
};
template <typename V> void fields(V& v, SerialEntry& x) { v(x.prefix, x.serial); }

class Writer;
class Reader;
template <typename T>
concept Composite = requires(Writer& w, T& x) { fields(w, x); };

class Writer {
public:
    template <typename... A>
    void operator()(A&... a) {
        (put(a), ...);
    }
    std::string take() { return std::move(out_); }

    template <typename T>
        requires std::is_integral_v<T> || std::is_enum_v<T>
    void put(T v) {
        std::uint64_t u = 0;
        if constexpr (std::is_enum_v<T>)
            u = static_cast<std::uint64_t>(static_cast<std::underlying_type_t<T>>(v));
        else
            u = static_cast<std::uint64_t>(v);
        for (std::size_t i = 0; i < sizeof(T); ++i) out_.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    void put(const GUID& g) {
        put(g.Data1);
        put(g.Data2);
        put(g.Data3);
        for (auto b : g.Data4) put(b);
    }
    void put(const std::u16string& s) {
        put(static_cast<std::uint32_t>(s.size()));
        for (char16_t c : s) put(c);
    }
    template <typename T>
    void put(const std::vector<T>& items) {
        put(static_cast<std::uint32_t>(items.size()));
        for (const auto& item : items) put(item);
    }
    template <typename T>
    void put(const std::optional<T>& item) {
        put(item.has_value());
        if (item) put(*item);
    }
    template <Composite T>
    void put(const T& x) {
        fields(*this, const_cast<T&>(x));  // the writer only reads
    }

private:
    std::string out_;
};

// Reads what the writer wrote; any short, long or impossible body fails.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    template <typename... A>
    void operator()(A&... a) {
        (get(a), ...);
    }
    bool finished() const { return ok_ && at_ == in_.size(); }

    template <typename T>
        requires std::is_integral_v<T> || std::is_enum_v<T>
    void get(T& v) {
        if (!ok_ || in_.size() - at_ < sizeof(T)) return fail();
        std::uint64_t u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            u |= static_cast<std::uint64_t>(static_cast<unsigned char>(in_[at_ + i])) << (8 * i);
        at_ += sizeof(T);
        if constexpr (std::is_same_v<T, bool>) {
            if (u > 1) return fail();
            v = u != 0;
        } else {
            v = static_cast<T>(u);
        }
    }
    void get(GUID& g) {
        get(g.Data1);
        get(g.Data2);
        get(g.Data3);
        for (auto& b : g.Data4) get(b);
    }
    void get(std::u16string& s) {
        const std::size_t n = count(sizeof(char16_t));
        s.assign(n, u'\0');
        for (char16_t& c : s) get(c);
    }
    template <typename T>
    void get(std::vector<T>& items) {
        // Every item takes at least a byte, so a count beyond what is left
        // is a damaged body, refused before anything is allocated for it.
        const std::size_t n = count(1);
        items.assign(n, T{});
        for (auto& item : items) get(item);
    }
    template <typename T>
    void get(std::optional<T>& item) {
        bool present = false;
        get(present);
        if (!present) return item.reset();
        item.emplace();
        get(*item);
    }
    template <Composite T>
    void get(T& x) {
        fields(*this, x);
    }

private:
    std::size_t count(std::size_t smallestItem) {
        std::uint32_t n = 0;
        get(n);
        if (!ok_ || n > (in_.size() - at_) / smallestItem) {
            fail();
            return 0;
        }
        return n;
    }
    void fail() { ok_ = false; }

    std::string_view in_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

template <typename T>
std::string encode(const T& x) {
    Writer w;
    w.put(x);
    return w.take();
}

template <typename T>
bool decodeInto(std::string_view body, T& x) {
    Reader r(body);
    r.get(x);
    return r.finished();
}

// --- Where each kind is filed --------------------------------------------------

template <typename T> struct Filing;
template <> struct Filing<Provider> {
    static constexpr Kind kind = Kind::Provider;
    static GUID parentOf(const Provider&) { return {}; }
};
// A filed kind names its parent in `parentField`, and the parent lists it
// in `list`; a parent's list is read through a const table, so that reading
// it never counts as touching the parent.
template <typename Child, typename Parent, GUID Child::*ParentField, IdList Parent::*List,
          ObjectTable<Parent> Model::*Parents>
struct FiledUnder {
    static GUID parentOf(const Child& x) { return x.*ParentField; }
    static const IdList* listIn(const Model& m, const GUID& p) {
        const Parent* parent = (m.*Parents).get(p);
        return parent ? &(parent->*List) : nullptr;
    }
    static IdList* listToChange(Model& m, const GUID& p) {
        auto it = (m.*Parents).find(p);
        return it == (m.*Parents).end() ? nullptr : &(it->second.*List);
    }
};
template <> struct Filing<SubSystem> : FiledUnder<SubSystem, Provider, &SubSystem::provider, &Provider::children, &Model::providers> {
    static constexpr Kind kind = Kind::SubSystem;
};
template <> struct Filing<Pack> : FiledUnder<Pack, Provider, &Pack::provider, &Provider::children, &Model::providers> {
    static constexpr Kind kind = Kind::Pack;
};
template <> struct Filing<Controller> : FiledUnder<Controller, SubSystem, &Controller::subsystem, &SubSystem::controllers, &Model::subsystems> {
    static constexpr Kind kind = Kind::Controller;
};
template <> struct Filing<Drive> : FiledUnder<Drive, SubSystem, &Drive::subsystem, &SubSystem::drives, &Model::subsystems> {
    static constexpr Kind kind = Kind::Drive;
};
template <> struct Filing<Lun> : FiledUnder<Lun, SubSystem, &Lun::subsystem, &SubSystem::luns, &Model::subsystems> {
    static constexpr Kind kind = Kind::Lun;
};
template <> struct Filing<Port> : FiledUnder<Port, Controller, &Port::controller, &Controller::ports, &Model::controllers> {
    static constexpr Kind kind = Kind::Port;
};
template <> struct Filing<LunPlex> : FiledUnder<LunPlex, Lun, &LunPlex::lun, &Lun::plexes, &Model::luns> {
    static constexpr Kind kind = Kind::LunPlex;
};
template <> struct Filing<Disk> : FiledUnder<Disk, Pack, &Disk::pack, &Pack::disks, &Model::packs> {
    static constexpr Kind kind = Kind::Disk;
};
template <> struct Filing<Volume> : FiledUnder<Volume, Pack, &Volume::pack, &Pack::volumes, &Model::packs> {
    static constexpr Kind kind = Kind::Volume;
};
template <> struct Filing<VolumePlex> : FiledUnder<VolumePlex, Volume, &VolumePlex::volume, &Volume::plexes, &Model::volumes> {
    static constexpr Kind kind = Kind::VolumePlex;
};

// Calls f(table) for the table of each kind; `eachFiledTable` for the kinds
// that are filed under a parent.
template <typename M, typename F>
void eachFiledTable(M& m, F&& f) {
    f(m.subsystems);
    f(m.packs);
    f(m.controllers);
    f(m.drives);
    f(m.luns);
    f(m.ports);
    f(m.lunPlexes);
    f(m.disks);
    f(m.volumes);
    f(m.volumePlexes);
}
template <typename M, typename F>
void eachTable(M& m, F&& f) {
    f(m.providers);
    eachFiledTable(m, f);
}

template <typename Table>
using ObjectOf = std::remove_cvref_t<decltype(std::declval<Table&>().at(GUID{}))>;

// Calls f(table) for the table holding `kind`.
template <typename M, typename F>
bool withTable(M& m, Kind kind, F&& f) {
    bool found = false;
    eachTable(m, [&](auto& table) {
        if (Filing<ObjectOf<decltype(table)>>::kind == kind) {
            found = true;
            f(table);
        }
    });
    return found;
}

template <typename T>
ObjectRow rowFor(const T& x) {
    return {x.id, Filing<T>::kind, Filing<T>::parentOf(x), encode(x)};
}

// Decodes a row's body into `x`, which keeps its lists of children; the body
// must name the row's own identifier and parent.
template <typename T>
bool decodeRow(const ObjectRow& row, T& x) {
    return decodeInto(row.body, x) && x.id == row.id && Filing<T>::parentOf(x) == row.parent;
}

}  // namespace

std::optional<ObjectRow> rowOf(const Model& m, Kind kind, const GUID& id) {
    std::optional<ObjectRow> out;
    withTable(m, kind, [&](const auto& table) {
        if (const auto* x = table.get(id)) out = rowFor(*x);
    });
    return out;
}

MachineLists listsOf(const Model& m) {
    return {m.hardwareProviders, m.softwareProviders, m.unallocatedDisks, m.lastSerial};
}

namespace {

void walk(const Model& m, const GUID& id, std::vector<ObjectRow>& out) {
    const auto kind = m.kindOf(id);
    if (!kind) return;
    if (auto row = rowOf(m, *kind, id)) out.push_back(std::move(*row));
    const auto all = [&](const IdList& children) {
        for (const GUID& child : children) walk(m, child, out);
    };
    switch (*kind) {
        case Kind::Provider: all(m.providers.at(id).children); break;
        case Kind::SubSystem: {
            const SubSystem& s = m.subsystems.at(id);
            all(s.controllers);
            all(s.drives);
            all(s.luns);
            break;
        }
        case Kind::Controller: all(m.controllers.at(id).ports); break;
        case Kind::Lun: all(m.luns.at(id).plexes); break;
        case Kind::Pack: {
            const Pack& p = m.packs.at(id);
            all(p.disks);
            all(p.volumes);
            break;
        }
        case Kind::Volume: all(m.volumes.at(id).plexes); break;
        default: break;
    }
}

}  // namespace

std::vector<ObjectRow> rowsInOrder(const Model& m) {
    std::vector<ObjectRow> out;
    out.reserve(m.kinds.size());
    for (const auto* list : {&m.hardwareProviders, &m.softwareProviders, &m.unallocatedDisks})
        for (const GUID& id : *list) walk(m, id, out);
    return out;
}

std::vector<std::pair<Kind, GUID>> touchedObjects(const Model& m) {
    std::vector<std::pair<Kind, GUID>> out;
    eachTable(m, [&](const auto& table) {
        for (const auto& [id, old] : table.before()) out.emplace_back(Filing<ObjectOf<decltype(table)>>::kind, id);
    });
    return out;
}

namespace {

// The last `count` children of one kind a parent lists, in order; all of
// them when `count` is none. Reading the end costs what it holds, not the list.
std::vector<GUID> childrenOf(const Model& m, const GUID& parent, Kind childKind,
                             std::optional<std::size_t> count = std::nullopt) {
    std::vector<GUID> out;
    eachFiledTable(m, [&](const auto& table) {
        using T = ObjectOf<decltype(table)>;
        if (Filing<T>::kind != childKind) return;
        if (const IdList* list = Filing<T>::listIn(m, parent)) out = count ? list->tail(*count) : list->toVector();
    });
    return out;
}

}  // namespace

std::vector<std::vector<GUID>> newlyFiledChildren(const Model& m) {
    // Keyed by parent, then by the kind of child: a pack lists disks and
    // volumes, and one change may file both (a migration).
    std::unordered_map<GUID, std::map<Kind, std::vector<GUID>>, GuidHash> byParent;
    eachFiledTable(m, [&](const auto& table) {
        using T = ObjectOf<decltype(table)>;
        for (const auto& [id, old] : table.before()) {
            const T* now = table.get(id);
            if (now == nullptr) continue;
            const GUID parent = Filing<T>::parentOf(*now);
            if (isNullGuid(parent) || (old && Filing<T>::parentOf(*old) == parent)) continue;
            byParent[parent][Filing<T>::kind].push_back(id);
        }
    });
    // New children are appended, so they are the end of their parent's list,
    // in its order; when they are not (a list put in order some other way),
    // the whole list is placed again.
    std::vector<std::vector<GUID>> groups;
    for (const auto& [parent, kinds] : byParent)
        for (const auto& [kind, children] : kinds) {
            std::vector<GUID> last = childrenOf(m, parent, kind, children.size());
            const std::unordered_set<GUID, GuidHash> wanted(children.begin(), children.end());
            const bool atTheEnd = last.size() == children.size() &&
                                  std::all_of(last.begin(), last.end(), [&](const GUID& id) { return wanted.count(id) != 0; });
            groups.push_back(atTheEnd ? std::move(last) : childrenOf(m, parent, kind));
        }
    return groups;
}

std::optional<Model> machineFromRows(const MachineLists& lists, const std::vector<ObjectRow>& rowsInOrder,
                                     std::string& error) {
    Model m;
    m.hardwareProviders = lists.hardwareProviders;
    m.softwareProviders = lists.softwareProviders;
    m.unallocatedDisks = lists.unallocatedDisks;
    m.lastSerial = lists.lastSerial;
    for (const ObjectRow& row : rowsInOrder) {
        bool decoded = false;
        const bool known = withTable(m, row.kind, [&](auto& table) {
            ObjectOf<decltype(table)> x{};
            if (!decodeRow(row, x) || m.kinds.contains(row.id)) return;
            table[row.id] = std::move(x);
            m.kinds[row.id] = row.kind;
            decoded = true;
        });
        if (!known || !decoded) {
            error = "the row of " + guidToText(row.id) + (known ? " does not read" : " holds no kind of object");
            return std::nullopt;
        }
    }
    for (const ObjectRow& row : rowsInOrder) {
        if (isNullGuid(row.parent)) continue;
        IdList* list = nullptr;
        withTable(m, row.kind, [&](auto& table) {
            using T = ObjectOf<decltype(table)>;
            if constexpr (Filing<T>::kind != Kind::Provider) list = Filing<T>::listToChange(m, row.parent);
        });
        if (list == nullptr) {
            error = guidToText(row.id) + " names a parent that is not there";
            return std::nullopt;
        }
        list->push_back(row.id);
    }
    if (auto broken = checkModelRules(m)) {
        error = *broken;
        return std::nullopt;
    }
    m.commitChange();
    return m;
}

bool putRows(Model& m, const std::vector<ObjectRow>& rowsInOrder, const std::vector<GUID>& gone,
             const std::optional<MachineLists>& lists, std::string& error) {
    for (const GUID& id : gone) {
        const auto kind = m.kindOf(id);
        if (!kind) continue;
        withTable(m, *kind, [&](auto& table) {
            using T = ObjectOf<decltype(table)>;
            if constexpr (Filing<T>::kind != Kind::Provider) {
                const GUID parent = Filing<T>::parentOf(std::as_const(table).at(id));
                if (IdList* list = Filing<T>::listToChange(m, parent)) list->erase(id);
            }
            table.erase(id);
        });
        m.kinds.erase(id);
    }
    // Each object takes its row's fields first; children then move to the
    // parent their row names, so a parent made in the same change is there.
    struct Placed {
        const ObjectRow* row;
        std::optional<GUID> parentBefore;
    };
    std::vector<Placed> placed;
    for (const ObjectRow& row : rowsInOrder) {
        const auto kind = m.kindOf(row.id);
        bool decoded = false;
        std::optional<GUID> parentBefore;
        const bool known = (!kind || *kind == row.kind) && withTable(m, row.kind, [&](auto& table) {
            using T = ObjectOf<decltype(table)>;
            const T* existing = std::as_const(table).get(row.id);
            T x = existing != nullptr ? *existing : T{};
            if (existing != nullptr) parentBefore = Filing<T>::parentOf(*existing);
            if (!decodeRow(row, x)) return;
            table[row.id] = std::move(x);
            decoded = true;
        });
        if (!known || !decoded) {
            error = "the row of " + guidToText(row.id) + " does not read";
            return false;
        }
        if (!kind) m.kinds[row.id] = row.kind;
        placed.push_back({&row, parentBefore});
    }
    for (const Placed& each : placed) {
        const ObjectRow* row = each.row;
        const std::optional<GUID>& parentBefore = each.parentBefore;
        if (parentBefore && *parentBefore == row->parent) continue;
        withTable(m, row->kind, [&](auto& table) {
            using T = ObjectOf<decltype(table)>;
            if constexpr (Filing<T>::kind != Kind::Provider) {
                if (parentBefore)
                    if (IdList* list = Filing<T>::listToChange(m, *parentBefore)) list->erase(row->id);
                if (isNullGuid(row->parent)) return;
                if (IdList* list = Filing<T>::listToChange(m, row->parent))
                    list->push_back(row->id);
                else
                    error = guidToText(row->id) + " names a parent that is not there";
            }
        });
        if (!error.empty()) return false;
    }
    if (lists) {
        m.hardwareProviders = lists->hardwareProviders;
        m.softwareProviders = lists->softwareProviders;
        m.unallocatedDisks = lists->unallocatedDisks;
        m.lastSerial = lists->lastSerial;
    }
    return true;
}

std::string encodeLists(const MachineLists& lists) {
    std::vector<SerialEntry> serials;
    for (const auto& [prefix, serial] : lists.lastSerial) serials.push_back({prefix, serial});
    std::sort(serials.begin(), serials.end(), [](const auto& a, const auto& b) { return a.prefix < b.prefix; });
    Writer w;
    w(lists.hardwareProviders, lists.softwareProviders, lists.unallocatedDisks, serials);
    return w.take();
}

std::optional<MachineLists> decodeLists(std::string_view body) {
    MachineLists lists;
    std::vector<SerialEntry> serials;
    Reader r(body);
    r(lists.hardwareProviders, lists.softwareProviders, lists.unallocatedDisks, serials);
    if (!r.finished()) return std::nullopt;
    for (const auto& [prefix, serial] : serials) lists.lastSerial[prefix] = serial;
    return lists;
}

std::string encodeBatch(const Batch& batch) {
    std::string out(batch.size() * sizeof(VDS_NOTIFICATION), '\0');
    if (!batch.empty()) std::memcpy(out.data(), batch.data(), out.size());
    return out;
}

std::optional<Batch> decodeBatch(std::string_view body) {
    if (body.size() % sizeof(VDS_NOTIFICATION) != 0) return std::nullopt;
    Batch batch(body.size() / sizeof(VDS_NOTIFICATION));
    if (!batch.empty()) std::memcpy(batch.data(), body.data(), body.size());
    return batch;
}

std::string encodeIds(const std::vector<GUID>& ids) {
    Writer w;
    w.put(ids);
    return w.take();
}

std::optional<std::vector<GUID>> decodeIds(std::string_view body) {
    std::vector<GUID> ids;
    Reader r(body);
    r.get(ids);
    if (!r.finished()) return std::nullopt;
    return ids;
}

}  // namespace tolvane::sim
