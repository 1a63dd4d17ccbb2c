#include "reply_check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "commands/command_table.h"

namespace {

constexpr int kReplyHeader = 12;

std::int16_t int16At(const unsigned char* bytes) {
    std::int16_t v = 0;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

std::int32_t int32At(const unsigned char* bytes) {
    std::int32_t v = 0;
    std::memcpy(&v, bytes, sizeof v);
    return v;
}

std::string fault(const char* what, std::int16_t code, long detail) {
    char line[160];
    std::snprintf(line, sizeof line, "%s (command 0x%04X, %ld)", what, static_cast<unsigned>(code) & 0xFFFFu, detail);
    return line;
}

}  // namespace

std::optional<std::string> replyFault(const unsigned char* request, std::size_t size, const unsigned char* out,
                                      int outSize) {
    if (size < 4) {
        if (out != nullptr || outSize != 0) return fault("a request without a header got a reply", 0, outSize);
        return std::nullopt;
    }
    const std::int16_t code = int16At(request + 2);
    const CommandRow* row = vdsFindCommand(code);
    const bool known = row != nullptr;
    if (out == nullptr) {
        if (!known && outSize != kOutSizeUntouched) return fault("an unknown command got a reply length", code, outSize);
        if (known && outSize != 0) return fault("a null reply with a length", code, outSize);
        return std::nullopt;
    }
    if (!known) return fault("an unknown command was answered", code, outSize);
    if (outSize < kReplyHeader) return fault("a reply shorter than its header", code, outSize);
    if (int16At(out + 2) != row->replyCode)
        return fault("a reply naming another command", code, int16At(out + 2));
    const std::int32_t status = int32At(out + 4);
    if (status == 0) return std::nullopt;
    if (!row->mayAnswer(status)) return fault("a status the command's row does not list", code, status);
    if (outSize != row->failureReplySize) return fault("a failure reply of another length than its row's", code, outSize);
    for (int i = kReplyHeader; i < outSize; ++i)
        if (out[i] != 0) return fault("a failure reply carrying data at this byte", code, i);
    return std::nullopt;
}
