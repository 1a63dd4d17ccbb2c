// Explicit registration of the service's class object with the real COM
// runtime. Off Windows the library registers itself when it loads; on
// Windows that would happen under the loader lock, where COM's RPC thread
// waits for the same lock and LoadLibrary never returns.
#if defined(_WIN32)

#include <mutex>

#include "core/sim_core.h"
#include "vds_sim.h"

namespace tolvane::sim {

IClassFactory* serviceClassFactory();

namespace {

struct Registration {
    std::mutex mutex;
    DWORD cookie = 0;
    // The service's threads cannot be started again once stopped.
    bool retired = false;
};

Registration& registration() {
    static Registration* r = new Registration;  // outlives every caller
    return *r;
}

}  // namespace
}  // namespace tolvane::sim

using tolvane::sim::registration;

extern "C" {

VDS_SIM_API HRESULT VdsSimRegister(void) {
    auto& r = registration();
    std::lock_guard lock(r.mutex);
    if (r.retired) return CO_E_OBJNOTREG;
    if (r.cookie != 0) return S_FALSE;
    tolvane::sim::Core::instance();
    return CoRegisterClassObject(CLSID_VdsService, tolvane::sim::serviceClassFactory(), CLSCTX_LOCAL_SERVER,
                                 REGCLS_MULTIPLEUSE, &r.cookie);
}

VDS_SIM_API HRESULT VdsSimRevoke(void) {
    auto& r = registration();
    std::lock_guard lock(r.mutex);
    if (r.cookie == 0) return CO_E_OBJNOTREG;
    HRESULT hr = CoRevokeClassObject(r.cookie);
    r.cookie = 0;
    r.retired = true;
    tolvane::sim::Core::instance().shutdown();
    return hr;
}

}  // extern "C"

#endif  // _WIN32
