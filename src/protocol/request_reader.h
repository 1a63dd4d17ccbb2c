// Bounds-checked access to a request.
//
// Handlers read every argument through this reader before they call VDS. A
// read that would pass the request's size yields zero and marks the request
// as short; the handler then answers with the null reply instead of acting on
// arguments that the caller never sent.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/com_types.h"

class RequestReader {
public:
    RequestReader(const unsigned char* data, int size)
        : data_(data), size_(size < 0 ? 0 : static_cast<std::size_t>(size)) {}

    std::size_t size() const { return size_; }

    // False once any read has run past the end of the request.
    bool complete() const { return complete_; }

    std::int16_t int16(std::size_t offset) {
        return static_cast<std::int16_t>(uint(offset, 2));
    }
    std::int32_t int32(std::size_t offset) {
        return static_cast<std::int32_t>(uint(offset, 4));
    }
    std::uint32_t uint32(std::size_t offset) {
        return static_cast<std::uint32_t>(uint(offset, 4));
    }
    // Unsigned 64-bit value stored as its low half, then its high half.
    std::uint64_t uint64(std::size_t offset) { return uint(offset, 8); }
    std::uint8_t byte(std::size_t offset) { return static_cast<std::uint8_t>(uint(offset, 1)); }

    GUID guid(std::size_t offset) {
        GUID id{};
        if (claim(offset, sizeof(GUID))) std::memcpy(&id, data_ + offset, sizeof(GUID));
        return id;
    }

    // `length` bytes of narrow text, without a terminator in the request.
    std::string text(std::size_t offset, std::size_t length) {
        if (!claim(offset, length)) return {};
        return std::string(reinterpret_cast<const char*>(data_ + offset), length);
    }

    // Pointer to `length` bytes inside the request, or null when they are not all there.
    const unsigned char* bytes(std::size_t offset, std::size_t length) {
        return claim(offset, length) ? data_ + offset : nullptr;
    }

private:
    bool claim(std::size_t offset, std::size_t width) {
        if (offset > size_ || width > size_ - offset) {
            complete_ = false;
            return false;
        }
        return true;
    }

    std::uint64_t uint(std::size_t offset, std::size_t width) {
        if (!claim(offset, width)) return 0;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value |= static_cast<std::uint64_t>(data_[offset + i]) << (8 * i);
        return value;
    }

    const unsigned char* data_;
    std::size_t size_;
    bool complete_ = true;
};
