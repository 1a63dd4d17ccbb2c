// The library's change-notification sink, registered with the service once
// per connection.
#pragma once

#include <atomic>

#include "platform/vds_interfaces.h"

class CVdsAdviseSink final : public IVdsAdviseSink {
public:
    // The new sink has a reference count of 0; the creator takes its
    // reference. It delivers batches while the connection of `generation`
    // (see Deliveries::open) is open.
    static HRESULT Create(CVdsAdviseSink** sink, unsigned generation = 0);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    unsigned generation() const { return generation_; }

    // Forwards the batch to Java; the service is never told of a failure.
    HRESULT STDMETHODCALLTYPE OnNotify(LONG lNumberOfNotifications,
                                       const VDS_NOTIFICATION* pNotificationArray) override;

private:
    explicit CVdsAdviseSink(unsigned generation) : generation_(generation) {}
    ~CVdsAdviseSink() = default;

    const unsigned generation_;
    std::atomic<ULONG> refs_{0};
};
