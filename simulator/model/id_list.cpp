#include "model/id_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tolvane::sim {

std::uint64_t IdList::idHash(const GUID& id) {
    std::uint64_t halves[2];
    std::memcpy(halves, &id, sizeof halves);
    std::uint64_t x = halves[0] * 0x9E3779B97F4A7C15ull ^ (halves[1] + 0xBF58476D1CE4E5B9ull);
    x ^= x >> 31;
    x *= 0x94D049BB133111EBull;
    return x ^ (x >> 29);
}

IdList::IdList(std::vector<GUID> ids) {
    for (const GUID& id : ids) sum_ += idHash(id);
    if (ids.empty()) return;
    auto block = std::make_shared<Block>();
    block->ids = std::move(ids);
    if (block->ids.size() >= kIndexedFrom)
        for (const GUID& id : block->ids) ++block->counts[id];
    base_ = std::move(block);
}

namespace {

bool byteOrder(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) < 0; }

}  // namespace

bool IdList::isRemoved(const GUID& id) const {
    return std::binary_search(removed_.begin(), removed_.end(), id, byteOrder);
}

std::size_t IdList::countInBase(const GUID& id) const {
    if (!base_) return 0;
    if (base_->ids.size() < kIndexedFrom) return static_cast<std::size_t>(std::count(base_->ids.begin(), base_->ids.end(), id));
    auto it = base_->counts.find(id);
    return it == base_->counts.end() ? 0 : it->second;
}

bool IdList::contains(const GUID& id) const {
    return (!isRemoved(id) && countInBase(id) != 0) ||
           std::find(appended_.begin(), appended_.end(), id) != appended_.end();
}

const GUID& IdList::back() const {
    if (!appended_.empty()) return appended_.back();
    for (std::size_t i = baseSize(); i-- > 0;)
        if (!isRemoved(base_->ids[i])) return base_->ids[i];
    return appended_.back();  // empty: as undefined as a vector's back()
}

std::vector<GUID> IdList::tail(std::size_t count) const {
    std::vector<GUID> out;
    for (auto it = appended_.rbegin(); it != appended_.rend() && out.size() < count; ++it) out.push_back(*it);
    for (std::size_t i = baseSize(); i-- > 0 && out.size() < count;)
        if (!isRemoved(base_->ids[i])) out.push_back(base_->ids[i]);
    std::reverse(out.begin(), out.end());
    return out;
}

const GUID& IdList::operator[](std::size_t i) const {
    auto it = begin();
    std::advance(it, static_cast<std::ptrdiff_t>(i));
    return *it;
}

void IdList::push_back(const GUID& id) {
    appended_.push_back(id);
    sum_ += idHash(id);
    foldWhenLarge();
}

void IdList::insert(std::size_t position, const GUID& id) {
    if (position >= size()) return push_back(id);
    std::vector<GUID> ids = toVector();
    ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(position), id);
    *this = IdList(std::move(ids));
}

std::size_t IdList::erase(const GUID& id) {
    std::size_t gone = static_cast<std::size_t>(std::erase(appended_, id));
    if (!isRemoved(id)) {
        const std::size_t listed = countInBase(id);
        if (listed != 0) {
            removed_.insert(std::upper_bound(removed_.begin(), removed_.end(), id, byteOrder), id);
            hidden_ += listed;
            gone += listed;
        }
    }
    sum_ -= idHash(id) * gone;
    if (gone != 0) foldWhenLarge();
    return gone;
}

void IdList::fold() {
    // A block no copy shares (a list being built, as when a machine loads)
    // takes the additions in place instead of being copied whole.
    if (base_ && base_.use_count() == 1 && removed_.empty()) {
        auto* block = const_cast<Block*>(base_.get());
        const bool indexed = block->ids.size() >= kIndexedFrom;
        block->ids.insert(block->ids.end(), appended_.begin(), appended_.end());
        if (indexed)
            for (const GUID& id : appended_) ++block->counts[id];
        else if (block->ids.size() >= kIndexedFrom)
            for (const GUID& id : block->ids) ++block->counts[id];
        appended_.clear();
        return;
    }
    *this = IdList(toVector());
}

bool IdList::operator==(const IdList& other) const {
    return size() == other.size() && std::equal(begin(), end(), other.begin());
}

}  // namespace tolvane::sim
