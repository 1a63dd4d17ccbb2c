// Conversions between VDS's wide text and the narrow text of records,
// requests and log lines, in the system's ANSI code page.
#pragma once

#include <cstddef>
#include <string>

#include "platform/com_types.h"

using WideString = std::basic_string<WCHAR>;

// Converts into `dst` (dstSize bytes); a failed conversion leaves empty text.
// A null source gives null.
char* vdsWideToNarrow(const WCHAR* src, char* dst, int dstSize);

// Converts into `dst` (dstCount wide characters); a failed conversion leaves
// empty text. A null source gives null.
WCHAR* vdsNarrowToWide(const char* src, WCHAR* dst, int dstCount);

// Length of a wide text in characters, without its terminator.
std::size_t vdsWideLength(const WCHAR* text);

// A narrow copy of a wide text that lives as long as the object. Short texts
// stay in the object itself; longer ones get a buffer of their own.
class NarrowText {
public:
    explicit NarrowText(const WCHAR* wide);
    NarrowText(const NarrowText&) = delete;
    NarrowText& operator=(const NarrowText&) = delete;

    const char* c_str() const { return text_; }
    // Bytes up to the first zero byte.
    std::size_t size() const { return size_; }

private:
    char inline_[256];
    std::string heap_;
    char* text_ = inline_;
    std::size_t size_ = 0;
};

// The length of the longest prefix of `text` (`size` bytes of narrow text in
// the ANSI code page) that is at most `limit` bytes and ends between two
// characters, so that cutting a text never leaves half a character behind.
std::size_t vdsCutOnCharacter(const char* text, std::size_t size, std::size_t limit);

// A wide copy of `length` narrow bytes (which need no terminator); the text
// ends at its first zero byte. Never null: empty input gives empty text.
WideString vdsWideFromBytes(const char* bytes, std::size_t length);
