// An array the service hands over (its lists of extents, partitions, paths),
// allocated with CoTaskMemAlloc and the caller's to free on every path.
#pragma once

#include <cstddef>

#include "platform/com_types.h"

template <typename T>
class CoTaskMemArray {
public:
    CoTaskMemArray() = default;
    ~CoTaskMemArray() { CoTaskMemFree(items_); }
    CoTaskMemArray(const CoTaskMemArray&) = delete;
    CoTaskMemArray& operator=(const CoTaskMemArray&) = delete;

    // For the call's out parameter: any array held before is freed.
    T** put() {
        CoTaskMemFree(items_);
        items_ = nullptr;
        return &items_;
    }
    T* get() const { return items_; }
    T& operator[](std::size_t i) const { return items_[i]; }
    explicit operator bool() const { return items_ != nullptr; }

private:
    T* items_ = nullptr;
};
