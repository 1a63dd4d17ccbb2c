#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/com_types.h"

namespace {

template <typename Function>
FARPROC asFarProc(Function* function) {
    return reinterpret_cast<FARPROC>(function);
}

TEST(ModuleLookup, Kernel32IsTheStandInLibraryUnderAnySpelling) {
    for (const char* name : {"kernel32.dll", "KERNEL32.DLL", "Kernel32.Dll", "kernel32"}) {
        HMODULE module = GetModuleHandleA(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_EQ(GetProcAddress(module, "GetDiskFreeSpaceExA"), asFarProc(&GetDiskFreeSpaceExA))
            << name;
        EXPECT_EQ(GetProcAddress(module, "GetDiskFreeSpaceA"), asFarProc(&GetDiskFreeSpaceA))
            << name;
    }
}

TEST(ModuleLookup, UnknownModulesAndFunctionsAreNotFound) {
    struct MissingCase {
        const char* name;
        DWORD error;
    };
    const MissingCase cases[] = {
        {"user32.dll", ERROR_MOD_NOT_FOUND},
        {"kernel32.dll.dll", ERROR_MOD_NOT_FOUND},
        {"", ERROR_MOD_NOT_FOUND},
    };
    for (const MissingCase& c : cases) {
        SetLastError(0);
        EXPECT_EQ(GetModuleHandleA(c.name), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }

    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(kernel32, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(kernel32, "NoSuchFunctionAnywhere"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(kernel32, reinterpret_cast<LPCSTR>(std::uintptr_t{7})), nullptr)
        << "ordinals do not exist here";
    EXPECT_EQ(GetProcAddress(nullptr, "GetDiskFreeSpaceExA"), nullptr);
}

TEST(ModuleLookup, JvmIsOnlyFoundWhenAlreadyLoaded) {
    if (dlopen("libjvm.so", RTLD_NOW | RTLD_NOLOAD) != nullptr)
        GTEST_SKIP() << "a JVM is loaded in this test process";
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("jvm.dll"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(dlopen("libjvm.so", RTLD_NOW | RTLD_NOLOAD), nullptr) << "the lookup loaded it";
}

}  // namespace
