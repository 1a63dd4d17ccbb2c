#include "commands/list_reply.h"

#include <cstring>

#include "protocol/framing.h"

void RecordList::add(unsigned char* record, int length) {
    std::unique_ptr<unsigned char[]> owned(record);
    if (record == nullptr) outOfMemory_ = true;
    if (record == nullptr || length <= 0) return;
    chunks_.push_back({std::move(owned), static_cast<std::size_t>(length), 1});
    bytes_ += static_cast<std::size_t>(length);
    ++count_;
}

int vdsListHeaderSize(ListForm form) {
    return form == ListForm::Short ? kShortListHeaderSize : kLongListHeaderSize;
}

HandlerResult RecordList::reply(int cmd, ListForm form) const {
    const int header = vdsListHeaderSize(form);
    const int size = header + static_cast<int>(bytes_);
    unsigned char* reply = outOfMemory_ ? nullptr : vdsAllocOutput(size);
    if (reply == nullptr) return HandlerResult::nullReply();
    vdsFillOutputHeader(reply, cmd, STATUS_OK, 0);
    if (form == ListForm::Short)
        vdsPutInt16(reply, count_, 12);
    else
        vdsPutInt32(reply, count_, 12);
    unsigned char* at = reply + header;
    for (const Chunk& chunk : chunks_) {
        std::memcpy(at, chunk.bytes.get(), chunk.length);
        at += chunk.length;
    }
    return HandlerResult::built(reply, size);
}
