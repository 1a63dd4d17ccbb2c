// Notification delivery and asynchronous operations.
#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

#include "sim_session.h"

using namespace simtest;

namespace {

class RecordingSink final : public CountedTestSink {
public:
    HRESULT STDMETHODCALLTYPE OnNotify(LONG count, const VDS_NOTIFICATION* records) override {
        std::lock_guard lock(mutex);
        threads.push_back(std::this_thread::get_id());
        batches.emplace_back(records, records + count);
        return S_OK;
    }

    std::mutex mutex;
    std::vector<std::thread::id> threads;
    std::vector<std::vector<VDS_NOTIFICATION>> batches;
};

using Notifications = SimSession;

TEST_F(Notifications, BatchesArriveWholeOnTheServiceThread) {
    RecordingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(service->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(VdsSimAdvisedSinks(), 1);
    EXPECT_EQ(sink.refs, 2u);

    VDS_NOTIFICATION records[3] = {};
    for (int i = 0; i < 3; ++i) {
        records[i].objectType = VDS_NTT_VOLUME;
        records[i].Volume.ulEvent = VDS_NF_VOLUME_MODIFY;
        records[i].Volume.volumeId = id(kVolumeC);
    }
    static_assert(sizeof(VDS_NOTIFICATION) == 48);
    VdsSimFireNotifications(records, 3);
    VdsSimFireNotifications(nullptr, 0);
    VdsSimWaitNotificationsDelivered();
    {
        std::lock_guard lock(sink.mutex);
        ASSERT_EQ(sink.batches.size(), 2u);
        EXPECT_EQ(sink.batches[0].size(), 3u);
        EXPECT_EQ(sink.batches[0][2].Volume.volumeId, id(kVolumeC));
        EXPECT_TRUE(sink.batches[1].empty());
        EXPECT_NE(sink.threads[0], std::this_thread::get_id());
    }
    EXPECT_EQ(service->Unadvise(cookie), S_OK);
    EXPECT_EQ(service->Unadvise(cookie), VDS_E_BAD_COOKIE);
    EXPECT_EQ(sink.refs, 1u);
}

TEST_F(Notifications, ReenumerateTellsSinksToRefresh) {
    RecordingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(service->Advise(&sink, &cookie), S_OK);
    ASSERT_EQ(service->Reenumerate(), S_OK);
    VdsSimWaitNotificationsDelivered();
    {
        std::lock_guard lock(sink.mutex);
        ASSERT_EQ(sink.batches.size(), 1u);
        EXPECT_EQ(sink.batches[0][0].objectType, VDS_NTT_SERVICE);
        EXPECT_EQ(sink.batches[0][0].Service.ulEvent, VDS_NF_SERVICE_OUT_OF_SYNC);
    }
    EXPECT_EQ(service->Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.refs, 1u);
    EXPECT_EQ(VdsSimAdvisedSinks(), 0);
}

using Async = SimSession;

TEST_F(Async, WaitBlocksUntilTheWorkerHasFinished) {
    IVdsAsync* raw = nullptr;
    ASSERT_EQ(VdsSimStartTestOperation(200, VDS_E_DISK_NOT_EMPTY, reinterpret_cast<void**>(&raw)), S_OK);
    ComPtr<IVdsAsync> op(raw);
    HRESULT status = S_OK;
    ULONG percent = 100;
    ASSERT_EQ(op->QueryStatus(&status, &percent), S_OK);
    EXPECT_EQ(status, VDS_E_OPERATION_PENDING);  // a failure code: pending is no success
    EXPECT_LT(percent, 100u);

    auto before = std::chrono::steady_clock::now();
    HRESULT result = S_OK;
    VDS_ASYNC_OUTPUT out{};
    ASSERT_EQ(op->Wait(&result, &out), S_OK);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(100));
    EXPECT_EQ(result, VDS_E_DISK_NOT_EMPTY);
    ASSERT_EQ(op->QueryStatus(&status, &percent), S_OK);
    EXPECT_EQ(status, VDS_E_DISK_NOT_EMPTY);
    EXPECT_EQ(percent, 0u);  // a failed task's progress falls back to 0
    EXPECT_EQ(op->Cancel(), VDS_E_CANCEL_TOO_LATE);
}

TEST_F(Async, WaitFaultReplacesTheOutcome) {
    VdsSimInjectWaitFault("VdsSim::TestOperation", VDS_E_IO_ERROR);
    IVdsAsync* raw = nullptr;
    ASSERT_EQ(VdsSimStartTestOperation(0, S_OK, reinterpret_cast<void**>(&raw)), S_OK);
    ComPtr<IVdsAsync> op(raw);
    HRESULT result = S_OK;
    VDS_ASYNC_OUTPUT out{};
    ASSERT_EQ(op->Wait(&result, &out), S_OK);
    EXPECT_EQ(result, VDS_E_IO_ERROR);
}

}  // namespace
