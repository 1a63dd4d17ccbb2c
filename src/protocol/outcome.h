// What a handler answers. An outcome (a status and its detail) becomes a
// reply the dispatcher builds from the command's row and logs; a success with
// a payload hands over its reply body, whose header the dispatcher writes,
// unlogged; the null reply is left for memory that ran out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "protocol/status.h"

struct Outcome {
    Status status = STATUS_OK;
    std::int32_t addStatus = 0;

    static constexpr Outcome ok() { return {}; }
    static constexpr Outcome failed(Status s) { return {s, 0}; }
    // A failed VDS call or asynchronous operation, with its result code unchanged.
    static constexpr Outcome vds(std::int32_t resultCode) { return {STATUS_VDS_ERROR, resultCode}; }
    // A failed Win32 call, with its error code.
    static constexpr Outcome system(std::uint32_t error) {
        return {STATUS_SYSTEM_ERROR, static_cast<std::int32_t>(error)};
    }
    bool succeeded() const { return status == STATUS_OK; }
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

// A success reply that carries a payload: one zero-filled block from the
// reply's first byte, the header's twelve left for the dispatcher, so that a
// payload is written at the offsets the protocol names and never copied.
class ReplyBody {
public:
    // A body with room for `payload` bytes after the header; an empty body
    // when memory ran out.
    static ReplyBody withPayload(std::size_t payload);
    // A block of `size` bytes from vdsAllocOutput (or new[]), header room included.
    ReplyBody(std::unique_ptr<unsigned char[]> block, std::size_t size) : block_(std::move(block)), size_(size) {}

    bool empty() const { return block_ == nullptr; }
    unsigned char* data() { return block_.get(); }
    std::size_t size() const { return size_; }
    unsigned char* release() { return block_.release(); }

private:
    std::unique_ptr<unsigned char[]> block_;
    std::size_t size_ = 0;
};

class Answer {
public:
    Answer(Outcome outcome) : outcome_(outcome) {}            // NOLINT: a handler returns its outcome
    Answer(ReplyBody body) : body_(std::move(body)), hasBody_(true) {}  // NOLINT: or its reply body

    // Memory for the reply ran out: the caller gets the null reply.
    static Answer nullReply() { return Answer(ReplyBody(nullptr, 0)); }

    bool isNullReply() const { return hasBody_ && body_.empty(); }
    bool hasBody() const { return hasBody_ && !body_.empty(); }
    const Outcome& outcome() const { return outcome_; }
    ReplyBody takeBody() { return std::move(body_); }

private:
    Outcome outcome_;
    ReplyBody body_{nullptr, 0};
    bool hasBody_ = false;
};
