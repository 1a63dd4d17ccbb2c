// A success reply that carries a fixed payload after its header. Such replies
// are written whole and logged by no "Output size" line; failures of the same
// command are outcomes, built from its table row.
#pragma once

#include "protocol/command_row.h"
#include "protocol/framing.h"

// `write(reply)` fills the payload of a zero-filled reply of `size` bytes.
template <typename Write>
HandlerResult vdsPayloadReply(const CommandRow& row, int size, Write&& write) {
    unsigned char* reply = vdsAllocOutput(size);
    if (reply == nullptr) return HandlerResult::nullReply();
    vdsFillOutputHeader(reply, row.replyCode(), STATUS_OK, 0);
    write(reply);
    return HandlerResult::built(reply, size);
}
