// The COM face of a provider: IVdsProvider, and IVdsHwProvider or IVdsSwProvider
// after its kind.
#include <algorithm>

#include "changes/pack_changes.h"
#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/object_factory.h"
#include "com/vds_conversions.h"

namespace tolvane::sim {

namespace {

class ProviderObject final : public FacedObject, public IVdsProvider, public IVdsHwProvider, public IVdsSwProvider {
public:
    explicit ProviderObject(const GUID& id) : FacedObject(Kind::Provider, id) {}
    TOLVANE_SIM_UNKNOWN(IVdsProvider)

    HRESULT STDMETHODCALLTYPE GetProperties(VDS_PROVIDER_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_PROVIDER_PROP{};
        auto call = enterProperties("IVdsProvider::GetProperties");
        if (call.hr != S_OK) return call.hr;
        Core::instance().read([&](const Model& m) {
            const Provider& v = m.providers.at(id());
            p->id = v.id;
            p->pwszName = coString(v.name);
            p->guidVersionId = v.versionId;
            p->pwszVersion = coString(v.version);
            p->type = static_cast<VDS_PROVIDER_TYPE>(v.type);
            p->ulFlags = v.flags;
            p->ulStripeSizeFlags = v.stripeSizeFlags;
            p->sRebuildPriority = v.rebuildPriority;
            return 0;
        });
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QuerySubSystems(IEnumVdsObject** ppEnum) override {
        return children("IVdsHwProvider::QuerySubSystems", Kind::SubSystem, ppEnum);
    }
    HRESULT STDMETHODCALLTYPE Reenumerate() override {
        auto call = enter("IVdsHwProvider::Reenumerate");
        if (call.hr != S_OK) return call.hr;
        return notifyOutOfSync();
    }
    HRESULT STDMETHODCALLTYPE Refresh() override { return enter("IVdsHwProvider::Refresh").hr; }

    HRESULT STDMETHODCALLTYPE QueryPacks(IEnumVdsObject** ppEnum) override {
        return children("IVdsSwProvider::QueryPacks", Kind::Pack, ppEnum);
    }
    HRESULT STDMETHODCALLTYPE CreatePack(IVdsPack** ppPack) override {
        if (ppPack != nullptr) *ppPack = nullptr;
        if (ppPack == nullptr) return E_POINTER;
        ChangeOutput made;
        const HRESULT hr = changeNow("IVdsSwProvider::CreatePack", "", createPack(id()), &made);
        if (hr != S_OK) return hr;
        return handOut(Kind::Pack, made.made, IID_IVdsPack, ppPack);
    }

private:
    void* face(REFIID riid) override {
        if (riid == IID_IVdsProvider) return static_cast<IVdsProvider*>(this);
        const std::int32_t type = Core::instance().read([&](const Model& m) {
            auto it = m.providers.find(id());
            return it == m.providers.end() ? 0 : it->second.type;
        });
        if (riid == IID_IVdsHwProvider && type == VDS_PT_HARDWARE) return static_cast<IVdsHwProvider*>(this);
        if (riid == IID_IVdsSwProvider && type == VDS_PT_SOFTWARE) return static_cast<IVdsSwProvider*>(this);
        return nullptr;
    }

    HRESULT children(const char* method, Kind kind, IEnumVdsObject** ppEnum) {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        auto call = enter(method);
        if (call.hr != S_OK) return call.hr;
        *ppEnum = makeEnumeration(
            Core::instance().read([&](const Model& m) { return listOf(kind, m.providers.at(id()).children); }));
        return Core::instance().faults.successCode(method);
    }
};

}  // namespace

ModelObject* makeProviderObject(const GUID& id) { return new ProviderObject(id); }

}  // namespace tolvane::sim
