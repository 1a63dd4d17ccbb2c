#include "directory/record_builder.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <new>

#include "protocol/framing.h"

RecordBuilder::RecordBuilder(int fixedSize, LengthField lengthField)
    : fixedSize_(fixedSize), lengthField_(lengthField) {
    assert(fixedSize > 0 && fixedSize <= kMaxFixedSize);
    std::memset(fixed_, 0, static_cast<std::size_t>(fixedSize_));
}

RecordBuilder::~RecordBuilder() {
    for (int i = 0; i < textCount_; ++i) texts_[i].text.~NarrowText();
}

void RecordBuilder::takeText(int refOffset, LPWSTR wide) {
    assert(textCount_ < kMaxTexts);
    assert(refOffset >= 0 && refOffset + 4 <= fixedSize_);
    if (textCount_ < kMaxTexts) {
        new (&texts_[textCount_].text) NarrowText(wide);
        refOffsets_[textCount_] = refOffset;
        ++textCount_;
    }
    if (wide != nullptr) CoTaskMemFree(wide);
}

int RecordBuilder::place(Placed (&placed)[kMaxTexts]) const {
    int offset = fixedSize_;
    for (int i = 0; i < textCount_; ++i) {
        int limit = kMaxRecordTextLength;
        // Every text but the last must end where the next one's offset still
        // fits a TextRef.
        if (i + 1 < textCount_) limit = std::min(limit, kMaxRecordTextLength - offset);
        const NarrowText& text = texts_[i].text;
        const int length = static_cast<int>(vdsCutOnCharacter(
            text.c_str(), text.size(), static_cast<std::size_t>(std::max(limit, 0))));
        placed[i] = {offset, length};
        offset += length;
    }
    return offset;
}

int RecordBuilder::size() const {
    Placed placed[kMaxTexts];
    return place(placed);
}

void RecordBuilder::write(const Placed (&placed)[kMaxTexts], int total, unsigned char* dst) const {
    std::memcpy(dst, fixed_, static_cast<std::size_t>(fixedSize_));
    if (lengthField_ == LengthField::AtStart) vdsPutInt32(dst, total, 0);
    for (int i = 0; i < textCount_; ++i) {
        vdsPutInt16(dst, placed[i].length, refOffsets_[i]);
        vdsPutInt16(dst, placed[i].offset, refOffsets_[i] + 2);
        std::memcpy(dst + placed[i].offset, texts_[i].text.c_str(), static_cast<std::size_t>(placed[i].length));
    }
}

void RecordBuilder::writeTo(unsigned char* dst) const {
    Placed placed[kMaxTexts];
    const int total = place(placed);
    write(placed, total, dst);
}

void RecordBuilder::writeInto(RecordSink& out) const {
    Placed placed[kMaxTexts];
    const int total = place(placed);
    if (unsigned char* dst = out.room(total)) write(placed, total, dst);
}
