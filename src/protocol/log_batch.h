// Log lines that one command prints by the thousand (a line per record),
// gathered and written to the log (standard output unless TOLVANE_LOG says
// otherwise) in blocks large enough that each goes out in one system call.
// Only whole lines are written, in their order, so what reaches the log is
// byte for byte what one printf per line would print; a line of another
// thread may only fall between two of ours, as before.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <new>

#include "protocol/log_output.h"

class LogBatch {
public:
    LogBatch() = default;
    LogBatch(const LogBatch&) = delete;
    LogBatch& operator=(const LogBatch&) = delete;
    // Whatever is still gathered is written before the command goes on.
    ~LogBatch() {
        flush();
        if (taken_ != nullptr) *taken_ = false;
    }

    // Room for one line of `length` bytes (at most kSmall), counted as
    // written: the caller fills all of it before asking for more.
    char* line(std::size_t length) {
        if (used_ + length > capacity_) {
            flush();
            if (!large_) takeLargeBlock();
        }
        char* at = buffer_ + used_;
        used_ += length;
        return at;
    }

    void flush() {
        if (used_ != 0) vdsLogWrite(buffer_, used_);
        used_ = 0;
    }

    static constexpr std::size_t kSmall = 4 * 1024;
    static constexpr std::size_t kLarge = 64 * 1024;

private:
    // A short list's lines fit the small block on the stack; a long list's
    // go through a large block that each thread takes once from the heap
    // and keeps (threads of a 32-bit JVM have little stack, and a block
    // taken and given back per call costs more than the lines); without
    // memory, they go on through the small one.
    void takeLargeBlock() {
        thread_local std::unique_ptr<char[]> kept;
        thread_local bool taken = false;
        if (taken) return;  // another batch of this thread has it
        if (!kept) kept.reset(new (std::nothrow) char[kLarge]);
        if (kept) {
            buffer_ = kept.get();
            capacity_ = kLarge;
            taken = large_ = true;
            taken_ = &taken;
        }
    }

    char small_[kSmall];
    char* buffer_ = small_;
    std::size_t capacity_ = kSmall;
    std::size_t used_ = 0;
    bool large_ = false;
    bool* taken_ = nullptr;
};
