#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "platform/com_types.h"

namespace {

struct FormatCase {
    const char* name;
    std::function<int(char*)> format;
    std::string expected;
};

TEST(Wsprintf, FormatsLikeUser32) {
    const LONG negative = -7;
    const FormatCase cases[] = {
        {"int", [](char* b) { return wsprintfA(b, "%d|%i", -5, 12); }, "-5|12"},
        {"unsigned", [](char* b) { return wsprintfA(b, "%u", 4294967295u); }, "4294967295"},
        {"hex", [](char* b) { return wsprintfA(b, "%x %X %#x %#X", 255, 255, 255, 255); },
         "ff FF 0xff 0XFF"},
        {"width and zero", [](char* b) { return wsprintfA(b, "[%5d][%-5d][%05d]", 42, 42, 42); },
         "[   42][42   ][00042]"},
        // "l" is 32 bits on Windows: the next argument must still line up.
        {"long is 32 bits", [&](char* b) { return wsprintfA(b, "%ld %d %08lX", negative, 9, 0xABCDu); },
         "-7 9 0000ABCD"},
        {"64 bits", [](char* b) { return wsprintfA(b, "%I64u %I64d %d", 1ull << 40, -1ll, 3); },
         "1099511627776 -1 3"},
        {"short", [](char* b) { return wsprintfA(b, "%hd %hu", 65535, 65537); }, "-1 1"},
        {"precision 0 means 1", [](char* b) { return wsprintfA(b, "%.0d %.3d", 0, 7); }, "0 007"},
        {"strings", [](char* b) { return wsprintfA(b, "[%5s][%-4s][%.2s]", "ab", "cd", "efgh"); },
         "[   ab][cd  ][ef]"},
        {"null string", [](char* b) { return wsprintfA(b, "%s", static_cast<char*>(nullptr)); },
         "(null)"},
        {"characters", [](char* b) { return wsprintfA(b, "%c%c", 'E', ':'); }, "E:"},
        {"wide string", [](char* b) { return wsprintfA(b, "%S|%ls|%ws", u"\u65E5\u672C", u"e\u0301", u"x"); },
         "\xE6\x97\xA5\xE6\x9C\xAC|e\xCC\x81|x"},
        {"wide string precision keeps pairs whole",
         [](char* b) { return wsprintfA(b, "%.2S", u"a\U0001F600"); }, "a"},
        {"narrow forced", [](char* b) { return wsprintfA(b, "%hS", "narrow"); }, "narrow"},
        {"wide character", [](char* b) { return wsprintfA(b, "%C", u'\u00E9'); }, "\xC3\xA9"},
        {"percent and unknown", [](char* b) { return wsprintfA(b, "100%% %q %n"); }, "100% q n"},
        {"trailing percent", [](char* b) { return wsprintfA(b, "end%"); }, "end"},
    };
    for (const FormatCase& c : cases) {
        char buffer[256];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(c.format(buffer), static_cast<int>(c.expected.size())) << c.name;
        EXPECT_EQ(std::string(buffer), c.expected) << c.name;
    }
}

TEST(Wsprintf, StopsAt1024BytesWithTheTerminator) {
    const std::string longText(2000, 'a');
    char buffer[2048];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(wsprintfA(buffer, "%s%d", longText.c_str(), 5), 1023);
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], '#');
}

}  // namespace
