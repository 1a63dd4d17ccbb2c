// What a handler answers: an outcome (a status and its detail) whose reply the
// dispatcher builds from the command's table row, a reply the handler built
// itself because it carries a payload, or nothing at all for a request too
// short for what the command reads.
#pragma once

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

class HandlerResult {
public:
    HandlerResult(Outcome outcome) : outcome_(outcome) {}

    // The null reply: the request does not hold what the command reads, or
    // memory for the reply ran out.
    static HandlerResult nullReply() {
        HandlerResult r{Outcome{}};
        r.null_ = true;
        return r;
    }
    // A reply the handler allocated with vdsAllocOutput, `size` bytes long; a
    // null reply (memory ran out) travels on as the null reply.
    static HandlerResult built(unsigned char* reply, int size) {
        HandlerResult r{Outcome{}};
        r.built_.reset(reply);
        r.size_ = reply != nullptr ? size : 0;
        r.null_ = reply == nullptr;
        return r;
    }

    bool isNullReply() const { return null_; }
    bool isBuilt() const { return built_ != nullptr; }
    const Outcome& outcome() const { return outcome_; }
    int size() const { return size_; }
    unsigned char* release() { return built_.release(); }

private:
    Outcome outcome_;
    std::unique_ptr<unsigned char[]> built_;
    int size_ = 0;
    bool null_ = false;
};
