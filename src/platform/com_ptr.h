// Owner of one COM reference.
#pragma once

#include <utility>

#include "platform/com_types.h"

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference that the caller already holds.
    explicit ComPtr(T* owned) : p_(owned) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Out-parameter for a call that hands us a reference; drops the current one.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Gives up ownership without releasing.
    T* detach() { return std::exchange(p_, nullptr); }

    void reset(T* owned = nullptr) {
        T* old = std::exchange(p_, owned);
        if (old != nullptr) old->Release();
    }

    // Asks the object for another interface; an empty holder when it has none.
    template <typename U>
    HRESULT queryInterface(REFIID iid, ComPtr<U>& out) const {
        out.reset();
        if (p_ == nullptr) return E_POINTER;
        return p_->QueryInterface(iid, out.putVoid());
    }

private:
    T* p_ = nullptr;
};
