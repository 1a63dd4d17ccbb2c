#include "core/notifier.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tolvane::sim {

namespace {

thread_local bool t_delivering = false;

}  // namespace

Notifier::~Notifier() { shutdown(); }

bool Notifier::onDeliveryThread() { return t_delivering; }

void Notifier::ensureThreads() {
    while (!stop_ && static_cast<int>(threads_.size()) < wantedThreads_) {
        const int thread = static_cast<int>(threads_.size());
        threads_.emplace_back([this, thread] { run(thread); });
    }
}

DWORD Notifier::advise(IVdsAdviseSink* sink) {
    sink->AddRef();
    auto registration = std::make_shared<Registration>();
    registration->sink = sink;
    std::lock_guard lock(mutex_);
    DWORD cookie = nextCookie_++;
    if (nextCookie_ == 0) nextCookie_ = 1;
    sinks_[cookie] = std::move(registration);
    return cookie;
}

bool Notifier::unadvise(DWORD cookie) {
    std::shared_ptr<Registration> registration;
    {
        std::unique_lock lock(mutex_);
        auto it = sinks_.find(cookie);
        if (it == sinks_.end()) return false;
        if (onDeliveryThread()) {
            // The real service waits here for the very thread that asks.
            std::fprintf(stderr,
                         "TolvaneSim: Unadvise called on a notification thread; the real service "
                         "never returns from this call\n");
            std::fflush(stderr);
            std::abort();
        }
        registration = it->second;
        sinks_.erase(it);
        // Batches posted before the call still reach the sink; once they
        // have, no call of it is under way and none will start.
        idle_.wait(lock, [&] { return stop_ || registration->pending == 0; });
    }
    registration->sink->Release();
    return true;
}

long Notifier::sinkCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<long>(sinks_.size());
}

void Notifier::post(Batch batch) {
    std::lock_guard lock(mutex_);
    if (stop_) return;
    ensureThreads();
    Queued queued{std::move(batch), {}};
    for (auto& [cookie, registration] : sinks_) {
        ++registration->pending;
        queued.targets.push_back(registration);
    }
    queue_.push_back(std::move(queued));
    // All: a thread beyond the wanted count would take the wake-up and sleep on.
    wake_.notify_all();
}

void Notifier::waitDelivered() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return stop_ || (queue_.empty() && busy_ == 0); });
}

void Notifier::setDeliveryThreads(int count) {
    std::lock_guard lock(mutex_);
    wantedThreads_ = count < 1 ? 1 : (count > 2 ? 2 : count);
    wake_.notify_all();
}

void Notifier::shutdown() {
    std::vector<std::thread> threads;
    bool inSink = false;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        inSink = busy_ > 0;
        threads.swap(threads_);
        wake_.notify_all();
        idle_.notify_all();
    }
    for (auto& t : threads) {
        if (inSink || t.get_id() == std::this_thread::get_id())
            t.detach();
        else
            t.join();
    }
}

void Notifier::run(int thread) {
    t_delivering = true;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || (!queue_.empty() && thread < wantedThreads_); });
        if (stop_) return;
        Queued queued = std::move(queue_.front());
        queue_.pop_front();
        ++busy_;
        lock.unlock();
        // An empty batch still comes with a valid (unused) array pointer.
        static const VDS_NOTIFICATION none{};
        const Batch& batch = queued.batch;
        for (auto& target : queued.targets)
            target->sink->OnNotify(static_cast<LONG>(batch.size()), batch.empty() ? &none : batch.data());
        lock.lock();
        for (auto& target : queued.targets) --target->pending;
        --busy_;
        idle_.notify_all();
    }
}

}  // namespace tolvane::sim
