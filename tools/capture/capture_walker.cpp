#include "capture_walker.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "changes/lun_changes.h"
#include "model/model_edit.h"
#include "platform/com_ptr.h"
#include "vds_memory.h"
#include "vds_to_model.h"

namespace tolvane::capture {

namespace {

using sim::Model;

template <typename I, typename U>
ComPtr<I> as(const ComPtr<U>& from) {
    ComPtr<I> out;
    if (from) from.queryInterface(vdsIidOf<I>(), out);
    return out;
}

std::string hex(HRESULT hr) {
    char text[16];
    // HRESULT is a signed long on some platforms: its 32 bits, not a widened value.
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<std::uint32_t>(hr)));
    return text;
}

class Walker {
public:
    explicit Walker(IVdsService* service) : service_(service) {}

    Capture run() {
        for (const auto& p : listed<IVdsProvider>(GUID{}, "IVdsService::QueryProviders(hardware)", [&](auto** e) {
                 return service_->QueryProviders(VDS_QUERY_HARDWARE_PROVIDERS, e);
             }))
            provider(p);
        for (const auto& p : listed<IVdsProvider>(GUID{}, "IVdsService::QueryProviders(software)", [&](auto** e) {
                 return service_->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, e);
             }))
            provider(p);
        for (const auto& d : listed<IVdsDisk>(GUID{}, "IVdsService::QueryUnallocatedDisks",
                                              [&](auto** e) { return service_->QueryUnallocatedDisks(e); }))
            disk(d, GUID{}, false);
        // What the walk filed is the machine; its indexes learn it all at once.
        out_.model.commitChange();
        return std::move(out_);
    }

