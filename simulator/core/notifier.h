// Delivery of change notifications to advised sinks. Batches are queued and
// handed to the sinks on the notifier's own threads, never on a caller's, and
// never while a service lock is held: a sink may call back into the service.
//
// Like the real service, a batch goes to the sinks advised when it was
// posted; Unadvise lets every batch already posted for the sink reach it and
// waits until its delivery has ended, whichever thread asks.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "model/change.h"
#include "platform/vds_interfaces.h"

namespace tolvane::sim {

class Notifier {
public:
    Notifier() = default;
    ~Notifier();
    Notifier(const Notifier&) = delete;
    Notifier& operator=(const Notifier&) = delete;

    // Takes a reference on the sink, kept until unadvise().
    DWORD advise(IVdsAdviseSink* sink);
    // False for an unknown cookie. Never returns on a delivery thread: the
    // real service deadlocks there, so the simulated one stops the process.
    bool unadvise(DWORD cookie);
    long sinkCount() const;

    void post(Batch batch);
    // Returns once every batch posted before the call has been delivered.
    void waitDelivered();
    // 1 (the default) or 2 threads that deliver batches, so that two batches
    // may reach one sink at the same time. Back to 1, batches arrive in
    // order again: the second thread stays, idle.
    void setDeliveryThreads(int count);
    // Stops delivering. A thread still inside a sink is left to itself
    // rather than waited for: at process exit nothing may wait on a client.
    void shutdown();

private:
    struct Registration {
        IVdsAdviseSink* sink;
        // Batches posted for this sink that have not finished reaching it.
        long pending = 0;
    };
    struct Queued {
        Batch batch;
        std::vector<std::shared_ptr<Registration>> targets;
    };
    // The delivery loop of the thread'th delivery thread (from 0).
    void run(int thread);
    void ensureThreads();
    static bool onDeliveryThread();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Queued> queue_;
    std::map<DWORD, std::shared_ptr<Registration>> sinks_;
    DWORD nextCookie_ = 1;
    int wantedThreads_ = 1;
    int busy_ = 0;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tolvane::sim
