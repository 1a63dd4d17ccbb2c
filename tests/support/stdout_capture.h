// Captures what the code under test prints on standard output (printf), by
// redirecting file descriptor 1 into a temporary file.
#pragma once

#include <string>

class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Stops capturing (once) and returns everything printed meanwhile.
    std::string text();

private:
    void stop();

    int savedFd_ = -1;
    int fileFd_ = -1;
    std::string captured_;
    bool stopped_ = false;
};

// Runs `body` and returns what it printed.
template <typename Body>
std::string capturedStdout(Body&& body) {
    StdoutCapture capture;
    body();
    return capture.text();
}
