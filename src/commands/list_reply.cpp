#include "commands/list_reply.h"

#include <cstring>

#include "protocol/framing.h"

void RecordList::add(unsigned char* record, int length) {
    if (record == nullptr) return;
    if (length > 0) payload_.insert(payload_.end(), record, record + length);
    delete[] record;
    if (length > 0) ++count_;
}

int vdsListHeaderSize(ListForm form) {
    return form == ListForm::Short ? kShortListHeaderSize : kLongListHeaderSize;
}

unsigned char* RecordList::reply(int cmd, ListForm form, int* outSize) const {
    const int header = vdsListHeaderSize(form);
    const int size = header + static_cast<int>(payload_.size());
    unsigned char* reply = vdsAllocOutput(size);
    if (reply == nullptr) {
        *outSize = 0;
        return nullptr;
    }
    vdsFillOutputHeader(reply, cmd, STATUS_OK, 0);
    if (form == ListForm::Short)
        vdsPutInt16(reply, count_, 12);
    else
        vdsPutInt32(reply, count_, 12);
    if (!payload_.empty()) std::memcpy(reply + header, payload_.data(), payload_.size());
    *outSize = size;
    return reply;
}
