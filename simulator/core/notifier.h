// Delivery of change notifications to advised sinks. Batches are queued and
// handed to every sink on the notifier's own thread, never on a caller's, and
// never while a service lock is held: a sink may call back into the service.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/vds_interfaces.h"

namespace tolvane::sim {

using Batch = std::vector<VDS_NOTIFICATION>;

class Notifier {
public:
    Notifier() = default;
    ~Notifier();
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    // Takes a reference on the sink; `owner` is the service object through
    // which it was advised, so that its sinks can be let go with it.
    DWORD advise(IVdsAdviseSink* sink, const void* owner);
    bool unadvise(DWORD cookie);
    void dropOwner(const void* owner);
    long sinkCount() const;

    void post(Batch batch);
    // Returns once every batch posted before the call has been delivered.
    void waitDelivered();
    void shutdown();

private:
    struct Entry {
        IVdsAdviseSink* sink;
        const void* owner;
    };
    void run();
    void ensureThread();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Batch> queue_;
    std::map<DWORD, Entry> sinks_;
    DWORD nextCookie_ = 1;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace tolvane::sim
