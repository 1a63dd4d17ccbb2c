// Makes the COM face of each kind of model object, with one reference.
#pragma once

#include "com/model_object.h"

namespace tolvane::sim {

ModelObject* makeProviderObject(const GUID& id);
ModelObject* makeSubSystemObject(const GUID& id);
ModelObject* makeControllerObject(const GUID& id);
ModelObject* makeDriveObject(const GUID& id);
ModelObject* makeLunObject(const GUID& id);
ModelObject* makeLunPlexObject(const GUID& id);
ModelObject* makePackObject(const GUID& id);
ModelObject* makeDiskObject(const GUID& id);
ModelObject* makeVolumeObject(const GUID& id);
ModelObject* makeVolumePlexObject(const GUID& id);

}  // namespace tolvane::sim
