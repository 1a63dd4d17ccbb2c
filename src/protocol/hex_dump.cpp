#include <cstdarg>
#include <cstdio>

#include "protocol/identifiers.h"

void printMemory(const void* data, int count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (int i = 0; i < count; ++i) {
        if (i != 0 && i % 16 == 0) std::printf("\n");
        std::printf("%02X ", static_cast<unsigned>(bytes[i]));
    }
    std::printf("\n");
}
