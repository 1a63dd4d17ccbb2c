// An array of interface pointers in which every filled element owns one
// reference; the references are given back when the array goes.
#pragma once

#include <memory>
#include <new>

#include "directory/lookup.h"

template <typename T>
class InterfaceArray {
public:
    InterfaceArray() = default;
    explicit InterfaceArray(int capacity)
        : items_(capacity > 0 ? new (std::nothrow) T*[static_cast<std::size_t>(capacity)]() : nullptr),
          capacity_(items_ ? capacity : 0) {}
    InterfaceArray(InterfaceArray&&) noexcept = default;
    InterfaceArray& operator=(InterfaceArray&& other) noexcept {
        releaseAll();
        items_ = std::move(other.items_);
        capacity_ = other.capacity_;
        size_ = other.size_;
        other.capacity_ = other.size_ = 0;
        return *this;
    }
    ~InterfaceArray() { releaseAll(); }

    T** data() { return items_.get(); }
    int capacity() const { return capacity_; }
    int size() const { return size_; }
    // Records how many elements a collecting helper filled.
    void setSize(int filled) { size_ = filled < capacity_ ? filled : capacity_; }
    T* operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
    T** begin() const { return items_.get(); }
    T** end() const { return items_.get() + size_; }

private:
    void releaseAll() {
        if (items_)
            vdsReleaseAll(reinterpret_cast<IUnknown**>(items_.get()), static_cast<unsigned>(size_));
        size_ = 0;
    }

    std::unique_ptr<T*[]> items_;
    int capacity_ = 0;
    int size_ = 0;
};
