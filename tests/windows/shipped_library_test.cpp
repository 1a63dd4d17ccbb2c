// Tolvane.dll as the JVM gets it: loaded by name, its entry points found by
// GetProcAddress, and connected through Wine's COM runtime to the simulated
// service that this program registered.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/com_types.h"
#include "vds_sim.h"

namespace {

using InitializeFn = int (*)();
using UninitializeFn = void (*)();
using CmdHandlerFn = unsigned char* (*)(unsigned char*, int, int*);
using FreeOutputFn = void (*)(unsigned char*);

class ShippedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        VdsSimLoadDefault();
        VdsSimSetStartingPhase(0);
        dll_ = LoadLibraryA("Tolvane.dll");
        ASSERT_NE(dll_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        if (dll_ != nullptr) FreeLibrary(dll_);
        EXPECT_EQ(VdsSimLiveReferences(), 0);
        EXPECT_EQ(VdsSimServiceReferences(), 0);
    }
    template <typename Fn>
    Fn entry(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
    }
    HMODULE dll_ = nullptr;
};

// The 32-bit JVM looks a native up as _Name@N first and then as the plain
// name; the plain name is the one a --kill-at build exports.
TEST_F(ShippedLibrary, ExportsEveryEntryPointUnderItsPlainName) {
    for (const char* name : {"Java_Ardelune_Tolvane_Initialize", "Java_Ardelune_Tolvane_Uninitialize",
                             "Java_Ardelune_Tolvane_CmdHandler", "vdsInitialize", "vdsUninitialize", "vdsTest",
                             "vdsCmdHandler", "vdsFreeOutput", "getGUID", "compareGUID", "printMemory",
                             "g_guidMsHwProviderSample", "g_guidMsSwProviderSample", "g_guidADN",
                             "g_guidTstHwPrvProviderVersion"}) {
        EXPECT_NE(GetProcAddress(dll_, name), nullptr) << name;
    }
    EXPECT_EQ(GetProcAddress(dll_, "_Java_Ardelune_Tolvane_Initialize@8"), nullptr);
}

TEST_F(ShippedLibrary, ConnectsAndAnswersACommandThroughRealCom) {
    auto initialize = entry<InitializeFn>("vdsInitialize");
    auto uninitialize = entry<UninitializeFn>("vdsUninitialize");
    auto cmdHandler = entry<CmdHandlerFn>("vdsCmdHandler");
    auto freeOutput = entry<FreeOutputFn>("vdsFreeOutput");
    ASSERT_TRUE(initialize && uninitialize && cmdHandler && freeOutput);

    ASSERT_EQ(initialize(), 0);
    EXPECT_EQ(VdsSimAdvisedSinks(), 1);
    unsigned char request[4] = {0, 0, 0x00, 0x04};  // 0x0400: the software providers
    int outSize = -1;
    unsigned char* reply = cmdHandler(request, sizeof request, &outSize);
    ASSERT_NE(reply, nullptr);
    ASSERT_GE(outSize, 14);
    std::int32_t status = 0;
    std::int16_t count = 0;
    std::memcpy(&status, reply + 4, sizeof status);
    std::memcpy(&count, reply + 12, sizeof count);
    EXPECT_EQ(status, 0);
    EXPECT_GT(count, 0);
    freeOutput(reply);
    uninitialize();
    EXPECT_EQ(VdsSimAdvisedSinks(), 0);
}

}  // namespace
