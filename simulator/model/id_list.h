// A parent's children in enumeration order, cheap to copy whatever their
// number. A change remembers how a parent stood by copying it, and a
// subsystem may list a hundred thousand LUNs: copying that list, or
// searching it to take one LUN out, would make every LUN change cost the
// size of the machine. So the bulk of the list is an immutable block that
// copies share, and a change's additions and removals lie in a small overlay
// on top of it, folded into a new block once they grow.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <vector>

#include "model/guid_text.h"

namespace tolvane::sim {

class IdList {
public:
    IdList() = default;
    IdList(std::initializer_list<GUID> ids) : IdList(std::vector<GUID>(ids)) {}
    IdList(std::vector<GUID> ids);  // NOLINT: a plain list reads as one

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = GUID;
        using difference_type = std::ptrdiff_t;
        using pointer = const GUID*;
        using reference = const GUID&;

        const_iterator() = default;
        reference operator*() const { return inBase() ? list_->base_->ids[at_] : list_->appended_[at_ - baseSize()]; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++() {
            ++at_;
            skipRemoved();
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++*this;
            return was;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        friend class IdList;
        const_iterator(const IdList* list, std::size_t at) : list_(list), at_(at) { skipRemoved(); }
        std::size_t baseSize() const { return list_->base_ ? list_->base_->ids.size() : 0; }
        bool inBase() const { return at_ < baseSize(); }
        void skipRemoved() {
            if (list_->removed_.empty()) return;
            while (inBase() && list_->isRemoved(list_->base_->ids[at_])) ++at_;
        }

        const IdList* list_ = nullptr;
        std::size_t at_ = 0;
    };
    using iterator = const_iterator;

    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, baseSize() + appended_.size()); }
    std::size_t size() const { return baseSize() - hidden_ + appended_.size(); }
    bool empty() const { return size() == 0; }
    const GUID& front() const { return *begin(); }
    const GUID& back() const;
    // The i-th child; walks the list, so for small lists and tests.
    const GUID& operator[](std::size_t i) const;
    bool contains(const GUID& id) const;
    std::vector<GUID> toVector() const { return std::vector<GUID>(begin(), end()); }
    // The last `count` children in order (all of them when there are fewer):
    // what was just appended, read without walking the whole list.
    std::vector<GUID> tail(std::size_t count) const;

    void push_back(const GUID& id);
    // Puts `id` at `position` (the end when past it).
    void insert(std::size_t position, const GUID& id);
    // Takes every mention of `id` out; how many there were.
    std::size_t erase(const GUID& id);
    void pop_back() { erase(back()); }
    void clear() { *this = IdList(); }

    bool operator==(const IdList& other) const;

    // A fingerprint of which children are listed, kept as the list changes so
    // that the machine's digest never walks a long list. It does not see the
    // order of the children.
    std::uint64_t fingerprint() const { return sum_; }

private:
    struct Block {
        std::vector<GUID> ids;
        // How often each child is listed, for lists long enough to need it.
        std::unordered_map<GUID, std::size_t, GuidHash> counts;
    };
    static std::uint64_t idHash(const GUID& id);
    static constexpr std::size_t kIndexedFrom = 16;
    // The overlay is folded in once it outgrows a 64th of the block (and at
    // least 64 entries): a fold costs the whole list, so it comes seldom
    // enough to cost little per change, and an overlay stays small to copy.
    static constexpr std::size_t kSmallestOverlay = 64;

    std::size_t baseSize() const { return base_ ? base_->ids.size() : 0; }
    // How often the block lists `id`, removals aside.
    std::size_t countInBase(const GUID& id) const;
    void fold();
    void foldWhenLarge() {
        const std::size_t largest = std::max(kSmallestOverlay, baseSize() / 64);
        if (appended_.size() + removed_.size() > largest) fold();
    }
    bool isRemoved(const GUID& id) const;

    std::shared_ptr<const Block> base_;
    std::vector<GUID> appended_;
    std::vector<GUID> removed_;  // children of the block taken out, in byte order
    std::size_t hidden_ = 0;                       // the block's entries they account for
    std::uint64_t sum_ = 0;                        // of idHash over every child listed
};

// Takes every mention of `id` out of the list.
inline std::size_t erase(IdList& list, const GUID& id) { return list.erase(id); }

}  // namespace tolvane::sim
