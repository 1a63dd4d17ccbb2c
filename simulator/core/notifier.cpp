#include "core/notifier.h"

#include <utility>

namespace tolvane::sim {

Notifier::~Notifier() { shutdown(); }

void Notifier::ensureThread() {
    if (!thread_.joinable() && !stop_) thread_ = std::thread([this] { run(); });
}

DWORD Notifier::advise(IVdsAdviseSink* sink, const void* owner) {
    sink->AddRef();
    std::lock_guard lock(mutex_);
    DWORD cookie = nextCookie_++;
    if (nextCookie_ == 0) nextCookie_ = 1;
    sinks_[cookie] = Entry{sink, owner};
    return cookie;
}

bool Notifier::unadvise(DWORD cookie) {
    IVdsAdviseSink* sink = nullptr;
    {
        std::unique_lock lock(mutex_);
        auto it = sinks_.find(cookie);
        if (it == sinks_.end()) return false;
        sink = it->second.sink;
        sinks_.erase(it);
        // A client that unadvises expects no further call once Unadvise
        // returns, so a batch already on its way is let finish first.
        if (thread_.get_id() != std::this_thread::get_id())
            idle_.wait(lock, [this] { return stop_ || !busy_; });
    }
    sink->Release();
    return true;
}

void Notifier::dropOwner(const void* owner) {
    std::vector<IVdsAdviseSink*> dropped;
    {
        std::lock_guard lock(mutex_);
        for (auto it = sinks_.begin(); it != sinks_.end();) {
            if (it->second.owner == owner) {
                dropped.push_back(it->second.sink);
                it = sinks_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto* s : dropped) s->Release();
}

long Notifier::sinkCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<long>(sinks_.size());
}

void Notifier::post(Batch batch) {
    std::lock_guard lock(mutex_);
    if (stop_) return;
    ensureThread();
    queue_.push_back(std::move(batch));
    wake_.notify_one();
}

void Notifier::waitDelivered() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return stop_ || (queue_.empty() && !busy_); });
}

void Notifier::shutdown() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        wake_.notify_all();
        idle_.notify_all();
    }
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void Notifier::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        Batch batch = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        std::vector<IVdsAdviseSink*> targets;
        for (auto& [cookie, e] : sinks_) {
            e.sink->AddRef();
            targets.push_back(e.sink);
        }
        lock.unlock();
        // An empty batch still comes with a valid (unused) array pointer.
        static const VDS_NOTIFICATION none{};
        for (auto* sink : targets) {
            sink->OnNotify(static_cast<LONG>(batch.size()), batch.empty() ? &none : batch.data());
            sink->Release();
        }
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

}  // namespace tolvane::sim
