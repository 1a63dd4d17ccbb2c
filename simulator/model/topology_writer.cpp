#include "model/topology_writer.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <span>

#include <nlohmann/json.hpp>

#include "model/guid_text.h"
#include "model/model_rules.h"
#include "model/partition_table.h"
#include "model/text16.h"
#include "model/topology_format.h"

namespace tolvane::sim {

namespace {

using Json = nlohmann::ordered_json;
using topology::Name;

// "64 GiB" when a binary unit divides the count, so that a saved machine
// reads like a written one; otherwise the count itself.
Json bytesValue(std::uint64_t n) {
    static const std::pair<const char*, unsigned> units[] = {{"TiB", 40}, {"GiB", 30}, {"MiB", 20}, {"KiB", 10}};
    if (n != 0)
        for (const auto& [name, shift] : units) {
            if ((n & ((1ull << shift) - 1)) != 0) continue;
            const std::string count = std::to_string(n >> shift);
            if (count.size() <= 15) return count + " " + name;  // the loader reads up to 15 digits
        }
    return n;
}

// One object being written: each field is left out at the loader's default.
class Fields {
public:
    Json json = Json::object();

    void id(const char* key, const GUID& value) { json[key] = guidToText(value); }
    void optId(const char* key, const GUID& value, const GUID& def = GUID{}) {
        if (value != def) json[key] = guidToText(value);
    }
    template <typename T>
    void number(const char* key, T value, T def) {
        if (value != def) json[key] = value;
    }
    void flag(const char* key, bool value, bool def = false) {
        if (value != def) json[key] = value;
    }
    void text(const char* key, const std::u16string& value, const std::u16string& def = {}) {
        if (value != def) json[key] = utf16To8(value);
    }
    void bytes(const char* key, std::uint64_t value, std::uint64_t def) {
        if (value != def) json[key] = bytesValue(value);
    }
    void requiredBytes(const char* key, std::uint64_t value) { json[key] = bytesValue(value); }
    void choice(const char* key, std::int32_t value, std::int32_t def, std::span<const Name> names) {
        if (value == def) return;
        if (const char* name = topology::nameOf(names, value))
            json[key] = name;
        else
            json[key] = value;
    }
    void letter(const char* key, char16_t value) {
        if (value != 0) json[key] = utf16To8(std::u16string(1, value));
    }
    void ids(const char* key, const std::vector<GUID>& value, const std::vector<GUID>& def) {
        if (value == def) return;
        Json list = Json::array();
        for (const GUID& g : value) list.push_back(guidToText(g));
        json[key] = std::move(list);
    }
    void list(const char* key, Json items) {
        if (!items.empty()) json[key] = std::move(items);
    }
    void object(const char* key, Fields inner) {
        if (!inner.json.empty()) json[key] = std::move(inner.json);
    }
};

class Writer {
public:
    explicit Writer(const Model& m) : m_(m) {}

    Json machine() const {
        Fields f;
        Json hardware = Json::array();
        for (const GUID& id : m_.hardwareProviders) hardware.push_back(hardwareProvider(m_.providers.at(id)));
        f.list("hardwareProviders", std::move(hardware));
        Json software = Json::array();
        for (const GUID& id : m_.softwareProviders) software.push_back(softwareProvider(m_.providers.at(id)));
        f.list("softwareProviders", std::move(software));
        Json unallocated = Json::array();
        for (const GUID& id : m_.unallocatedDisks) unallocated.push_back(disk(m_.disks.at(id)));
        f.list("unallocatedDisks", std::move(unallocated));
        // By prefix, so that the same machine is always the same text.
        const std::map<std::uint32_t, std::uint64_t> serials(m_.lastSerial.begin(), m_.lastSerial.end());
        Json issued = Json::object();
        for (const auto& [prefix, serial] : serials) {
            char key[9];
            std::snprintf(key, sizeof key, "%08X", prefix);
            issued[key] = serial;
        }
        f.list("issuedSerials", std::move(issued));
        return std::move(f.json);
    }

private:
    const Model& m_;

    static void providerCommon(Fields& f, const Provider& p, std::uint32_t flags, std::uint32_t stripeSizeFlags) {
        f.id("id", p.id);
        f.text("name", p.name);
        f.text("version", p.version, topology::kProviderVersion);
        f.optId("versionId", p.versionId);
        f.number("flags", p.flags, flags);
        f.number("stripeSizeFlags", p.stripeSizeFlags, stripeSizeFlags);
        f.number<std::int16_t>("rebuildPriority", p.rebuildPriority, 0);
    }

