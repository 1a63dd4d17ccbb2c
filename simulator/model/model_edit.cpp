#include "model/model_edit.h"

#include <algorithm>
#include <utility>

#include "platform/vds_types.h"

namespace tolvane::sim {

namespace {

void insertAt(IdList& list, const GUID& id, std::size_t position) { list.insert(position, id); }

bool contains(const std::vector<GUID>& list, const GUID& id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

void erase(std::vector<GUID>& list, const GUID& id) { list.erase(std::remove(list.begin(), list.end(), id), list.end()); }

// Files a child: its own map, the kind index, then the parent's list.
template <typename T, typename ParentMap, typename ParentT>
HRESULT file(Model& m, ObjectTable<T>& own, Kind kind, T object, ParentMap& parents,
             GUID T::*parent, IdList ParentT::*list, std::size_t position) {
    if (isNullGuid(object.id) || m.kinds.count(object.id)) return VDS_E_OBJECT_EXISTS;
    auto p = parents.find(object.*parent);
    if (p == parents.end()) return VDS_E_OBJECT_NOT_FOUND;
    const GUID id = object.id;
    insertAt(p->second.*list, id, position);
    m.kinds[id] = kind;
    own[id] = std::move(object);
    return S_OK;
}

class Remover {
public:
    explicit Remover(Model& m) : m_(m) {}

    void remove(const GUID& id) {
        auto kind = m_.kindOf(id);
        if (!kind) return;
        gone_.push_back({*kind, id});
        m_.kinds.erase(id);
        switch (*kind) {
            case Kind::Provider: provider(id); break;
            case Kind::SubSystem: subsystem(id); break;
            case Kind::Controller: controller(id); break;
            case Kind::Port: port(id); break;
            case Kind::Drive: drive(id); break;
            case Kind::Lun: lun(id); break;
            case Kind::LunPlex: lunPlex(id); break;
            case Kind::Pack: pack(id); break;
            case Kind::Disk: disk(id); break;
            case Kind::Volume: volume(id); break;
            case Kind::VolumePlex: volumePlex(id); break;
        }
    }
    std::vector<RemovedObject> gone() { return std::move(gone_); }

private:
    Model& m_;
    std::vector<RemovedObject> gone_;

    void all(const IdList& listed) {
        const IdList ids = listed;  // the removals change the list itself
        for (const auto& id : ids) remove(id);
    }
    template <typename Map, typename Member>
    void unlist(Map& parents, const GUID& parent, Member list, const GUID& id) {
        auto it = parents.find(parent);
        if (it != parents.end()) erase(it->second.*list, id);
    }

    void provider(const GUID& id) {
        Provider p = std::move(m_.providers.at(id));
        m_.providers.erase(id);
        erase(m_.hardwareProviders, id);
        erase(m_.softwareProviders, id);
        all(p.children);
    }
    void subsystem(const GUID& id) {
        SubSystem s = std::move(m_.subsystems.at(id));
        m_.subsystems.erase(id);
        unlist(m_.providers, s.provider, &Provider::children, id);
        all(s.luns);
        all(s.controllers);
        all(s.drives);
    }
    void controller(const GUID& id) {
        Controller c = std::move(m_.controllers.at(id));
        m_.controllers.erase(id);
        unlist(m_.subsystems, c.subsystem, &SubSystem::controllers, id);
        // Only LUNs of its own subsystem may name it.
        if (const SubSystem* s = m_.subsystems.get(c.subsystem))
            for (const GUID& lid : s->luns) {
                const Lun& seen = std::as_const(m_.luns).at(lid);
                if (!contains(seen.activeControllers, id) && !contains(seen.associatedControllers, id)) continue;
                Lun& l = m_.luns.at(lid);
                erase(l.activeControllers, id);
                erase(l.associatedControllers, id);
            }
        all(c.ports);
    }
    void port(const GUID& id) {
        unlist(m_.controllers, m_.ports.at(id).controller, &Controller::ports, id);
        m_.ports.erase(id);
    }
    void drive(const GUID& id) {
        unlist(m_.subsystems, m_.drives.at(id).subsystem, &SubSystem::drives, id);
        m_.drives.erase(id);
    }
    void lun(const GUID& id) {
        Lun l = std::move(m_.luns.at(id));
        m_.luns.erase(id);
        unlist(m_.subsystems, l.subsystem, &SubSystem::luns, id);
        all(l.plexes);
    }
    void lunPlex(const GUID& id) {
        unlist(m_.luns, m_.lunPlexes.at(id).lun, &Lun::plexes, id);
        m_.lunPlexes.erase(id);
    }
    void pack(const GUID& id) {
        Pack k = std::move(m_.packs.at(id));
        m_.packs.erase(id);
        unlist(m_.providers, k.provider, &Provider::children, id);
        all(k.volumes);
        all(k.disks);
    }
    void disk(const GUID& id) {
        const GUID& pack = m_.disks.at(id).pack;
        if (isNullGuid(pack))
            erase(m_.unallocatedDisks, id);
        else
            unlist(m_.packs, pack, &Pack::disks, id);
        m_.disks.erase(id);
    }
    void volume(const GUID& id) {
        Volume v = std::move(m_.volumes.at(id));
        m_.volumes.erase(id);
        unlist(m_.packs, v.pack, &Pack::volumes, id);
        all(v.plexes);
    }
    void volumePlex(const GUID& id) {
        unlist(m_.volumes, m_.volumePlexes.at(id).volume, &Volume::plexes, id);
        m_.volumePlexes.erase(id);
    }
};

}  // namespace

HRESULT addObject(Model& m, Provider object) {
    if (isNullGuid(object.id) || m.kinds.count(object.id)) return VDS_E_OBJECT_EXISTS;
    const GUID id = object.id;
    (object.type == 2 ? m.hardwareProviders : m.softwareProviders).push_back(id);
    m.kinds[id] = Kind::Provider;
    m.providers[id] = std::move(object);
    return S_OK;
}
HRESULT addObject(Model& m, SubSystem o, std::size_t at) {
    return file(m, m.subsystems, Kind::SubSystem, std::move(o), m.providers, &SubSystem::provider, &Provider::children, at);
}
HRESULT addObject(Model& m, Controller o, std::size_t at) {
    return file(m, m.controllers, Kind::Controller, std::move(o), m.subsystems, &Controller::subsystem,
                &SubSystem::controllers, at);
}
HRESULT addObject(Model& m, Port o, std::size_t at) {
    return file(m, m.ports, Kind::Port, std::move(o), m.controllers, &Port::controller, &Controller::ports, at);
}
HRESULT addObject(Model& m, Drive o, std::size_t at) {
    return file(m, m.drives, Kind::Drive, std::move(o), m.subsystems, &Drive::subsystem, &SubSystem::drives, at);
}
HRESULT addObject(Model& m, Lun o, std::size_t at) {
    return file(m, m.luns, Kind::Lun, std::move(o), m.subsystems, &Lun::subsystem, &SubSystem::luns, at);
}
HRESULT addObject(Model& m, LunPlex o, std::size_t at) {
    return file(m, m.lunPlexes, Kind::LunPlex, std::move(o), m.luns, &LunPlex::lun, &Lun::plexes, at);
}
HRESULT addObject(Model& m, Pack o, std::size_t at) {
    return file(m, m.packs, Kind::Pack, std::move(o), m.providers, &Pack::provider, &Provider::children, at);
}
HRESULT addObject(Model& m, Disk o, std::size_t at) {
    if (isNullGuid(o.pack)) {
        // An unallocated disk: the service's own, in no pack.
        if (isNullGuid(o.id) || m.kinds.count(o.id)) return VDS_E_OBJECT_EXISTS;
        const GUID id = o.id;
        m.unallocatedDisks.insert(m.unallocatedDisks.begin() + static_cast<std::ptrdiff_t>(
                                                                  std::min(at, m.unallocatedDisks.size())),
                                  id);
        m.kinds[id] = Kind::Disk;
        m.disks[id] = std::move(o);
        return S_OK;
    }
    return file(m, m.disks, Kind::Disk, std::move(o), m.packs, &Disk::pack, &Pack::disks, at);
}
HRESULT addObject(Model& m, Volume o, std::size_t at) {
    return file(m, m.volumes, Kind::Volume, std::move(o), m.packs, &Volume::pack, &Pack::volumes, at);
}
HRESULT addObject(Model& m, VolumePlex o, std::size_t at) {
    return file(m, m.volumePlexes, Kind::VolumePlex, std::move(o), m.volumes, &VolumePlex::volume, &Volume::plexes, at);
}

void moveDisk(Model& m, const GUID& disk, const GUID& pack) {
    Disk& d = m.disks.at(disk);
    if (d.pack == pack) return;
    if (isNullGuid(d.pack))
        erase(m.unallocatedDisks, disk);
    else
        m.packs.at(d.pack).disks.erase(disk);
    if (isNullGuid(pack))
        m.unallocatedDisks.push_back(disk);
    else
        m.packs.at(pack).disks.push_back(disk);
    d.pack = pack;
}

std::vector<RemovedObject> removeObject(Model& m, const GUID& id) {
    Remover r(m);
    r.remove(id);
    return r.gone();
}

}  // namespace tolvane::sim
