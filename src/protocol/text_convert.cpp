#include "protocol/text_convert.h"

#include <cstdint>
#include <limits>

namespace {

// ASCII has the same bytes in every ANSI code page (and in UTF-8), so a text
// made only of it is copied rather than converted. Copies at most `room`
// characters; returns how many it copied before a terminator or the first
// character outside ASCII (or the room's end), at which `src` then points.
std::size_t copyAscii(const WCHAR* src, char* dst, std::size_t room) {
    std::size_t n = 0;
    while (n < room && src[n] != 0 && static_cast<std::uint16_t>(src[n]) < 0x80) {
        dst[n] = static_cast<char>(src[n]);
        ++n;
    }
    return n;
}

}  // namespace

char* vdsWideToNarrow(const WCHAR* src, char* dst, int dstSize) {
    if (src == nullptr) return nullptr;
    if (dst == nullptr || dstSize <= 0) return dst;
    const std::size_t room = static_cast<std::size_t>(dstSize) - 1;
    const std::size_t copied = copyAscii(src, dst, room);
    if (src[copied] == 0) {
        dst[copied] = 0;
        return dst;
    }
    // Not ASCII throughout, or too long: the code page's conversion decides,
    // and a failure leaves empty text. Windows' conversion leaves what fitted
    // in the buffer when it runs out of room, unterminated.
    if (WideCharToMultiByte(CP_ACP, 0, src, -1, dst, dstSize, nullptr, nullptr) == 0) dst[0] = 0;
    return dst;
}

WCHAR* vdsNarrowToWide(const char* src, WCHAR* dst, int dstCount) {
    if (src == nullptr) return nullptr;
    if (dst == nullptr || dstCount <= 0) return dst;
    if (MultiByteToWideChar(CP_ACP, 0, src, -1, dst, dstCount) == 0) dst[0] = 0;
    return dst;
}

std::size_t vdsWideLength(const WCHAR* text) {
    std::size_t n = 0;
    if (text != nullptr)
        while (text[n] != 0) ++n;
    return n;
}

NarrowText::NarrowText(const WCHAR* wide) {
    inline_[0] = 0;
    if (wide == nullptr) return;
    // Most texts are short and ASCII: copied straight into the object.
    const std::size_t copied = copyAscii(wide, inline_, sizeof(inline_) - 1);
    if (wide[copied] == 0) {
        inline_[copied] = 0;
        size_ = copied;
        return;
    }
    inline_[0] = 0;  // the prefix copied above is no text yet
    std::size_t length = copied;
    bool ascii = true;
    for (; wide[length] != 0; ++length) ascii = ascii && static_cast<std::uint16_t>(wide[length]) < 0x80;
    if (ascii) {
        heap_.assign(length, '\0');
        text_ = heap_.data();
        size_ = copyAscii(wide, text_, length);
        return;
    }
    // Two bytes per wide character always suffice in a double-byte code page;
    // a UTF-8 code page may need three for characters of the BMP.
    const std::size_t needed = 3 * length + 2;
    if (needed > static_cast<std::size_t>(std::numeric_limits<int>::max())) return;
    if (needed > sizeof(inline_)) {
        heap_.assign(needed, '\0');
        text_ = heap_.data();
    }
    vdsWideToNarrow(wide, text_, static_cast<int>(needed));
    while (text_[size_] != 0) ++size_;
}

std::size_t vdsCutOnCharacter(const char* text, std::size_t size, std::size_t limit) {
    if (size <= limit) return size;
#if defined(_WIN32)
    // A double-byte code page marks characters by their lead byte only, so the
    // text is walked from its start.
    if (GetACP() != CP_UTF8) {
        std::size_t at = 0;
        while (at < size) {
            const std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[at])) ? 2 : 1;
            if (at + width > limit) break;
            at += width;
        }
        return at;
    }
#endif
    // UTF-8: a character never starts with a continuation byte (10xxxxxx).
    std::size_t at = limit;
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
    return at;
}

WideString vdsWideFromBytes(const char* bytes, std::size_t length) {
    const std::string narrow(bytes, length);  // terminated copy
    if (length + 1 > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    WideString wide(length + 1, u'\0');
    vdsNarrowToWide(narrow.c_str(), wide.data(),
                    static_cast<int>(wide.size()));
    wide.resize(vdsWideLength(wide.c_str()));
    return wide;
}
