// Closes the connection when the library leaves the process.
#include "tolvane.h"
#include "platform/com_types.h"

#if defined(_WIN32)

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) vdsUninitialize();
    return TRUE;
}

#else

__attribute__((destructor)) static void tolvaneUnload() { vdsUninitialize(); }

#endif
