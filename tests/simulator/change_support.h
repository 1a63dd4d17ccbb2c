// What the change tests share: a sink that keeps each notification as its
// event and object, and a session that listens through it.
#pragma once

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <utility>
#include <vector>

#include "notice.h"
#include "sim_session.h"

namespace simtest {

class NoticeSink final : public IVdsAdviseSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IVdsAdviseSink) return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnNotify(LONG count, const VDS_NOTIFICATION* records) override {
        std::lock_guard lock(mutex_);
        for (LONG i = 0; i < count; ++i) notices_.push_back(noticeOf(records[i]));
        return S_OK;
    }
    // Everything delivered so far, once the service has delivered what it queued.
    std::vector<Notice> take() {
        VdsSimWaitNotificationsDelivered();
        std::lock_guard lock(mutex_);
        return std::exchange(notices_, {});
    }

private:
    std::mutex mutex_;
    std::vector<Notice> notices_;
};

class ChangeSession : public SimSession {
protected:
    void SetUp() override {
        SimSession::SetUp();
        ASSERT_EQ(service->Advise(&sink, &cookie), S_OK);
    }
    void TearDown() override {
        service->Unadvise(cookie);
        SimSession::TearDown();
    }

    NoticeSink sink;
    DWORD cookie = 0;
};

inline constexpr const char* kFreeDrive = "40000000-0000-4000-8000-000000000006";
inline constexpr const char* kDrive2 = "40000000-0000-4000-8000-000000000002";
inline constexpr const char* kDrive3 = "40000000-0000-4000-8000-000000000003";
inline constexpr const char* kControllerB = "30000000-0000-4000-8000-000000000002";

}  // namespace simtest
