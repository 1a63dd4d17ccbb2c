// The simulated service's notification delivery and start-up as strict as
// the real service's: what Unadvise waits for, how long sinks stay advised,
// batches on two threads, calls held while the service starts, and calls from
// threads outside COM.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "sim_session.h"
#include "wide_text.h"

using namespace simtest;
using namespace std::chrono_literals;

namespace {

// Counts batches; holds each one (up to a deadline) until released, and
// notes how many were inside OnNotify at once.
class HoldingSink final : public CountedTestSink {
public:
    HRESULT STDMETHODCALLTYPE OnNotify(LONG, const VDS_NOTIFICATION*) override {
        std::unique_lock lock(mutex);
        ++inside;
        if (inside > mostInside) mostInside = inside;
        changed.notify_all();
        changed.wait_for(lock, 5s, [this] { return !holding || (wantOverlap && mostInside > 1); });
        --inside;
        ++delivered;
        changed.notify_all();
        return S_OK;
    }
    void release() {
        std::lock_guard lock(mutex);
        holding = false;
        changed.notify_all();
    }
    void waitInside() {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, 5s, [this] { return inside > 0; });
    }
    int deliveredNow() {
        std::lock_guard lock(mutex);
        return delivered;
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool holding = true;
    bool wantOverlap = false;
    int inside = 0;
    int mostInside = 0;
    int delivered = 0;
};

void fire(int batches) {
    VDS_NOTIFICATION record{};
    for (int i = 0; i < batches; ++i) VdsSimFireNotifications(&record, 1);
}

ComPtr<IVdsService> newService() {
    ComPtr<IVdsService> s;
    EXPECT_EQ(CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, s.putVoid()), S_OK);
    ComPtr<IVdsServiceInitialization> init;
    EXPECT_EQ(s.queryInterface(IID_IVdsServiceInitialization, init), S_OK);
    EXPECT_EQ(init->Initialize(wideText(u"HOST")), S_OK);
    return s;
}

using NotifierStrictness = SimSession;

TEST_F(NotifierStrictness, UnadviseDeliversWhatWasPostedAndWaitsForTheDeliveryToEnd) {
    HoldingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(service->Advise(&sink, &cookie), S_OK);
    fire(3);
    sink.waitInside();
    auto unadvised = std::async(std::launch::async, [&] { return service->Unadvise(cookie); });
    EXPECT_EQ(unadvised.wait_for(100ms), std::future_status::timeout)
        << "Unadvise returned while its sink was still being called";
    EXPECT_EQ(VdsSimAdvisedSinks(), 0) << "no batch posted from now on is meant for the sink";
    sink.release();
    EXPECT_EQ(unadvised.get(), S_OK);
    EXPECT_EQ(sink.deliveredNow(), 3) << "batches posted before Unadvise are delivered, not dropped";
    fire(1);
    VdsSimWaitNotificationsDelivered();
    EXPECT_EQ(sink.deliveredNow(), 3);
    EXPECT_EQ(sink.refs, 1u);
}

TEST_F(NotifierStrictness, ASinkStaysAdvisedWhenTheServiceObjectItCameThroughGoes) {
    HoldingSink sink;
    sink.release();
    DWORD cookie = 0;
    {
        ComPtr<IVdsService> other = newService();
        ASSERT_EQ(other->Advise(&sink, &cookie), S_OK);
    }
    EXPECT_EQ(VdsSimAdvisedSinks(), 1);
    fire(1);
    VdsSimWaitNotificationsDelivered();
    EXPECT_EQ(sink.deliveredNow(), 1);
    EXPECT_EQ(service->Unadvise(cookie), S_OK);
    EXPECT_EQ(VdsSimAdvisedSinks(), 0);
    EXPECT_EQ(sink.refs, 1u);
}

TEST_F(NotifierStrictness, TwoDeliveryThreadsCallOneSinkAtOnce) {
    VdsSimSetDeliveryThreads(2);
    HoldingSink sink;
    sink.wantOverlap = true;
    DWORD cookie = 0;
    ASSERT_EQ(service->Advise(&sink, &cookie), S_OK);
    fire(2);
    VdsSimWaitNotificationsDelivered();
    sink.release();
    EXPECT_EQ(service->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.deliveredNow(), 2);
    EXPECT_EQ(sink.mostInside, 2);
    VdsSimSetDeliveryThreads(1);
}

TEST_F(NotifierStrictness, UnadviseOnTheDeliveringThreadStopsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            struct SelfUnadvising final : IVdsAdviseSink {
                IVdsService* service = nullptr;
                DWORD cookie = 0;
                HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
                ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
                ULONG STDMETHODCALLTYPE Release() override { return 1; }
                HRESULT STDMETHODCALLTYPE OnNotify(LONG, const VDS_NOTIFICATION*) override {
                    return service->Unadvise(cookie);
                }
            } sink;
            sink.service = service.get();
            service->Advise(&sink, &sink.cookie);
            fire(1);
            VdsSimWaitNotificationsDelivered();
        },
        "Unadvise called on a notification thread");
}

// The calls that the real service holds until it has started.
TEST_F(NotifierStrictness, CallsHeldWhileTheServiceStarts) {
    HoldingSink sink;
    sink.release();
    DWORD advised = 0;
    ASSERT_EQ(service->Advise(&sink, &advised), S_OK);
    struct Case {
        const char* name;
        std::function<HRESULT(IVdsService&)> call;
    };
    const Case cases[] = {
        {"Advise",
         [&](IVdsService& s) {
             DWORD cookie = 0;
             HRESULT hr = s.Advise(&sink, &cookie);
             if (hr == S_OK) s.Unadvise(cookie);
             return hr;
         }},
        {"QueryProviders",
         [](IVdsService& s) {
             ComPtr<IEnumVdsObject> e;
             return s.QueryProviders(VDS_QUERY_HARDWARE_PROVIDERS, e.put());
         }},
        {"GetObject",
         [](IVdsService& s) {
             ComPtr<IUnknown> unk;
             return s.GetObject(id(kSubSystem), VDS_OT_SUB_SYSTEM, unk.put());
         }},
        {"Unadvise", [&](IVdsService& s) { return s.Unadvise(advised); }},
    };
    for (const Case& c : cases) {
        VdsSimSetStartingPhase(-1);
        auto call = std::async(std::launch::async, [&] { return c.call(*service.get()); });
        EXPECT_EQ(call.wait_for(100ms), std::future_status::timeout) << c.name << " did not wait";
        VdsSimFinishStarting();
        EXPECT_EQ(call.get(), S_OK) << c.name;
    }
    EXPECT_EQ(VdsSimAdvisedSinks(), 0);
}

TEST_F(NotifierStrictness, AThreadOutsideComIsServedOnlyWhileTheApartmentLives) {
    auto fromNewThread = [&] {
        HRESULT hr = E_FAIL;
        std::thread([&] { hr = service->IsServiceReady(); }).join();
        return hr;
    };
    EXPECT_EQ(fromNewThread(), S_OK) << "this thread keeps the apartment alive";
#if defined(_WIN32)
    GTEST_SKIP() << "the lane's main thread keeps the apartment alive for the service's registration";
#endif
    CoUninitialize();
    EXPECT_EQ(fromNewThread(), CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
}

}  // namespace
