#include "changes/access_paths.h"

#include <algorithm>

#include "model/model_edit.h"

namespace tolvane::sim {

namespace {

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

void sortById(std::vector<GUID>& ids) {
    std::sort(ids.begin(), ids.end(), [](const GUID& a, const GUID& b) { return guidToText(a) < guidToText(b); });
}

}  // namespace

bool liesUnder(const std::u16string& folder, const std::u16string& path) {
    if (path.empty() || folder.size() <= path.size()) return false;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (upper(folder[i]) != upper(path[i])) return false;
    return true;
}

std::vector<GUID> volumesMountedUnder(const Model& m, const std::u16string& path) {
    std::vector<GUID> out;
    if (path.empty()) return out;
    for (const GUID& id : m.volumesWithFoldersUnder(path[0])) {
        const auto& folders = m.volumes.at(id).mountFolders;
        if (std::any_of(folders.begin(), folders.end(), [&](const std::u16string& f) { return liesUnder(f, path); }))
            out.push_back(id);
    }
    sortById(out);
    return out;
}

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
    sortById(losing);
    return losing;
}

std::vector<GUID> removeVolume(Model& m, const GUID& volume) {
    std::vector<GUID> losing = forgetFoldersOn(m, volume);
    removeObject(m, volume);
    return losing;
}

bool volumeInUse(const Model& m, const GUID& volume) {
    for (const std::u16string& path : m.accessPaths(volume))
        for (const GUID& id : volumesMountedUnder(m, path))
            if (id != volume) return true;
    return false;
}

}  // namespace tolvane::sim
