// CoRegisterClassObject / CoRevokeClassObject / CoCreateInstance: the
// process-wide table of class objects through which clients reach servers.
//
// Off Windows a class server is a shared library that registers itself while
// it is being loaded, before any thread has entered COM, so registering and
// revoking do not require the caller to be in an apartment; creating does.

#include <mutex>
#include <utility>
#include <vector>

#include "apartment_state.h"
#include "com_owner.h"
#include "platform/com_types.h"

namespace {

using tolvane::compat::ComOwner;

struct Registration {
    DWORD cookie;
    CLSID clsid;
    DWORD context;
    bool singleUse;
    bool used;
    ComOwner<IUnknown> classObject;
};

class ClassRegistry {
public:
    static ClassRegistry& instance() {
        // Never destroyed: servers revoke from their own static destructors,
        // which may run after ours would have.
        static ClassRegistry* registry = new ClassRegistry;
        return *registry;
    }

    DWORD add(REFCLSID clsid, IUnknown* classObject, DWORD context, bool singleUse) {
        classObject->AddRef();
        ComOwner<IUnknown> owner(classObject);
        std::lock_guard lock(mutex_);
        DWORD cookie = nextCookie_++;
        if (nextCookie_ == 0) nextCookie_ = 1;  // 0 is never a valid cookie
        entries_.push_back({cookie, clsid, context, singleUse, false, std::move(owner)});
        return cookie;
    }

    // Returns the registration's reference, released by the caller outside
    // the lock, since the last Release may run arbitrary server code.
    ComOwner<IUnknown> remove(DWORD cookie) {
        std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->cookie != cookie) continue;
            ComOwner<IUnknown> owner = std::move(it->classObject);
            entries_.erase(it);
            return owner;
        }
        return nullptr;
    }

    // The newest registration of the class whose context shares a flag with
    // the requested one, with a new reference for the caller. A single-use
    // registration serves one client and is hidden afterwards, as on Windows.
    ComOwner<IUnknown> find(REFCLSID clsid, DWORD context) {
        std::lock_guard lock(mutex_);
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
            if (!(it->clsid == clsid) || (it->context & context) == 0) continue;
            if (it->singleUse && it->used) continue;
            it->used = true;
            it->classObject->AddRef();
            return ComOwner<IUnknown>(it->classObject.get());
        }
        return nullptr;
    }

private:
    ClassRegistry() = default;

    std::mutex mutex_;
    std::vector<Registration> entries_;
    DWORD nextCookie_ = 1;
};

}  // namespace

extern "C" HRESULT CoRegisterClassObject(REFCLSID rclsid, IUnknown* pUnk, DWORD dwClsContext,
                                         DWORD flags, LPDWORD lpdwRegister) {
    if (lpdwRegister == nullptr) return E_INVALIDARG;
    *lpdwRegister = 0;
    if (pUnk == nullptr || dwClsContext == 0) return E_INVALIDARG;
    *lpdwRegister = ClassRegistry::instance().add(rclsid, pUnk, dwClsContext,
                                                  flags == REGCLS_SINGLEUSE);
    return S_OK;
}

extern "C" HRESULT CoRevokeClassObject(DWORD dwRegister) {
    ComOwner<IUnknown> released = ClassRegistry::instance().remove(dwRegister);
    return released ? S_OK : CO_E_OBJNOTREG;
}

extern "C" HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext,
                                    REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    // As in the real runtime, a thread that never entered COM belongs to the
    // process's implicit multithreaded apartment while another thread keeps
    // that apartment alive.
    if (!tolvane::compat::threadMayCallCom()) return CO_E_NOTINITIALIZED;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;

    ComOwner<IUnknown> classObject = ClassRegistry::instance().find(rclsid, dwClsContext);
    if (!classObject) return REGDB_E_CLASSNOTREG;

    void* rawFactory = nullptr;
    HRESULT hr = classObject->QueryInterface(IID_IClassFactory, &rawFactory);
    ComOwner<IClassFactory> factory(static_cast<IClassFactory*>(rawFactory));
    classObject.reset();
    if (FAILED(hr)) return hr;
    if (!factory) return E_NOINTERFACE;
    // The factory's answer is the caller's answer: a service that refuses to
    // start says so here.
    return factory->CreateInstance(nullptr, riid, ppv);
}
