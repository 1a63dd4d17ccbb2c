// Records gathered for a list reply, and the two reply forms: a 16-bit count
// at offset 12 with records from 14, or a 32-bit count with records from 16.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "protocol/outcome.h"

enum class ListForm { Short, Long };

class RecordList {
public:
    void reserve(int records) { chunks_.reserve(records > 0 ? static_cast<std::size_t>(records) : 0); }

    // Keeps a record that a writer allocated, until it is copied into the reply.
    void add(unsigned char* record, int length);

    // Writes `count` records of `recordSize` bytes in place: `write(i, at)`
    // writes record i at `at`.
    template <typename Write>
    void addFixed(int count, std::size_t recordSize, Write&& write) {
        if (count <= 0) return;
        const std::size_t length = recordSize * static_cast<std::size_t>(count);
        std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[length]);
        if (!block) {
            outOfMemory_ = true;
            return;
        }
        for (int i = 0; i < count; ++i) write(i, block.get() + recordSize * static_cast<std::size_t>(i));
        chunks_.push_back({std::move(block), length, count});
        bytes_ += length;
        count_ += count;
    }

    int count() const { return count_; }

    // The success reply at its exact length, built without the "Output size"
    // line; every record is copied once, in the order it was added. The null
    // reply when memory ran out.
    HandlerResult reply(int cmd, ListForm form) const;

private:
    struct Chunk {
        std::unique_ptr<unsigned char[]> bytes;
        std::size_t length;
        int records;
    };
    std::vector<Chunk> chunks_;
    std::size_t bytes_ = 0;
    int count_ = 0;
    // A record could not be kept: the reply would be incomplete, so there is none.
    bool outOfMemory_ = false;
};

int vdsListHeaderSize(ListForm form);
