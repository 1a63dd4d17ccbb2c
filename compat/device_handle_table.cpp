#include "device_handle_table.h"

#include <unistd.h>

#include <mutex>
#include <new>
#include <unordered_map>

namespace tolvane::compat {

namespace {

class DeviceTable {
public:
    static DeviceTable& instance() {
        // Never destroyed: handles may still be closed during static teardown.
        static DeviceTable* table = new DeviceTable;
        return *table;
    }

    HANDLE add(int fd) {
        std::shared_ptr<OpenDevice> device;
        try {
            device = std::make_shared<OpenDevice>(fd);
        } catch (const std::bad_alloc&) {
            ::close(fd);
            return nullptr;
        }
        HANDLE handle = device.get();
        try {
            std::lock_guard lock(mutex_);
            devices_.emplace(handle, std::move(device));
        } catch (const std::bad_alloc&) {
            return nullptr;  // `device` still owns the descriptor and closes it
        }
        return handle;
    }

    std::shared_ptr<OpenDevice> find(HANDLE handle) {
        std::lock_guard lock(mutex_);
        auto it = devices_.find(handle);
        return it == devices_.end() ? nullptr : it->second;
    }

    std::shared_ptr<OpenDevice> remove(HANDLE handle) {
        std::lock_guard lock(mutex_);
        auto it = devices_.find(handle);
        if (it == devices_.end()) return nullptr;
        std::shared_ptr<OpenDevice> device = std::move(it->second);
        devices_.erase(it);
        return device;
    }

private:
    DeviceTable() = default;

    std::mutex mutex_;
    std::unordered_map<HANDLE, std::shared_ptr<OpenDevice>> devices_;
};

}  // namespace

OpenDevice::~OpenDevice() { ::close(fd_); }

HANDLE registerDevice(int fd) { return DeviceTable::instance().add(fd); }

std::shared_ptr<OpenDevice> findDevice(HANDLE handle) {
    return DeviceTable::instance().find(handle);
}

bool unregisterDevice(HANDLE handle) {
    // The descriptor closes here, outside the table's lock, unless a
    // DeviceIoControl on another thread still holds the device.
    return DeviceTable::instance().remove(handle) != nullptr;
}

}  // namespace tolvane::compat
