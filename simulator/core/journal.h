// The record of every call that clients made into the service, one line per
// call, e.g. "IVdsSubSystem::QueryDrives()" or
// "IVdsService::GetObject(20000000-0000-4000-8000-000000000001, 30)".
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <deque>
#include <vector>

namespace tolvane::sim {

// Off until a test or tool turns it on: nothing reads it in a customer's
// process, and a long session would otherwise keep every call it made.
class Journal {
public:
    void enable(bool on) { enabled_.store(on); }
    bool enabled() const { return enabled_.load(std::memory_order_relaxed); }
    // Keeps the line only while the journal is on.
    void append(std::string line);
    std::size_t size() const;
    // Copy of entry i, or an empty text when i is past the end.
    std::string entry(std::size_t i) const;
    std::vector<std::string> entries() const;
    void clear();

private:
    // A long demo session must not grow without bound: past this many lines
    // the oldest go first.
    static constexpr std::size_t kMaxLines = 1000000;

    std::atomic<bool> enabled_{false};
    mutable std::mutex mutex_;
    std::deque<std::string> lines_;
};

}  // namespace tolvane::sim
