#include <gtest/gtest.h>

#include <set>

#include "commands/command_table.h"

namespace {

const std::set<int> kStatuses = {-1, -2, -3, -4, -10, -100, -101};

bool isShortList(int code) {
    return (code >= 0x0091 && code <= 0x0099) || code == 0x0209 ||
           (code >= 0x0400 && code <= 0x0402);
}
bool isLongList(int code) {
    return code == 0x0404 || code == 0x0409 || (code >= 0x0500 && code <= 0x0502) ||
           code == 0x0603 || code == 0x0604;
}

TEST(CommandTable, HoldsSeventySevenDistinctCodes) {
    std::set<int> codes;
    for (const CommandRow& row : vdsCommandTable()) codes.insert(row.code);
    EXPECT_EQ(codes.size(), 77u);
}

// No code of the table may answer as an unknown command, and every reply
// carries its command's code but the file-system properties', which answer
// under their family's.
TEST(CommandTable, EveryRowAnswersUnderItsReplyCode) {
    for (const CommandRow& row : vdsCommandTable()) {
        EXPECT_NE(row.answer, nullptr) << std::hex << row.code;
        EXPECT_EQ(row.replyCode, row.code == 0x000C ? 0x0600 : row.code) << std::hex << row.code;
    }
}

TEST(CommandTable, ListCommandsFailWithTheirEmptyListSize) {
    for (const CommandRow& row : vdsCommandTable()) {
        if (isShortList(row.code)) {
            EXPECT_EQ(row.failureReplySize, 14) << std::hex << row.code;
        }
        if (isLongList(row.code)) {
            EXPECT_EQ(row.failureReplySize, 16) << std::hex << row.code;
        }
        EXPECT_TRUE(row.failureReplySize == 12 || row.failureReplySize == 14 ||
                    row.failureReplySize == 16 || row.failureReplySize == 20 ||
                    row.failureReplySize == 28)
            << std::hex << row.code;
    }
}

TEST(CommandTable, FailureStatusesAreProtocolStatuses) {
    for (const CommandRow& row : vdsCommandTable()) {
        ASSERT_NE(row.failureStatuses[0], 0) << std::hex << row.code;
        for (int s : row.failureStatuses) {
            if (s == 0) break;
            EXPECT_TRUE(kStatuses.count(s)) << std::hex << row.code << " " << std::dec << s;
        }
    }
}

TEST(CommandTable, LookupComparesExactNumbers) {
    struct Case {
        int code;
        bool command;
    };
    const Case cases[] = {
        {0x0409, true},  {0x0410, true},  {0x040A, false}, {0x040F, false}, {0x0209, true}, {0x0210, true},
        {0x0211, false}, {0x0212, true},  {0x0509, true},  {0x050A, false}, {0x0510, true}, {0x0600, false},
        {0x000C, true},  {0x1001, true},  {0x7FFF, false}, {-1, false},
    };
    for (const Case& c : cases) {
        const CommandRow* row = vdsFindCommand(static_cast<std::int16_t>(c.code));
        if (!c.command) {
            EXPECT_EQ(row, nullptr) << std::hex << c.code;
        } else {
            ASSERT_NE(row, nullptr) << std::hex << c.code;
            EXPECT_EQ(row->code, static_cast<std::int16_t>(c.code));
        }
    }
}

}  // namespace