    Json hardwareProvider(const Provider& p) const {
        Fields f;
        providerCommon(f, p, 0, topology::kHardwareStripeSizeFlags);
        Json subsystems = Json::array();
        for (const GUID& id : p.children) subsystems.push_back(subsystem(m_.subsystems.at(id)));
        f.list("subsystems", std::move(subsystems));
        return std::move(f.json);
    }

    Json softwareProvider(const Provider& p) const {
        Fields f;
        const bool dynamic = (p.flags & topology::kVdsDynamicProvider) != 0;
        providerCommon(f, p, dynamic ? topology::kVdsDynamicProvider : 0, 0);
        // What kind of provider it is, said even at the default.
        f.json["kind"] = topology::nameOf(topology::kProviderKinds, dynamic ? 1 : 0);
        Json packs = Json::array();
        for (const GUID& id : p.children) packs.push_back(pack(m_.packs.at(id)));
        f.list("packs", std::move(packs));
        return std::move(f.json);
    }

    Json subsystem(const SubSystem& s) const {
        Fields f;
        f.id("id", s.id);
        f.text("friendlyName", s.friendlyName);
        f.text("identification", s.identification);
        f.number<std::uint32_t>("flags", s.flags, 0);
        f.number("stripeSizeFlags", s.stripeSizeFlags, topology::kHardwareStripeSizeFlags);
        f.number("status", s.status, 1);
        f.number("health", s.health, 1);
        f.number("internalBuses", s.internalBuses, topology::kInternalBuses);
        f.number("slotsPerBus", s.slotsPerBus, topology::kSlotsPerBus);
        f.number("maxControllers", s.maxControllers, topology::kMaxControllers);
        f.number<std::int16_t>("rebuildPriority", s.rebuildPriority, 0);
        f.flag("recoversByItself", s.recoversByItself, true);
        f.number<std::uint32_t>("rebuildMillisecondsPerGiB", s.rebuildMsPerGiB, 2);
        f.number<std::uint32_t>("maintenanceRunning", s.maintenanceRunning, 0);
        Json controllers = Json::array();
        for (const GUID& id : s.controllers) controllers.push_back(controller(m_.controllers.at(id)));
        f.list("controllers", std::move(controllers));
        Json drives = Json::array();
        std::size_t index = 0;
        for (const GUID& id : s.drives) drives.push_back(drive(m_.drives.at(id), s, index++));
        f.list("drives", std::move(drives));
        Json luns = Json::array();
        for (const GUID& id : s.luns) luns.push_back(lun(m_.luns.at(id), s));
        f.list("luns", std::move(luns));
        return std::move(f.json);
    }

    Json controller(const Controller& c) const {
        Fields f;
        f.id("id", c.id);
        f.text("friendlyName", c.friendlyName);
        f.text("identification", c.identification);
        f.number("status", c.status, 1);
        f.number("health", c.health, 1);
        f.number<std::uint32_t>("maintenanceRunning", c.maintenanceRunning, 0);
        Json ports = Json::array();
        std::size_t index = 0;
        for (const GUID& id : c.ports) {
            const Port& p = m_.ports.at(id);
            Fields pf;
            pf.id("id", p.id);
            pf.text("friendlyName", p.friendlyName);
            pf.text("identification", p.identification);
            pf.number("status", p.status, 1);
            pf.number("portNumber", p.portNumber, static_cast<std::int16_t>(index++));
            ports.push_back(std::move(pf.json));
        }
        f.list("ports", std::move(ports));
        return std::move(f.json);
    }

    static Json drive(const Drive& d, const SubSystem& s, std::size_t index) {
        Fields f;
        f.id("id", d.id);
        f.text("friendlyName", d.friendlyName);
        f.text("identification", d.identification);
        f.requiredBytes("size", d.size);
        f.number<std::uint32_t>("flags", d.flags, 0);
        f.number("status", d.status, 1);
        f.number("health", d.health, 1);
        const int perBus = std::max<int>(s.slotsPerBus, 1);
        f.number("bus", d.bus, static_cast<std::int16_t>(static_cast<int>(index) / perBus));
        f.number("slot", d.slot, static_cast<std::int16_t>(static_cast<int>(index) % perBus));
        f.number<std::uint32_t>("maintenanceRunning", d.maintenanceRunning, 0);
        return std::move(f.json);
    }

