#include "commands/list_reply.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "protocol/framing.h"

RecordList::RecordList(ListForm form)
    : form_(form), header_(static_cast<std::size_t>(vdsListHeaderSize(form))) {}

unsigned char* RecordList::grow(std::size_t length) {
    if (outOfMemory_) return nullptr;
    const std::size_t needed = header_ + used_ + length;
    if (needed > capacity_) {
        // Records of one list are alike: the first one's length sizes the
        // rest, with an eighth more for texts that grow (names numbered up).
        std::size_t capacity = std::max(needed, 2 * capacity_);
        if (used_ == 0 && expected_ > 1)
            capacity = std::max(capacity, header_ + length * expected_ + length * expected_ / 8);
        std::unique_ptr<unsigned char[]> larger(new (std::nothrow) unsigned char[capacity]);
        if (!larger) {
            outOfMemory_ = true;
            return nullptr;
        }
        if (used_ != 0) std::memcpy(larger.get() + header_, block_.get() + header_, used_);
        block_ = std::move(larger);
        capacity_ = capacity;
    }
    unsigned char* at = block_.get() + header_ + used_;
    used_ += length;
    return at;
}

unsigned char* RecordList::room(int length) {
    if (length <= 0) return nullptr;
    unsigned char* at = grow(static_cast<std::size_t>(length));
    if (at != nullptr) ++count_;
    return at;
}

int vdsListHeaderSize(ListForm form) {
    return form == ListForm::Short ? kShortListHeaderSize : kLongListHeaderSize;
}

Answer RecordList::reply() {
    if (outOfMemory_) return Answer::nullReply();
    const std::size_t size = header_ + used_;
    // A block much larger than the reply (records shorter than the first
    // one promised) is not handed on: the records move to one of exact size.
    if (!block_ || capacity_ - size > size / 4 + 64) {
        unsigned char* exact = vdsAllocOutput(static_cast<int>(size));
        if (exact == nullptr) return Answer::nullReply();
        if (used_ != 0) std::memcpy(exact + header_, block_.get() + header_, used_);
        block_.reset(exact);
    }
    capacity_ = used_ = 0;
    if (form_ == ListForm::Short)
        vdsPutInt16(block_.get(), count_, 12);
    else
        vdsPutInt32(block_.get(), count_, 12);
    return ReplyBody(std::move(block_), size);
}
