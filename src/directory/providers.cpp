#include "directory/providers.h"

#include "directory/lookup.h"
#include "directory/property_texts.h"
#include "protocol/identifiers.h"

HRESULT vdsEnsureServiceReady(IVdsService* service) {
    HRESULT hr = service->IsServiceReady();
    if (hr != S_OK) {
        service->WaitForServiceReady();
        hr = service->IsServiceReady();
    }
    return hr;
}

HRESULT vdsGetProviderProperties(IUnknown* provider, VDS_PROVIDER_PROP* properties) {
    ComPtr<IVdsProvider> base;
    HRESULT hr = provider->QueryInterface(IID_IVdsProvider, base.putVoid());
    if (FAILED(hr) || !base) return FAILED(hr) ? hr : E_NOINTERFACE;
    *properties = VDS_PROVIDER_PROP{};
    hr = base->GetProperties(properties);
    if (hr != S_OK) {
        // A failed call may still have handed over texts.
        vdsFreeProviderTexts(*properties);
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

void vdsFreeProviderTexts(VDS_PROVIDER_PROP& properties) { vdsFreePropertyTexts(properties); }

namespace {

template <typename Provider>
Provider* findProvider(IVdsService* service, DWORD mask, REFIID iid, const VDS_OBJECT_ID& wanted) {
    if (service == nullptr || vdsEnsureServiceReady(service) != S_OK) return nullptr;
    ComPtr<IEnumVdsObject> enumeration;
    if (FAILED(service->QueryProviders(mask, enumeration.put())) || !enumeration) return nullptr;

    Provider* found = nullptr;
    vdsWalk(enumeration.get(), [&](ComPtr<IUnknown> object) {
        ComPtr<Provider> provider;
        if (FAILED(object.queryInterface(iid, provider)) || !provider) return true;
        object.reset();
        VDS_PROVIDER_PROP properties{};
        if (vdsGetProviderProperties(provider.get(), &properties) != S_OK) return true;
        vdsFreeProviderTexts(properties);
        if (!compareGUID(properties.id, wanted)) return true;
        found = provider.detach();
        return false;
    });
    return found;
}

}  // namespace

IVdsHwProvider* vdsFindHwProvider(IVdsService* service, VDS_OBJECT_ID id) {
    return findProvider<IVdsHwProvider>(service, VDS_QUERY_HARDWARE_PROVIDERS, IID_IVdsHwProvider, id);
}

IVdsSwProvider* vdsFindSwProvider(IVdsService* service, VDS_OBJECT_ID id) {
    return findProvider<IVdsSwProvider>(service, VDS_QUERY_SOFTWARE_PROVIDERS, IID_IVdsSwProvider, id);
}
