#include "model/model_digest.h"

#include <algorithm>
#include <type_traits>

namespace tolvane::sim {

namespace {

std::uint64_t finish(std::uint64_t x) {
    // splitmix64's finaliser: spreads every input bit over the whole word, so
    // summing finished values stays a good order-free combination.
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

class Hasher {
public:
    explicit Hasher(std::uint64_t seed) : h_(finish(seed)) {}

    template <typename T>
        requires std::is_integral_v<T> || std::is_enum_v<T>
    Hasher& operator<<(T v) {
        h_ = finish(h_ ^ static_cast<std::uint64_t>(v)) + 0x9E3779B97F4A7C15ull;
        return *this;
    }
    Hasher& operator<<(const GUID& g) {
        *this << g.Data1 << g.Data2 << g.Data3;
        for (auto b : g.Data4) *this << b;
        return *this;
    }
    Hasher& operator<<(const std::u16string& s) {
        *this << s.size();
        for (char16_t c : s) *this << static_cast<std::uint16_t>(c);
        return *this;
    }
    template <typename T>
    Hasher& operator<<(const std::vector<T>& items) {
        *this << items.size();
        for (const auto& item : items) *this << item;
        return *this;
    }
    // Which children, not their order: a parent's digest never walks a
    // long list of children.
    Hasher& operator<<(const IdList& ids) { return *this << ids.size() << ids.fingerprint(); }
    template <typename T>
    Hasher& operator<<(const std::optional<T>& item) {
        *this << item.has_value();
        if (item) *this << *item;
        return *this;
    }
    Hasher& operator<<(const DriveExtentView& e) { return *this << e.drive << e.lun << e.size << e.used; }
    Hasher& operator<<(const DiskExtentView& e) {
        return *this << e.disk << e.type << e.offset << e.size << e.volume << e.plex << e.member;
    }
    Hasher& operator<<(const DriveSpan& s) { return *this << s.drive << s.offset << s.size << s.stale; }
    Hasher& operator<<(const DiskSpan& s) { return *this << s.disk << s.offset << s.size << s.member; }
    Hasher& operator<<(const Hints& x) {
        return *this << x.hintMask << x.expectedMaximumSize << x.optimalReadSize << x.optimalReadAlignment
                     << x.optimalWriteSize << x.optimalWriteAlignment << x.maximumDriveCount << x.stripeSize
                     << x.fastCrashRecoveryRequired << x.mostlyReads << x.optimizeForSequentialReads
                     << x.optimizeForSequentialWrites << x.remapEnabled << x.readBackVerifyEnabled
                     << x.writeThroughCachingEnabled << x.hardwareChecksumEnabled << x.isYankable
                     << x.rebuildPriority;
    }
    Hasher& operator<<(const Partition& p) {
        return *this << p.number << p.offset << p.size << p.flags << p.mbrType << p.bootIndicator << p.recognized
                     << p.gptType << p.gptId << p.gptAttributes << p.gptName
                     << static_cast<std::uint16_t>(p.driveLetter) << p.fileSystem << p.label;
    }
    Hasher& operator<<(const FileSystem& f) {
        return *this << f.type << f.flags << f.allocationUnitSize << f.totalAllocationUnits
                     << f.availableAllocationUnits << f.label << f.compressionFlags << f.maximumFileNameLength;
    }
    Hasher& operator<<(const Provider& x) {
        return *this << x.id << x.versionId << x.name << x.version << x.type << x.flags << x.stripeSizeFlags
                     << x.rebuildPriority << x.children;
    }
    Hasher& operator<<(const SubSystem& x) {
        return *this << x.id << x.provider << x.friendlyName << x.identification << x.flags << x.stripeSizeFlags
                     << x.status << x.health << x.internalBuses << x.slotsPerBus << x.maxControllers
                     << x.rebuildPriority << x.recoversByItself << x.rebuildMsPerGiB << x.controllers << x.drives
                     << x.luns;
    }
    Hasher& operator<<(const Controller& x) {
        return *this << x.id << x.subsystem << x.friendlyName << x.identification << x.status << x.health
                     << x.ports;
    }
    Hasher& operator<<(const Port& x) {
        return *this << x.id << x.controller << x.friendlyName << x.identification << x.status << x.portNumber;
    }
    Hasher& operator<<(const Drive& x) {
        return *this << x.id << x.subsystem << x.friendlyName << x.identification << x.size << x.flags << x.status
                     << x.health << x.bus << x.slot;
    }
    Hasher& operator<<(const Lun& x) {
        return *this << x.id << x.subsystem << x.friendlyName << x.identification << x.unmaskingList << x.size
                     << x.flags << x.type << x.status << x.health << x.transitionState << x.rebuildPriority
                     << x.rebuilding << x.plexes << x.activeControllers << x.associatedControllers << x.hints;
    }
    Hasher& operator<<(const LunPlex& x) {
        return *this << x.id << x.lun << x.size << x.type << x.status << x.health << x.transitionState << x.flags
                     << x.stripeSize << x.rebuildPriority << x.extents;
    }
    Hasher& operator<<(const Pack& x) {
        return *this << x.id << x.provider << x.name << x.status << x.flags << x.placeholder << x.disks << x.volumes;
    }
    Hasher& operator<<(const Disk& x) {
        return *this << x.id << x.pack << x.status << x.reserveMode << x.health << x.deviceType << x.mediaType
                     << x.size << x.bytesPerSector << x.sectorsPerTrack << x.tracksPerCylinder << x.flags
                     << x.busType << x.partitionStyle << x.signature << x.diskGuid << x.diskAddress << x.name
                     << x.friendlyName << x.adaptorName << x.devicePath << x.partitions;
    }
    Hasher& operator<<(const VolumePlex& x) {
        return *this << x.id << x.volume << x.type << x.status << x.health << x.transitionState << x.size
                     << x.stripeSize << x.numberOfMembers << x.extents;
    }
    Hasher& operator<<(const Volume& x) {
        return *this << x.id << x.pack << x.name << x.type << x.status << x.health << x.transitionState << x.size
                     << x.flags << x.recommendedFileSystem << static_cast<std::uint16_t>(x.driveLetter)
                     << x.mountFolders << x.fileSystem << x.plexes << x.dismounted;
    }

    std::uint64_t value() const { return finish(h_); }

private:
    std::uint64_t h_;
};

// A table's sum of its objects' fingerprints does not depend on the map's
// order, and moves by what a change touched: the fingerprint of each
// touched object as it stood leaves the sum, as it stands joins it.
template <typename T>
std::uint64_t entry(std::uint64_t seed, const GUID&, const T& object) {
    return (Hasher(seed) << object).value();
}
std::uint64_t entry(std::uint64_t seed, const GUID& id, Kind kind) { return (Hasher(seed) << id << kind).value(); }

template <typename T>
std::uint64_t currentSum(std::uint64_t seed, const ObjectTable<T>& table, std::uint64_t committed) {
    std::uint64_t sum = committed;
    for (const auto& [id, old] : table.before()) {
        if (old) sum -= entry(seed, id, *old);
        if (const T* now = table.get(id)) sum += entry(seed, id, *now);
    }
    return sum;
}

template <typename Map>
std::uint64_t one(const Map& objects, const GUID& id) {
    auto it = objects.find(id);
    return it == objects.end() ? 0 : (Hasher(20) << it->second).value();
}

template <typename Map>
std::uint64_t withChildren(const Map& children, const IdList& ids, Hasher h) {
    for (const auto& id : ids) h << one(children, id);
    return h.value();
}

}  // namespace

std::uint64_t objectDigest(const Model& m, Kind kind, const GUID& id) {
    switch (kind) {
        case Kind::Provider: return one(m.providers, id);
        case Kind::SubSystem: {
            // What VDS_SUB_SYSTEM_PROP shows: not the lists of its controllers,
            // drives and LUNs, whose arrivals and departures are told on their own.
            const SubSystem* s = m.subsystems.get(id);
            if (s == nullptr) return 0;
            SubSystem told = *s;
            told.controllers.clear();
            told.drives.clear();
            told.luns.clear();
            return (Hasher(20) << told).value();
        }
        case Kind::Controller: return one(m.controllers, id);
        case Kind::Port: return one(m.ports, id);
        case Kind::Drive: return m.drives.count(id) ? (Hasher(one(m.drives, id)) << m.driveExtents(id)).value() : 0;
        case Kind::Lun: {
            auto it = m.luns.find(id);
            return it == m.luns.end() ? 0 : withChildren(m.lunPlexes, it->second.plexes, Hasher(20) << it->second);
        }
        case Kind::LunPlex: return one(m.lunPlexes, id);
        case Kind::Pack: {
            // The placeholder mark is the service's own; no client is told of it.
            const Pack* p = m.packs.get(id);
            if (p == nullptr) return 0;
            Pack told = *p;
            told.placeholder = false;
            return (Hasher(20) << told).value();
        }
        case Kind::Disk: return m.disks.count(id) ? (Hasher(one(m.disks, id)) << m.diskExtents(id)).value() : 0;
        case Kind::Volume: {
            auto it = m.volumes.find(id);
            if (it == m.volumes.end()) return 0;
            // Letters, mount folders and the file system have events of their own.
            Volume v = it->second;
            v.driveLetter = 0;
            v.mountFolders.clear();
            v.fileSystem.reset();
            return withChildren(m.volumePlexes, v.plexes, Hasher(20) << v);
        }
        case Kind::VolumePlex: return one(m.volumePlexes, id);
    }
    return 0;
}

std::uint64_t fileSystemDigest(const Model& m, const GUID& volume) {
    auto it = m.volumes.find(volume);
    return it == m.volumes.end() ? 0 : (Hasher(21) << it->second.fileSystem).value();
}

DigestSums currentDigestSums(const Model& m) {
    const DigestSums& c = m.committedDigestSums;
    return {currentSum(1, m.providers, c[0]),     currentSum(2, m.subsystems, c[1]),
            currentSum(3, m.controllers, c[2]),   currentSum(4, m.ports, c[3]),
            currentSum(5, m.drives, c[4]),        currentSum(6, m.luns, c[5]),
            currentSum(7, m.lunPlexes, c[6]),     currentSum(8, m.packs, c[7]),
            currentSum(9, m.disks, c[8]),         currentSum(10, m.volumes, c[9]),
            currentSum(11, m.volumePlexes, c[10]), currentSum(12, m.kinds, c[11])};
}

namespace {

// The order of every parent's children: clients enumerate them in it. The
// per-object sums see only which children a parent lists; this walks the
// lists, for the tests that ask for the whole machine's digest.
std::uint64_t childOrder(const Model& m) {
    std::uint64_t sum = 0;
    const auto add = [&sum](const GUID& parent, const IdList& children) {
        if (children.size() < 2) return;
        Hasher h(13);
        h << parent;
        for (const GUID& id : children) h << id;
        sum += h.value();
    };
    for (const auto& [id, p] : m.providers) add(id, p.children);
    for (const auto& [id, s] : m.subsystems) {
        add(id, s.controllers);
        add(id, s.drives);
        add(id, s.luns);
    }
    for (const auto& [id, c] : m.controllers) add(id, c.ports);
    for (const auto& [id, l] : m.luns) add(id, l.plexes);
    for (const auto& [id, k] : m.packs) {
        add(id, k.disks);
        add(id, k.volumes);
    }
    for (const auto& [id, v] : m.volumes) add(id, v.plexes);
    return sum;
}

}  // namespace

std::uint64_t modelDigest(const Model& m) {
    const DigestSums sums = currentDigestSums(m);
    const std::size_t sizes[] = {m.providers.size(), m.subsystems.size(), m.controllers.size(), m.ports.size(),
                                 m.drives.size(),    m.luns.size(),       m.lunPlexes.size(),   m.packs.size(),
                                 m.disks.size(),     m.volumes.size(),    m.volumePlexes.size()};
    Hasher h(0x746F6C76616E65ull);
    h << m.hardwareProviders << m.softwareProviders << m.unallocatedDisks;
    for (std::size_t i = 0; i < std::size(sizes); ++i) h << (Hasher(i + 1) << sizes[i] << sums[i]).value();
    h << sums[11] << childOrder(m);
    return h.value();
}

std::uint64_t vdsReadableDigest(const Model& source) {
    constexpr std::uint32_t kPermanentlyDismounted = 0x40000;  // VDS_VF_PERMANENTLY_DISMOUNTED
    Model m = source;
    const auto ids = [](const auto& table) {
        std::vector<GUID> out;
        for (const auto& [id, object] : table) out.push_back(id);
        return out;
    };
    const SubSystem defaults;
    for (const GUID& id : ids(m.subsystems)) {
        SubSystem& s = m.subsystems.at(id);
        s.recoversByItself = defaults.recoversByItself;
        s.rebuildMsPerGiB = defaults.rebuildMsPerGiB;
    }
    for (const GUID& id : ids(m.luns)) {
        Lun& lun = m.luns.at(id);
        lun.rebuilding = false;
        // Which controllers serve a LUN is read, in what order they were associated is not.
        const SubSystem* s = m.subsystems.get(lun.subsystem);
        if (s == nullptr) continue;
        std::vector<GUID> ordered;
        for (const GUID& c : s->controllers)
            if (std::find(lun.associatedControllers.begin(), lun.associatedControllers.end(), c) !=
                lun.associatedControllers.end())
                ordered.push_back(c);
        if (ordered.size() == lun.associatedControllers.size()) lun.associatedControllers = std::move(ordered);
    }
    for (const GUID& id : ids(m.lunPlexes))
        for (DriveSpan& span : m.lunPlexes.at(id).extents) span.stale = false;
    for (const GUID& id : ids(m.packs)) m.packs.at(id).placeholder = false;
    for (const GUID& id : ids(m.disks))
        for (Partition& p : m.disks.at(id).partitions) {
            p.fileSystem = 0;
            p.label.clear();
        }
    const FileSystem fsDefaults;
    for (const GUID& id : ids(m.volumes)) {
        Volume& v = m.volumes.at(id);
        v.dismounted = (v.flags & kPermanentlyDismounted) != 0;
        if (!v.fileSystem) continue;
        v.fileSystem->compressionFlags = fsDefaults.compressionFlags;
        v.fileSystem->maximumFileNameLength = fsDefaults.maximumFileNameLength;
    }
    return modelDigest(m);
}

}  // namespace tolvane::sim
