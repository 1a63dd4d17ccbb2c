// Reaching the service through COM, initialisation and readiness.
#include <chrono>
#include <future>
#include <thread>

#include "sim_session.h"

using namespace simtest;

namespace {

class ComThread : public ::testing::Test {
protected:
    void SetUp() override {
        VdsSimLoadDefault();
        VdsSimSetStartingPhase(0);
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0);
    }
    void TearDown() override {
        VdsSimSetStartingPhase(0);
        EXPECT_EQ(VdsSimServiceReferences(), 0);
        EXPECT_EQ(VdsSimLiveReferences(), 0);
        CoUninitialize();
    }
    ComPtr<IVdsService> create() {
        ComPtr<IVdsService> s;
        EXPECT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, s.putVoid()), S_OK);
        return s;
    }
    static void initialize(IVdsService* s) {
        ComPtr<IVdsServiceInitialization> init;
        ASSERT_EQ(s->QueryInterface(IID_IVdsServiceInitialization, init.putVoid()), S_OK);
        ASSERT_EQ(init->Initialize(wideText(u"HOST")), S_OK);
    }
};

TEST_F(ComThread, CreateInstanceReachesTheServiceThroughCom) {
    auto s = create();
    ASSERT_TRUE(s);
    EXPECT_EQ(VdsSimServiceReferences(), 1);
    ComPtr<IUnknown> unk;
    EXPECT_EQ(s->QueryInterface(IID_IUnknown, unk.putVoid()), S_OK);
    EXPECT_EQ(VdsSimServiceReferences(), 2);
}

TEST_F(ComThread, EveryServiceCallBeforeInitializeIsRefused) {
    auto s = create();
    ComPtr<IEnumVdsObject> e;
    ComPtr<IUnknown> unk;
    EXPECT_EQ(s->IsServiceReady(), VDS_E_INITIALIZE_NOT_CALLED);
    EXPECT_EQ(s->WaitForServiceReady(), VDS_E_INITIALIZE_NOT_CALLED);
    EXPECT_EQ(s->QueryProviders(VDS_QUERY_HARDWARE_PROVIDERS, e.put()), VDS_E_INITIALIZE_NOT_CALLED);
    EXPECT_FALSE(e);
    EXPECT_EQ(s->GetObject(id(kSubSystem), VDS_OT_SUB_SYSTEM, unk.put()), VDS_E_INITIALIZE_NOT_CALLED);
    EXPECT_FALSE(unk);
    initialize(s.get());
    EXPECT_EQ(s->IsServiceReady(), S_OK);
}

TEST_F(ComThread, StartingPhaseAnswersSFalseUntilItsTimeHasPassed) {
    VdsSimSetStartingPhase(150);
    auto s = create();
    initialize(s.get());
    EXPECT_EQ(s->IsServiceReady(), S_FALSE);
    EXPECT_TRUE(FAILED(s->Reenumerate()));
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(s->WaitForServiceReady(), S_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
    EXPECT_EQ(s->IsServiceReady(), S_OK);
}

TEST_F(ComThread, NegativeStartingPhaseWaitsForFinishStarting) {
    VdsSimSetStartingPhase(-1);
    auto s = create();
    initialize(s.get());
    auto waiting = std::async(std::launch::async, [&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        HRESULT hr = s->WaitForServiceReady();
        CoUninitialize();
        return hr;
    });
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    EXPECT_EQ(s->IsServiceReady(), S_FALSE);
    VdsSimFinishStarting();
    EXPECT_EQ(waiting.get(), S_OK);
    EXPECT_EQ(s->IsServiceReady(), S_OK);
}

// A thread that never entered COM belongs to the process's implicit
// multithreaded apartment while another thread (here the test's own) keeps
// that apartment alive, as on Windows, so it reaches the service.
TEST_F(ComThread, ThreadOutsideComJoinsTheImplicitApartment) {
    std::thread([] {
        ComPtr<IVdsService> s;
        EXPECT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, s.putVoid()), S_OK);
        EXPECT_TRUE(s);
    }).join();
}

// With no multithreaded apartment in the process, such a thread is refused.
TEST(ComThreadWithoutApartment, CreateInstanceIsRefused) {
#if defined(_WIN32)
    GTEST_SKIP() << "the lane's main thread keeps the multithreaded apartment for the service's registration";
#endif
    VdsSimLoadDefault();
    std::thread([] {
        IVdsService* s = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService,
                                   reinterpret_cast<void**>(&s)),
                  CO_E_NOTINITIALIZED);
        EXPECT_EQ(s, nullptr);
    }).join();
}

}  // namespace
