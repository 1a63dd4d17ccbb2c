#include "commands/list_reply.h"

#include <cstring>

#include "protocol/framing.h"

unsigned char* RecordList::grow(std::size_t length) {
    if (outOfMemory_) return nullptr;
    try {
        // Records of one list are alike: the first one's length sizes the rest.
        if (bytes_.empty() && expected_ > 1) bytes_.reserve(length * expected_ + length);
        const std::size_t at = bytes_.size();
        bytes_.resize(at + length);
        return bytes_.data() + at;
    } catch (const std::bad_alloc&) {
        outOfMemory_ = true;
        return nullptr;
    }
}

void RecordList::add(unsigned char* record, int length) {
    const std::unique_ptr<unsigned char[]> owned(record);
    if (record == nullptr) outOfMemory_ = true;
    if (record == nullptr || length <= 0) return;
    unsigned char* at = grow(static_cast<std::size_t>(length));
    if (at == nullptr) return;
    std::memcpy(at, record, static_cast<std::size_t>(length));
    ++count_;
}

int vdsListHeaderSize(ListForm form) {
    return form == ListForm::Short ? kShortListHeaderSize : kLongListHeaderSize;
}

HandlerResult RecordList::reply(int cmd, ListForm form) const {
    const int header = vdsListHeaderSize(form);
    const int size = header + static_cast<int>(bytes_.size());
    unsigned char* reply = outOfMemory_ ? nullptr : vdsAllocOutput(size);
    if (reply == nullptr) return HandlerResult::nullReply();
    vdsFillOutputHeader(reply, cmd, STATUS_OK, 0);
    if (form == ListForm::Short)
        vdsPutInt16(reply, count_, 12);
    else
        vdsPutInt32(reply, count_, 12);
    if (!bytes_.empty()) std::memcpy(reply + header, bytes_.data(), bytes_.size());
    return HandlerResult::built(reply, size);
}
