#include "com/com_support.h"

namespace tolvane::sim {

LPWSTR coString(const std::u16string& text) {
    auto* out = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (out == nullptr) return nullptr;
    std::memcpy(out, text.data(), text.size() * sizeof(WCHAR));
    out[text.size()] = 0;
    return out;
}

std::string interfaceName(REFIID iid) {
    static const std::pair<const IID*, const char*> names[] = {
        {&IID_IUnknown, "IUnknown"},
        {&IID_IClassFactory, "IClassFactory"},
        {&IID_IVdsService, "IVdsService"},
        {&IID_IVdsServiceInitialization, "IVdsServiceInitialization"},
        {&IID_IEnumVdsObject, "IEnumVdsObject"},
        {&IID_IVdsAsync, "IVdsAsync"},
        {&IID_IVdsAdviseSink, "IVdsAdviseSink"},
        {&IID_IVdsProvider, "IVdsProvider"},
        {&IID_IVdsHwProvider, "IVdsHwProvider"},
        {&IID_IVdsSwProvider, "IVdsSwProvider"},
        {&IID_IVdsSubSystem, "IVdsSubSystem"},
        {&IID_IVdsController, "IVdsController"},
        {&IID_IVdsDrive, "IVdsDrive"},
        {&IID_IVdsLun, "IVdsLun"},
        {&IID_IVdsLunPlex, "IVdsLunPlex"},
        {&IID_IVdsMaintenance, "IVdsMaintenance"},
        {&IID_IVdsPack, "IVdsPack"},
        {&IID_IVdsDisk, "IVdsDisk"},
        {&IID_IVdsAdvancedDisk, "IVdsAdvancedDisk"},
        {&IID_IVdsVolume, "IVdsVolume"},
        {&IID_IVdsVolumePlex, "IVdsVolumePlex"},
        {&IID_IVdsVolumeMF, "IVdsVolumeMF"},
    };
    for (const auto& [id, name] : names)
        if (*id == iid) return name;
    return guidToText(iid);
}

FacedObject::Call FacedObject::enter(const char* method, const std::string& args) {
    Core& core = Core::instance();
    if (auto fault = core.enter(method, args)) return {*fault, {}};
    auto model = core.holdModel();
    const bool exists = core.read([&](const Model& m) {
        auto k = m.kindOf(id());
        return k && *k == kind();
    });
    return {exists ? S_OK : VDS_E_OBJECT_DELETED, std::move(model)};
}

FacedObject::Call FacedObject::enterProperties(const char* method) {
    Call call = enter(method);
    if (call.hr == S_OK)
        if (auto fault = Core::instance().faults.propertiesOutcome(id())) call.hr = *fault;
    return call;
}

HRESULT FacedObject::unsimulated(const char* method, const std::string& args) {
    Call call = enter(method, args);
    return call.hr != S_OK ? call.hr : notSimulatedYet();
}

HRESULT FacedObject::unsimulatedAsync(const char* method, const std::string& args, IVdsAsync** ppAsync) {
    if (ppAsync != nullptr) *ppAsync = nullptr;
    Call call = enter(method, args);
    if (call.hr != S_OK) return call.hr;
    if (ppAsync == nullptr) return E_POINTER;
    return notSimulatedYet();
}

HRESULT FacedObject::changeNow(const char* method, const std::string& args, ChangeFunction change,
                               ChangeOutput* output) {
    Call call = enter(method, args);
    if (call.hr != S_OK) return call.hr;
    return Core::instance().change(change, output);
}

HRESULT FacedObject::changeLater(const char* method, const std::string& args, IVdsAsync** ppAsync,
                                 OperationOptions options, ChangeFunction change, DeliverOutput deliver) {
    if (ppAsync != nullptr) *ppAsync = nullptr;
    Call call = enter(method, args);
    if (call.hr != S_OK) return call.hr;
    if (ppAsync == nullptr) return E_POINTER;
    IVdsAsync* op = startChange(method, options, std::move(change), std::move(deliver));
    if (op == nullptr) return E_OUTOFMEMORY;
    *ppAsync = op;
    return S_OK;
}

HRESULT FacedObject::refuseAsync(const char* method, const std::string& args, IVdsAsync** ppAsync, HRESULT why) {
    if (ppAsync != nullptr) *ppAsync = nullptr;
    Call call = enter(method, args);
    return call.hr != S_OK ? call.hr : why;
}

HRESULT FacedObject::changeLaterChecked(const char* method, const std::string& args, IVdsAsync** ppAsync,
                                        OperationOptions options, const std::function<HRESULT(const Model&)>& check,
                                        ChangeFunction change, DeliverOutput deliver) {
    const HRESULT refused = Core::instance().read([&](const Model& m) { return check(m); });
    if (FAILED(refused)) return refuseAsync(method, args, ppAsync, refused);
    return changeLater(method, args, ppAsync, options, std::move(change), std::move(deliver));
}

HRESULT FacedObject::queryInterface(const char* primaryName, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    Core& core = Core::instance();
    std::string method = std::string(primaryName) + "::QueryInterface";
    if (auto fault = core.enter(method.c_str(), interfaceName(riid))) return *fault;
    if (core.faults.refuses(id(), riid)) return E_NOINTERFACE;
    void* p = riid == IID_IUnknown ? static_cast<void*>(primary()) : face(riid);
    if (p == nullptr) return E_NOINTERFACE;
    addRef();
    *ppv = p;
    return S_OK;
}

}  // namespace tolvane::sim
