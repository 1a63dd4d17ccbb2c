#include "bridge/connection.h"

#include <cstdio>

#include "protocol/text_convert.h"
#include "tolvane.h"

int g_bComInitialized = 0;
IVdsService* g_pVdsService = nullptr;
IVdsServiceInitialization* g_pServiceInit = nullptr;
CVdsAdviseSink* g_pAdviseSink = nullptr;
DWORD g_dwAdviseCookie = 0;

namespace {

// Whether the sink is registered, so that closing unadvises only a real cookie.
bool g_bAdvised = false;
// Whether the last vdsInitialize opened the connection (result 0 or 1).
bool g_bConnected = false;

// Runs the opening steps in order; what a failing step leaves behind stays in
// the globals for vdsUninitialize to give back.
int openConnection() {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) {
        std::printf("VDS CoInitialize error\n");
        return hr;
    }
    g_bComInitialized = 1;

    hr = CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService,
                          reinterpret_cast<void**>(&g_pVdsService));
    if (FAILED(hr)) return hr;

    char computerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof computerName;
    GetComputerNameA(computerName, &length);

    hr = g_pVdsService->QueryInterface(IID_IVdsServiceInitialization,
                                       reinterpret_cast<void**>(&g_pServiceInit));
    if (hr != S_OK) return hr;
    WCHAR wideName[MAX_COMPUTERNAME_LENGTH + 2] = {};
    vdsNarrowToWide(computerName, wideName, MAX_COMPUTERNAME_LENGTH + 2);
    hr = g_pServiceInit->Initialize(wideName);
    g_pServiceInit->Release();
    g_pServiceInit = nullptr;
    if (hr != S_OK) return hr;

    hr = CVdsAdviseSink::Create(&g_pAdviseSink);
    if (FAILED(hr)) return hr;
    g_pAdviseSink->AddRef();

    hr = g_pVdsService->Advise(g_pAdviseSink, &g_dwAdviseCookie);
    if (hr != S_OK) return hr;
    g_bAdvised = true;

    hr = g_pVdsService->IsServiceReady();
    if (hr == S_FALSE) {
        g_pVdsService->WaitForServiceReady();
        return S_FALSE;
    }
    return hr;
}

}  // namespace

int vdsInitialize() {
    // Once open, the connection stays as it is; a half-open one (a failed
    // earlier call) is given back first, so nothing it held is overwritten.
    if (g_bConnected) return S_OK;
    vdsUninitialize();
    const int result = openConnection();
    g_bConnected = result == S_OK || result == S_FALSE;
    return result;
}

void vdsUninitialize() {
    if (g_bComInitialized == 0) return;
    // The service must stop calling the sink before the sink goes away.
    if (g_bAdvised && g_pVdsService != nullptr) g_pVdsService->Unadvise(g_dwAdviseCookie);
    g_bAdvised = false;
    g_dwAdviseCookie = 0;
    if (g_pVdsService != nullptr) g_pVdsService->Release();
    g_pVdsService = nullptr;
    if (g_pAdviseSink != nullptr) g_pAdviseSink->Release();
    g_pAdviseSink = nullptr;
    g_bConnected = false;
    std::printf("Tolvane.dll unitialized\n");
    CoUninitialize();
    g_bComInitialized = 0;
}
