// Mount folders live in the file system of the volume they lie on: when an
// access path stops leading anywhere (its volume deleted, its letter or
// folder taken away), every mount folder under it goes too, however deep.
// The changes that end an access path come here, so none can leave a
// mount folder under a path that no volume holds.
#pragma once

#include <string>
#include <vector>

#include "model/model.h"
#include "model/model_rules.h"

namespace tolvane::sim {

// Takes away every mount folder under `path`; returns the volumes that lost
// one, in identifier order (each owes a MOUNT_POINTS_CHANGE).
std::vector<GUID> forgetFoldersUnder(Model& m, const std::u16string& path);

// The same for every access path of `volume`.
std::vector<GUID> forgetFoldersOn(Model& m, const GUID& volume);

// Deletes the volume and the mount folders that lay on it; returns the
// other volumes that lost a folder.
std::vector<GUID> removeVolume(Model& m, const GUID& volume);

// Whether no client could lock the volume: other volumes are mounted in
// folders on it, or it is one of the running system's, which always holds
// files open on it. Nothing else holds files open on a simulated volume.
bool volumeInUse(const Model& m, const GUID& volume);

}  // namespace tolvane::sim
