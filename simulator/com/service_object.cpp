// The service object (IVdsService, IVdsServiceInitialization), its class
// factory, and the registration that makes CoCreateInstance(CLSID_VdsService)
// reach it from the moment the library is loaded.
#include <chrono>
#include <cstdio>

#include "com/async_operation.h"
#include "com/com_support.h"
#include "com/enum_objects.h"
#include "com/vds_conversions.h"
#include "model/model_rules.h"
#if !defined(_WIN32)
#include "apartment_state.h"
#include "compat_hooks.h"
#endif

namespace tolvane::sim {

IClassFactory* serviceClassFactory();
int simulatedVolumeSpace(char letter, ULONGLONG* availableToCaller, ULONGLONG* total, ULONGLONG* free,
                         DWORD* error);

namespace {

class ServiceObject final : public IVdsService, public IVdsServiceInitialization {
public:
    ServiceObject() {
        Core::instance().serviceReferences.fetch_add(1);
        Core::instance().liveServiceObjects.fetch_add(1);
    }
    // Sinks advised through this object stay registered until Unadvise, as
    // with the real service, whose registrations outlive any one reference.
    ~ServiceObject() { Core::instance().liveServiceObjects.fetch_sub(1); }
    ServiceObject(const ServiceObject&) = delete;
    ServiceObject& operator=(const ServiceObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (auto fault = Core::instance().enter("IVdsService::QueryInterface", interfaceName(riid))) return *fault;
        if (riid == IID_IUnknown || riid == IID_IVdsService) {
            *ppv = static_cast<IVdsService*>(this);
        } else if (riid == IID_IVdsServiceInitialization) {
            *ppv = static_cast<IVdsServiceInitialization*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        Core::instance().serviceReferences.fetch_add(1);
        return refs_.fetch_add(1) + 1;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        Core::instance().serviceReferences.fetch_sub(1);
        ULONG n = refs_.fetch_sub(1) - 1;
        if (n == 0) delete this;
        return n;
    }

    // IVdsServiceInitialization
    HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR machineName) override {
        if (auto fault = admit("IVdsServiceInitialization::Initialize", joinArgs(machineName)))
            return *fault;
        std::lock_guard lock(mutex_);
        if (!initialized_) {
            initialized_ = true;
            initializedAt_ = std::chrono::steady_clock::now();
        }
        return S_OK;
    }

