#include "notify/jvm_lookup.h"

#include "platform/com_types.h"

JavaVM* vdsFindJavaVM() {
    using GetCreatedJavaVMs = jint(JNICALL*)(JavaVM**, jsize, jsize*);
    HMODULE jvm = GetModuleHandleA("jvm.dll");
    if (jvm == nullptr) return nullptr;
    auto lookup = reinterpret_cast<GetCreatedJavaVMs>(
        reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_GetCreatedJavaVMs")));
    if (lookup == nullptr) return nullptr;
    JavaVM* vm = nullptr;
    jsize found = 0;
    if (lookup(&vm, 1, &found) != JNI_OK || found < 1) return nullptr;
    return vm;
}
