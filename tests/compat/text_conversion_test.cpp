#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com_types.h"

namespace {

struct TextCase {
    const char* name;
    std::u16string wide;
    std::string narrow;
};

const TextCase kTexts[] = {
    {"ascii", u"Tolvane VDS", "Tolvane VDS"},
    {"empty", u"", ""},
    {"latin accent", u"Volume \u00E9t\u00E9", "Volume \xC3\xA9t\xC3\xA9"},
    {"cjk", u"\u65E5\u672C", "\xE6\x97\xA5\xE6\x9C\xAC"},
    {"surrogate pair", u"x\U0001F600y", "x\xF0\x9F\x98\x80y"},
};

int toNarrow(const std::u16string& wide, int count, char* out, int size) {
    return WideCharToMultiByte(CP_ACP, 0, wide.c_str(), count, out, size, nullptr, nullptr);
}
int toWide(const std::string& narrow, int count, char16_t* out, int size) {
    return MultiByteToWideChar(CP_ACP, 0, narrow.c_str(), count, out, size);
}

TEST(TextConversion, WideToNarrowFollowsTheLengthRules) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.name);
        const int withTerminator = static_cast<int>(c.narrow.size()) + 1;
        EXPECT_EQ(toNarrow(c.wide, -1, nullptr, 0), withTerminator);

        std::vector<char> exact(static_cast<std::size_t>(withTerminator), '#');
        ASSERT_EQ(toNarrow(c.wide, -1, exact.data(), withTerminator), withTerminator);
        EXPECT_EQ(std::string(exact.data()), c.narrow);

        // An explicit length converts exactly that much, without a terminator.
        if (!c.wide.empty()) {
            std::vector<char> bare(c.narrow.size() + 1, '#');
            const int count = static_cast<int>(c.wide.size());
            ASSERT_EQ(toNarrow(c.wide, count, bare.data(), count * 3),
                      static_cast<int>(c.narrow.size()));
            EXPECT_EQ(std::string(bare.data(), c.narrow.size()), c.narrow);
            EXPECT_EQ(bare.back(), '#');
        }

        if (withTerminator == 1) continue;  // size 0 would be a size query
        std::vector<char> small(static_cast<std::size_t>(withTerminator), '\0');
        SetLastError(0);
        EXPECT_EQ(toNarrow(c.wide, -1, small.data(), withTerminator - 1), 0);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(small[0], '\0') << "a failed conversion leaves the buffer as it was";
    }
}

TEST(TextConversion, NarrowToWideFollowsTheLengthRules) {
    for (const TextCase& c : kTexts) {
        SCOPED_TRACE(c.name);
        const int withTerminator = static_cast<int>(c.wide.size()) + 1;
        EXPECT_EQ(toWide(c.narrow, -1, nullptr, 0), withTerminator);

        std::vector<char16_t> exact(static_cast<std::size_t>(withTerminator), u'#');
        ASSERT_EQ(toWide(c.narrow, -1, exact.data(), withTerminator), withTerminator);
        EXPECT_EQ(std::u16string(exact.data()), c.wide);

        if (!c.narrow.empty()) {
            std::vector<char16_t> bare(c.wide.size() + 1, u'#');
            const int count = static_cast<int>(c.narrow.size());
            ASSERT_EQ(toWide(c.narrow, count, bare.data(), count), static_cast<int>(c.wide.size()));
            EXPECT_EQ(std::u16string(bare.data(), c.wide.size()), c.wide);
            EXPECT_EQ(bare.back(), u'#');
        }

        if (withTerminator == 1) continue;
        std::vector<char16_t> small(static_cast<std::size_t>(withTerminator), u'\0');
        SetLastError(0);
        EXPECT_EQ(toWide(c.narrow, -1, small.data(), withTerminator - 1), 0);
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_EQ(small[0], u'\0');
    }
}

TEST(TextConversion, Utf8CodePageBehavesLikeTheAnsiOne) {
    char narrow[16] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9", -1, narrow, 16, nullptr, nullptr), 3);
    EXPECT_STREQ(narrow, "\xC3\xA9");
    char16_t wide[4] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9", -1, wide, 4), 2);
    EXPECT_EQ(wide[0], u'\u00E9');
}

