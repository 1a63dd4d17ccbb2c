// GetModuleHandleA / GetProcAddress over the dynamic loader, so that code
// which looks functions up at run time is the same on both platforms.
//
// Only the modules that the library asks for are known: "kernel32.dll" is
// this stand-in library itself, "jvm.dll" is the JVM already loaded in the
// process. Like GetModuleHandle, neither lookup loads anything nor keeps a
// reference.

#include <dlfcn.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/com_types.h"
#include "win32_error.h"

namespace {

using tolvane::compat::failWith;

// Any object defined in this library locates it for dladdr.
const char kSelfAnchor = 0;

void* alreadyLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    // The library stays loaded through its other references; drop ours.
    if (handle != nullptr) dlclose(handle);
    return handle;
}

void* openSelf() {
    Dl_info info{};
    if (dladdr(&kSelfAnchor, &info) == 0 || info.dli_fname == nullptr) return nullptr;
    return alreadyLoaded(info.dli_fname);
}

void* openJvm() { return alreadyLoaded("libjvm.so"); }

struct KnownModule {
    std::string_view name;
    void* (*open)();
};

constexpr KnownModule kKnownModules[] = {
    {"kernel32", openSelf},
    {"jvm", openJvm},
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Windows supplies ".dll" when the name has no extension.
std::string_view withoutDllExtension(std::string_view name) {
    constexpr std::string_view extension = ".dll";
    if (name.size() > extension.size() &&
        equalsIgnoringCase(name.substr(name.size() - extension.size()), extension))
        name.remove_suffix(extension.size());
    return name;
}

}  // namespace

extern "C" HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    // Null names the main program, whose handle searches the whole process.
    if (lpModuleName == nullptr) return alreadyLoaded(nullptr);
    const std::string_view wanted = withoutDllExtension(lpModuleName);
    for (const KnownModule& module : kKnownModules) {
        if (!equalsIgnoringCase(wanted, module.name)) continue;
        if (void* handle = module.open()) return handle;
        break;
    }
    return failWith(ERROR_MOD_NOT_FOUND, static_cast<HMODULE>(nullptr));
}

extern "C" FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (hModule == nullptr) return failWith(ERROR_INVALID_HANDLE, static_cast<FARPROC>(nullptr));
    // Values below 64K are export ordinals, which shared objects do not have.
    if (reinterpret_cast<std::uintptr_t>(lpProcName) < 0x10000)
        return failWith(ERROR_PROC_NOT_FOUND, static_cast<FARPROC>(nullptr));
    void* symbol = dlsym(hModule, lpProcName);
    if (symbol == nullptr) return failWith(ERROR_PROC_NOT_FOUND, static_cast<FARPROC>(nullptr));
    FARPROC function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}
