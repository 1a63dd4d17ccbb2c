// Sends standard output to /dev/null while alive: the library prints a
// diagnostic line per command, which would otherwise flood the report and
// time the terminal rather than the code.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class StdoutSilencer {
public:
    StdoutSilencer() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~StdoutSilencer() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    StdoutSilencer(const StdoutSilencer&) = delete;
    StdoutSilencer& operator=(const StdoutSilencer&) = delete;

private:
    int saved_ = -1;
};