private:
    IVdsService* service_;
    Capture out_;
    DriveLayouts layouts_;
    // The controllers that serve each LUN, in the order the subsystem lists them.
    std::unordered_map<GUID, std::vector<GUID>, sim::GuidHash> servedBy_;

    Model& m() { return out_.model; }

    void note(const GUID& on, const std::string& call, HRESULT hr) {
        out_.notes[on].push_back(call + ": " + hex(hr));
        ++out_.unreadable;
    }
    // A call that must answer S_OK; anything else is noted.
    bool ok(const GUID& on, const std::string& call, HRESULT hr) {
        if (hr == S_OK) return true;
        note(on, call, hr);
        return false;
    }

    // Every object an enumeration lists, as interface I; `query` opens it.
    template <typename I, typename Query>
    std::vector<ComPtr<I>> listed(const GUID& on, const std::string& call, Query query) {
        std::vector<ComPtr<I>> out;
        ComPtr<IEnumVdsObject> e;
        const HRESULT opened = query(e.put());
        if (FAILED(opened) || !e) {
            note(on, call, opened);
            return out;
        }
        for (;;) {
            IUnknown* unk = nullptr;
            ULONG fetched = 0;
            const HRESULT hr = e->Next(1, &unk, &fetched);
            ComPtr<IUnknown> held(unk);
            if (hr == S_FALSE || (hr == S_OK && fetched == 0)) break;
            if (hr != S_OK) {
                note(on, call + " IEnumVdsObject::Next", hr);
                break;
            }
            ComPtr<I> object;
            const HRESULT asked = held.queryInterface(vdsIidOf<I>(), object);
            if (asked != S_OK || !object)
                note(on, call + " QueryInterface", asked);
            else
                out.push_back(std::move(object));
        }
        return out;
    }

    template <typename Object, typename P>
    bool properties(const GUID& on, const char* call, const ComPtr<Object>& object, Props<P>& props) {
        return ok(on, call, object->GetProperties(props.put()));
    }

    void filed(const GUID& on, const char* what, HRESULT hr) {
        if (hr != S_OK) note(on, std::string("filing the ") + what, hr);
    }

    // --- Hardware -----------------------------------------------------------

    void provider(const ComPtr<IVdsProvider>& p) {
        Props<VDS_PROVIDER_PROP> props;
        if (!properties(GUID{}, "IVdsProvider::GetProperties", p, props)) return;
        const GUID id = props.value.id;
        filed(GUID{}, "provider", sim::addObject(m(), providerFrom(props.value)));
        if (props.value.type == VDS_PT_HARDWARE) {
            auto hw = as<IVdsHwProvider>(p);
            if (!hw) return note(id, "QueryInterface(IVdsHwProvider)", E_NOINTERFACE);
            for (const auto& s : listed<IVdsSubSystem>(id, "IVdsHwProvider::QuerySubSystems",
                                                       [&](auto** e) { return hw->QuerySubSystems(e); }))
                subsystem(s, id);
        } else {
            auto sw = as<IVdsSwProvider>(p);
            if (!sw) return note(id, "QueryInterface(IVdsSwProvider)", E_NOINTERFACE);
            const bool basic = (props.value.ulFlags & VDS_PF_DYNAMIC) == 0;
            for (const auto& k : listed<IVdsPack>(id, "IVdsSwProvider::QueryPacks",
                                                  [&](auto** e) { return sw->QueryPacks(e); }))
                pack(k, id, basic);
        }
    }

    void subsystem(const ComPtr<IVdsSubSystem>& s, const GUID& provider) {
        Props<VDS_SUB_SYSTEM_PROP> props;
        if (!properties(provider, "IVdsSubSystem::GetProperties", s, props)) return;
        const GUID id = props.value.id;
        filed(provider, "subsystem", sim::addObject(m(), subsystemFrom(props.value, provider)));
        for (const auto& c : listed<IVdsController>(id, "IVdsSubSystem::QueryControllers",
                                                    [&](auto** e) { return s->QueryControllers(e); }))
            controller(c, id);
        for (const auto& d : listed<IVdsDrive>(id, "IVdsSubSystem::QueryDrives",
                                               [&](auto** e) { return s->QueryDrives(e); }))
            drive(d, id);
        for (const auto& l : listed<IVdsLun>(id, "IVdsSubSystem::QueryLuns", [&](auto** e) { return s->QueryLuns(e); }))
            lun(l, id);
    }

    void controller(const ComPtr<IVdsController>& c, const GUID& subsystem) {
        Props<VDS_CONTROLLER_PROP> props;
        if (!properties(subsystem, "IVdsController::GetProperties", c, props)) return;
        const GUID id = props.value.id;
        filed(subsystem, "controller", sim::addObject(m(), controllerFrom(props.value, subsystem)));
        // Ports are read by number; a controller numbers its ports from 0.
        for (SHORT number = 0; number < props.value.sNumberOfPorts; ++number) {
            Props<VDS_PORT_PROP> port;
            if (!ok(id, "IVdsController::GetPortProperties(" + std::to_string(number) + ")",
                    c->GetPortProperties(number, port.put())))
                continue;
            filed(id, "port", sim::addObject(m(), portFrom(port.value, id, number)));
        }
        for (const auto& l : listed<IVdsLun>(id, "IVdsController::QueryAssociatedLuns",
                                             [&](auto** e) { return c->QueryAssociatedLuns(e); })) {
            Props<VDS_LUN_PROP> lunProps;
            if (properties(id, "IVdsLun::GetProperties", l, lunProps)) servedBy_[lunProps.value.id].push_back(id);
        }
    }

    void drive(const ComPtr<IVdsDrive>& d, const GUID& subsystem) {
        Props<VDS_DRIVE_PROP> props;
        if (!properties(subsystem, "IVdsDrive::GetProperties", d, props)) return;
        const GUID id = props.value.id;
        filed(subsystem, "drive", sim::addObject(m(), driveFrom(props.value, subsystem)));
        CoArray<VDS_DRIVE_EXTENT> extents;
        if (ok(id, "IVdsDrive::QueryExtents", d->QueryExtents(extents.items.put(), &extents.count)))
            layouts_.add(id, {extents.begin(), extents.end()});
    }

    void lun(const ComPtr<IVdsLun>& l, const GUID& subsystem) {
        Props<VDS_LUN_PROP> props;
        if (!properties(subsystem, "IVdsLun::GetProperties", l, props)) return;
        const GUID id = props.value.id;
        sim::Lun lun = lunFrom(props.value, subsystem);
        VDS_HINTS hints{};
        if (ok(id, "IVdsLun::QueryHints", l->QueryHints(&hints))) lun.hints = sim::hintsFromVds(hints);
        lun.associatedControllers = servedBy_[id];
        for (const auto& c : listed<IVdsController>(id, "IVdsLun::QueryActiveControllers",
                                                    [&](auto** e) { return l->QueryActiveControllers(e); })) {
            Props<VDS_CONTROLLER_PROP> controller;
            if (properties(id, "IVdsController::GetProperties", c, controller))
                lun.activeControllers.push_back(controller.value.id);
        }
        filed(subsystem, "LUN", sim::addObject(m(), std::move(lun)));
        for (const auto& p : listed<IVdsLunPlex>(id, "IVdsLun::QueryPlexes", [&](auto** e) { return l->QueryPlexes(e); }))
            lunPlex(p, id);
    }

    void lunPlex(const ComPtr<IVdsLunPlex>& p, const GUID& lun) {
        Props<VDS_LUN_PLEX_PROP> props;
        if (!properties(lun, "IVdsLunPlex::GetProperties", p, props)) return;
        const GUID id = props.value.id;
        sim::LunPlex plex = lunPlexFrom(props.value, lun);
        CoArray<VDS_DRIVE_EXTENT> extents;
        if (ok(id, "IVdsLunPlex::QueryExtents", p->QueryExtents(extents.items.put(), &extents.count)))
            for (const auto& e : extents) {
                const auto offset = layouts_.place(e.id, lun, e.ullSize);
                // A stretch its drive does not show has no offset to read.
                if (!offset) note(id, "IVdsDrive::QueryExtents (no stretch of this plex's size)", VDS_E_OBJECT_NOT_FOUND);
                plex.extents.push_back(sim::DriveSpan{e.id, offset.value_or(0), e.ullSize, false});
            }
        filed(lun, "LUN plex", sim::addObject(m(), std::move(plex)));
    }

    // --- Software -----------------------------------------------------------

    void pack(const ComPtr<IVdsPack>& k, const GUID& provider, bool basic) {
        Props<VDS_PACK_PROP> props;
        if (!properties(provider, "IVdsPack::GetProperties", k, props)) return;
        const GUID id = props.value.id;
        filed(provider, "pack", sim::addObject(m(), packFrom(props.value, provider)));
        for (const auto& d : listed<IVdsDisk>(id, "IVdsPack::QueryDisks", [&](auto** e) { return k->QueryDisks(e); }))
            disk(d, id, basic);
        for (const auto& v : listed<IVdsVolume>(id, "IVdsPack::QueryVolumes",
                                                [&](auto** e) { return k->QueryVolumes(e); }))
            volume(v, id);
    }

    void disk(const ComPtr<IVdsDisk>& d, const GUID& pack, bool basic) {
        Props<VDS_DISK_PROP> props;
        if (!properties(pack, "IVdsDisk::GetProperties", d, props)) return;
        sim::Disk disk = diskFrom(props.value, pack);
        if (disk.partitionStyle != VDS_PST_UNKNOWN) partitions(d, disk, basic);
        filed(pack, "disk", sim::addObject(m(), std::move(disk)));
    }

    void partitions(const ComPtr<IVdsDisk>& d, sim::Disk& disk, bool basic) {
        auto advanced = as<IVdsAdvancedDisk>(d);
        if (!advanced) return note(disk.id, "QueryInterface(IVdsAdvancedDisk)", E_NOINTERFACE);
        CoArray<VDS_PARTITION_PROP> parts;
        const HRESULT hr = advanced->QueryPartitions(parts.items.put(), &parts.count);
        if (hr != S_OK && hr != S_FALSE) return note(disk.id, "IVdsAdvancedDisk::QueryPartitions", hr);
        for (const auto& p : parts) disk.partitions.push_back(partitionFrom(p));
        if (!basic) return;
        // A partition that is no volume is lettered by the service itself.
        CoArray<VDS_DISK_EXTENT> extents;
        if (!ok(disk.id, "IVdsDisk::QueryExtents", d->QueryExtents(extents.items.put(), &extents.count))) return;
        for (sim::Partition& p : disk.partitions) {
            bool volume = false;
            for (const auto& e : extents) volume = volume || (e.ullOffset == p.offset && !sim::isNullGuid(e.volumeId));
            if (volume) continue;
            WCHAR letter = 0;
            const HRESULT got = advanced->GetDriveLetter(p.offset, &letter);
            if (got == S_OK)
                p.driveLetter = static_cast<char16_t>(letter);
            else if (got != VDS_E_OBJECT_NOT_FOUND && got != VDS_E_INVALID_OPERATION)
                note(disk.id, "IVdsAdvancedDisk::GetDriveLetter(" + std::to_string(p.offset) + ")", got);
        }
    }

    void volume(const ComPtr<IVdsVolume>& v, const GUID& pack) {
        Props<VDS_VOLUME_PROP> props;
        if (!properties(pack, "IVdsVolume::GetProperties", v, props)) return;
        const GUID id = props.value.id;
        sim::Volume volume = volumeFrom(props.value, pack);
        if (auto mf = as<IVdsVolumeMF>(v)) {
            Props<VDS_FILE_SYSTEM_PROP> fs;
            if (ok(id, "IVdsVolumeMF::GetFileSystemProperties", mf->GetFileSystemProperties(fs.put())))
                volume.fileSystem = fileSystemFrom(fs.value);
            CoArray<LPWSTR> paths;
            if (ok(id, "IVdsVolumeMF::QueryAccessPaths", mf->QueryAccessPaths(paths.items.put(), &paths.count))) {
                std::vector<std::u16string> texts;
                for (LPWSTR path : paths) texts.push_back(textOf(path));
                accessPathsInto(volume, texts);
            }
        } else {
            note(id, "QueryInterface(IVdsVolumeMF)", E_NOINTERFACE);
        }
        filed(pack, "volume", sim::addObject(m(), std::move(volume)));
        for (const auto& p : listed<IVdsVolumePlex>(id, "IVdsVolume::QueryPlexes",
                                                    [&](auto** e) { return v->QueryPlexes(e); }))
            volumePlex(p, id);
    }

    void volumePlex(const ComPtr<IVdsVolumePlex>& p, const GUID& volume) {
        Props<VDS_VOLUME_PLEX_PROP> props;
        if (!properties(volume, "IVdsVolumePlex::GetProperties", p, props)) return;
        const GUID id = props.value.id;
        sim::VolumePlex plex = volumePlexFrom(props.value, volume);
        CoArray<VDS_DISK_EXTENT> extents;
        if (ok(id, "IVdsVolumePlex::QueryExtents", p->QueryExtents(extents.items.put(), &extents.count)))
            for (const auto& e : extents) plex.extents.push_back(diskSpanFrom(e));
        filed(volume, "volume plex", sim::addObject(m(), std::move(plex)));
    }
};

}  // namespace

Capture captureMachine(IVdsService* service) { return Walker(service).run(); }

}  // namespace tolvane::capture
