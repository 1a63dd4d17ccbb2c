#include "core/journal.h"

namespace tolvane::sim {

void Journal::append(std::string line) {
    if (!enabled()) return;
    std::lock_guard lock(mutex_);
    if (lines_.size() == kMaxLines) lines_.pop_front();
    lines_.push_back(std::move(line));
}

std::size_t Journal::size() const {
    std::lock_guard lock(mutex_);
    return lines_.size();
}

std::string Journal::entry(std::size_t i) const {
    std::lock_guard lock(mutex_);
    return i < lines_.size() ? lines_[i] : std::string{};
}

std::vector<std::string> Journal::entries() const {
    std::lock_guard lock(mutex_);
    return {lines_.begin(), lines_.end()};
}

void Journal::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace tolvane::sim
