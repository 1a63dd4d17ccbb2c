#include "model/topology_loader.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <limits>
#include <set>
#include <span>
#include <sstream>

#include <nlohmann/json.hpp>

#include "model/model_edit.h"
#include "model/model_rules.h"
#include "model/text16.h"
#include "model/topology_format.h"
#include "model/unmasking_list.h"

namespace tolvane::sim {

namespace {

using nlohmann::json;

struct TopologyError {
    std::string where;
    std::string what;
};

// One JSON object being read: remembers which fields were used so that a
// misspelt field is reported instead of silently taking its default.
class Obj {
public:
    Obj(const json& j, std::string path) : j_(j), path_(std::move(path)) {
        if (!j_.is_object()) fail("expected an object");
    }

    const std::string& path() const { return path_; }
    std::string at(const std::string& key) const { return path_ + "/" + key; }
    [[noreturn]] void fail(const std::string& what) const { throw TopologyError{path_.empty() ? "/" : path_, what}; }
    [[noreturn]] void fail(const std::string& key, const std::string& what) const { throw TopologyError{at(key), what}; }

    bool has(const std::string& key) { seen_.insert(key); return j_.contains(key); }
    const json& get(const std::string& key) { seen_.insert(key); return j_.at(key); }

    GUID id(const std::string& key) {
        if (!has(key)) fail(key, "missing identifier");
        return guidValue(get(key), at(key));
    }
    std::optional<GUID> optId(const std::string& key) {
        if (!has(key)) return std::nullopt;
        return guidValue(get(key), at(key));
    }
    std::u16string text(const std::string& key, std::u16string def = {}) {
        if (!has(key)) return def;
        const json& v = get(key);
        if (!v.is_string()) fail(key, "expected a text");
        return utf8To16(v.get<std::string>());
    }
    bool flag(const std::string& key, bool def = false) {
        if (!has(key)) return def;
        const json& v = get(key);
        if (!v.is_boolean()) fail(key, "expected true or false");
        return v.get<bool>();
    }
    template <typename T>
    T integer(const std::string& key, T def) {
        if (!has(key)) return def;
        return integerValue<T>(get(key), at(key));
    }
    // A byte count: a number, or a text such as "64 GiB".
    std::uint64_t bytes(const std::string& key, std::uint64_t def) {
        if (!has(key)) return def;
        return bytesValue(get(key), at(key));
    }
    // An enumeration value given as its number or as one of its names.
    std::int32_t choice(const std::string& key, std::int32_t def, std::span<const topology::Name> names) {
        if (!has(key)) return def;
        const json& v = get(key);
        if (v.is_string()) {
            std::string s = v.get<std::string>();
            std::string known;
            for (const auto& [name, value] : names) {
                if (s == name) return value;
                known += known.empty() ? "" : ", ";
                known += name;
            }
            fail(key, "unknown value \"" + s + "\" (expected a number or one of: " + known + ")");
        }
        return integerValue<std::int32_t>(v, at(key));
    }
    // A drive letter, "E" or "E:" in either case; 0 when absent.
    char16_t letter(const std::string& key) {
        const std::u16string text = this->text(key);
        if (text.empty()) return 0;
        char16_t c = text[0];
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
        if (text.size() > 2 || c < u'A' || c > u'Z' || (text.size() == 2 && text[1] != u':'))
            fail(key, "expected one letter A to Z, e.g. \"E\"");
        return c;
    }
    const json& array(const std::string& key) {
        static const json empty = json::array();
        if (!has(key)) return empty;
        const json& v = get(key);
        if (!v.is_array()) fail(key, "expected an array");
        return v;
    }
    std::vector<GUID> ids(const std::string& key) {
        std::vector<GUID> out;
        const json& a = array(key);
        for (std::size_t i = 0; i < a.size(); ++i) out.push_back(guidValue(a[i], at(key) + "/" + std::to_string(i)));
        return out;
    }
    // Every field of an object whose fields are data (keys chosen by the file).
    std::vector<std::pair<std::string, const json*>> entries() {
        std::vector<std::pair<std::string, const json*>> out;
        for (auto it = j_.begin(); it != j_.end(); ++it) {
            seen_.insert(it.key());
            out.emplace_back(it.key(), &it.value());
        }
        return out;
    }
    void finish() const {
        for (auto it = j_.begin(); it != j_.end(); ++it) {
            if (seen_.count(it.key())) continue;
            // What a capture could not read from the service: kept in the
            // file for whoever reads it, nothing the machine is made of.
            if (it.key() == kUnreadable) {
                checkUnreadable(it.value());
                continue;
            }
            throw TopologyError{at(it.key()), "unknown field"};
        }
    }

