#include "stdout_capture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    char name[] = "/tmp/tolvane-stdout-XXXXXX";
    fileFd_ = mkstemp(name);
    if (fileFd_ < 0) throw std::runtime_error("cannot create capture file");
    unlink(name);
    savedFd_ = dup(STDOUT_FILENO);
    dup2(fileFd_, STDOUT_FILENO);
}

StdoutCapture::~StdoutCapture() { stop(); }

void StdoutCapture::stop() {
    if (stopped_) return;
    stopped_ = true;
    std::fflush(stdout);
    dup2(savedFd_, STDOUT_FILENO);
    close(savedFd_);
    lseek(fileFd_, 0, SEEK_SET);
    char buffer[4096];
    ssize_t n;
    while ((n = read(fileFd_, buffer, sizeof buffer)) > 0)
        captured_.append(buffer, static_cast<std::size_t>(n));
    close(fileFd_);
}

std::string StdoutCapture::text() {
    stop();
    return captured_;
}
