// Where the library's diagnostic lines go: standard output, as they always
// have, unless the environment variable TOLVANE_LOG says otherwise when the
// library loads ("stderr": standard error; "off": nowhere), so that an
// application can keep its own standard output to itself.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>

enum class LogDestination { StandardOutput, StandardError, Off };

// What a TOLVANE_LOG value asks for; no value, or one this library does not
// know, keeps standard output.
LogDestination vdsLogDestinationFrom(const char* value);

// The stream that log lines go to, or null while they are off.
std::FILE* vdsLogStream();

#if defined(__MINGW32__)
#define TOLVANE_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define TOLVANE_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

// printf and its kin, onto the log's stream.
void vdsLog(const char* format, ...) TOLVANE_PRINTF_FORMAT(1, 2);
void vdsLogV(const char* format, va_list args) TOLVANE_PRINTF_FORMAT(1, 0);
void vdsLogWrite(const void* bytes, std::size_t size);
