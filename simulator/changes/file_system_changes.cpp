#include "changes/file_system_changes.h"

#include <algorithm>
#include <optional>

#include "changes/access_paths.h"
#include "core/notices.h"
#include "model/model_rules.h"

namespace tolvane::sim {

namespace {

constexpr std::size_t kMaxPath = 260;
constexpr std::uint32_t kSmallestUnit = 512;
constexpr std::uint32_t kLargestUnit = 65536;
constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// What each file system Format can make allows.
struct FileSystemLimits {
    std::int32_t type;
    std::size_t labelLength;        // characters
    std::uint64_t largestVolume;    // bytes; 0: no limit of its own
    std::uint64_t mostClusters;
    bool fatLabel;                  // FAT forbids some characters in labels
    bool compresses;
};

constexpr FileSystemLimits kFormattable[] = {
    {VDS_FST_FAT, 11, 4 * kGiB, 65524, true, false},
    {VDS_FST_FAT32, 11, 32 * kGiB, 0x0FFFFFF5, true, false},
    {VDS_FST_NTFS, 32, 0, 0xFFFFFFFFu, false, true},
    {VDS_FST_UDF, 126, 0, 0xFFFFFFFFu, false, false},
};

const FileSystemLimits* limitsOf(std::int32_t type) {
    for (const auto& l : kFormattable)
        if (l.type == type) return &l;
    return nullptr;
}

bool powerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

std::optional<std::uint64_t> clusters(std::uint64_t bytes, std::uint32_t unit, const FileSystemLimits& l) {
    const std::uint64_t count = bytes / unit;
    if (count > l.mostClusters) return std::nullopt;
    return count;
}

// The allocation unit a format uses: the caller's, or the smallest from
// 4 KiB up that keeps the cluster count within the file system's.
std::uint32_t chosenUnit(std::uint64_t bytes, std::uint32_t asked, const FileSystemLimits& l) {
    if (asked != 0) return asked;
    std::uint32_t unit = 4096;
    while (unit < kLargestUnit && !clusters(bytes, unit, l)) unit *= 2;
    return unit;
}

bool badLabel(const std::u16string& label, const FileSystemLimits& l) {
    if (label.size() > l.labelLength) return true;
    if (!l.fatLabel) return false;
    static constexpr char16_t kForbidden[] = u"*?/\\|,;:+=<>[]\"";
    return label.find_first_of(kForbidden) != std::u16string::npos;
}

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

std::u16string upperCase(std::u16string s) {
    for (auto& c : s) c = upper(c);
    return s;
}

// An access path as the volume's list holds it: a drive root "X:\" or a
// folder "X:\a\b\" (the trailing backslash added), letters in upper case.
struct AccessPath {
    std::u16string text;
    bool isLetter = false;
    char16_t letter = 0;  // the root's letter, or the folder's host letter
};

std::optional<AccessPath> parsePath(std::u16string path) {
    if (path.size() < 3 || path.size() >= kMaxPath || path[1] != u':' || path[2] != u'\\') return std::nullopt;
    path[0] = upper(path[0]);
    if (path[0] < u'A' || path[0] > u'Z') return std::nullopt;
    if (path.size() == 3) return AccessPath{path, true, path[0]};
    if (path.back() != u'\\') path.push_back(u'\\');
    if (path.find(u"\\\\") != std::u16string::npos) return std::nullopt;
    return AccessPath{path, false, path[0]};
}

bool samePath(const std::u16string& a, const std::u16string& b) { return upperCase(a) == upperCase(b); }

bool permanentlyDismounted(const Volume& v) { return (v.flags & VDS_VF_PERMANENTLY_DISMOUNTED) != 0; }

// Takes away the mount folders under `path`; each volume that lost one is told.
void dropFoldersUnder(Model& m, const std::u16string& path, Batch& out) {
    for (const GUID& id : forgetFoldersUnder(m, path)) out.push_back(mountPointsNotice(id));
}

// Brings a permanently dismounted volume back online.
void bringOnline(Volume& v) {
    v.flags &= ~static_cast<std::uint32_t>(VDS_VF_PERMANENTLY_DISMOUNTED);
    v.status = VDS_VS_ONLINE;
    v.dismounted = false;
}

// The volume a change works on, or the reason it cannot.
template <typename Work>
ChangeFunction onVolume(const GUID& id, Work work) {
    return [id, work = std::move(work)](Model& m, Batch& out) -> HRESULT {
        auto it = m.volumes.find(id);
        if (it == m.volumes.end()) return VDS_E_OBJECT_DELETED;
        if (it->second.status == VDS_VS_FAILED) return VDS_E_OBJECT_STATUS_FAILED;
        auto pack = m.packs.find(it->second.pack);
        if (pack != m.packs.end() && pack->second.status == VDS_PS_OFFLINE) return VDS_E_PACK_OFFLINE;
        return work(m, it->second, out);
    };
}

}  // namespace

HRESULT formatRefusedAtCall(const Model& m, const GUID& id) {
    auto it = m.volumes.find(id);
    if (it == m.volumes.end()) return VDS_E_OBJECT_DELETED;
    const Volume& v = it->second;
    if (systemVolume(m, v)) return VDS_E_OPERATION_DENIED;
    if (v.status == VDS_VS_FAILED) return VDS_E_OBJECT_STATUS_FAILED;
    auto pack = m.packs.find(v.pack);
    if (pack != m.packs.end() && pack->second.status == VDS_PS_OFFLINE) return VDS_E_PACK_OFFLINE;
    if (permanentlyDismounted(v)) return VDS_E_VOLUME_NOT_ONLINE;
    return S_OK;
}

HRESULT formatRefusedWhileRunning(const Model& m, const GUID& id, const FormatRequest& r) {
    if (HRESULT hr = formatRefusedAtCall(m, id); hr != S_OK) return hr;
    const Volume& v = m.volumes.at(id);
    if (volumeInUse(m, id) && !r.force) return VDS_E_DEVICE_IN_USE;
    const FileSystemLimits* l = limitsOf(r.type);
    if (l == nullptr) return VDS_E_INVALID_FS_TYPE;
    if (badLabel(r.label, *l)) return VDS_E_BAD_LABEL;
    if (r.allocationUnitSize != 0) {
        if (!powerOfTwo(r.allocationUnitSize)) return E_INVALIDARG;
        if (r.allocationUnitSize < kSmallestUnit) return VDS_E_CLUSTER_SIZE_TOO_SMALL;
        if (r.allocationUnitSize > kLargestUnit) return VDS_E_CLUSTER_SIZE_TOO_BIG;
    }
    if (l->largestVolume != 0 && v.size > l->largestVolume) return VDS_E_VOLUME_TOO_BIG;
    const std::uint32_t unit = chosenUnit(v.size, r.allocationUnitSize, *l);
    if (v.size / unit == 0) return VDS_E_VOLUME_TOO_SMALL;
    if (!clusters(v.size, unit, *l))
        return l->mostClusters == 0xFFFFFFFFu ? VDS_E_CLUSTER_COUNT_BEYOND_32BITS : VDS_E_CLUSTER_SIZE_TOO_SMALL;
    return S_OK;
}

ChangeFunction reportFormatProgress(const GUID& volume, unsigned long percent) {
    return [volume, percent](Model&, Batch& out) -> HRESULT {
        out.push_back(formatProgressNotice(volume, percent));
        return S_OK;
    };
}

ChangeFunction formatVolume(const GUID& volume, FormatRequest r) {
    return [volume, r = std::move(r)](Model& m, Batch& out) -> HRESULT {
        if (HRESULT hr = formatRefusedWhileRunning(m, volume, r); hr != S_OK) return hr;
        Volume& v = m.volumes.at(volume);
        const FileSystemLimits& l = *limitsOf(r.type);
        // The folders that held other volumes are gone with the old file system.
        for (const GUID& id : forgetFoldersOn(m, volume)) out.push_back(mountPointsNotice(id));
        FileSystem fs;
        fs.type = r.type;
        fs.label = r.label;
        fs.allocationUnitSize = chosenUnit(v.size, r.allocationUnitSize, l);
        fs.totalAllocationUnits = v.size / fs.allocationUnitSize;
        // The file system's own structures take a share of a fresh volume.
        fs.availableAllocationUnits = fs.totalAllocationUnits - fs.totalAllocationUnits / 100;
        fs.flags = r.compress && l.compresses ? VDS_FPF_COMPRESSED : 0;
        v.fileSystem = fs;
        v.dismounted = false;
        // BitLocker protection does not survive a format.
        v.flags &= ~static_cast<std::uint32_t>(VDS_VF_FVE_ENABLED);
        out.push_back(formatProgressNotice(volume, 100));
        note(out, Kind::Volume, volume, Event::Modify);
        out.push_back(fileSystemNotice(volume));
        return S_OK;
    };
}

ChangeFunction addAccessPath(const GUID& volume, std::u16string text) {
    return onVolume(volume, [text = std::move(text)](Model& m, Volume& v, Batch& out) -> HRESULT {
        const auto path = parsePath(text);
        if (!path) return E_INVALIDARG;
        if (path->isLetter) {
            if (driveLetterHolder(m, path->letter)) return kPathTaken;
            // A volume answers to one drive letter at a time.
            if (v.driveLetter != 0) return VDS_E_INVALID_OPERATION;
        } else {
            // A letter may be held by a partition that is no volume; a
            // folder can only be made on a volume's file system.
            const auto host = driveLetterHolder(m, path->letter);
            const auto hostVolume = host ? m.volumes.find(*host) : m.volumes.end();
            if (hostVolume == m.volumes.end()) return VDS_E_PATH_NOT_FOUND;
            if (*host == v.id) return E_INVALIDARG;
            const Volume& h = hostVolume->second;
            if (!h.fileSystem || h.fileSystem->type != VDS_FST_NTFS) return VDS_E_INCOMPATIBLE_FILE_SYSTEM;
            for (const GUID& id : m.volumesWithFoldersUnder(path->letter))
                for (const auto& folder : m.volumes.at(id).mountFolders)
                    if (samePath(folder, path->text)) return kPathTaken;
        }
        if (permanentlyDismounted(v)) {
            bringOnline(v);
            note(out, Kind::Volume, v.id, Event::Modify);
        }
        if (path->isLetter) {
            v.driveLetter = path->letter;
            out.push_back(driveLetterNotice(path->letter, &v.id));
        } else {
            v.mountFolders.push_back(path->text);
            out.push_back(mountPointsNotice(v.id));
        }
        return S_OK;
    });
}

ChangeFunction deleteAccessPath(const GUID& volume, std::u16string text, bool force) {
    return onVolume(volume, [text = std::move(text), force](Model& m, Volume& v, Batch& out) -> HRESULT {
        const auto path = parsePath(text);
        if (!path) return VDS_E_PATH_NOT_FOUND;
        if (path->isLetter) {
            if (v.driveLetter != path->letter) return VDS_E_PATH_NOT_FOUND;
            if (systemVolume(m, v)) return VDS_E_OPERATION_DENIED;
            if (volumeInUse(m, v.id) && !force) return VDS_E_DEVICE_IN_USE;
            // The folders on it lose the paths they were reached by.
            dropFoldersUnder(m, std::u16string{path->letter, u':', u'\\'}, out);
            v.driveLetter = 0;
            out.push_back(driveLetterNotice(path->letter, nullptr));
            return S_OK;
        }
        auto folder = std::find_if(v.mountFolders.begin(), v.mountFolders.end(),
                                   [&](const std::u16string& f) { return samePath(f, path->text); });
        if (folder == v.mountFolders.end()) return VDS_E_PATH_NOT_FOUND;
        const std::u16string gone = *folder;
        v.mountFolders.erase(folder);
        out.push_back(mountPointsNotice(v.id));
        // Folders mounted inside this volume through that path lose it too.
        dropFoldersUnder(m, gone, out);
        return S_OK;
    });
}

ChangeFunction mountVolume(const GUID& volume) {
    return onVolume(volume, [](Model&, Volume& v, Batch& out) -> HRESULT {
        if (permanentlyDismounted(v)) {
            bringOnline(v);
            note(out, Kind::Volume, v.id, Event::Modify);
        }
        v.dismounted = false;
        return S_OK;
    });
}

ChangeFunction dismountVolume(const GUID& volume, bool force, bool permanent) {
    return onVolume(volume, [force, permanent](Model& m, Volume& v, Batch& out) -> HRESULT {
        if (volumeInUse(m, v.id) && !force) return VDS_E_DEVICE_IN_USE;
        if (v.dismounted && !permanentlyDismounted(v)) return VDS_E_VOLUME_TEMPORARILY_DISMOUNTED;
        if (permanent) {
            if (!(v.flags & VDS_VF_PERMANENT_DISMOUNT_SUPPORTED)) return VDS_E_NOT_SUPPORTED;
            if (!m.accessPaths(v.id).empty()) return VDS_E_VOLUME_HAS_PATH;
        } else if (permanentlyDismounted(v)) {
            return VDS_E_VOLUME_PERMANENTLY_DISMOUNTED;
        }
        v.dismounted = true;
        if (permanent && !permanentlyDismounted(v)) {
            v.flags |= VDS_VF_PERMANENTLY_DISMOUNTED;
            v.status = VDS_VS_OFFLINE;
            note(out, Kind::Volume, v.id, Event::Modify);
        }
        return S_OK;
    });
}

ChangeFunction setFileSystemFlags(const GUID& volume, std::uint32_t flags) {
    return onVolume(volume, [flags](Model&, Volume& v, Batch&) -> HRESULT {
        if (flags & ~static_cast<std::uint32_t>(VDS_FPF_COMPRESSED)) return E_INVALIDARG;
        if (v.flags & VDS_VF_HIDDEN) return VDS_E_INVALID_OPERATION;
        if (!v.fileSystem) return VDS_E_VOLUME_NOT_MOUNTED;
        const FileSystemLimits* l = limitsOf(v.fileSystem->type);
        if (flags != 0 && (l == nullptr || !l->compresses)) return VDS_E_INCOMPATIBLE_FILE_SYSTEM;
        // Compression is a flag no client is told about.
        v.fileSystem->flags |= flags;
        return S_OK;
    });
}

HRESULT fileSystemUnreadable(const Model& m, const GUID& id) {
    auto it = m.volumes.find(id);
    if (it == m.volumes.end()) return VDS_E_OBJECT_DELETED;
    if (permanentlyDismounted(it->second) || it->second.status == VDS_VS_OFFLINE) return VDS_E_VOLUME_NOT_MOUNTED;
    return S_OK;
}

}  // namespace tolvane::sim
