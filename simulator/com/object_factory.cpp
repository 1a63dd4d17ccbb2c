#include "com/object_factory.h"

namespace tolvane::sim {

ModelObject* makeModelObject(Kind kind, const GUID& id) {
    switch (kind) {
        case Kind::Provider: return makeProviderObject(id);
        case Kind::SubSystem: return makeSubSystemObject(id);
        case Kind::Controller: return makeControllerObject(id);
        case Kind::Drive: return makeDriveObject(id);
        case Kind::Lun: return makeLunObject(id);
        case Kind::LunPlex: return makeLunPlexObject(id);
        case Kind::Pack: return makePackObject(id);
        case Kind::Disk: return makeDiskObject(id);
        case Kind::Volume: return makeVolumeObject(id);
        case Kind::VolumePlex: return makeVolumePlexObject(id);
        default: return nullptr;  // ports are read through their controller
    }
}

}  // namespace tolvane::sim
