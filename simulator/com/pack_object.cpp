// The COM face of a pack: IVdsPack.
#include <algorithm>
#include <memory>

#include "changes/pack_changes.h"
#include "changes/volume_changes.h"
#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

void letGo(const GUID& pack) {
    Core& core = Core::instance();
    if (!core.read([&](const Model& m) { return isPlaceholderPack(m, pack); })) return;
    // A client may take the pack again before the change runs.
    core.change(letGoOfPack(pack, [&core, pack] { return core.objectReferences(pack) > 0; }));
}

class PackObject final : public FacedObject, public IVdsPack {
public:
    explicit PackObject(const GUID& id) : FacedObject(Kind::Pack, id) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return queryInterface("IVdsPack", riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addRef(); }
    // The last release may let a new, empty pack go; the face is gone by then.
    ULONG STDMETHODCALLTYPE Release() override {
        const GUID pack = id();
        const ULONG n = release();
        if (n == 0) letGo(pack);
        return n;
    }
    IUnknown* primary() override { return static_cast<IVdsPack*>(this); }

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_PACK_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_PACK_PROP{};
        auto call = enterProperties("IVdsPack::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Pack& k = m.packs.at(id());
            p->id = k.id;
            p->pwszName = coString(k.name);
            p->status = static_cast<VDS_PACK_STATUS>(k.status);
            p->ulFlags = k.flags;
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsPack::GetProvider");
        if (call.hr != S_OK) return call.hr;
        GUID provider = Core::instance().read([&](const Model& m) { return m.packs.at(id()).provider; });
        return handOut(Kind::Provider, provider, IID_IVdsProvider, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryVolumes(IEnumVdsObject** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsPack::QueryVolumes");
        if (call.hr != S_OK) return call.hr;
        return listChildren(&Model::packs, id(), &Pack::volumes, Kind::Volume, pp);
    }
    HRESULT STDMETHODCALLTYPE QueryDisks(IEnumVdsObject** pp) override {
        if (pp == nullptr) return E_POINTER;
        *pp = nullptr;
        auto call = enter("IVdsPack::QueryDisks");
        if (call.hr != S_OK) return call.hr;
        return listChildren(&Model::packs, id(), &Pack::disks, Kind::Disk, pp);
    }
    HRESULT STDMETHODCALLTYPE CreateVolume(VDS_VOLUME_TYPE type, const VDS_INPUT_DISK* diskArray, LONG disks,
                                           ULONG stripe, IVdsAsync** ppAsync) override {
        const std::string args = joinArgs(type, disks, stripe);
        if (disks < 0 || (disks > 0 && diskArray == nullptr)) return refuseAsync("IVdsPack::CreateVolume", args, ppAsync, E_INVALIDARG);
        NewVolume request{id(), static_cast<std::int32_t>(type), std::vector<VDS_INPUT_DISK>(diskArray, diskArray + disks),
                          stripe};
        // The identifier is chosen as the change is applied, so that volumes
        // made side by side never share one; the output names this call's.
        return changeLaterChecked("IVdsPack::CreateVolume", args, ppAsync, {VDS_ASYNCOUT_CREATEVOLUME},
                                  [&](const Model& m) { return checkCreateVolume(m, request); },
                                  createVolume(request), [](VDS_ASYNC_OUTPUT& out, const ChangeOutput& made) {
                                      out.cv.pVolumeUnk = Core::instance().acquire(Kind::Volume, made.made);
                                  });
    }
    HRESULT STDMETHODCALLTYPE AddDisk(VDS_OBJECT_ID disk, VDS_PARTITION_STYLE style, BOOL hotSpare) override {
        return changeNow("IVdsPack::AddDisk", joinArgs(disk, style, hotSpare),
                         addDiskToPack(id(), disk, style, hotSpare));
    }
    HRESULT STDMETHODCALLTYPE MigrateDisks(const VDS_OBJECT_ID* disks, LONG count, VDS_OBJECT_ID target, BOOL force,
                                           BOOL queryOnly, HRESULT* results, BOOL* reboot) override {
        if (reboot != nullptr) *reboot = FALSE;
        if (results != nullptr)
            for (LONG i = 0; i < count; ++i) results[i] = S_OK;
        const std::string args = joinArgs(count, target, force, queryOnly);
        if (count <= 0 || disks == nullptr || results == nullptr || reboot == nullptr) {
            auto call = enter("IVdsPack::MigrateDisks", args);
            return call.hr != S_OK ? call.hr : E_INVALIDARG;
        }
        Migration migration{id(), target, std::vector<GUID>(disks, disks + count), force != FALSE,
                            queryOnly != FALSE};
        ChangeOutput made;
        const HRESULT hr = changeNow("IVdsPack::MigrateDisks", args, migrateDisks(std::move(migration)), &made);
        std::copy(made.perDisk.begin(), made.perDisk.end(), results);
        *reboot = made.rebootNeeded ? TRUE : FALSE;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE ReplaceDisk(VDS_OBJECT_ID oldDisk, VDS_OBJECT_ID newDisk, IVdsAsync** ppAsync) override {
        const std::string args = joinArgs(oldDisk, newDisk);
        // The released service does not replace disks; tests may ask for the
        // behaviour the interface describes.
        if (!replaceDiskSupported()) {
            if (ppAsync != nullptr) *ppAsync = nullptr;
            auto call = enter("IVdsPack::ReplaceDisk", args);
            return call.hr != S_OK ? call.hr : VDS_E_NOT_SUPPORTED;
        }
        return changeLater("IVdsPack::ReplaceDisk", args, ppAsync, {VDS_ASYNCOUT_REPLACEDISK},
                           replaceDisk(id(), oldDisk, newDisk));
    }
    HRESULT STDMETHODCALLTYPE RemoveMissingDisk(VDS_OBJECT_ID disk) override {
        return changeNow("IVdsPack::RemoveMissingDisk", joinArgs(disk), removeMissingDisk(id(), disk));
    }
    HRESULT STDMETHODCALLTYPE Recover(IVdsAsync** ppAsync) override { return unsimulatedAsync("IVdsPack::Recover", "", ppAsync); }

private:
    void* face(REFIID riid) override { return riid == IID_IVdsPack ? static_cast<IVdsPack*>(this) : nullptr; }
};

}  // namespace

ModelObject* makePackObject(const GUID& id) { return new PackObject(id); }

}  // namespace tolvane::sim
