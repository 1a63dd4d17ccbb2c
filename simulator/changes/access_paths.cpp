#include "changes/access_paths.h"

#include <algorithm>

#include "model/model_edit.h"

namespace tolvane::sim {

std::vector<GUID> forgetFoldersUnder(Model& m, const std::u16string& path) {
    const std::vector<GUID> losing = volumesMountedUnder(m, path);
    for (const GUID& id : losing)
        std::erase_if(m.volumes.at(id).mountFolders, [&](const std::u16string& f) { return liesUnder(f, path); });
    return losing;
}

std::vector<GUID> forgetFoldersOn(Model& m, const GUID& volume) {
    std::vector<GUID> losing;
    for (const std::u16string& path : m.accessPaths(volume))
        for (const GUID& id : forgetFoldersUnder(m, path))
            if (id != volume && std::find(losing.begin(), losing.end(), id) == losing.end()) losing.push_back(id);
    std::sort(losing.begin(), losing.end(), [](const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); });
    return losing;
}

std::vector<GUID> removeVolume(Model& m, const GUID& volume) {
    std::vector<GUID> losing = forgetFoldersOn(m, volume);
    removeObject(m, volume);
    return losing;
}

bool volumeInUse(const Model& m, const GUID& volume) {
    // The running system keeps files open on its own volumes.
    if (const Volume* v = m.volumes.get(volume); v != nullptr && systemVolume(m, *v)) return true;
    for (const std::u16string& path : m.accessPaths(volume))
        for (const GUID& id : volumesMountedUnder(m, path))
            if (id != volume) return true;
    return false;
}

}  // namespace tolvane::sim
