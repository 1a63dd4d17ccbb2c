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

// The one place a reply is made: an outcome's reply at the row's size,
// logged; a body given its header, unlogged.
unsigned char* answer(const CommandRow& row, RequestReader& reader, IVdsService* service, int* outSize) {
    Answer answered = row.answer(reader, service);
    if (answered.isNullReply()) {
        *outSize = 0;
        return nullptr;
    }
    if (answered.hasBody()) {
        ReplyBody body = answered.takeBody();
        vdsFillOutputHeader(body.data(), row.replyCode, STATUS_OK, 0);
        *outSize = static_cast<int>(body.size());
        return body.release();
    }
    const Outcome& o = answered.outcome();
    return vdsMakeOutput(row.failureReplySize, row.replyCode, o.status, o.addStatus, outSize);
}

}  // namespace

unsigned char* vdsDispatch(std::span<const CommandRow> table, IVdsService* service, const unsigned char* request,
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
    if (row == nullptr) return nullptr;
    // A C++ exception must not unwind into the JVM or a native caller; the
    // only ones that can arise here are allocation failures.
    try {
        return answer(*row, reader, service, outSize);
    } catch (...) {
        *outSize = 0;
        return nullptr;
    }
}

void vdsFreeOutput(unsigned char* reply) { delete[] reply; }
