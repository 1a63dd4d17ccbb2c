// Bounds-checked access to a request.
//
// Handlers read every argument through this reader before they call VDS. A
// read that would pass the request's size yields zero (or nothing) and marks
// the request as short; so does a negative count or a count whose bytes do not
// fit the request or the address space. The handler then answers with the
// null reply instead of acting on arguments that the caller never sent.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/com_types.h"
#include "platform/vds_types.h"

// Wire width of one disk of a volume's disk array: the fields of
// VDS_INPUT_DISK as 32-bit Windows lays them out, padding included.
inline constexpr std::size_t kInputDiskRecordSize = 48;

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

    // Narrow text whose length stands just before it, as an int16 or an int32.
    std::string textAfterInt16(std::size_t lengthAt) {
        return countedText(lengthAt + 2, int16(lengthAt));
    }
    std::string textAfterInt32(std::size_t lengthAt) {
        return countedText(lengthAt + 4, int32(lengthAt));
    }
    // `length` bytes of text where the length came from the request itself.
    std::string countedText(std::size_t offset, std::int64_t length) {
        return claimCounted(offset, length, 1) ? text(offset, static_cast<std::size_t>(length))
                                               : std::string();
    }

    // `count` identifiers back to back from `offset`.
    std::vector<GUID> guids(std::size_t offset, std::int64_t count) {
        std::vector<GUID> ids;
        // An empty run copies nothing: memcpy must not see the null data() of an empty vector.
        if (!claimCounted(offset, count, sizeof(GUID)) || count == 0) return ids;
        ids.resize(static_cast<std::size_t>(count));
        std::memcpy(ids.data(), data_ + offset, ids.size() * sizeof(GUID));
        return ids;
    }

    // `count` InputDiskRecords back to back from `offset`, field by field so
    // that the host's own layout of VDS_INPUT_DISK does not matter.
    std::vector<VDS_INPUT_DISK> inputDisks(std::size_t offset, std::int64_t count) {
        std::vector<VDS_INPUT_DISK> disks;
        if (!claimCounted(offset, count, kInputDiskRecordSize)) return disks;
        disks.resize(static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < disks.size(); ++i) {
            const std::size_t at = offset + i * kInputDiskRecordSize;
            disks[i].diskId = guid(at);
            disks[i].ullSize = uint64(at + 16);
            disks[i].plexId = guid(at + 24);
            disks[i].memberIdx = uint32(at + 40);
        }
        return disks;
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

    // A count read from the request: refused when negative, when count * width
    // overflows, or when the elements run past the end.
    bool claimCounted(std::size_t offset, std::int64_t count, std::size_t width) {
        if (count < 0 ||
            static_cast<std::uint64_t>(count) > std::numeric_limits<std::size_t>::max() / width) {
            complete_ = false;
            return false;
        }
        return claim(offset, static_cast<std::size_t>(count) * width);
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
