#include "protocol/log_output.h"

#include <cstdlib>
#include <cstring>

LogDestination vdsLogDestinationFrom(const char* value) {
    if (value == nullptr) return LogDestination::StandardOutput;
    if (std::strcmp(value, "stderr") == 0) return LogDestination::StandardError;
    if (std::strcmp(value, "off") == 0) return LogDestination::Off;
    return LogDestination::StandardOutput;
}

std::FILE* vdsLogStream() {
    static std::FILE* const stream = [] {
        switch (vdsLogDestinationFrom(std::getenv("TOLVANE_LOG"))) {
            case LogDestination::StandardError: return stderr;
            case LogDestination::Off: return static_cast<std::FILE*>(nullptr);
            case LogDestination::StandardOutput: break;
        }
        return stdout;
    }();
    return stream;
}

namespace {

// Read as the library loads, not at its first line: a variable the
// application sets later changes nothing.
[[maybe_unused]] std::FILE* const g_readAtLoad = vdsLogStream();

}  // namespace

void vdsLog(const char* format, ...) {
    std::FILE* stream = vdsLogStream();
    if (stream == nullptr) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stream, format, args);
    va_end(args);
}

void vdsLogV(const char* format, va_list args) {
    if (std::FILE* stream = vdsLogStream()) std::vfprintf(stream, format, args);
}

void vdsLogWrite(const void* bytes, std::size_t size) {
    if (std::FILE* stream = vdsLogStream()) std::fwrite(bytes, 1, size, stream);
}
