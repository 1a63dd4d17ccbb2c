// Records gathered for a list reply, and the two reply forms: a 16-bit count
// at offset 12 with records from 14, or a 32-bit count with records from 16.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "directory/record_builder.h"
#include "protocol/outcome.h"

enum class ListForm { Short, Long };

int vdsListHeaderSize(ListForm form);

class RecordList final : public RecordSink {
public:
    // The records are laid out after the header of `form` from the start, so
    // the reply is the block they were written into.
    explicit RecordList(ListForm form);

    // The number of records expected: room for them is made once the first
    // one shows its length.
    void reserve(int records) { expected_ = records > 0 ? static_cast<std::size_t>(records) : 0; }

    // Room for one more record of `length` bytes at the end of the list:
    // record writers write straight into the reply.
    unsigned char* room(int length) override;

    // Writes `count` records of `recordSize` bytes in place: `write(i, at)`
    // writes record i at `at`.
    template <typename Write>
    void addFixed(int count, std::size_t recordSize, Write&& write) {
        if (count <= 0) return;
        const std::size_t length = recordSize * static_cast<std::size_t>(count);
        unsigned char* at = grow(length);
        if (at == nullptr) return;
        for (int i = 0; i < count; ++i) write(i, at + recordSize * static_cast<std::size_t>(i));
        count_ += count;
    }

    int count() const { return count_; }

    // The success reply's body at its exact length, with the count written
    // before the records; the dispatcher gives it its header and logs no
    // "Output size" line. The records are written once, into the block that
    // becomes the reply, in the order they were added. The null reply when
    // memory ran out. The list is empty afterwards.
    Answer reply();

private:
    // Room for `length` more bytes after the records; null (and the list
    // marked incomplete) when it cannot be had.
    unsigned char* grow(std::size_t length);

    // The reply in the making: room for the header, then every record back
    // to back.
    ListForm form_;
    std::size_t header_;
    std::unique_ptr<unsigned char[]> block_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;  // record bytes
    std::size_t expected_ = 0;
    int count_ = 0;
    // A record could not be kept: the reply would be incomplete, so there is none.
    bool outOfMemory_ = false;
};

