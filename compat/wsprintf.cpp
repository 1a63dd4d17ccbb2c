// wsprintfA: the formatter of user32, not printf. Its format is
// %[-][#][0][width][.precision][h|l|w|I64]type with the types c C d i u x X
// s S p, and its sizes follow Windows: "l" is 32 bits, "I64" is 64 bits, and
// an upper-case or "l"/"w" string or character is wide (UTF-16, written out
// as UTF-8). A "%" followed by anything else writes that character. The
// output is limited to 1024 bytes, terminator included.

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/com_types.h"
#include "utf_transcode.h"

namespace {

constexpr std::size_t kMaxOutput = 1024;

class Output {
public:
    explicit Output(char* buffer) : buffer_(buffer) {}

    void put(char c) {
        if (length_ + 1 < kMaxOutput) buffer_[length_++] = c;
    }
    void put(std::string_view text) {
        for (char c : text) put(c);
    }
    void pad(int count, char c) {
        for (int i = 0; i < count; ++i) put(c);
    }
    int finish() {
        buffer_[length_] = '\0';
        return static_cast<int>(length_);
    }

private:
    char* buffer_;
    std::size_t length_ = 0;
};

enum class Size { Default, Short, Long, Wide, Int64 };

struct Conversion {
    bool leftAlign = false;
    bool hexPrefix = false;
    bool zeroPad = false;
    int width = 0;
    int precision = -1;  // -1: none given
    Size size = Size::Default;
    char type = 0;
};

int readNumber(const char*& p) {
    int value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 100000) value = value * 10 + (*p - '0');
        ++p;
    }
    return value;
}

// Parses what follows a '%'; leaves `p` on the type character.
Conversion parseConversion(const char*& p) {
    Conversion conv;
    for (;; ++p) {
        if (*p == '-') conv.leftAlign = true;
        else if (*p == '#') conv.hexPrefix = true;
        else if (*p == '0') conv.zeroPad = true;
        else break;
    }
    conv.width = readNumber(p);
    if (*p == '.') {
        ++p;
        conv.precision = readNumber(p);
    }
    if (*p == 'h') {
        conv.size = Size::Short;
        ++p;
    } else if (*p == 'l') {
        conv.size = Size::Long;
        ++p;
    } else if (*p == 'w') {
        conv.size = Size::Wide;
        ++p;
    } else if (std::strncmp(p, "I64", 3) == 0) {
        conv.size = Size::Int64;
        p += 3;
    }
    conv.type = *p;
    return conv;
}

// Text of a string or character, padded to the width.
void putPadded(Output& out, const Conversion& conv, std::string_view text) {
    const int padding = conv.width - static_cast<int>(text.size());
    if (!conv.leftAlign) out.pad(padding, ' ');
    out.put(text);
    if (conv.leftAlign) out.pad(padding, ' ');
}

std::string wideToUtf8(const char16_t* text, std::size_t count) {
    std::string utf8(tolvane::compat::utf16ToUtf8(text, count, nullptr).units, '\0');
    tolvane::compat::utf16ToUtf8(text, count, utf8.data());
    return utf8;
}

// Wide for upper-case types unless "h" says narrow; for lower-case types
// only with "l" or "w".
bool isWide(const Conversion& conv) {
    if (conv.type == 'S' || conv.type == 'C') return conv.size != Size::Short;
    return conv.size == Size::Long || conv.size == Size::Wide;
}

void putString(Output& out, const Conversion& conv, va_list& args) {
    std::string text;
    if (isWide(conv)) {
        const char16_t* wide = va_arg(args, const char16_t*);
        if (wide == nullptr) wide = u"(null)";
        std::size_t count = std::u16string_view(wide).size();
        if (conv.precision >= 0 && static_cast<std::size_t>(conv.precision) < count) {
            count = static_cast<std::size_t>(conv.precision);
            // Never split a surrogate pair.
            if (count > 0 && wide[count - 1] >= 0xD800 && wide[count - 1] <= 0xDBFF) --count;
        }
        text = wideToUtf8(wide, count);
    } else {
        const char* narrow = va_arg(args, const char*);
        if (narrow == nullptr) narrow = "(null)";
        std::size_t count = std::strlen(narrow);
        if (conv.precision >= 0 && static_cast<std::size_t>(conv.precision) < count)
            count = static_cast<std::size_t>(conv.precision);
        text.assign(narrow, count);
    }
    putPadded(out, conv, text);
}

void putCharacter(Output& out, const Conversion& conv, va_list& args) {
    const int value = va_arg(args, int);
    if (isWide(conv)) {
        const char16_t unit = static_cast<char16_t>(value);
        putPadded(out, conv, wideToUtf8(&unit, 1));
    } else {
        const char narrow = static_cast<char>(value);
        putPadded(out, conv, std::string_view(&narrow, 1));
    }
}

// Numbers go through snprintf with a conversion rebuilt from the parsed
// fields, so that only supported, correctly sized arguments reach it.
void putNumber(Output& out, const Conversion& conv, va_list& args) {
    std::string format = "%";
    if (conv.leftAlign) format += '-';
    if (conv.hexPrefix && (conv.type == 'x' || conv.type == 'X')) format += '#';
    if (conv.zeroPad) format += '0';
    if (conv.width > 0) format += std::to_string(conv.width);
    // A precision of 0 means 1 for wsprintf, which is printf's default.
    if (conv.precision > 0) format += '.' + std::to_string(conv.precision);
    const bool isSigned = conv.type == 'd' || conv.type == 'i';
    const char conversion = isSigned ? 'd' : conv.type;

    char text[kMaxOutput];
    if (conv.size == Size::Int64) {
        format += "ll";
        format += conversion;
        if (isSigned)
            std::snprintf(text, sizeof text, format.c_str(),
                          static_cast<long long>(va_arg(args, std::int64_t)));
        else
            std::snprintf(text, sizeof text, format.c_str(),
                          static_cast<unsigned long long>(va_arg(args, std::uint64_t)));
    } else {
        format += conversion;
        // "l" is 32 bits on Windows, like the plain int.
        const int raw = va_arg(args, int);
        const bool isShort = conv.size == Size::Short;
        if (isSigned)
            std::snprintf(text, sizeof text, format.c_str(),
                          isShort ? static_cast<int>(static_cast<std::int16_t>(raw)) : raw);
        else
            std::snprintf(text, sizeof text, format.c_str(),
                          isShort ? static_cast<unsigned>(static_cast<std::uint16_t>(raw))
                                  : static_cast<unsigned>(raw));
    }
    out.put(text);
}

void putPointer(Output& out, va_list& args) {
    char text[2 * sizeof(void*) + 1];
    std::snprintf(text, sizeof text, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(
                      reinterpret_cast<std::uintptr_t>(va_arg(args, void*))));
    out.put(text);
}

}  // namespace

extern "C" int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    if (buffer == nullptr) return 0;
    Output out(buffer);
    if (format == nullptr) return out.finish();
    va_list args;
    va_start(args, format);
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out.put(*p);
            continue;
        }
        ++p;
        Conversion conv = parseConversion(p);
        switch (conv.type) {
            case 's': case 'S': putString(out, conv, args); break;
            case 'c': case 'C': putCharacter(out, conv, args); break;
            case 'd': case 'i': case 'u': case 'x': case 'X': putNumber(out, conv, args); break;
            case 'p': putPointer(out, args); break;
            case '\0': --p; break;  // a lone '%' at the end
            default: out.put(conv.type); break;
        }
    }
    va_end(args);
    return out.finish();
}
