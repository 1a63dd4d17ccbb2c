#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "counted_class_object.h"
#include "platform/com_types.h"

namespace {

using tolvane::test::CountedClassObject;
using tolvane::test::testClsid;

// Keeps the test thread in the multithreaded apartment.
class ComClassRegistry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
    void TearDown() override { CoUninitialize(); }

    static DWORD registerObject(const CLSID& clsid, CountedClassObject& object, DWORD context,
                                DWORD flags = REGCLS_MULTIPLEUSE) {
        DWORD cookie = 0;
        EXPECT_EQ(CoRegisterClassObject(clsid, &object, context, flags, &cookie), S_OK);
        EXPECT_NE(cookie, 0u);
        return cookie;
    }

    // Creates an instance and gives its reference straight back.
    static HRESULT createAndRelease(const CLSID& clsid, DWORD context) {
        void* instance = nullptr;
        HRESULT hr = CoCreateInstance(clsid, nullptr, context, IID_IUnknown, &instance);
        if (SUCCEEDED(hr)) {
            static_cast<IUnknown*>(instance)->Release();
        } else {
            EXPECT_EQ(instance, nullptr);
        }
        return hr;
    }
};

TEST_F(ComClassRegistry, FindsAClassOnlyInAContextThatSharesAFlag) {
    struct ContextCase {
        DWORD registered;
        DWORD requested;
        HRESULT expected;
    };
    const ContextCase cases[] = {
        {CLSCTX_LOCAL_SERVER, CLSCTX_SERVER, S_OK},
        {CLSCTX_LOCAL_SERVER, CLSCTX_LOCAL_SERVER, S_OK},
        {CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {CLSCTX_INPROC_SERVER, CLSCTX_SERVER, S_OK},
        {CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, CLSCTX_LOCAL_SERVER, S_OK},
        {CLSCTX_REMOTE_SERVER, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, REGDB_E_CLASSNOTREG},
        {CLSCTX_INPROC_HANDLER, CLSCTX_SERVER, REGDB_E_CLASSNOTREG},
    };
    std::uint32_t n = 0;
    for (const ContextCase& c : cases) {
        CountedClassObject object;
        const CLSID clsid = testClsid(++n);
        DWORD cookie = registerObject(clsid, object, c.registered);
        EXPECT_EQ(createAndRelease(clsid, c.requested), c.expected)
            << "registered 0x" << std::hex << c.registered << ", requested 0x" << c.requested;
        EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
        EXPECT_EQ(object.references(), 0u);
    }
}

TEST_F(ComClassRegistry, HoldsOneReferenceFromRegistrationToRevocation) {
    CountedClassObject object;
    const CLSID clsid = testClsid(100);
    DWORD cookie = registerObject(clsid, object, CLSCTX_LOCAL_SERVER);
    EXPECT_EQ(object.references(), 1u);

    void* instance = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, &instance), S_OK);
    EXPECT_EQ(object.references(), 2u) << "only the caller's instance is added";
    static_cast<IUnknown*>(instance)->Release();

    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(object.references(), 0u);
    EXPECT_EQ(CoRevokeClassObject(cookie), CO_E_OBJNOTREG);
    EXPECT_EQ(createAndRelease(clsid, CLSCTX_SERVER), REGDB_E_CLASSNOTREG);
}

TEST_F(ComClassRegistry, RefusedCreationsLeaveNoReference) {
    struct RefusalCase {
        const char* name;
        HRESULT factoryResult;
        bool isFactory;
        bool withOuter;
        HRESULT expected;
    };
    const RefusalCase cases[] = {
        {"service refuses to start", E_ACCESSDENIED, true, false, E_ACCESSDENIED},
        {"factory failure passed through", MAKE_HRESULT_CONST(0x80042401u), true, false,
         MAKE_HRESULT_CONST(0x80042401u)},
        {"aggregation", S_OK, true, true, CLASS_E_NOAGGREGATION},
        {"class object without IClassFactory", S_OK, false, false, E_NOINTERFACE},
    };
    std::uint32_t n = 200;
    for (const RefusalCase& c : cases) {
        CountedClassObject object(c.factoryResult, c.isFactory);
        const CLSID clsid = testClsid(++n);
        DWORD cookie = registerObject(clsid, object, CLSCTX_LOCAL_SERVER);
        CountedClassObject outer;
        void* instance = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(CoCreateInstance(clsid, c.withOuter ? &outer : nullptr, CLSCTX_SERVER,
                                   IID_IUnknown, &instance),
                  c.expected)
            << c.name;
        EXPECT_EQ(instance, nullptr) << c.name;
        EXPECT_EQ(object.references(), 1u) << c.name;
        EXPECT_EQ(outer.references(), 0u) << c.name;
        EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    }
}

