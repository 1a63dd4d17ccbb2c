#include "direct_client.h"

HRESULT DirectClient::open() {
    close();
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) return hr;
    comEntered_ = true;
    hr = CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service_.putVoid());
    if (FAILED(hr)) return hr;
    ComPtr<IVdsServiceInitialization> init;
    if (hr = service_.queryInterface(IID_IVdsServiceInitialization, init); hr != S_OK) return hr;
    return init->Initialize(const_cast<WCHAR*>(u"BENCH"));
}

void DirectClient::close() {
    service_.reset();
    if (comEntered_) CoUninitialize();
    comEntered_ = false;
}

ComPtr<IVdsSwProvider> DirectClient::softwareProvider(const GUID& id) const {
    if (service_->IsServiceReady() != S_OK) return {};
    ComPtr<IEnumVdsObject> enumeration;
    if (service_->QueryProviders(VDS_QUERY_SOFTWARE_PROVIDERS, enumeration.put()) != S_OK) return {};
    ComPtr<IVdsSwProvider> found;
    directWalk(enumeration.get(), [&](ComPtr<IUnknown> object) {
        ComPtr<IVdsSwProvider> software;
        ComPtr<IVdsProvider> provider;
        if (object.queryInterface(IID_IVdsSwProvider, software) != S_OK ||
            software.queryInterface(IID_IVdsProvider, provider) != S_OK)
            return true;
        VDS_PROVIDER_PROP properties{};
        const bool match = provider->GetProperties(&properties) == S_OK && IsEqualGUID(properties.id, id);
        CoTaskMemFree(properties.pwszName);
        CoTaskMemFree(properties.pwszVersion);
        if (match) found = std::move(software);
        return !match;
    });
    return found;
}
