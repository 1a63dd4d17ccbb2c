// A program of its own that uses the library through its exports, as an
// application would: its own line on standard output, then the library's
// log lines (the connection, a hex dump), which go where TOLVANE_LOG says.
#include <cstdio>

#include "tolvane.h"

int main() {
    std::printf("probe: the application's own line\n");
    std::fflush(stdout);
    const unsigned char bytes[4] = {0xDE, 0xAD, 0xBE, 0xEF};
    printMemory(bytes, 4, "probe bytes");
    if (vdsInitialize() != 0) return 1;
    vdsUninitialize();
    std::fflush(nullptr);
    return 0;
}
