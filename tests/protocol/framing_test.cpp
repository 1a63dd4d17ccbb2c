#include <gtest/gtest.h>

#include <vector>

#include "protocol/framing.h"
#include "stdout_capture.h"
#include "tolvane.h"

namespace {

std::vector<unsigned char> bytes(const unsigned char* p, int n) { return {p, p + n}; }

TEST(MakeOutput, WritesHeaderZeroPayloadAndLogsTheReply) {
    struct Case {
        int size, cmd, status, addStatus;
        std::vector<unsigned char> header;
        const char* log;
    };
    const Case cases[] = {
        {12, 0x1002, 0, 0, {0, 1, 0x02, 0x10, 0, 0, 0, 0, 0, 0, 0, 0},
         "Output size:12, cmd: 1002, status:0, addStatus:0x0\n"},
        {14, 0x0093, -3, 0, {0, 1, 0x93, 0x00, 0xFD, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0},
         "Output size:14, cmd: 93, status:-3, addStatus:0x0\n"},
        {16, 0x0410, -100, static_cast<int>(0x80042405u),
         {0, 1, 0x10, 0x04, 0x9C, 0xFF, 0xFF, 0xFF, 0x05, 0x24, 0x04, 0x80},
         "Output size:16, cmd: 410, status:-100, addStatus:0x80042405\n"},
        {12, 0x0600, -101, 3, {0, 1, 0x00, 0x06, 0x9B, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0},
         "Output size:12, cmd: 600, status:-101, addStatus:0x3\n"},
    };
    for (const Case& c : cases) {
        int outSize = 0;
        unsigned char* reply = nullptr;
        std::string log = capturedStdout(
            [&] { reply = vdsMakeOutput(c.size, c.cmd, c.status, c.addStatus, &outSize); });
        ASSERT_NE(reply, nullptr);
        EXPECT_EQ(outSize, c.size);
        EXPECT_EQ(bytes(reply, 12), c.header);
        EXPECT_EQ(bytes(reply + 12, c.size - 12), std::vector<unsigned char>(c.size - 12, 0));
        EXPECT_EQ(log, c.log);
        vdsFreeOutput(reply);
    }
}

TEST(PutInt, StoresLowBitsLittleEndianAtTheOffset) {
    unsigned char buffer[8] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    vdsPutInt16(buffer, 0x12345, 1);
    EXPECT_EQ(bytes(buffer, 4), (std::vector<unsigned char>{0xAA, 0x45, 0x23, 0xAA}));
    vdsPutInt32(buffer, -2, 4);
    EXPECT_EQ(bytes(buffer + 4, 4), (std::vector<unsigned char>{0xFE, 0xFF, 0xFF, 0xFF}));
    unsigned char wide[8] = {};
    vdsPutUInt64(wide, 0x0000000180000002ull, 0);
    EXPECT_EQ(bytes(wide, 8), (std::vector<unsigned char>{2, 0, 0, 0x80, 1, 0, 0, 0}));
}

}  // namespace
