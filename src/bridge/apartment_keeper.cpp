#include "bridge/apartment_keeper.h"

#include "platform/com_types.h"

ApartmentKeeper::ApartmentKeeper() {
    thread_ = std::thread([this] {
        // A fresh thread has no apartment yet, so this cannot be refused.
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return leave_; });
        lock.unlock();
        if (SUCCEEDED(hr)) CoUninitialize();
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return entered_; });
}

ApartmentKeeper::~ApartmentKeeper() {
    {
        std::lock_guard lock(mutex_);
        leave_ = true;
    }
    changed_.notify_all();
    thread_.join();
}
