#include "direct_drive_client.h"

#include <vector>

namespace {

// Calls `visit` with each object of the enumeration until it returns false.
template <typename Visit>
void walk(IEnumVdsObject* enumeration, Visit&& visit) {
    for (;;) {
        ComPtr<IUnknown> object;
        ULONG fetched = 0;
        if (enumeration->Next(1, object.put(), &fetched) != S_OK || fetched == 0) return;
        if (!visit(std::move(object))) return;
    }
}

}  // namespace

HRESULT DirectDriveClient::open() {
    close();
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) return hr;
    comEntered_ = true;
    hr = CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService,
                          service_.putVoid());
    if (FAILED(hr)) return hr;
    ComPtr<IVdsServiceInitialization> init;
    if (hr = service_.queryInterface(IID_IVdsServiceInitialization, init); hr != S_OK) return hr;
    return init->Initialize(const_cast<WCHAR*>(u"BENCH"));
}

void DirectDriveClient::close() {
    service_.reset();
    if (comEntered_) CoUninitialize();
    comEntered_ = false;
}

int DirectDriveClient::listDrives(const VDS_OBJECT_ID& id) {
    ComPtr<IVdsSubSystem> subSystem;
    {
        ComPtr<IUnknown> object;
        if (service_->GetObject(id, VDS_OT_SUB_SYSTEM, object.put()) != S_OK) return -1;
        if (object.queryInterface(IID_IVdsSubSystem, subSystem) != S_OK) return -1;
    }

    int count = 0;
    {
        ComPtr<IEnumVdsObject> enumeration;
        if (subSystem->QueryDrives(enumeration.put()) != S_OK) return -1;
        walk(enumeration.get(), [&](ComPtr<IUnknown>) {
            ++count;
            return true;
        });
    }

    std::vector<ComPtr<IVdsDrive>> drives;
    drives.reserve(static_cast<std::size_t>(count));
    {
        ComPtr<IEnumVdsObject> enumeration;
        if (subSystem->QueryDrives(enumeration.put()) != S_OK) return -1;
        walk(enumeration.get(), [&](ComPtr<IUnknown> object) {
            ComPtr<IVdsDrive> drive;
            if (object.queryInterface(IID_IVdsDrive, drive) != S_OK) return false;
            drives.push_back(std::move(drive));
            return static_cast<int>(drives.size()) < count;
        });
    }
    subSystem.reset();

    int read = 0;
    for (const auto& drive : drives) {
        VDS_DRIVE_PROP properties{};
        if (drive->GetProperties(&properties) != S_OK) continue;
        CoTaskMemFree(properties.pwszFriendlyName);
        CoTaskMemFree(properties.pwszIdentification);
        ++read;
    }
    return read;
}
