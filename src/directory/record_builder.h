// Assembles one wire record: a zero-filled fixed part, optionally followed by
// narrow texts that the fixed part locates through TextRefs (int16 length,
// int16 offset from the record's start).
#pragma once

#include <cassert>
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/com_types.h"
#include "protocol/framing.h"
#include "protocol/text_convert.h"

// Where a record goes once its length is known: the end of a list's reply, a
// block of its own, or a place already set aside.
class RecordSink {
public:
    // Room for `length` bytes, every one of which is then written; null when
    // there is none (the record is dropped, and the sink remembers why).
    virtual unsigned char* room(int length) = 0;

protected:
    ~RecordSink() = default;
};

// Largest text, and largest text offset, that a TextRef can state.
inline constexpr int kMaxRecordTextLength = 32767;

class RecordBuilder {
public:
    enum class LengthField { None, AtStart };

    // `fixedSize` is at most kMaxFixedSize. With LengthField::AtStart the
    // record's total length is stored as int32 at offset 0.
    RecordBuilder(int fixedSize, LengthField lengthField);
    ~RecordBuilder();
    RecordBuilder(const RecordBuilder&) = delete;
    RecordBuilder& operator=(const RecordBuilder&) = delete;

    // Inline: a record is a dozen of these, and a list many thousand records.
    void putInt16(int offset, int value) {  // low 16 bits
        assert(offset >= 0 && offset + 2 <= fixedSize_);
        vdsPutInt16(fixed_, value, offset);
    }
    void putInt32(int offset, std::int32_t value) {
        assert(offset >= 0 && offset + 4 <= fixedSize_);
        vdsPutInt32(fixed_, value, offset);
    }
    void putUInt32(int offset, std::uint32_t value) { putInt32(offset, static_cast<std::int32_t>(value)); }
    void putUInt64(int offset, std::uint64_t value) {  // low half first
        assert(offset >= 0 && offset + 8 <= fixedSize_);
        vdsPutUInt64(fixed_, value, offset);
    }
    void putByte(int offset, std::uint8_t value) {
        assert(offset >= 0 && offset < fixedSize_);
        fixed_[offset] = value;
    }
    void putGuid(int offset, const GUID& id) {  // memory order
        static_assert(sizeof(GUID) == 16);
        assert(offset >= 0 && offset + 16 <= fixedSize_);
        std::memcpy(fixed_ + offset, &id, sizeof(GUID));
    }

    // Appends the narrow form of `wide` after the texts added so far and has
    // its TextRef written at `refOffset`. Takes ownership of the text: it is
    // freed with CoTaskMemFree once converted. Null or empty gives length 0.
    void takeText(int refOffset, LPWSTR wide);

    // Total record length. A text is cut where its length, or the offset of
    // the text after it, would no longer fit a TextRef.
    int size() const;

    // Writes the complete record (size() bytes) to `dst`.
    void writeTo(unsigned char* dst) const;

    // Writes the complete record into the room that `out` makes for it.
    void writeInto(RecordSink& out) const;

    static constexpr int kMaxFixedSize = 72;
    static constexpr int kMaxTexts = 3;

private:
    struct Placed {
        int offset;
        int length;
    };
    // Where every text goes, and the record's total length, in one pass.
    int place(Placed (&placed)[kMaxTexts]) const;
    void write(const Placed (&placed)[kMaxTexts], int total, unsigned char* dst) const;

    unsigned char fixed_[kMaxFixedSize];  // the first fixedSize_ bytes zeroed at construction
    int fixedSize_;
    LengthField lengthField_;
    // Narrow copies, constructed in place as texts are taken (short texts stay
    // inline); slots past textCount_ are left raw, so a builder costs nothing
    // for the texts it does not carry.
    union TextSlot {
        TextSlot() {}
        ~TextSlot() {}
        NarrowText text;
    };
    TextSlot texts_[kMaxTexts];
    int refOffsets_[kMaxTexts] = {};
    int textCount_ = 0;
};
