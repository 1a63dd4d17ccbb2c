// The file handles of CreateFileA: heap objects that own a POSIX descriptor,
// known to a process-wide table so that a stale or foreign HANDLE is refused
// instead of being dereferenced.
#pragma once

#include <memory>

#include "platform/com_types.h"

namespace tolvane::compat {

class OpenDevice {
public:
    explicit OpenDevice(int fd) : fd_(fd) {}
    ~OpenDevice();
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

// Takes ownership of `fd` and returns its new handle; null (with `fd`
// closed) when memory runs out.
HANDLE registerDevice(int fd);

// The device behind a live handle, or null. The descriptor stays open as
// long as the returned pointer is held, even if the handle is closed
// meanwhile on another thread.
std::shared_ptr<OpenDevice> findDevice(HANDLE handle);

// Forgets the handle; false if it was not live.
bool unregisterDevice(HANDLE handle);

}  // namespace tolvane::compat
