// The narrow form of every kind of wide text, byte for byte, whichever way the
// conversion takes: plain ASCII, ASCII that turns multibyte part way, each
// UTF-8 width, broken surrogates, and texts on both sides of the inline
// buffer. Replies and log lines carry these bytes unchanged. The bytes are
// the ANSI code page's: UTF-8 off Windows, usually 1252 on Windows.
#include <gtest/gtest.h>

#include <string>

#include "ansi_text.h"
#include "protocol/text_convert.h"

namespace {

struct NarrowCase {
    const char* name;
    std::u16string wide;
    PinnedBytes narrow;
};

std::u16string repeat(std::u16string_view unit, std::size_t times) {
    std::u16string out;
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

std::string repeat(std::string_view unit, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

std::vector<NarrowCase> narrowCases() {
    std::u16string allAscii;
    std::string allAsciiNarrow;
    for (char16_t c = 1; c < 0x80; ++c) {
        allAscii += c;
        allAsciiNarrow += static_cast<char>(c);
    }
    return {
        {"every ASCII character", allAscii, {allAsciiNarrow, allAsciiNarrow}},
        {"ASCII then U+0080", u"abc\u0080", {"abc\xc2\x80"}},
        {"two-byte at the end", u"Donn\u00e9", {"Donn\xc3\xa9", "Donn\xe9"}},
        {"two-byte first", u"\u00e9t\u00e9", {"\xc3\xa9t\xc3\xa9", "\xe9t\xe9"}},
        {"euro sign, 0x80 in 1252", u"\u20ac5", {"\xe2\x82\xac" "5", "\x80" "5"}},
        {"three-byte", u"x\u2713y\uffff", {"x\xe2\x9c\x93y\xef\xbf\xbf"}},
        {"four-byte", u"\U0001D11E\U0010FFFF", {"\xf0\x9d\x84\x9e\xf4\x8f\xbf\xbf"}},
        {"lone high surrogate", std::u16string(u"a") + char16_t(0xD834) + u"b", {"a\xef\xbf\xbd" "b"}},
        {"lone low surrogate at the end", std::u16string(u"a") + char16_t(0xDD1E), {"a\xef\xbf\xbd"}},
        {"255 ASCII, inline", repeat(u"a", 255), {repeat("a", 255), repeat("a", 255)}},
        {"ASCII past the inline buffer", repeat(u"abcd", 300), {repeat("abcd", 300), repeat("abcd", 300)}},
        {"long ASCII turning multibyte at its end", repeat(u"a", 1000) + u"\u65e5",
         {repeat("a", 1000) + "\xe6\x97\xa5", repeat("a", 1000) + "?"}},
        {"multibyte past the inline buffer", repeat(u"\u65e5", 200), {repeat("\xe6\x97\xa5", 200), repeat("?", 200)}},
        {"Latin-1 past the inline buffer", repeat(u"\u00e9", 300), {repeat("\xc3\xa9", 300), repeat("\xe9", 300)}},
    };
}

TEST(NarrowTextBytes, EveryKindOfTextGivesItsExactBytes) {
    for (const NarrowCase& c : narrowCases()) {
        SCOPED_TRACE(c.name);
        const WideString wide(c.wide.begin(), c.wide.end());
        const NarrowText text(wide.c_str());
        expectAnsiBytes(std::string(text.c_str(), text.size()), c.wide, c.narrow);
        EXPECT_EQ(text.c_str()[text.size()], '\0');

        std::string buffer(ansiBytes(c.wide).size() + 1, 'x');
        ASSERT_EQ(vdsWideToNarrow(wide.c_str(), buffer.data(), static_cast<int>(buffer.size())), buffer.data());
        expectAnsiBytes(std::string(buffer.c_str()), c.wide, c.narrow);
    }
}

// One byte short of the terminator is a failed conversion: empty text, not a
// cut or unterminated one.
TEST(NarrowTextBytes, ABufferOneByteShortGivesEmptyText) {
    for (const NarrowCase& c : narrowCases()) {
        SCOPED_TRACE(c.name);
        const WideString wide(c.wide.begin(), c.wide.end());
        std::string buffer(ansiBytes(c.wide).size(), 'x');
        vdsWideToNarrow(wide.c_str(), buffer.data(), static_cast<int>(buffer.size()));
        EXPECT_EQ(buffer[0], '\0');
    }
}

}  // namespace