    static constexpr const char* kUnreadable = "unreadable";
    void checkUnreadable(const json& v) const {
        if (!v.is_array()) fail(kUnreadable, "expected an array of texts");
        for (const auto& note : v)
            if (!note.is_string()) fail(kUnreadable, "expected an array of texts");
    }

    static GUID guidValue(const json& v, const std::string& where) {
        if (!v.is_string()) throw TopologyError{where, "expected an identifier text"};
        auto g = guidFromText(v.get<std::string>());
        if (!g) throw TopologyError{where, "\"" + v.get<std::string>() +
                                              "\" is not an identifier of 36 characters "
                                              "(XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX)"};
        return *g;
    }
    template <typename T>
    static T integerValue(const json& v, const std::string& where) {
        if (v.is_number_unsigned()) {
            auto u = v.get<std::uint64_t>();
            if (u > static_cast<std::uint64_t>(std::numeric_limits<T>::max()))
                throw TopologyError{where, "value " + std::to_string(u) + " is too large"};
            return static_cast<T>(u);
        }
        if (v.is_number_integer()) {
            auto s = v.get<std::int64_t>();
            if (s < static_cast<std::int64_t>(std::numeric_limits<T>::min()))
                throw TopologyError{where, "value " + std::to_string(s) + " is out of range"};
            return static_cast<T>(s);
        }
        throw TopologyError{where, "expected a whole number"};
    }
    static std::uint64_t bytesValue(const json& v, const std::string& where) {
        if (v.is_number()) return integerValue<std::uint64_t>(v, where);
        if (!v.is_string()) throw TopologyError{where, "expected a byte count or a size text such as \"64 GiB\""};
        std::string s = v.get<std::string>();
        std::size_t pos = 0;
        while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
        std::string unit = s.substr(pos);
        unit.erase(std::remove(unit.begin(), unit.end(), ' '), unit.end());
        static const std::pair<const char*, std::uint64_t> units[] = {
            {"", 1}, {"B", 1}, {"KiB", 1ull << 10}, {"MiB", 1ull << 20}, {"GiB", 1ull << 30}, {"TiB", 1ull << 40}};
        if (pos == 0 || pos > 15) throw TopologyError{where, "\"" + s + "\" is not a size (e.g. \"64 GiB\")"};
        std::uint64_t n = std::stoull(s.substr(0, pos));
        for (const auto& [name, factor] : units)
            if (unit == name) {
                if (n > UINT64_MAX / factor) throw TopologyError{where, "\"" + s + "\" is too large"};
                return n * factor;
            }
        throw TopologyError{where, "unknown size unit in \"" + s + "\" (use B, KiB, MiB, GiB or TiB)"};
    }

private:
    const json& j_;
    std::string path_;
    std::set<std::string> seen_;
};

std::string item(const std::string& path, const char* key, std::size_t i) {
    return path + "/" + key + "/" + std::to_string(i);
}

class Builder {
public:
    Model model;

    void build(const json& root) {
        Obj top(root, "");
        top.text("comment");
        const json& hw = top.array("hardwareProviders");
        for (std::size_t i = 0; i < hw.size(); ++i) hardwareProvider(Obj(hw[i], item("", "hardwareProviders", i)));
        const json& sw = top.array("softwareProviders");
        for (std::size_t i = 0; i < sw.size(); ++i) softwareProvider(Obj(sw[i], item("", "softwareProviders", i)));
        // Disks no provider has taken yet: the service's own, in no pack.
        const json& raw = top.array("unallocatedDisks");
        for (std::size_t i = 0; i < raw.size(); ++i) disk(Obj(raw[i], item("", "unallocatedDisks", i)), GUID{});
        if (top.has("issuedSerials")) issuedSerials(Obj(top.get("issuedSerials"), top.at("issuedSerials")));
        top.finish();
        fileAll();
        // The rules between objects are the model's own; name the place of a
        // break in the description's terms.
        if (auto broken = findRuleBreak(model)) {
            auto it = places_.find(broken->object);
            std::string where = it == places_.end() ? "/" : it->second;
            if (!broken->field.empty()) where += "/" + broken->field;
            throw TopologyError{where, broken->what};
        }
    }

private:
    std::unordered_map<GUID, std::string, GuidHash> places_;