// As in the real runtime: a thread that never entered COM may create while
// another thread keeps the multithreaded apartment alive (the implicit
// apartment), and is refused once none does.
TEST_F(ComClassRegistry, CreatingNeedsAnApartmentForTheCaller) {
    CountedClassObject object;
    const CLSID clsid = testClsid(300);
    DWORD cookie = registerObject(clsid, object, CLSCTX_LOCAL_SERVER);
    auto fromThreadOutsideCom = [&] {
        HRESULT hr = E_FAIL;
        std::thread([&] {
            void* instance = nullptr;
            hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, &instance);
            EXPECT_EQ(instance != nullptr, SUCCEEDED(hr));
            if (instance != nullptr) static_cast<IUnknown*>(instance)->Release();
        }).join();
        return hr;
    };
    EXPECT_EQ(fromThreadOutsideCom(), S_OK) << "this thread keeps the apartment alive";
    CoUninitialize();
    EXPECT_EQ(fromThreadOutsideCom(), CO_E_NOTINITIALIZED);
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_EQ(createAndRelease(clsid, CLSCTX_SERVER), S_OK);
        CoUninitialize();
    }).join();
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(object.instancesRequested(), 2);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
}

TEST_F(ComClassRegistry, NewestRegistrationWinsAndSingleUseServesOnce) {
    CountedClassObject older;
    CountedClassObject newer;
    const CLSID clsid = testClsid(400);
    DWORD olderCookie = registerObject(clsid, older, CLSCTX_LOCAL_SERVER);
    DWORD newerCookie = registerObject(clsid, newer, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE);
    EXPECT_NE(olderCookie, newerCookie);

    EXPECT_EQ(createAndRelease(clsid, CLSCTX_SERVER), S_OK);
    EXPECT_EQ(createAndRelease(clsid, CLSCTX_SERVER), S_OK);
    EXPECT_EQ(newer.instancesRequested(), 1);
    EXPECT_EQ(older.instancesRequested(), 1);

    EXPECT_EQ(CoRevokeClassObject(newerCookie), S_OK);
    EXPECT_EQ(CoRevokeClassObject(olderCookie), S_OK);
    EXPECT_EQ(newer.references(), 0u);
    EXPECT_EQ(older.references(), 0u);
}

TEST_F(ComClassRegistry, RefusesBadArguments) {
    CountedClassObject object;
    DWORD cookie = 0;
    EXPECT_EQ(CoRegisterClassObject(testClsid(500), nullptr, CLSCTX_LOCAL_SERVER,
                                    REGCLS_MULTIPLEUSE, &cookie),
              E_INVALIDARG);
    EXPECT_EQ(CoRegisterClassObject(testClsid(500), &object, CLSCTX_LOCAL_SERVER,
                                    REGCLS_MULTIPLEUSE, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(testClsid(500), nullptr, CLSCTX_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
    EXPECT_EQ(CoRevokeClassObject(0), CO_E_OBJNOTREG);
    EXPECT_EQ(object.references(), 0u);
}

TEST_F(ComClassRegistry, StaysConsistentUnderConcurrentUse) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    CountedClassObject shared;
    const CLSID sharedClsid = testClsid(600);
    DWORD sharedCookie = registerObject(sharedClsid, shared, CLSCTX_LOCAL_SERVER);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            if (CoInitializeEx(nullptr, COINIT_MULTITHREADED) != S_OK) ++failures;
            CountedClassObject own;
            const CLSID ownClsid = testClsid(700 + static_cast<std::uint32_t>(t));
            for (int i = 0; i < kRounds; ++i) {
                DWORD cookie = 0;
                if (CoRegisterClassObject(ownClsid, &own, CLSCTX_LOCAL_SERVER,
                                          REGCLS_MULTIPLEUSE, &cookie) != S_OK)
                    ++failures;
                void* instance = nullptr;
                for (const CLSID& clsid : {ownClsid, sharedClsid}) {
                    if (CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                         &instance) != S_OK)
                        ++failures;
                    else
                        static_cast<IUnknown*>(instance)->Release();
                }
                if (CoRevokeClassObject(cookie) != S_OK) ++failures;
            }
            if (own.references() != 0) ++failures;
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(shared.instancesRequested(), kThreads * kRounds);
    EXPECT_EQ(CoRevokeClassObject(sharedCookie), S_OK);
    EXPECT_EQ(shared.references(), 0u);
}

TEST(ComTaskMemory, AllocatesDistinctBlocksAndFreesNull) {
    void* empty = CoTaskMemAlloc(0);
    void* block = CoTaskMemAlloc(64);
    ASSERT_NE(empty, nullptr);
    ASSERT_NE(block, nullptr);
    EXPECT_NE(empty, block);
    CoTaskMemFree(block);
    CoTaskMemFree(empty);
    CoTaskMemFree(nullptr);
}

}  // namespace
