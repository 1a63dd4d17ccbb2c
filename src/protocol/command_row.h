// One row of the command table: a command's code, its handler, the statuses
// it may answer with and the length of the replies built from an outcome.
#pragma once

#include <cstdint>
#include <span>

#include "protocol/outcome.h"
#include "protocol/request_reader.h"

struct CommandRow;

// A handler reads its request through the reader before any VDS call and
// reports what happened; it writes a reply itself only when that reply carries
// a payload.
using CommandHandler = HandlerResult (*)(const CommandRow& row, RequestReader& request);

struct CommandRow {
    std::int16_t code;
    const char* handlerName;
    // The non-zero statuses the command can answer with, zero-terminated.
    Status failureStatuses[5];
    // Length of every reply built from an outcome alone: each failure, and a
    // success without payload (an empty list, a bare acknowledgement).
    int failureReplySize;
    // Null while the command is not implemented: it is then answered as unknown.
    CommandHandler handler;

    // The code every reply of the command carries: its own, but for the
    // file-system properties command, whose replies answer under its
    // family's code.
    std::int16_t replyCode() const { return code == 0x000C ? std::int16_t{0x0600} : code; }

    bool mayAnswer(std::int32_t status) const {
        for (Status s : failureStatuses) {
            if (s == STATUS_OK) break;
            if (s == status) return true;
        }
        return false;
    }
};

// The row of `code` in a table sorted by code, compared as the exact 16-bit
// number; null when the code is not a command.
const CommandRow* vdsFindRow(std::span<const CommandRow> table, std::int16_t code);

// Runs one request against a table: the null reply (outSize 0) for a request
// shorter than its header or than what its command reads, null with outSize
// untouched for an unknown code, else the handler's reply or the reply of its
// outcome. Nothing thrown inside leaves it: a handler that throws (memory ran
// out) gets the null reply.
unsigned char* vdsDispatch(std::span<const CommandRow> table, const unsigned char* request,
                           int size, int* outSize) noexcept;