    // Every object as read, in the description's order, filed into the model
    // once the whole description has been read.
    struct Read {
        std::vector<Provider> providers;
        std::vector<SubSystem> subsystems;
        std::vector<Controller> controllers;
        std::vector<Port> ports;
        std::vector<Drive> drives;
        std::vector<Lun> luns;
        std::vector<LunPlex> lunPlexes;
        std::vector<Pack> packs;
        std::vector<Disk> disks;
        std::vector<Volume> volumes;
        std::vector<VolumePlex> volumePlexes;
    } read_;
    // Sizes of the plexes read, for a LUN's or volume's default size.
    std::unordered_map<GUID, std::uint64_t, GuidHash> plexSizes_;

    void claim(Obj& o, const GUID& id) {
        if (isNullGuid(id)) o.fail("id", "the null identifier is not allowed");
        auto [it, fresh] = places_.emplace(id, o.path());
        if (!fresh) o.fail("id", "identifier " + guidToText(id) + " is already used at " + it->second);
    }

    // Files the objects read through the model's own edit API, parents
    // before children, so that a loaded machine is filed as changes file one:
    // each child lands in its parent's list in the order it was read.
    template <typename T>
    void fileEach(std::vector<T>& objects) {
        for (T& object : objects) {
            const GUID id = object.id;
            if (FAILED(addObject(model, std::move(object)))) {
                auto it = places_.find(id);
                throw TopologyError{it == places_.end() ? "/" : it->second, "cannot be filed under its parent"};
            }
        }
        objects.clear();
    }
    void fileAll() {
        for (Provider& p : read_.providers) p.children.clear();
        for (SubSystem& s : read_.subsystems) {
            s.controllers.clear();
            s.drives.clear();
            s.luns.clear();
        }
        for (Controller& c : read_.controllers) c.ports.clear();
        for (Lun& l : read_.luns) l.plexes.clear();
        for (Pack& k : read_.packs) {
            k.disks.clear();
            k.volumes.clear();
        }
        for (Volume& v : read_.volumes) v.plexes.clear();
        fileEach(read_.providers);
        fileEach(read_.subsystems);
        fileEach(read_.controllers);
        fileEach(read_.ports);
        fileEach(read_.drives);
        fileEach(read_.luns);
        fileEach(read_.lunPlexes);
        fileEach(read_.packs);
        fileEach(read_.disks);
        fileEach(read_.volumes);
        fileEach(read_.volumePlexes);
    }

    // The last serial handed out per identifier prefix, so that the objects a
    // change makes after loading take the identifiers they would have taken
    // in the machine that was saved.
    void issuedSerials(Obj o) {
        for (const auto& [key, value] : o.entries()) {
            const bool hex = key.size() == 8 && std::all_of(key.begin(), key.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) != 0;
            });
            if (!hex) o.fail(key, "expected an identifier prefix of 8 hex digits, e.g. \"90000000\"");
            const auto prefix = static_cast<std::uint32_t>(std::stoul(key, nullptr, 16));
            const auto serial = Obj::integerValue<std::uint64_t>(*value, o.at(key));
            if (serial > topology::kMaxSerial) o.fail(key, "a serial has at most 12 hex digits");
            if (!model.lastSerial.emplace(prefix, serial).second) o.fail(key, "the prefix is given twice");
        }
    }

    void providerCommon(Obj& o, Provider& p) {
        p.id = o.id("id");
        p.versionId = o.optId("versionId").value_or(GUID{});
        p.name = o.text("name");
        p.version = o.text("version", topology::kProviderVersion);
        p.flags = o.integer<std::uint32_t>("flags", p.flags);
        p.stripeSizeFlags = o.integer<std::uint32_t>("stripeSizeFlags", p.stripeSizeFlags);
        p.rebuildPriority = o.integer<std::int16_t>("rebuildPriority", 0);
        claim(o, p.id);
    }

    void hardwareProvider(Obj o) {
        Provider p;
        p.type = 2;
        p.stripeSizeFlags = topology::kHardwareStripeSizeFlags;
        providerCommon(o, p);
        const json& subs = o.array("subsystems");
        for (std::size_t i = 0; i < subs.size(); ++i)
            p.children.push_back(subsystem(Obj(subs[i], item(o.path(), "subsystems", i)), p.id));
        o.finish();
        read_.providers.push_back(std::move(p));
    }