    // IVdsService
    HRESULT STDMETHODCALLTYPE IsServiceReady() override {
        if (auto fault = admit("IVdsService::IsServiceReady", "")) return *fault;
        auto at = initializedAt();
        if (!at) return VDS_E_INITIALIZE_NOT_CALLED;
        return Core::instance().isReady(*at) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE WaitForServiceReady() override {
        if (auto fault = admit("IVdsService::WaitForServiceReady", "")) return *fault;
        auto at = initializedAt();
        if (!at) return VDS_E_INITIALIZE_NOT_CALLED;
        Core::instance().waitReady(*at);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProperties(VDS_SERVICE_PROP* p) override {
        if (p == nullptr) return E_POINTER;
        *p = VDS_SERVICE_PROP{};
        // Answered while starting, as the only call a client may make then.
        if (auto fault = admit("IVdsService::GetProperties", "")) return *fault;
        if (!initializedAt()) return VDS_E_INITIALIZE_NOT_CALLED;
        p->pwszVersion = coString(u"6.1.7601");
        p->ulFlags = 0x1;  // VDS_SVF_SUPPORT_DYNAMIC
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryProviders(DWORD masks, IEnumVdsObject** ppEnum) override {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        if (HRESULT hr = readyAfterStart("IVdsService::QueryProviders", joinArgs(masks)); hr != S_OK) return hr;
        *ppEnum = makeEnumeration(Core::instance().read([&](const Model& m) {
            ObjectList out;
            if (masks & VDS_QUERY_SOFTWARE_PROVIDERS)
                for (const auto& id : m.softwareProviders) out.push_back({Kind::Provider, id});
            if (masks & VDS_QUERY_HARDWARE_PROVIDERS)
                for (const auto& id : m.hardwareProviders) out.push_back({Kind::Provider, id});
            return out;
        }));
        return Core::instance().faults.successCode("IVdsService::QueryProviders");
    }
    HRESULT STDMETHODCALLTYPE QueryMaskedDisks(IEnumVdsObject** ppEnum) override {
        // Every disk of the simulated machine is unmasked to this host.
        return emptyList("IVdsService::QueryMaskedDisks", ppEnum);
    }
    HRESULT STDMETHODCALLTYPE QueryUnallocatedDisks(IEnumVdsObject** ppEnum) override {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        if (HRESULT hr = readyAfterStart("IVdsService::QueryUnallocatedDisks", ""); hr != S_OK) return hr;
        *ppEnum = makeEnumeration(Core::instance().read([](const Model& m) {
            ObjectList out;
            for (const auto& id : m.unallocatedDisks) out.push_back({Kind::Disk, id});
            return out;
        }));
        return Core::instance().faults.successCode("IVdsService::QueryUnallocatedDisks");
    }
    HRESULT STDMETHODCALLTYPE GetObject(VDS_OBJECT_ID id, VDS_OBJECT_TYPE type, IUnknown** ppUnk) override {
        if (ppUnk == nullptr) return E_POINTER;
        *ppUnk = nullptr;
        if (HRESULT hr = readyAfterStart("IVdsService::GetObject", joinArgs(id, type)); hr != S_OK) return hr;
        auto kind = Core::instance().read([&](const Model& m) { return m.kindOf(id); });
        if (!kind || static_cast<std::int32_t>(*kind) != type) return VDS_E_OBJECT_NOT_FOUND;
        *ppUnk = Core::instance().acquire(*kind, id);
        return *ppUnk == nullptr ? VDS_E_OBJECT_NOT_FOUND : Core::instance().faults.successCode("IVdsService::GetObject");
    }
    HRESULT STDMETHODCALLTYPE QueryDriveLetters(WCHAR first, DWORD count, VDS_DRIVE_LETTER_PROP* props) override {
        if (HRESULT hr = ready("IVdsService::QueryDriveLetters", joinArgs(first, count)); hr != S_OK) return hr;
        if (props == nullptr) return E_POINTER;
        WCHAR upper = first >= u'a' && first <= u'z' ? static_cast<WCHAR>(first - 0x20) : first;
        if (upper < u'A' || upper > u'Z' || count == 0 || count > static_cast<DWORD>(u'Z' - upper + 1))
            return E_INVALIDARG;
        Core::instance().read([&](const Model& m) {
            for (DWORD i = 0; i < count; ++i) {
                VDS_DRIVE_LETTER_PROP& p = props[i];
                p = VDS_DRIVE_LETTER_PROP{};
                p.wcLetter = static_cast<WCHAR>(upper + i);
                // A partition that is no volume may hold a letter too; it has no volume to name.
                if (driveLetterHolder(m, static_cast<char16_t>(p.wcLetter))) p.bUsed = TRUE;
                if (const Volume* v = m.volumeWithLetter(p.wcLetter)) p.volumeId = v->id;
            }
            return 0;
        });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryFileSystemTypes(VDS_FILE_SYSTEM_TYPE_PROP** pp, LONG* pn) override {
        if (pp == nullptr || pn == nullptr) return E_POINTER;
        *pp = nullptr;
        *pn = 0;
        if (HRESULT hr = ready("IVdsService::QueryFileSystemTypes", ""); hr != S_OK) return hr;
        struct Known {
            VDS_FILE_SYSTEM_TYPE type;
            const char16_t* name;
            ULONG maxLabel;
        };
        static const Known known[] = {{VDS_FST_FAT, u"FAT", 11},
                                      {VDS_FST_FAT32, u"FAT32", 11},
                                      {VDS_FST_NTFS, u"NTFS", 32},
                                      {VDS_FST_EXFAT, u"exFAT", 15}};
        std::vector<VDS_FILE_SYSTEM_TYPE_PROP> props;
        for (const auto& k : known) {
            VDS_FILE_SYSTEM_TYPE_PROP p{};
            p.type = k.type;
            std::u16string name = k.name;
            std::copy(name.begin(), name.end(), p.wszName);
            p.ulFlags = 0x1;  // VDS_FSF_SUPPORT_FORMAT
            p.ulMaxLableLength = k.maxLabel;
            p.pwszIllegalLabelCharSet = coString(u"\"*/:<>?\\|");
            props.push_back(p);
        }
        *pp = coArray(props);
        *pn = static_cast<LONG>(props.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reenumerate() override {
        if (HRESULT hr = ready("IVdsService::Reenumerate", ""); hr != S_OK) return hr;
        // Clients are told to read the machine afresh after the rescan.
        Core::instance().rescan();
        return notifyOutOfSync();
    }
    HRESULT STDMETHODCALLTYPE Refresh() override { return ready("IVdsService::Refresh", ""); }
    HRESULT STDMETHODCALLTYPE CleanupObsoleteMountPoints() override {
        return ready("IVdsService::CleanupObsoleteMountPoints", "");
    }
    HRESULT STDMETHODCALLTYPE Advise(IVdsAdviseSink* sink, DWORD* cookie) override {
        if (cookie != nullptr) *cookie = 0;
        if (HRESULT hr = readyAfterStart("IVdsService::Advise", ""); hr != S_OK) return hr;
        if (sink == nullptr || cookie == nullptr) return E_POINTER;
        *cookie = Core::instance().notifier.advise(sink);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        if (HRESULT hr = readyAfterStart("IVdsService::Unadvise", joinArgs(cookie)); hr != S_OK) return hr;
        return Core::instance().notifier.unadvise(cookie) ? S_OK : VDS_E_BAD_COOKIE;
    }
    HRESULT STDMETHODCALLTYPE Reboot() override {
        if (HRESULT hr = ready("IVdsService::Reboot", ""); hr != S_OK) return hr;
        return notSimulatedYet();
    }
    HRESULT STDMETHODCALLTYPE SetFlags(ULONG flags) override {
        if (HRESULT hr = ready("IVdsService::SetFlags", joinArgs(Hex{flags})); hr != S_OK) return hr;
        return notSimulatedYet();
    }
    HRESULT STDMETHODCALLTYPE ClearFlags(ULONG flags) override {
        if (HRESULT hr = ready("IVdsService::ClearFlags", joinArgs(Hex{flags})); hr != S_OK) return hr;
        return notSimulatedYet();
    }

private:
    std::optional<std::chrono::steady_clock::time_point> initializedAt() const {
        std::lock_guard lock(mutex_);
        if (!initialized_) return std::nullopt;
        return initializedAt_;
    }
    // Entry of every call: a thread outside COM reaches the service only
    // through a multithreaded apartment that another thread keeps alive.
    static std::optional<HRESULT> admit(const char* method, const std::string& args) {
#if !defined(_WIN32)
        // On Windows the COM runtime itself keeps such a thread out.
        if (!tolvane::compat::threadMayCallCom()) return CO_E_NOTINITIALIZED;
#endif
        return Core::instance().enter(method, args);
    }
    // Entry of the calls that need an initialised, ready service.
    HRESULT ready(const char* method, const std::string& args) {
        if (auto fault = admit(method, args)) return *fault;
        auto at = initializedAt();
        if (!at) return VDS_E_INITIALIZE_NOT_CALLED;
        return Core::instance().isReady(*at) ? S_OK : kServiceNotReady;
    }
    // Entry of the calls that the real service holds until it has started.
    HRESULT readyAfterStart(const char* method, const std::string& args) {
        if (auto fault = admit(method, args)) return *fault;
        auto at = initializedAt();
        if (!at) return VDS_E_INITIALIZE_NOT_CALLED;
        Core::instance().waitReady(*at);
        return S_OK;
    }
    HRESULT emptyList(const char* method, IEnumVdsObject** ppEnum) {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        if (HRESULT hr = ready(method, ""); hr != S_OK) return hr;
        *ppEnum = makeEnumeration({});
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    mutable std::mutex mutex_;
    bool initialized_ = false;
    std::chrono::steady_clock::time_point initializedAt_{};
};

// Lives as long as the library; its references are not the clients'.
class ServiceFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        if (HRESULT hr = Core::instance().loadForNewService(); FAILED(hr)) return hr;
        auto* service = new ServiceObject;
        HRESULT hr = service->QueryInterface(riid, ppv);
        service->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

ServiceFactory g_factory;

#if !defined(_WIN32)
// Registers the class object while the library loads and takes it back, and
// stops the service's threads, while it unloads. (On Windows the control API
// does both; see registration_win32.cpp.)
struct LibraryLifetime {
    DWORD cookie = 0;
    TolvaneVolumeSpaceHook previousHook = nullptr;

    LibraryLifetime() {
        Core::instance();
        if (FAILED(CoRegisterClassObject(CLSID_VdsService, &g_factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                         &cookie)))
            std::fprintf(stderr, "TolvaneSim: the service could not register its class object\n");
        previousHook = TolvaneCompatSetVolumeSpaceHook(&simulatedVolumeSpace);
    }
    ~LibraryLifetime() {
        TolvaneCompatSetVolumeSpaceHook(previousHook);
        if (cookie != 0) CoRevokeClassObject(cookie);
        Core::instance().shutdown();
    }
};

LibraryLifetime g_lifetime;
#endif

}  // namespace

IClassFactory* serviceClassFactory() { return &g_factory; }

}  // namespace tolvane::sim
