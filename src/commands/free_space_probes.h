// The two ways the free-space command learns about a volume, shared with the
// self-test: its device opened for queries, and GetDiskFreeSpaceExA (which
// older systems lack) with the report printed from its answer.
#pragma once

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "platform/com_types.h"
#include "protocol/log_output.h"

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// The device for synchronous queries: a query on an overlapped handle
// without an OVERLAPPED structure is not reliable.
inline HANDLE vdsOpenVolumeDevice(const char* path) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
}

// Null when kernel32 does not offer it.
inline GetDiskFreeSpaceExFn vdsFindFreeSpaceEx() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<GetDiskFreeSpaceExFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
}

inline void vdsPrintFreeSpaceEx(std::uint64_t availableToCaller, std::uint64_t total, std::uint64_t free) {
    constexpr std::uint64_t kMiB = 1048576;
    vdsLog("\n\nGetDiskFreeSpaceEx reports\n\n");
    vdsLog("Available space to caller = %" PRIu64 " MB\n", availableToCaller / kMiB);
    vdsLog("Total space               = %" PRIu64 " MB\n", total / kMiB);
    vdsLog("Free space on drive       = %" PRIu64 " MB\n", free / kMiB);
}
