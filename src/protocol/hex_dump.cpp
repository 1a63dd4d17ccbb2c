#include "protocol/hex_dump.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "protocol/identifiers.h"
#include "protocol/log_output.h"

std::size_t vdsFormatHexRows(const unsigned char* bytes, std::size_t count, char* out) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    char* at = out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0 && i % 16 == 0) *at++ = '\n';
        *at++ = kDigits[bytes[i] >> 4];
        *at++ = kDigits[bytes[i] & 0x0F];
        *at++ = ' ';
    }
    *at++ = '\n';
    return static_cast<std::size_t>(at - out);
}

void printMemory(const void* data, int count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vdsLogV(format, args);
    va_end(args);
    const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
    // The line end after the heading, then the rows, in one write.
    char small[1024];
    std::string large;
    char* out = small;
    if (1 + vdsHexRowsSize(n) > sizeof small) {
        large.resize(1 + vdsHexRowsSize(n));
        out = large.data();
    }
    out[0] = '\n';
    const std::size_t written = 1 + vdsFormatHexRows(static_cast<const unsigned char*>(data), n, out + 1);
    vdsLogWrite(out, written);
}