    GUID subsystem(Obj o, const GUID& provider) {
        SubSystem s;
        s.id = o.id("id");
        claim(o, s.id);
        s.provider = provider;
        s.friendlyName = o.text("friendlyName");
        s.identification = o.text("identification");
        s.flags = o.integer<std::uint32_t>("flags", 0);
        s.stripeSizeFlags = o.integer<std::uint32_t>("stripeSizeFlags", topology::kHardwareStripeSizeFlags);
        s.status = o.integer<std::int32_t>("status", 1);
        s.health = o.integer<std::int32_t>("health", 1);
        s.internalBuses = o.integer<std::int16_t>("internalBuses", topology::kInternalBuses);
        s.slotsPerBus = o.integer<std::int16_t>("slotsPerBus", topology::kSlotsPerBus);
        s.maxControllers = o.integer<std::int16_t>("maxControllers", topology::kMaxControllers);
        s.rebuildPriority = o.integer<std::int16_t>("rebuildPriority", 0);
        s.maintenanceRunning = o.integer<std::uint32_t>("maintenanceRunning", 0);
        s.recoversByItself = o.flag("recoversByItself", true);
        s.rebuildMsPerGiB = o.integer<std::uint32_t>("rebuildMillisecondsPerGiB", 2);

        const json& cs = o.array("controllers");
        for (std::size_t i = 0; i < cs.size(); ++i)
            s.controllers.push_back(controller(Obj(cs[i], item(o.path(), "controllers", i)), s.id));

        const json& ds = o.array("drives");
        for (std::size_t i = 0; i < ds.size(); ++i) {
            Obj d(ds[i], item(o.path(), "drives", i));
            s.drives.push_back(drive(d, s, i));
        }
        const json& ls = o.array("luns");
        for (std::size_t i = 0; i < ls.size(); ++i)
            s.luns.push_back(lun(Obj(ls[i], item(o.path(), "luns", i)), s));
        o.finish();
        const GUID id = s.id;
        read_.subsystems.push_back(std::move(s));
        return id;
    }

    GUID controller(Obj o, const GUID& subsystem) {
        Controller c;
        c.id = o.id("id");
        claim(o, c.id);
        c.subsystem = subsystem;
        c.friendlyName = o.text("friendlyName");
        c.identification = o.text("identification");
        c.status = o.integer<std::int32_t>("status", 1);
        c.health = o.integer<std::int32_t>("health", 1);
        c.maintenanceRunning = o.integer<std::uint32_t>("maintenanceRunning", 0);
        const json& ps = o.array("ports");
        for (std::size_t i = 0; i < ps.size(); ++i) {
            Obj po(ps[i], item(o.path(), "ports", i));
            Port p;
            p.id = po.id("id");
            claim(po, p.id);
            p.controller = c.id;
            p.friendlyName = po.text("friendlyName");
            p.identification = po.text("identification");
            p.status = po.integer<std::int32_t>("status", 1);
            p.portNumber = po.integer<std::int16_t>("portNumber", static_cast<std::int16_t>(i));
            po.finish();
            c.ports.push_back(p.id);
            read_.ports.push_back(std::move(p));
        }
        o.finish();
        const GUID id = c.id;
        read_.controllers.push_back(std::move(c));
        return id;
    }

    GUID drive(Obj& o, const SubSystem& s, std::size_t index) {
        Drive d;
        d.id = o.id("id");
        claim(o, d.id);
        d.subsystem = s.id;
        d.friendlyName = o.text("friendlyName");
        d.identification = o.text("identification");
        d.size = o.bytes("size", 0);
        d.flags = o.integer<std::uint32_t>("flags", 0);
        d.status = o.integer<std::int32_t>("status", 1);
        d.health = o.integer<std::int32_t>("health", 1);
        const int perBus = std::max<int>(s.slotsPerBus, 1);
        d.bus = o.integer<std::int16_t>("bus", static_cast<std::int16_t>(static_cast<int>(index) / perBus));
        d.slot = o.integer<std::int16_t>("slot", static_cast<std::int16_t>(static_cast<int>(index) % perBus));
        d.maintenanceRunning = o.integer<std::uint32_t>("maintenanceRunning", 0);
        o.finish();
        const GUID id = d.id;
        read_.drives.push_back(std::move(d));
        return id;
    }

