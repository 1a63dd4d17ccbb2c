// The library's change-notification sink, registered with the service once
// per connection.
#pragma once

#include <atomic>

#include "platform/vds_interfaces.h"

class CVdsAdviseSink final : public IVdsAdviseSink {
public:
    // The new sink has a reference count of 0; the creator takes its reference.
    static HRESULT Create(CVdsAdviseSink** sink);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // Forwards the batch to Java; the service is never told of a failure.
    HRESULT STDMETHODCALLTYPE OnNotify(LONG lNumberOfNotifications,
                                       const VDS_NOTIFICATION* pNotificationArray) override;

private:
    CVdsAdviseSink() = default;
    ~CVdsAdviseSink() = default;

    std::atomic<ULONG> refs_{0};
};
