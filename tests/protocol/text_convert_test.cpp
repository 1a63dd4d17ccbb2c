#include <gtest/gtest.h>

#include <string>

#include "ansi_text.h"
#include "protocol/text_convert.h"

namespace {

WideString wide(const char16_t* text) {
    const std::u16string_view units(text);
    return WideString(units.begin(), units.end());
}

TEST(TextConversion, WideToNarrowUsesTheAnsiCodePage) {
    struct Case {
        std::u16string wide;
        PinnedBytes narrow;
        bool lossless1252;  // every character has a byte of its own in 1252
    };
    const Case cases[] = {
        {u"", {"", ""}, true},
        {u"Disk 0", {"Disk 0", "Disk 0"}, true},
        {u"Donn\u00e9es", {"Donn\xc3\xa9" "es", "Donn\xe9" "es"}, true},
        {u"\u20ac 12", {"\xe2\x82\xac 12", "\x80 12"}, true},
        {u"\u65e5\u672c\u8a9e", {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", "???"}, false},
        {u"\U0001F600!", {"\xf0\x9f\x98\x80!"}, false},
    };
    for (const Case& c : cases) {
        const WideString w(c.wide.begin(), c.wide.end());
        NarrowText narrow(w.c_str());
        expectAnsiBytes(std::string(narrow.c_str(), narrow.size()), c.wide, c.narrow);
        EXPECT_EQ(narrow.size(), std::char_traits<char>::length(narrow.c_str()));
        // Back to wide text: whole wherever the code page holds every character.
        const WideString back = vdsWideFromBytes(narrow.c_str(), narrow.size());
        if (ansiCodePage() == CP_UTF8 || (ansiCodePage() == kWindowsLatin1CodePage && c.lossless1252)) {
            EXPECT_EQ(back, w);
        }
    }
}

TEST(TextConversion, NullGivesNullAndEmptyGivesEmpty) {
    char narrow[4] = {'x', 'x', 'x', 0};
    EXPECT_EQ(vdsWideToNarrow(nullptr, narrow, 4), nullptr);
    const WCHAR empty[1] = {0};
    ASSERT_EQ(vdsWideToNarrow(empty, narrow, 4), narrow);
    EXPECT_STREQ(narrow, "");

    WCHAR wideOut[4] = {u'x', u'x', 0, 0};
    EXPECT_EQ(vdsNarrowToWide(nullptr, wideOut, 4), nullptr);
    ASSERT_EQ(vdsNarrowToWide("", wideOut, 4), wideOut);
    EXPECT_EQ(wideOut[0], 0);
    NarrowText none(nullptr);
    EXPECT_STREQ(none.c_str(), "");
    EXPECT_EQ(none.size(), 0u);
}

// Windows' own conversion leaves what fitted, unterminated, when it runs out
// of room; the library's texts are then empty, never cut or unterminated.
TEST(TextConversion, ADestinationTooSmallLeavesEmptyText) {
    for (const char16_t* text : {u"abcdef", u"\u00e9t\u00e9 long"}) {
        const WideString w = wide(text);
        char narrow[3] = {'x', 'x', 'x'};
        vdsWideToNarrow(w.c_str(), narrow, 3);
        EXPECT_EQ(narrow[0], '\0');
    }
    WCHAR wideOut[3] = {u'x', u'x', u'x'};
    vdsNarrowToWide("abcdef", wideOut, 3);
    EXPECT_EQ(wideOut[0], 0);
}

TEST(TextConversion, LongTextsLeaveTheInlineBuffer) {
    const std::u16string text(5000, u'\u00e9');
    const WideString w(text.begin(), text.end());
    NarrowText narrow(w.c_str());
    EXPECT_EQ(narrow.size(), ansiBytes(text).size());
    EXPECT_GE(narrow.size(), 5000u);
}

TEST(TextConversion, BytesEndAtTheirFirstZero) {
    EXPECT_EQ(vdsWideFromBytes("ab\0cd", 5), wide(u"ab"));
    EXPECT_EQ(vdsWideFromBytes("", 0), wide(u""));
}

}  // namespace