    GUID lun(Obj o, const SubSystem& s) {
        Lun l;
        l.id = o.id("id");
        claim(o, l.id);
        l.subsystem = s.id;
        l.friendlyName = o.text("friendlyName");
        l.identification = o.text("identification");
        const auto unmasked = effectiveUnmaskingList(o.text("unmaskingList"));
        if (!unmasked)
            o.fail("unmaskingList", "not an unmasking list: \"*\", or WWNs (16 hex digits) and iSCSI names "
                                    "separated by ';'");
        l.unmaskingList = *unmasked;
        l.flags = o.integer<std::uint32_t>("flags", 0);
        l.type = o.choice("type", 10, topology::kLunTypes);
        l.status = o.integer<std::int32_t>("status", 1);
        l.health = o.integer<std::int32_t>("health", 1);
        l.transitionState = o.integer<std::int32_t>("transitionState", 1);
        l.rebuildPriority = o.integer<std::int16_t>("rebuildPriority", 0);
        l.rebuilding = o.flag("rebuilding");
        const json& ps = o.array("plexes");
        if (ps.empty()) o.fail("plexes", "a LUN needs at least one plex");
        for (std::size_t i = 0; i < ps.size(); ++i)
            l.plexes.push_back(lunPlex(Obj(ps[i], item(o.path(), "plexes", i)), l.id, s));
        l.size = o.bytes("size", plexSizes_.at(l.plexes.front()));
        auto inSubsystem = [&](const std::string& key, const std::vector<GUID>& ids) {
            for (std::size_t i = 0; i < ids.size(); ++i)
                if (std::find(s.controllers.begin(), s.controllers.end(), ids[i]) == s.controllers.end())
                    throw TopologyError{o.at(key) + "/" + std::to_string(i),
                                        guidToText(ids[i]) + " is not a controller of this subsystem"};
        };
        l.associatedControllers = o.has("associatedControllers") ? o.ids("associatedControllers") : s.controllers.toVector();
        inSubsystem("associatedControllers", l.associatedControllers);  // before the default below relies on it
        if (o.has("activeControllers")) {
            l.activeControllers = o.ids("activeControllers");
        } else if (!l.associatedControllers.empty()) {
            l.activeControllers.push_back(l.associatedControllers.front());
        }
        inSubsystem("activeControllers", l.activeControllers);
        for (std::size_t i = 0; i < l.activeControllers.size(); ++i)
            if (std::find(l.associatedControllers.begin(), l.associatedControllers.end(), l.activeControllers[i]) ==
                l.associatedControllers.end())
                throw TopologyError{o.at("activeControllers") + "/" + std::to_string(i),
                                    "an active controller must also be associated with the LUN"};
        if (o.has("hints")) l.hints = hints(Obj(o.get("hints"), o.at("hints")));
        o.finish();
        const GUID id = l.id;
        read_.luns.push_back(std::move(l));
        return id;
    }

    static Hints hints(Obj o) {
        Hints h;
        h.hintMask = o.integer<std::uint64_t>("hintMask", 0);
        h.expectedMaximumSize = o.bytes("expectedMaximumSize", 0);
        h.optimalReadSize = o.integer<std::uint32_t>("optimalReadSize", 0);
        h.optimalReadAlignment = o.integer<std::uint32_t>("optimalReadAlignment", 0);
        h.optimalWriteSize = o.integer<std::uint32_t>("optimalWriteSize", 0);
        h.optimalWriteAlignment = o.integer<std::uint32_t>("optimalWriteAlignment", 0);
        h.maximumDriveCount = o.integer<std::uint32_t>("maximumDriveCount", 0);
        h.stripeSize = o.integer<std::uint32_t>("stripeSize", 0);
        h.fastCrashRecoveryRequired = o.flag("fastCrashRecoveryRequired");
        h.mostlyReads = o.flag("mostlyReads");
        h.optimizeForSequentialReads = o.flag("optimizeForSequentialReads");
        h.optimizeForSequentialWrites = o.flag("optimizeForSequentialWrites");
        h.remapEnabled = o.flag("remapEnabled");
        h.readBackVerifyEnabled = o.flag("readBackVerifyEnabled");
        h.writeThroughCachingEnabled = o.flag("writeThroughCachingEnabled");
        h.hardwareChecksumEnabled = o.flag("hardwareChecksumEnabled");
        h.isYankable = o.flag("isYankable");
        h.rebuildPriority = o.integer<std::int16_t>("rebuildPriority", 0);
        o.finish();
        return h;
    }

