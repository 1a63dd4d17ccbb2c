#include <algorithm>

#include "protocol/command_row.h"
#include "protocol/framing.h"
#include "tolvane.h"

const CommandRow* vdsFindRow(std::span<const CommandRow> table, std::int16_t code) {
    const auto row = std::lower_bound(table.begin(), table.end(), code,
                                      [](const CommandRow& r, std::int16_t c) { return r.code < c; });
    return (row != table.end() && row->code == code) ? &*row : nullptr;
}

namespace {

unsigned char* answer(const CommandRow& row, RequestReader& reader, int* outSize) {
    HandlerResult result = row.handler(row, reader);
    if (result.isNullReply()) {
        *outSize = 0;
        return nullptr;
    }
    if (result.isBuilt()) {
        *outSize = result.size();
        return result.release();
    }
    const Outcome& o = result.outcome();
    return vdsMakeOutput(row.failureReplySize, row.replyCode(), o.status, o.addStatus, outSize);
}

}  // namespace

unsigned char* vdsDispatch(std::span<const CommandRow> table, const unsigned char* request,
                           int size, int* outSize) noexcept {
    int unused = 0;
    if (outSize == nullptr) outSize = &unused;
    // A negative size is as short as no request at all.
    if (request == nullptr || size < kInputHeaderSize) {
        *outSize = 0;
        return nullptr;
    }
    RequestReader reader(request, size);
    const CommandRow* row = vdsFindRow(table, reader.int16(2));
    if (row == nullptr || row->handler == nullptr) return nullptr;
    // A C++ exception must not unwind into the JVM or a native caller; the
    // only ones that can arise here are allocation failures.
    try {
        return answer(*row, reader, outSize);
    } catch (...) {
        *outSize = 0;
        return nullptr;
    }
}

void vdsFreeOutput(unsigned char* reply) { delete[] reply; }
