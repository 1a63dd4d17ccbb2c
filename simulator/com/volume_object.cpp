// The COM face of a volume: IVdsVolume and IVdsVolumeMF.
#include <algorithm>
#include <memory>

#include "changes/file_system_changes.h"
#include "changes/volume_changes.h"
#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class VolumeObject final : public FacedObject, public IVdsVolume, public IVdsVolumeMF {
public:
    explicit VolumeObject(const GUID& id) : FacedObject(Kind::Volume, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsVolume)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_VOLUME_PROP{};
        auto call = enterProperties("IVdsVolume::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Volume& v = m.volumes.at(id());
            p->id = v.id;
            p->type = static_cast<VDS_VOLUME_TYPE>(v.type);
            p->status = static_cast<VDS_VOLUME_STATUS>(v.status);
            p->health = static_cast<VDS_HEALTH>(v.health);
            p->TransitionState = static_cast<VDS_TRANSITION_STATE>(v.transitionState);
            p->ullSize = v.size;
            p->ulFlags = v.flags;
            p->RecommendedFileSystemType = static_cast<VDS_FILE_SYSTEM_TYPE>(v.recommendedFileSystem);
            p->pwszName = coString(v.name);
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsVolume::GetPack");
        if (call.hr != S_OK) return call.hr;
        GUID pack = Core::instance().read([&](const Model& m) { return m.volumes.at(id()).pack; });
        return handOut(Kind::Pack, pack, IID_IVdsPack, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryPlexes(IEnumVdsObject** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsVolume::QueryPlexes");
        if (call.hr != S_OK) return call.hr;
        return listChildren(&Model::volumes, id(), &Volume::plexes, Kind::VolumePlex, pp);
    }
    HRESULT STDMETHODCALLTYPE Extend(const VDS_INPUT_DISK* diskArray, LONG disks, IVdsAsync** ppAsync) override {
        const std::string args = joinArgs(disks);
        if (disks < 0 || (disks > 0 && diskArray == nullptr))
            return refuseAsync("IVdsVolume::Extend", args, ppAsync, E_INVALIDARG);
        std::vector<VDS_INPUT_DISK> given(diskArray, diskArray + disks);
        const GUID volume = id();
        return changeLaterChecked("IVdsVolume::Extend", args, ppAsync, {VDS_ASYNCOUT_EXTENDVOLUME},
                                  [&](const Model& m) { return checkExtendVolume(m, volume, given); },
                                  extendVolume(volume, given));
    }
    HRESULT STDMETHODCALLTYPE Shrink(ULONGLONG bytes, IVdsAsync** ppAsync) override {
        const GUID volume = id();
        return changeLaterChecked("IVdsVolume::Shrink", joinArgs(bytes), ppAsync, {VDS_ASYNCOUT_SHRINKVOLUME},
                                  [&](const Model& m) { return checkShrinkVolume(m, volume, bytes); },
                                  shrinkVolume(volume, bytes),
                                  [](VDS_ASYNC_OUTPUT& out, const ChangeOutput& made) {
                                      out.sv.ullReclaimedBytes = made.reclaimed;
                                  });
    }
    HRESULT STDMETHODCALLTYPE AddPlex(VDS_OBJECT_ID source, IVdsAsync** ppAsync) override {
        return plexChange("IVdsVolume::AddPlex", joinArgs(source), ppAsync, VDS_ASYNCOUT_ADDVOLUMEPLEX,
                          addVolumePlex(id(), source));
    }
    HRESULT STDMETHODCALLTYPE BreakPlex(VDS_OBJECT_ID plex, IVdsAsync** ppAsync) override {
        // The new volume's identifier is chosen as the change is applied, so
        // that volumes made side by side never share one.
        return plexChange("IVdsVolume::BreakPlex", joinArgs(plex), ppAsync, VDS_ASYNCOUT_BREAKVOLUMEPLEX,
                          breakVolumePlex(id(), plex), [](VDS_ASYNC_OUTPUT& out, const ChangeOutput& made) {
                              out.bvp.pVolumeUnk = Core::instance().acquire(Kind::Volume, made.made);
                          });
    }
    HRESULT STDMETHODCALLTYPE RemovePlex(VDS_OBJECT_ID plex, IVdsAsync** ppAsync) override {
        return plexChange("IVdsVolume::RemovePlex", joinArgs(plex), ppAsync, VDS_ASYNCOUT_REMOVEVOLUMEPLEX,
                          removeVolumePlex(id(), plex));
    }
    HRESULT STDMETHODCALLTYPE Delete(BOOL force) override {
        return changeNow("IVdsVolume::Delete", joinArgs(force), deleteVolume(id(), force != FALSE));
    }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG flags, BOOL revert) override {
        return changeNow("IVdsVolume::SetFlags", joinArgs(Hex{flags}, revert), setVolumeFlags(id(), flags, revert != FALSE));
    }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG flags) override {
        return changeNow("IVdsVolume::ClearFlags", joinArgs(Hex{flags}), clearVolumeFlags(id(), flags));
    }

private:
    // Plex operations, refused from the call on basic volumes.
    HRESULT plexChange(const char* method, const std::string& args, IVdsAsync** ppAsync, VDS_ASYNC_OUTPUT_TYPE type,
                       ChangeFunction change, DeliverOutput deliver = {}) {
        const GUID volume = id();
        return changeLaterChecked(method, args, ppAsync, {type},
                                  [volume](const Model& m) { return checkPlexOperation(m, volume); },
                                  std::move(change), std::move(deliver));
    }

