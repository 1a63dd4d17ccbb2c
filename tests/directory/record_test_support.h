// Helpers for the record writer tests: texts allocated the way VDS hands them
// out, and an exact byte-for-byte check of a record.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "directory/records.h"
#include "platform/com_types.h"

// A copy of `text` in COM task memory; the writer under test frees it.
inline LPWSTR comText(std::u16string_view text) {
    auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    for (std::size_t i = 0; i < text.size(); ++i) copy[i] = static_cast<WCHAR>(text[i]);
    copy[text.size()] = 0;
    return copy;
}

inline LPWSTR comText(std::size_t count, char16_t fill) {
    return comText(std::u16string(count, fill));
}

// A writer's block, given back with delete[].
struct Record {
    std::unique_ptr<unsigned char[]> bytes;
    int length = -1;

    std::uint32_t u32(int offset) const {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | bytes[static_cast<std::size_t>(offset + i)];
        return v;
    }
    std::int16_t i16(int offset) const {
        return static_cast<std::int16_t>(bytes[static_cast<std::size_t>(offset)] |
                                         (bytes[static_cast<std::size_t>(offset + 1)] << 8));
    }
    std::string text(int offset, int size) const {
        return std::string(reinterpret_cast<const char*>(bytes.get()) + offset,
                           static_cast<std::size_t>(size));
    }
};

template <typename Prop>
Record makeRecord(void (*writer)(Prop, RecordSink&), const Prop& prop) {
    Record r;
    r.bytes.reset(vdsMakeRecord(writer, prop, &r.length));
    return r;
}

// The record that a fixed-size writer writes where it goes, over old bytes
// (0xCC), so that every byte of the layout must be written by the writer.
template <typename Prop>
Record makeFixedRecord(void (*writeAt)(const Prop&, unsigned char*), const Prop& prop, int size) {
    Record r;
    r.length = size;
    r.bytes.reset(new unsigned char[static_cast<std::size_t>(size)]);
    std::memset(r.bytes.get(), 0xCC, static_cast<std::size_t>(size));
    writeAt(prop, r.bytes.get());
    return r;
}

// One field of an expected layout: its offset and its bytes.
struct Field {
    int offset;
    std::vector<std::uint8_t> bytes;
};

inline std::vector<std::uint8_t> le(std::uint64_t value, int width) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}
inline Field i16At(int offset, std::int64_t v) { return {offset, le(static_cast<std::uint64_t>(v), 2)}; }
inline Field i32At(int offset, std::int64_t v) { return {offset, le(static_cast<std::uint64_t>(v), 4)}; }
inline Field u64At(int offset, std::uint64_t v) { return {offset, le(v, 8)}; }
inline Field bytesAt(int offset, std::initializer_list<std::uint8_t> b) { return {offset, b}; }
inline Field textAt(int offset, std::string_view t) { return {offset, {t.begin(), t.end()}}; }
// A TextRef: int16 length, then int16 offset.
inline Field refAt(int offset, int length, int textOffset) {
    std::vector<std::uint8_t> b = le(static_cast<std::uint64_t>(length), 2);
    const std::vector<std::uint8_t> o = le(static_cast<std::uint64_t>(textOffset), 2);
    b.insert(b.end(), o.begin(), o.end());
    return {offset, b};
}

// The record is exactly `size` bytes, holds every field and is 0 elsewhere.
inline void expectLayout(const Record& record, int size, const std::vector<Field>& fields) {
    ASSERT_NE(record.bytes, nullptr);
    ASSERT_EQ(record.length, size);
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(size), 0);
    for (const Field& f : fields) {
        ASSERT_LE(f.offset + static_cast<int>(f.bytes.size()), size) << "field at " << f.offset;
        std::memcpy(expected.data() + f.offset, f.bytes.data(), f.bytes.size());
    }
    for (int i = 0; i < size; ++i)
        EXPECT_EQ(record.bytes[static_cast<std::size_t>(i)], expected[static_cast<std::size_t>(i)])
            << "byte " << i;
}

// Distinct identifiers whose memory order is spelled out by hand, so that a
// writer that reorders a GUID's parts is caught.
inline constexpr GUID kIdA = {0x44332211, 0x6655, 0x8877, {0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xF0, 0x0F}};
inline const std::vector<std::uint8_t> kIdABytes = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88,
                                                    0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xF0, 0x0F};
inline constexpr GUID kIdB = {0x0D0C0B0A, 0x0201, 0x0403, {1, 2, 3, 4, 5, 6, 7, 8}};
inline const std::vector<std::uint8_t> kIdBBytes = {0x0A, 0x0B, 0x0C, 0x0D, 0x01, 0x02, 0x03, 0x04,
                                                    1, 2, 3, 4, 5, 6, 7, 8};
inline Field guidAt(int offset, const std::vector<std::uint8_t>& bytes) { return {offset, bytes}; }
