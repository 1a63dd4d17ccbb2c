// The objects of one kind, by identifier, remembering how each object stood
// before the open change first reached it for writing. That memory is what
// makes a change cheap: undoing it puts back only what it touched, and its
// notifications and rule checks look only at what it touched, however large
// the machine. Reading through a const table records nothing; every writing
// access (a non-const at, find or [], erase) records first, so a change
// cannot alter an object without the record knowing.
#pragma once

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <utility>

#include "model/guid_text.h"

namespace tolvane::sim {

template <typename T>
class ObjectTable {
public:
    using Map = std::unordered_map<GUID, T, GuidHash>;
    using iterator = typename Map::iterator;
    using const_iterator = typename Map::const_iterator;
    // Each touched object as it stood before: nullopt when it did not exist.
    using Before = std::unordered_map<GUID, std::optional<T>, GuidHash>;

    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    const_iterator find(const GUID& id) const { return items_.find(id); }
    const T& at(const GUID& id) const { return items_.at(id); }
    std::size_t count(const GUID& id) const { return items_.count(id); }
    bool contains(const GUID& id) const { return items_.count(id) != 0; }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // The object, or null.
    const T* get(const GUID& id) const {
        auto it = items_.find(id);
        return it == items_.end() ? nullptr : &it->second;
    }

    iterator end() { return items_.end(); }
    iterator find(const GUID& id) {
        auto it = items_.find(id);
        if (it != items_.end()) remember(id, it->second);
        return it;
    }
    T& at(const GUID& id) {
        T& object = items_.at(id);
        remember(id, object);
        return object;
    }
    T& operator[](const GUID& id) {
        auto it = items_.find(id);
        if (it == items_.end()) {
            rememberAbsent(id);
            return items_[id];
        }
        remember(id, it->second);
        return it->second;
    }
    std::size_t erase(const GUID& id) {
        auto it = items_.find(id);
        if (it == items_.end()) return 0;
        remember(id, it->second);
        items_.erase(it);
        return 1;
    }
    // What the open change touched.
    const Before& before() const { return before_; }
    // Puts every touched object back as it stood.
    void restore() {
        for (auto& [id, old] : before_) {
            if (old)
                items_.insert_or_assign(id, std::move(*old));
            else
                items_.erase(id);
        }
        startAgain();
    }
    // Trades every touched object with its remembered state, so that the
    // table shows the machine as it stood before the change (and, traded
    // again, as it stands now). Objects present in both states stay where
    // they are.
    void trade() {
        for (auto& [id, old] : before_) {
            auto it = items_.find(id);
            if (it != items_.end() && old) {
                std::swap(it->second, *old);
                continue;
            }
            std::optional<T> now;
            if (it != items_.end()) {
                now = std::move(it->second);
                items_.erase(it);
            }
            if (old) items_.emplace(id, std::move(*old));
            old = std::move(now);
        }
    }
    // Keeps what the change made; the record starts again.
    void forgetBefore() { startAgain(); }

private:
    // Clearing a map wipes its whole bucket array; after a load touched every
    // object that array is as large as the machine, and a change must not pay
    // for it each time.
    void startAgain() {
        if (before_.empty()) return;
        if (before_.bucket_count() > 64)
            before_ = Before();
        else
            before_.clear();
    }

    void remember(const GUID& id, const T& object) {
        if (!before_.count(id)) before_.emplace(id, object);
    }
    void rememberAbsent(const GUID& id) {
        if (!before_.count(id)) before_.emplace(id, std::nullopt);
    }

    Map items_;
    Before before_;
};

}  // namespace tolvane::sim