    Json lun(const Lun& l, const SubSystem& s) const {
        Fields f;
        f.id("id", l.id);
        f.text("friendlyName", l.friendlyName);
        f.text("identification", l.identification);
        f.text("unmaskingList", l.unmaskingList);
        f.choice("type", l.type, 10, topology::kLunTypes);
        const LunPlex* first = l.plexes.empty() ? nullptr : m_.lunPlexes.get(l.plexes.front());
        f.bytes("size", l.size, first != nullptr ? first->size : 0);
        f.number<std::uint32_t>("flags", l.flags, 0);
        f.number("status", l.status, 1);
        f.number("health", l.health, 1);
        f.number("transitionState", l.transitionState, 1);
        f.number<std::int16_t>("rebuildPriority", l.rebuildPriority, 0);
        f.flag("rebuilding", l.rebuilding);
        f.ids("associatedControllers", l.associatedControllers, s.controllers.toVector());
        std::vector<GUID> active;
        if (!l.associatedControllers.empty()) active.push_back(l.associatedControllers.front());
        f.ids("activeControllers", l.activeControllers, active);
        f.object("hints", hints(l.hints));
        Json plexes = Json::array();
        for (const GUID& id : l.plexes) plexes.push_back(lunPlex(m_.lunPlexes.at(id)));
        f.list("plexes", std::move(plexes));
        return std::move(f.json);
    }

    static Fields hints(const Hints& h) {
        Fields f;
        f.number<std::uint64_t>("hintMask", h.hintMask, 0);
        f.bytes("expectedMaximumSize", h.expectedMaximumSize, 0);
        f.number<std::uint32_t>("optimalReadSize", h.optimalReadSize, 0);
        f.number<std::uint32_t>("optimalReadAlignment", h.optimalReadAlignment, 0);
        f.number<std::uint32_t>("optimalWriteSize", h.optimalWriteSize, 0);
        f.number<std::uint32_t>("optimalWriteAlignment", h.optimalWriteAlignment, 0);
        f.number<std::uint32_t>("maximumDriveCount", h.maximumDriveCount, 0);
        f.number<std::uint32_t>("stripeSize", h.stripeSize, 0);
        f.number<std::int16_t>("rebuildPriority", h.rebuildPriority, 0);
        f.flag("fastCrashRecoveryRequired", h.fastCrashRecoveryRequired);
        f.flag("mostlyReads", h.mostlyReads);
        f.flag("optimizeForSequentialReads", h.optimizeForSequentialReads);
        f.flag("optimizeForSequentialWrites", h.optimizeForSequentialWrites);
        f.flag("remapEnabled", h.remapEnabled);
        f.flag("readBackVerifyEnabled", h.readBackVerifyEnabled);
        f.flag("writeThroughCachingEnabled", h.writeThroughCachingEnabled);
        f.flag("hardwareChecksumEnabled", h.hardwareChecksumEnabled);
        f.flag("isYankable", h.isYankable);
        return f;
    }

    static Json lunPlex(const LunPlex& p) {
        Fields f;
        f.id("id", p.id);
        f.choice("type", p.type, 10, topology::kPlexTypes);
        std::uint64_t total = 0;
        Json extents = Json::array();
        for (const DriveSpan& s : p.extents) {
            Fields e;
            e.id("drive", s.drive);
            e.bytes("offset", s.offset, 0);
            e.requiredBytes("size", s.size);
            e.flag("stale", s.stale);
            extents.push_back(std::move(e.json));
            total += s.size;
        }
        f.bytes("size", p.size, plexCapacity(p.type, total, static_cast<std::uint32_t>(p.extents.size())));
        f.number("status", p.status, 1);
        f.number("health", p.health, 1);
        f.number("transitionState", p.transitionState, 1);
        f.number<std::uint32_t>("flags", p.flags, 0);
        f.number("stripeSize", p.stripeSize, topology::defaultStripeSize(p.type));
        f.number<std::int16_t>("rebuildPriority", p.rebuildPriority, 0);
        f.list("extents", std::move(extents));
        return std::move(f.json);
    }

