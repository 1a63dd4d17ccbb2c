#include <gtest/gtest.h>

#include <vector>

#include "commands/command_table.h"
#include "stdout_capture.h"
#include "tolvane.h"

namespace {

std::vector<unsigned char> request(int code, std::size_t size = 4, unsigned char b0 = 0,
                                   unsigned char b1 = 0) {
    std::vector<unsigned char> r(size < 4 ? 4 : size, 0);
    r[0] = b0;
    r[1] = b1;
    r[2] = static_cast<unsigned char>(code & 0xFF);
    r[3] = static_cast<unsigned char>((code >> 8) & 0xFF);
    return r;
}

TEST(Dispatcher, RequestsShorterThanTheHeaderGetTheNullReplyWithSizeZero) {
    for (int size : {0, 1, 2, 3, -1, -4, -100000}) {
        auto r = request(0x0091);
        int outSize = 77;
        std::string printed = capturedStdout([&] {
            EXPECT_EQ(vdsCmdHandler(r.data(), size, &outSize), nullptr) << size;
        });
        EXPECT_EQ(outSize, 0) << size;
        EXPECT_EQ(printed, "") << size;
    }
}

TEST(Dispatcher, NullRequestGetsTheNullReply) {
    int outSize = 5;
    EXPECT_EQ(vdsCmdHandler(nullptr, 40, &outSize), nullptr);
    EXPECT_EQ(outSize, 0);
}

TEST(Dispatcher, CodesOutsideTheTableLeaveOutSizeUntouchedAndPrintNothing) {
    for (int code : {0x040A, 0x040F, 0x0211, 0x050A, 0x0600, 0x7FFF, 0x0000, 0xFFFF, 0x8093}) {
        auto r = request(code, 64);
        int outSize = 1234;
        std::string printed = capturedStdout([&] {
            EXPECT_EQ(vdsCmdHandler(r.data(), static_cast<int>(r.size()), &outSize), nullptr);
        });
        EXPECT_EQ(outSize, 1234) << std::hex << code;
        EXPECT_EQ(printed, "") << std::hex << code;
    }
}

TEST(Dispatcher, EveryCodeWithoutAHandlerIsAnsweredAsUnknown) {
    for (int code = 0; code <= 0xFFFF; ++code) {
        const CommandRow* row = vdsFindCommand(static_cast<std::int16_t>(code));
        if (row != nullptr && row->handler != nullptr) continue;
        auto r = request(code, 4);
        int outSize = -7;
        ASSERT_EQ(vdsCmdHandler(r.data(), 4, &outSize), nullptr) << code;
        ASSERT_EQ(outSize, -7) << code;
    }
}

TEST(Dispatcher, BytesZeroAndOneNeverMatter) {
    for (int code : {0x0091, 0x0411, 0x1002, 0x040A}) {
        int sizes[4];
        bool nulls[4];
        const unsigned char firsts[4][2] = {{0, 0}, {0xFF, 0xFF}, {0x01, 0x00}, {0x00, 0x7F}};
        for (int i = 0; i < 4; ++i) {
            auto r = request(code, 4, firsts[i][0], firsts[i][1]);
            sizes[i] = -3;
            unsigned char* reply = nullptr;
            capturedStdout([&] { reply = vdsCmdHandler(r.data(), 4, &sizes[i]); });
            nulls[i] = reply == nullptr;
            vdsFreeOutput(reply);
        }
        for (int i = 1; i < 4; ++i) {
            EXPECT_EQ(sizes[i], sizes[0]) << code;
            EXPECT_EQ(nulls[i], nulls[0]) << code;
        }
    }
}

TEST(Dispatcher, FreeOutputAcceptsNull) { vdsFreeOutput(nullptr); }

}  // namespace