    GUID lunPlex(Obj o, const GUID& lun, const SubSystem& s) {
        LunPlex p;
        p.id = o.id("id");
        claim(o, p.id);
        p.lun = lun;
        p.type = o.choice("type", 10, topology::kPlexTypes);
        p.status = o.integer<std::int32_t>("status", 1);
        p.health = o.integer<std::int32_t>("health", 1);
        p.transitionState = o.integer<std::int32_t>("transitionState", 1);
        p.flags = o.integer<std::uint32_t>("flags", 0);
        p.stripeSize = o.integer<std::uint32_t>("stripeSize", topology::defaultStripeSize(p.type));
        p.rebuildPriority = o.integer<std::int16_t>("rebuildPriority", 0);
        const json& es = o.array("extents");
        std::uint64_t total = 0;
        for (std::size_t i = 0; i < es.size(); ++i) {
            Obj e(es[i], item(o.path(), "extents", i));
            DriveSpan span;
            span.drive = e.id("drive");
            if (std::find(s.drives.begin(), s.drives.end(), span.drive) == s.drives.end())
                e.fail("drive", guidToText(span.drive) + " is not a drive of this subsystem");
            span.offset = e.bytes("offset", 0);
            span.size = e.bytes("size", 0);
            span.stale = e.flag("stale");
            e.finish();
            total += span.size;
            p.extents.push_back(span);
        }
        if (p.extents.empty()) o.fail("extents", "a LUN plex needs at least one drive extent");
        p.size = o.bytes("size", plexCapacity(p.type, total, static_cast<std::uint32_t>(p.extents.size())));
        o.finish();
        const GUID id = p.id;
        plexSizes_[id] = p.size;
        read_.lunPlexes.push_back(std::move(p));
        return id;
    }

    void softwareProvider(Obj o) {
        Provider p;
        p.type = 1;
        const bool dynamic = o.choice("kind", 0, topology::kProviderKinds) == 1;
        p.flags = dynamic ? topology::kVdsDynamicProvider : 0u;
        providerCommon(o, p);
        const json& packs = o.array("packs");
        for (std::size_t i = 0; i < packs.size(); ++i)
            p.children.push_back(pack(Obj(packs[i], item(o.path(), "packs", i)), p.id));
        o.finish();
        read_.providers.push_back(std::move(p));
    }

    GUID pack(Obj o, const GUID& provider) {
        Pack k;
        k.id = o.id("id");
        claim(o, k.id);
        k.provider = provider;
        k.name = o.text("name");
        k.status = o.integer<std::int32_t>("status", 1);
        k.flags = o.integer<std::uint32_t>("flags", 0);
        k.placeholder = o.flag("placeholder");
        const json& ds = o.array("disks");
        for (std::size_t i = 0; i < ds.size(); ++i) k.disks.push_back(disk(Obj(ds[i], item(o.path(), "disks", i)), k.id));
        const json& vs = o.array("volumes");
        for (std::size_t i = 0; i < vs.size(); ++i)
            k.volumes.push_back(volume(Obj(vs[i], item(o.path(), "volumes", i)), k));
        o.finish();
        const GUID id = k.id;
        read_.packs.push_back(std::move(k));
        return id;
    }