    Json pack(const Pack& k) const {
        Fields f;
        f.id("id", k.id);
        f.text("name", k.name);
        f.number("status", k.status, 1);
        f.number<std::uint32_t>("flags", k.flags, 0);
        f.flag("placeholder", k.placeholder);
        Json disks = Json::array();
        for (const GUID& id : k.disks) disks.push_back(disk(m_.disks.at(id)));
        f.list("disks", std::move(disks));
        Json volumes = Json::array();
        for (const GUID& id : k.volumes) volumes.push_back(volume(m_.volumes.at(id)));
        f.list("volumes", std::move(volumes));
        return std::move(f.json);
    }

    static Json disk(const Disk& d) {
        Fields f;
        f.id("id", d.id);
        f.requiredBytes("size", d.size);
        const bool inPack = !isNullGuid(d.pack);
        // A partitioned disk's style is said even at the default: it is what the disk is.
        f.choice("style", d.partitionStyle, inPack ? -1 : 0, topology::kDiskStyles);
        if (d.partitionStyle == 1) f.number<std::uint32_t>("signature", d.signature, 0);
        if (d.partitionStyle == 2) f.optId("diskGuid", d.diskGuid);
        f.number("status", d.status, 1);
        f.number("health", d.health, 1);
        f.number("reserveMode", d.reserveMode, 0);
        f.number<std::uint32_t>("deviceType", d.deviceType, 7);
        f.number<std::uint32_t>("mediaType", d.mediaType, 12);
        f.number<std::uint32_t>("bytesPerSector", d.bytesPerSector, 512);
        f.number<std::uint32_t>("sectorsPerTrack", d.sectorsPerTrack, 63);
        f.number<std::uint32_t>("tracksPerCylinder", d.tracksPerCylinder, 255);
        f.number<std::uint32_t>("flags", d.flags, 0);
        f.number("busType", d.busType, 1);
        f.text("diskAddress", d.diskAddress);
        f.text("name", d.name);
        f.text("friendlyName", d.friendlyName);
        f.text("adaptorName", d.adaptorName);
        f.text("devicePath", d.devicePath);
        Json partitions = Json::array();
        std::uint32_t numbered = 0;
        for (const Partition& p : d.partitions) partitions.push_back(partition(d, p, numbered));
        f.list("partitions", std::move(partitions));
        return std::move(f.json);
    }

    static Json partition(const Disk& d, const Partition& p, std::uint32_t& numbered) {
        Fields f;
        f.number("number", p.number, isExtendedPartition(p) ? 0 : ++numbered);
        f.bytes("offset", p.offset, 0);
        f.requiredBytes("size", p.size);
        f.number<std::uint32_t>("flags", p.flags, 0);
        if (d.partitionStyle == 1) {
            f.number<std::uint8_t>("mbrType", p.mbrType, kMbrInstallableFileSystem);
            f.flag("bootIndicator", p.bootIndicator);
            f.flag("recognized", p.recognized, true);
        } else {
            f.optId("gptType", p.gptType, kGptBasicData);
            f.optId("gptId", p.gptId);
            f.number<std::uint64_t>("gptAttributes", p.gptAttributes, 0);
            f.text("gptName", p.gptName);
        }
        f.letter("driveLetter", p.driveLetter);
        f.choice("fileSystem", p.fileSystem, 0, topology::kFileSystems);
        f.text("label", p.label);
        return std::move(f.json);
    }

    Json volume(const Volume& v) const {
        Fields f;
        f.id("id", v.id);
        f.text("name", v.name);
        f.choice("type", v.type, 10, topology::kVolumeTypes);
        const VolumePlex* first = v.plexes.empty() ? nullptr : m_.volumePlexes.get(v.plexes.front());
        f.bytes("size", v.size, first != nullptr ? first->size : 0);
        f.number("status", v.status, 1);
        f.number("health", v.health, 1);
        f.number("transitionState", v.transitionState, 1);
        f.number<std::uint32_t>("flags", v.flags, 0);
        f.number("recommendedFileSystem", v.recommendedFileSystem, 4);
        f.letter("driveLetter", v.driveLetter);
        Json folders = Json::array();
        for (const auto& folder : v.mountFolders) folders.push_back(utf16To8(folder));
        f.list("mountFolders", std::move(folders));
        if (v.fileSystem) f.json["fileSystem"] = fileSystem(*v.fileSystem, v.size);
        f.flag("dismounted", v.dismounted);
        Json plexes = Json::array();
        for (const GUID& id : v.plexes) plexes.push_back(volumePlex(m_.volumePlexes.at(id), v));
        f.list("plexes", std::move(plexes));
        return std::move(f.json);
    }

