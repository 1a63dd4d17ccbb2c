#include <gtest/gtest.h>

#include <string>

#include "protocol/text_convert.h"

namespace {

WideString wide(const char16_t* text) {
    return WideString(reinterpret_cast<const WCHAR*>(text));
}

TEST(TextConversion, WideToNarrowUsesTheUtf8CodePage) {
    struct Case {
        const char16_t* wide;
        const char* narrow;
    };
    const Case cases[] = {
        {u"", ""},
        {u"Disk 0", "Disk 0"},
        {u"Donn\u00e9es", "Donn\xc3\xa9" "es"},
        {u"\u65e5\u672c\u8a9e", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
        {u"\U0001F600!", "\xf0\x9f\x98\x80!"},
    };
    for (const Case& c : cases) {
        const WideString w = wide(c.wide);
        NarrowText narrow(w.c_str());
        EXPECT_STREQ(narrow.c_str(), c.narrow);
        EXPECT_EQ(narrow.size(), std::char_traits<char>::length(c.narrow));
        EXPECT_EQ(vdsWideFromBytes(c.narrow, std::char_traits<char>::length(c.narrow)), w);
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

TEST(TextConversion, ADestinationTooSmallLeavesEmptyText) {
    const WideString w = wide(u"abcdef");
    char narrow[3] = {'x', 'x', 0};
    vdsWideToNarrow(w.c_str(), narrow, 3);
    EXPECT_STREQ(narrow, "");
}

TEST(TextConversion, LongTextsLeaveTheInlineBuffer) {
    WideString w(5000, static_cast<WCHAR>(u'\u00e9'));
    NarrowText narrow(w.c_str());
    EXPECT_EQ(narrow.size(), 10000u);
}

TEST(TextConversion, BytesEndAtTheirFirstZero) {
    EXPECT_EQ(vdsWideFromBytes("ab\0cd", 5), wide(u"ab"));
    EXPECT_EQ(vdsWideFromBytes("", 0), wide(u""));
}

}  // namespace