    GUID disk(Obj o, const GUID& pack) {
        Disk d;
        d.id = o.id("id");
        claim(o, d.id);
        d.pack = pack;
        d.size = o.bytes("size", 0);
        d.partitionStyle = o.choice("style", isNullGuid(pack) ? 0 : 1, topology::kDiskStyles);
        d.status = o.integer<std::int32_t>("status", 1);
        d.reserveMode = o.integer<std::int32_t>("reserveMode", 0);
        d.health = o.integer<std::int32_t>("health", 1);
        d.deviceType = o.integer<std::uint32_t>("deviceType", 7);
        d.mediaType = o.integer<std::uint32_t>("mediaType", 12);
        d.bytesPerSector = o.integer<std::uint32_t>("bytesPerSector", 512);
        d.sectorsPerTrack = o.integer<std::uint32_t>("sectorsPerTrack", 63);
        d.tracksPerCylinder = o.integer<std::uint32_t>("tracksPerCylinder", 255);
        d.flags = o.integer<std::uint32_t>("flags", 0);
        d.busType = o.integer<std::int32_t>("busType", 1);
        d.signature = o.integer<std::uint32_t>("signature", 0);
        d.diskGuid = o.optId("diskGuid").value_or(GUID{});
        if (d.partitionStyle != 2 && o.has("diskGuid")) o.fail("diskGuid", "only a GPT disk has a disk GUID");
        if (d.partitionStyle != 1 && o.has("signature")) o.fail("signature", "only an MBR disk has a signature");
        d.diskAddress = o.text("diskAddress");
        d.name = o.text("name");
        d.friendlyName = o.text("friendlyName");
        d.adaptorName = o.text("adaptorName");
        d.devicePath = o.text("devicePath");
        const json& ps = o.array("partitions");
        // Partitions are numbered in the order listed; the extended
        // partition, a container and no device, is numbered 0.
        std::uint32_t numbered = 0;
        for (std::size_t i = 0; i < ps.size(); ++i) {
            Obj po(ps[i], item(o.path(), "partitions", i));
            Partition p;
            p.offset = po.bytes("offset", 0);
            p.size = po.bytes("size", 0);
            p.flags = po.integer<std::uint32_t>("flags", 0);
            if (d.partitionStyle == 1) {
                p.mbrType = po.integer<std::uint8_t>("mbrType", 0x07);
                p.bootIndicator = po.flag("bootIndicator");
                p.recognized = po.flag("recognized", true);
            } else {
                p.gptType = po.optId("gptType").value_or(kGptBasicData);
                p.gptId = po.optId("gptId").value_or(GUID{});
                p.gptAttributes = po.integer<std::uint64_t>("gptAttributes", 0);
                p.gptName = po.text("gptName");
            }
            p.number = po.integer<std::uint32_t>("number", isExtendedPartition(p) ? 0 : ++numbered);
            // What the service keeps for a partition that is no volume.
            p.driveLetter = po.letter("driveLetter");
            p.fileSystem = po.choice("fileSystem", 0, topology::kFileSystems);
            p.label = po.text("label");
            po.finish();
            d.partitions.push_back(p);
        }
        std::sort(d.partitions.begin(), d.partitions.end(),
                  [](const Partition& a, const Partition& b) { return a.offset < b.offset; });
        o.finish();
        const GUID id = d.id;
        read_.disks.push_back(std::move(d));
        return id;
    }

    GUID volume(Obj o, const Pack& k) {
        Volume v;
        v.id = o.id("id");
        claim(o, v.id);
        v.pack = k.id;
        v.name = o.text("name");
        v.type = o.choice("type", 10, topology::kVolumeTypes);
        v.status = o.integer<std::int32_t>("status", 1);
        v.health = o.integer<std::int32_t>("health", 1);
        v.transitionState = o.integer<std::int32_t>("transitionState", 1);
        v.flags = o.integer<std::uint32_t>("flags", 0);
        v.recommendedFileSystem = o.integer<std::int32_t>("recommendedFileSystem", 4);
        v.driveLetter = o.letter("driveLetter");
        const json& mf = o.array("mountFolders");
        for (std::size_t i = 0; i < mf.size(); ++i) {
            std::string where = o.at("mountFolders") + "/" + std::to_string(i);
            if (!mf[i].is_string()) throw TopologyError{where, "expected a folder path text"};
            std::u16string path = utf8To16(mf[i].get<std::string>());
            if (path.size() < 4 || path[1] != u':' || path[2] != u'\\')
                throw TopologyError{where, "a mount folder is a full path such as \"C:\\\\Data\\\\Archive\\\\\""};
            if (path.back() != u'\\') path.push_back(u'\\');
            v.mountFolders.push_back(path);
        }
        const json& ps = o.array("plexes");
        if (ps.empty()) o.fail("plexes", "a volume needs at least one plex");
        for (std::size_t i = 0; i < ps.size(); ++i)
            v.plexes.push_back(volumePlex(Obj(ps[i], item(o.path(), "plexes", i)), v, k));
        v.size = o.bytes("size", plexSizes_.at(v.plexes.front()));
        if (o.has("fileSystem")) {
            Obj f(o.get("fileSystem"), o.at("fileSystem"));
            FileSystem fs;
            fs.type = f.choice("type", 4, topology::kFileSystems);
            fs.flags = f.integer<std::uint32_t>("flags", 0);
            fs.allocationUnitSize = f.integer<std::uint32_t>("allocationUnitSize", 4096);
            if (fs.allocationUnitSize == 0) f.fail("allocationUnitSize", "must be above 0");
            fs.totalAllocationUnits = f.integer<std::uint64_t>("totalAllocationUnits", v.size / fs.allocationUnitSize);
            fs.availableAllocationUnits =
                f.integer<std::uint64_t>("availableAllocationUnits", fs.totalAllocationUnits);
            fs.label = f.text("label");
            fs.compressionFlags = f.integer<std::uint32_t>("compressionFlags", 0);
            fs.maximumFileNameLength = f.integer<std::uint32_t>("maximumFileNameLength", 255);
            f.finish();
            v.fileSystem = fs;
        }
        v.dismounted = o.flag("dismounted");
        o.finish();
        const GUID id = v.id;
        read_.volumes.push_back(std::move(v));
        return id;
    }

