// Records gathered for a list reply, and the two reply forms: a 16-bit count
// at offset 12 with records from 14, or a 32-bit count with records from 16.
#pragma once

#include <cstdint>
#include <vector>

enum class ListForm { Short, Long };

class RecordList {
public:
    // Appends a record that a writer allocated, and frees it.
    void add(unsigned char* record, int length);
    // Appends `length` bytes written by `write` into place.
    template <typename Write>
    void addInPlace(std::size_t length, Write&& write) {
        const std::size_t at = payload_.size();
        payload_.resize(at + length);
        write(payload_.data() + at);
        ++count_;
    }

    int count() const { return count_; }

    // The success reply at its exact length, built without the "Output size" line.
    unsigned char* reply(int cmd, ListForm form, int* outSize) const;

private:
    std::vector<unsigned char> payload_;
    int count_ = 0;
};

int vdsListHeaderSize(ListForm form);
