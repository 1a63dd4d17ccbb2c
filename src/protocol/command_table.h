// The command table: every command code the protocol knows, with its handler
// and the shape of its failure replies.
#pragma once

#include <cstdint>
#include <span>

#include "protocol/request_reader.h"

// A handler reads its arguments through the reader before any VDS call. It
// returns its reply and stores the reply's length, or returns null when the
// request is too short for what it reads (the dispatcher then answers with
// the null reply).
using CommandHandler = unsigned char* (*)(RequestReader& request, int* outSize);

struct CommandRow {
    std::int16_t code;
    const char* handlerName;
    // The non-zero statuses the command can answer with, zero-terminated.
    std::int32_t failureStatuses[5];
    // Length of every reply whose status is not 0.
    int failureReplySize;
    // Null while the command is not implemented: it is then answered as unknown.
    CommandHandler handler;
};

std::span<const CommandRow> vdsCommandTable();

// The row of `code`, compared as the exact 16-bit number; null when the code is
// not a command.
const CommandRow* vdsFindCommand(std::int16_t code);
