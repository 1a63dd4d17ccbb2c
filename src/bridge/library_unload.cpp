// The library leaving the process. Once a connection has been opened the
// library is pinned, so it leaves only with the process; then nothing may
// wait (Windows holds the loader lock, and the service's notification
// threads or a Java thread inside onNotify may never return), so the
// connection is only given up, not closed.
#include "bridge/connection.h"
#include "platform/com_types.h"

#if defined(_WIN32)

void vdsKeepLibraryLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&vdsKeepLibraryLoaded), &self);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) vdsAbandonConnection();
    return TRUE;
}

#else

#include <dlfcn.h>

void vdsKeepLibraryLoaded() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&vdsKeepLibraryLoaded), &info) == 0 || info.dli_fname == nullptr)
        return;
    // Taking a reference with RTLD_NODELETE makes every later dlclose keep it mapped.
    dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

__attribute__((destructor)) static void tolvaneUnload() { vdsAbandonConnection(); }

#endif