    GUID volumePlex(Obj o, const Volume& v, const Pack& k) {
        VolumePlex p;
        p.id = o.id("id");
        claim(o, p.id);
        p.volume = v.id;
        p.type = o.choice("type", topology::defaultVolumePlexType(v.type), topology::kPlexTypes);
        p.status = o.integer<std::int32_t>("status", 1);
        p.health = o.integer<std::int32_t>("health", 1);
        p.transitionState = o.integer<std::int32_t>("transitionState", 1);
        p.stripeSize = o.integer<std::uint32_t>("stripeSize", topology::defaultStripeSize(p.type));
        const json& es = o.array("extents");
        if (es.empty()) o.fail("extents", "a volume plex needs at least one disk extent");
        std::uint64_t total = 0;
        std::uint32_t members = 0;
        for (std::size_t i = 0; i < es.size(); ++i) {
            Obj e(es[i], item(o.path(), "extents", i));
            DiskSpan s;
            s.disk = e.id("disk");
            if (std::find(k.disks.begin(), k.disks.end(), s.disk) == k.disks.end())
                e.fail("disk", guidToText(s.disk) + " is not a disk of this pack");
            s.offset = e.bytes("offset", 0);
            s.size = e.bytes("size", 0);
            s.member = e.integer<std::uint32_t>("member", topology::defaultMember(p.type, i));
            if (s.member >= topology::kMaxPlexMembers)
                e.fail("member", "a plex has at most " + std::to_string(topology::kMaxPlexMembers) + " members");
            members = std::max(members, s.member + 1);
            e.finish();
            total += s.size;
            p.extents.push_back(s);
        }
        p.size = o.bytes("size", plexCapacity(p.type, total, members));
        p.numberOfMembers = o.integer<std::uint32_t>("numberOfMembers", members);
        if (p.numberOfMembers > topology::kMaxPlexMembers)
            o.fail("numberOfMembers", "a plex has at most " + std::to_string(topology::kMaxPlexMembers) + " members");
        o.finish();
        const GUID id = p.id;
        plexSizes_[id] = p.size;
        read_.volumePlexes.push_back(std::move(p));
        return id;
    }
};

std::string lineAndColumn(std::string_view text, std::size_t byte) {
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

std::optional<Model> loadTopologyText(std::string_view text, const std::string& source, std::string& error) {
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        std::string what = e.what();
        // Keep only the parser's description, the place is given in our own terms.
        auto pos = what.find("syntax error");
        error = "topology " + source + ": " + lineAndColumn(text, e.byte == 0 ? 0 : e.byte - 1) + ": " +
                (pos == std::string::npos ? what : what.substr(pos));
        return std::nullopt;
    } catch (const json::out_of_range& e) {
        // A number too large for any field; the parser names it, not its
        // place, so the place is where it first appears.
        const std::string what = e.what();
        const auto open = what.find('\'');
        const auto close = what.rfind('\'');
        const std::string number = open != std::string::npos && close > open ? what.substr(open + 1, close - open - 1) : "";
        const auto at = number.empty() ? std::string_view::npos : text.find(number);
        error = "topology " + source + ": " + lineAndColumn(text, at == std::string_view::npos ? 0 : at) +
                ": a number too large to read: " + (number.empty() ? what : number);
        return std::nullopt;
    }
    try {
        Builder b;
        b.build(root);
        // A machine loaded is a machine committed: its indexes know it all.
        b.model.commitChange();
        return std::move(b.model);
    } catch (const TopologyError& e) {
        error = "topology " + source + ": " + e.where + ": " + e.what;
    } catch (const json::exception& e) {
        error = "topology " + source + ": " + e.what();
    }
    return std::nullopt;
}

std::optional<Model> loadTopologyFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "topology " + path + ": cannot open the file";
        return std::nullopt;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    return loadTopologyText(buffer.str(), path, error);
}

}  // namespace tolvane::sim
