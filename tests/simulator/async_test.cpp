// IVdsAsync as the real service's: progress while pending, Cancel where it is
// honoured, and no Wait left hanging when the service stops.
#include <chrono>
#include <future>
#include <thread>

#include "sim_session.h"

using namespace simtest;

namespace {

using Clock = std::chrono::steady_clock;
constexpr HRESULT kDisconnected = static_cast<HRESULT>(0x80010108u);  // RPC_E_DISCONNECTED

ComPtr<IVdsAsync> testOperation(int milliseconds, HRESULT result) {
    IVdsAsync* raw = nullptr;
    EXPECT_EQ(VdsSimStartTestOperation(milliseconds, result, reinterpret_cast<void**>(&raw)), S_OK);
    return ComPtr<IVdsAsync>(raw);
}

using AsyncStatus = SimSession;

TEST_F(AsyncStatus, ReportsPendingWithRisingProgressThenAHundred) {
    auto op = testOperation(400, S_OK);
    HRESULT status = S_OK;
    ULONG percent = 0;
    ULONG last = 0;
    bool sawPending = false;
    for (;;) {
        ASSERT_EQ(op->QueryStatus(&status, &percent), S_OK);
        if (status != VDS_E_OPERATION_PENDING) break;
        sawPending = true;
        EXPECT_LT(percent, 100u);
        EXPECT_GE(percent, last) << "progress only rises";
        last = percent;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(sawPending);
    EXPECT_EQ(status, S_OK);
    EXPECT_EQ(percent, 100u);
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT out{};
    EXPECT_EQ(op->Wait(&result, &out), S_OK);
    EXPECT_EQ(result, S_OK);
}

TEST_F(AsyncStatus, CancelEndsTheOperationAndIsNotRepeated) {
    auto op = testOperation(5000, S_OK);
    const auto start = Clock::now();
    EXPECT_EQ(op->Cancel(), S_OK);
    HRESULT result = S_OK;
    VDS_ASYNC_OUTPUT out{};
    ASSERT_EQ(op->Wait(&result, &out), S_OK);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1)) << "a cancelled Wait returns at once";
    EXPECT_EQ(result, VDS_E_OPERATION_CANCELED);
    HRESULT status = S_OK;
    ULONG percent = 100;
    ASSERT_EQ(op->QueryStatus(&status, &percent), S_OK);
    EXPECT_EQ(status, VDS_E_OPERATION_CANCELED);
    EXPECT_EQ(percent, 0u);
    EXPECT_EQ(op->Cancel(), VDS_E_OPERATION_CANCELED);
}

TEST_F(AsyncStatus, CancelAfterTheEndIsTooLate) {
    auto op = testOperation(0, S_OK);
    HRESULT result = E_FAIL;
    VDS_ASYNC_OUTPUT out{};
    ASSERT_EQ(op->Wait(&result, &out), S_OK);
    EXPECT_EQ(op->Cancel(), VDS_E_CANCEL_TOO_LATE);
    ASSERT_EQ(op->Wait(&result, &out), S_OK);
    EXPECT_EQ(result, S_OK);
}

// The scenarios below end the service, so each runs in a process of its own.
class ServiceEnd : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Exits 0 when `scenario` returns true.
#define EXPECT_IN_OWN_PROCESS(scenario) EXPECT_EXIT(std::exit((scenario)() ? 0 : 1), ::testing::ExitedWithCode(0), "")

bool waitEndsWithin(IVdsAsync* op, std::chrono::milliseconds limit, HRESULT expectedWait) {
    auto waited = std::async(std::launch::async, [op] {
        HRESULT result = S_OK;
        VDS_ASYNC_OUTPUT out{};
        return op->Wait(&result, &out);
    });
    if (waited.wait_for(limit) != std::future_status::ready) {
        std::fprintf(stderr, "Wait still blocked\n");
        std::_Exit(2);  // the blocked thread would hold the process
    }
    return waited.get() == expectedWait;
}

// True once the operation reports progress: the worker has taken it up. A
// fixed pause is not enough on a loaded machine or under Wine.
bool hasStarted(IVdsAsync* op, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    for (;;) {
        HRESULT status = S_OK;
        ULONG percent = 0;
        if (op->QueryStatus(&status, &percent) != S_OK) return false;
        if (percent > 0) return true;
        if (Clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST_F(ServiceEnd, WaitOnWorkHandedOverAtShutdownReturnsAnError) {
    EXPECT_IN_OWN_PROCESS([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        auto running = testOperation(300, S_OK);
        auto queued = testOperation(300, S_OK);
        if (!hasStarted(running.get(), std::chrono::seconds(5))) return false;
        std::thread stopper([] { VdsSimStopService(); });
        bool ok = waitEndsWithin(queued.get(), std::chrono::seconds(1), kDisconnected);
        stopper.join();
        // The running one was let finish; work handed over afterwards ends at once.
        ok = ok && waitEndsWithin(running.get(), std::chrono::seconds(1), S_OK);
        auto late = testOperation(300, S_OK);
        ok = ok && waitEndsWithin(late.get(), std::chrono::seconds(1), kDisconnected);
        HRESULT status = S_OK;
        ULONG percent = 0;
        ok = ok && late->QueryStatus(&status, &percent) == kDisconnected;
        return ok;
    });
}

TEST_F(ServiceEnd, JournalIsOffUntilTurnedOn) {
    EXPECT_IN_OWN_PROCESS([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ComPtr<IVdsService> service;
        CoCreateInstance(CLSID_VdsService, nullptr, CLSCTX_SERVER, IID_IVdsService, service.putVoid());
        ComPtr<IEnumVdsObject> e;
        service->QueryProviders(VDS_QUERY_HARDWARE_PROVIDERS, e.put());
        const bool offAtFirst = VdsSimJournalSize() == 0;
        VdsSimJournalEnable(1);
        service->QueryProviders(VDS_QUERY_HARDWARE_PROVIDERS, e.put());
        return offAtFirst && VdsSimJournalSize() == 1;
    });
}

}  // namespace
