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
