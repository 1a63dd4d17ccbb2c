// One row of the command table states everything about its command once: its
// code, the request it reads (the handler's parameter type), its handler, the
// statuses it may fail with, the length of the replies built from an outcome
// and the code its replies carry.
//
//     vdsCommand<cmdQueryDrives>(0x0093, {S::TargetNotFound, S::MissingInterface}, 14)
//
// A handler is `Answer handler(const SomeRequest& request, IVdsService* service)`:
// the dispatcher has read its request whole before it runs, and hands it the
// connection's service (null when there is none).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/vds_interfaces.h"
#include "protocol/outcome.h"
#include "protocol/request_reader.h"

// Reads a request through its description: a struct with a static `read` that
// takes each field from its offset through the reader. The read is whole or
// nothing: a request too short for any field, or with a refused count, yields
// none, and the command answers with the null reply before it calls VDS.
template <typename Request>
std::optional<Request> vdsReadRequest(RequestReader& in) {
    Request request = Request::read(in);
    if (!in.complete()) return std::nullopt;
    return request;
}

// Reads the request, then runs the handler on it.
using CommandAnswer = Answer (*)(RequestReader& request, IVdsService* service);

struct CommandRow {
    std::int16_t code;
    // The non-zero statuses the command can answer with, zero-terminated.
    std::array<Status, 5> failureStatuses;
    // Length of every reply built from an outcome: each failure, and a
    // success without payload (an empty list, a bare acknowledgement).
    int failureReplySize;
    // The code every reply of the command carries: its own, but for the
    // file-system properties command, whose replies answer under its
    // family's code.
    std::int16_t replyCode;
    CommandAnswer answer;

    bool mayAnswer(std::int32_t status) const {
        for (Status s : failureStatuses) {
            if (s == STATUS_OK) break;
            if (s == status) return true;
        }
        return false;
    }
};

namespace command_row_detail {
template <typename Handler>
struct RequestOf;
template <typename Request>
struct RequestOf<Answer (*)(const Request&, IVdsService*)> {
    using Type = Request;
};

template <auto handler>
Answer readThenRun(RequestReader& in, IVdsService* service) {
    using Request = typename RequestOf<decltype(handler)>::Type;
    const std::optional<Request> request = vdsReadRequest<Request>(in);
    if (!request) return Answer::nullReply();
    return handler(*request, service);
}
}  // namespace command_row_detail

// The row of the command that `handler` answers.
template <auto handler>
constexpr CommandRow vdsCommand(std::int16_t code, std::array<Status, 5> failureStatuses, int failureReplySize,
                                std::optional<std::int16_t> replyCode = std::nullopt) {
    return {code, failureStatuses, failureReplySize, replyCode.value_or(code),
            &command_row_detail::readThenRun<handler>};
}

// The row of `code` in a table sorted by code, compared as the exact 16-bit
// number; null when the code is not a command.
const CommandRow* vdsFindRow(std::span<const CommandRow> table, std::int16_t code);

// Runs one request against a table: the null reply (outSize 0) for a request
// shorter than its header or than what its command reads, null with outSize
// untouched for an unknown code, else the reply of what the handler answered,
// built and logged here. Nothing thrown inside leaves it: a handler that
// throws (memory ran out) gets the null reply.
unsigned char* vdsDispatch(std::span<const CommandRow> table, IVdsService* service, const unsigned char* request,
                           int size, int* outSize) noexcept;
