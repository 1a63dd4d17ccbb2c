// CoTaskMemAlloc / CoTaskMemFree: the allocator shared by a COM server and
// its clients for the texts and arrays that change hands.

#include <cstdlib>

#include "platform/com_types.h"

extern "C" void* CoTaskMemAlloc(std::size_t cb) {
    // COM hands out a distinct block even for 0 bytes.
    return std::malloc(cb == 0 ? 1 : cb);
}

extern "C" void CoTaskMemFree(void* pv) { std::free(pv); }