TEST(TextConversion, UnpairedSurrogatesBecomeReplacementCharacters) {
    struct InvalidWide {
        const char* name;
        std::u16string wide;
        std::string narrow;
    };
    const std::string fffd = "\xEF\xBF\xBD";
    const InvalidWide cases[] = {
        {"lone high", std::u16string{u'a', char16_t(0xD800), u'b'}, "a" + fffd + "b"},
        {"lone low", std::u16string{u'a', char16_t(0xDC00), u'b'}, "a" + fffd + "b"},
        {"high at end", std::u16string{u'a', char16_t(0xD83D)}, "a" + fffd},
        {"reversed pair", std::u16string{char16_t(0xDE00), char16_t(0xD83D)}, fffd + fffd},
    };
    for (const InvalidWide& c : cases) {
        SCOPED_TRACE(c.name);
        char out[32] = {};
        ASSERT_EQ(toNarrow(c.wide, -1, out, sizeof out), static_cast<int>(c.narrow.size()) + 1);
        EXPECT_EQ(std::string(out), c.narrow);

        SetLastError(0);
        EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, c.wide.c_str(), -1, out,
                                      sizeof out, nullptr, nullptr),
                  0);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    }
}

TEST(TextConversion, InvalidUtf8BecomesOneReplacementPerBrokenSequence) {
    struct InvalidNarrow {
        const char* name;
        std::string narrow;
        std::u16string wide;
    };
    const InvalidNarrow cases[] = {
        {"truncated two-byte", "a\xC3", u"a\uFFFD"},
        {"stray continuation", "\x80z", u"\uFFFDz"},
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"truncated three-byte", "\xE6\x97x", u"\uFFFDx"},
        {"truncated four-byte", "\xF0\x9F\x98", u"\uFFFD"},
    };
    for (const InvalidNarrow& c : cases) {
        SCOPED_TRACE(c.name);
        char16_t out[32] = {};
        ASSERT_EQ(toWide(c.narrow, -1, out, 32), static_cast<int>(c.wide.size()) + 1);
        EXPECT_EQ(std::u16string(out), c.wide);

        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.narrow.c_str(), -1, out, 32),
                  0);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    }
}

TEST(TextConversion, RefusesInvalidArguments) {
    char narrow[8] = {};
    char16_t wide[8] = {};
    BOOL usedDefault = FALSE;
    struct ArgumentCase {
        const char* name;
        std::function<int()> call;
        DWORD error;
    };
    const ArgumentCase cases[] = {
        {"default character",
         [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", -1, narrow, 8, "?", nullptr); },
         ERROR_INVALID_PARAMETER},
        {"used-default flag",
         [&] { return WideCharToMultiByte(CP_ACP, 0, u"a", -1, narrow, 8, nullptr, &usedDefault); },
         ERROR_INVALID_PARAMETER},
        {"other code page",
         [&] { return WideCharToMultiByte(1252, 0, u"a", -1, narrow, 8, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"flags for utf-8", [&] { return MultiByteToWideChar(CP_UTF8, 0x1, "a", -1, wide, 8); },
         ERROR_INVALID_FLAGS},
        {"null source", [&] { return MultiByteToWideChar(CP_ACP, 0, nullptr, -1, wide, 8); },
         ERROR_INVALID_PARAMETER},
        {"zero length", [&] { return MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 8); },
         ERROR_INVALID_PARAMETER},
        {"negative length",
         [&] { return WideCharToMultiByte(CP_ACP, 0, u"a", -2, narrow, 8, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {"null destination with a size",
         [&] { return MultiByteToWideChar(CP_ACP, 0, "a", -1, nullptr, 8); },
         ERROR_INVALID_PARAMETER},
    };
    for (const ArgumentCase& c : cases) {
        SetLastError(0);
        EXPECT_EQ(c.call(), 0) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

}  // namespace