public:
    // IVdsVolumeMF
    HRESULT STDMETHODCALLTYPE GetFileSystemProperties(VDS_FILE_SYSTEM_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_FILE_SYSTEM_PROP{};
        auto call = enter("IVdsVolumeMF::GetFileSystemProperties");
        if (call.hr != S_OK) return call.hr;
        return Core::instance().read([&](const Model& m) {
            if (HRESULT hr = fileSystemUnreadable(m, id()); hr != S_OK) return hr;
            const Volume& v = m.volumes.at(id());
            p->volumeId = v.id;
            if (!v.fileSystem) {
                // An unformatted volume reads as RAW, without label or units.
                p->type = VDS_FST_RAW;
                p->pwszLabel = coString(u"");
                return S_OK;
            }
            const FileSystem& fs = *v.fileSystem;
            p->type = static_cast<VDS_FILE_SYSTEM_TYPE>(fs.type);
            p->ulFlags = fs.flags;
            p->ullTotalAllocationUnits = fs.totalAllocationUnits;
            p->ullAvailableAllocationUnits = fs.availableAllocationUnits;
            p->ulAllocationUnitSize = fs.allocationUnitSize;
            p->pwszLabel = coString(fs.label);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Format(VDS_FILE_SYSTEM_TYPE type, LPCWSTR label, DWORD unit, BOOL force, BOOL quick,
                                     BOOL compress, IVdsAsync** ppAsync) override {
        if (ppAsync != nullptr) *ppAsync = nullptr;
        auto call = enter("IVdsVolumeMF::Format", joinArgs(type, label, unit, force, quick, compress));
        if (call.hr != S_OK) return call.hr;
        if (ppAsync == nullptr) return E_POINTER;
        const GUID volume = id();
        HRESULT refused = Core::instance().read([&](const Model& m) { return formatRefusedAtCall(m, volume); });
        if (refused != S_OK) return refused;
        FormatRequest request{type, modelText(label), unit, force != FALSE, quick != FALSE, compress != FALSE};
        *ppAsync = startOperation("IVdsVolumeMF::Format", {VDS_ASYNCOUT_FORMAT},
                                  [volume, request](VDS_ASYNC_OUTPUT&, OperationProgress& progress) {
                                      return runFormat(volume, request, progress);
                                  });
        return *ppAsync != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE AddAccessPath(LPCWSTR path) override {
        if (path == nullptr) return E_INVALIDARG;
        return changeNow("IVdsVolumeMF::AddAccessPath", joinArgs(path), addAccessPath(id(), modelText(path)));
    }
    HRESULT STDMETHODCALLTYPE QueryAccessPaths(LPWSTR** ppPaths, LONG* pn) override {
        if (ppPaths == nullptr || pn == nullptr) return E_POINTER;
        *ppPaths = nullptr;
        *pn = 0;
        auto call = enter("IVdsVolumeMF::QueryAccessPaths");
        if (call.hr != S_OK) return call.hr;
        auto paths = Core::instance().read([&](const Model& m) { return m.accessPaths(id()); });
        if (paths.empty()) return S_OK;
        std::vector<LPWSTR> texts;
        for (const auto& p : paths) texts.push_back(coString(p));
        *ppPaths = coArray(texts);
        *pn = static_cast<LONG>(texts.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryReparsePoints(VDS_REPARSE_POINT_PROP** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        auto call = enter("IVdsVolumeMF::QueryReparsePoints");
        if (call.hr != S_OK) return call.hr;
        auto points = Core::instance().read([&](const Model& m) { return m.reparsePoints(id()); });
        std::vector<VDS_REPARSE_POINT_PROP> props;
        for (const auto& r : points) props.push_back(VDS_REPARSE_POINT_PROP{r.sourceVolume, coString(r.path)});
        *pp = coArray(props);
        *pn = static_cast<LONG>(props.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteAccessPath(LPCWSTR path, BOOL force) override {
        if (path == nullptr) return E_INVALIDARG;
        return changeNow("IVdsVolumeMF::DeleteAccessPath", joinArgs(path, force),
                         deleteAccessPath(id(), modelText(path), force != FALSE));
    }
    HRESULT STDMETHODCALLTYPE Mount() override { return changeNow("IVdsVolumeMF::Mount", "", mountVolume(id())); }
    HRESULT STDMETHODCALLTYPE Dismount(BOOL force, BOOL permanent) override {
        return changeNow("IVdsVolumeMF::Dismount", joinArgs(force, permanent),
                         dismountVolume(id(), force != FALSE, permanent != FALSE));
    }
    HRESULT STDMETHODCALLTYPE SetFileSystemFlags(ULONG flags) override {
        return changeNow("IVdsVolumeMF::SetFileSystemFlags", joinArgs(Hex{flags}), setFileSystemFlags(id(), flags));
    }
    HRESULT STDMETHODCALLTYPE ClearFileSystemFlags(ULONG flags) override {
        return unsimulated("IVdsVolumeMF::ClearFileSystemFlags", joinArgs(Hex{flags}));
    }

    // The format on the worker: the checks a running format makes, progress
    // told on the way, then the new file system.
    static HRESULT runFormat(const GUID& volume, const FormatRequest& request, OperationProgress& progress) {
        Core& core = Core::instance();
        const HRESULT refused =
            core.read([&](const Model& m) { return formatRefusedWhileRunning(m, volume, request); });
        if (refused != S_OK) return progress.commit([refused] { return refused; });
        for (unsigned long percent : {25ul, 50ul, 75ul}) {
            core.change(reportFormatProgress(volume, percent));
            progress.report(percent);
        }
        return progress.commit([&] { return core.change(formatVolume(volume, request)); });
    }

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsVolume) return static_cast<IVdsVolume*>(this);
        if (riid == IID_IVdsVolumeMF) return static_cast<IVdsVolumeMF*>(this);
        return nullptr;
    }
};

}  // namespace

ModelObject* makeVolumeObject(const GUID& id) { return new VolumeObject(id); }

}  // namespace tolvane::sim