    // Present even when every field is at its default: a volume without one reads as RAW.
    static Json fileSystem(const FileSystem& fs, std::uint64_t volumeSize) {
        Fields f;
        f.choice("type", fs.type, 4, topology::kFileSystems);
        f.text("label", fs.label);
        f.number<std::uint32_t>("flags", fs.flags, 0);
        f.number<std::uint32_t>("allocationUnitSize", fs.allocationUnitSize, 4096);
        const std::uint64_t total = fs.allocationUnitSize == 0 ? 0 : volumeSize / fs.allocationUnitSize;
        f.number("totalAllocationUnits", fs.totalAllocationUnits, total);
        f.number("availableAllocationUnits", fs.availableAllocationUnits, fs.totalAllocationUnits);
        f.number<std::uint32_t>("compressionFlags", fs.compressionFlags, 0);
        f.number<std::uint32_t>("maximumFileNameLength", fs.maximumFileNameLength, 255);
        return std::move(f.json);
    }

    static Json volumePlex(const VolumePlex& p, const Volume& v) {
        Fields f;
        f.id("id", p.id);
        f.choice("type", p.type, topology::defaultVolumePlexType(v.type), topology::kPlexTypes);
        std::uint64_t total = 0;
        std::uint32_t members = 0;
        Json extents = Json::array();
        for (std::size_t i = 0; i < p.extents.size(); ++i) {
            const DiskSpan& s = p.extents[i];
            Fields e;
            e.id("disk", s.disk);
            e.bytes("offset", s.offset, 0);
            e.requiredBytes("size", s.size);
            e.number("member", s.member, topology::defaultMember(p.type, i));
            extents.push_back(std::move(e.json));
            total += s.size;
            members = std::max(members, s.member + 1);
        }
        f.bytes("size", p.size, plexCapacity(p.type, total, members));
        f.number("status", p.status, 1);
        f.number("health", p.health, 1);
        f.number("transitionState", p.transitionState, 1);
        f.number("stripeSize", p.stripeSize, topology::defaultStripeSize(p.type));
        f.number("numberOfMembers", p.numberOfMembers, members);
        f.list("extents", std::move(extents));
        return std::move(f.json);
    }
};

}  // namespace

namespace {

Json notesOf(const std::vector<std::string>& notes) {
    Json list = Json::array();
    for (const auto& n : notes) list.push_back(n);
    return list;
}

// Every object that carries an identifier gets its notes right after it;
// partitions, extents and file systems have none, so their notes sit on the
// disk or volume that holds them.
void addNotes(Json& node, const UnreadableNotes& notes) {
    if (node.is_array()) {
        for (Json& item : node) addNotes(item, notes);
        return;
    }
    if (!node.is_object()) return;
    for (auto& [key, value] : node.items())
        if (value.is_structured()) addNotes(value, notes);
    const auto id = node.find("id");
    if (id == node.end() || !id->is_string()) return;
    const auto guid = guidFromText(id->get<std::string>());
    const auto it = guid ? notes.find(*guid) : notes.end();
    if (it == notes.end()) return;
    Json noted = Json::object();
    for (auto& [key, value] : node.items()) {
        noted[key] = std::move(value);
        if (key == "id") noted["unreadable"] = notesOf(it->second);
    }
    node = std::move(noted);
}

}  // namespace

std::string writeTopologyText(const Model& model) {
    return Writer(model).machine().dump(2) + "\n";
}

std::string writeTopologyText(const Model& model, const UnreadableNotes& notes) {
    Json machine = Writer(model).machine();
    addNotes(machine, notes);
    if (const auto it = notes.find(GUID{}); it != notes.end()) {
        Json noted = Json::object();
        noted["unreadable"] = notesOf(it->second);
        for (auto& [key, value] : machine.items()) noted[key] = std::move(value);
        machine = std::move(noted);
    }
    return machine.dump(2) + "\n";
}

}  // namespace tolvane::sim
