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

// No code of the table may answer as an unknown command.
TEST(CommandTable, EveryCodeHasAHandler) {
    for (const CommandRow& row : vdsCommandTable()) {
        EXPECT_NE(row.handler, nullptr) << row.handlerName;
    }
}

TEST(CommandTable, ListCommandsFailWithTheirEmptyListSize) {
    for (const CommandRow& row : vdsCommandTable()) {
        if (isShortList(row.code)) {
            EXPECT_EQ(row.failureReplySize, 14) << row.handlerName;
        }
        if (isLongList(row.code)) {
            EXPECT_EQ(row.failureReplySize, 16) << row.handlerName;
        }
        EXPECT_TRUE(row.failureReplySize == 12 || row.failureReplySize == 14 ||
                    row.failureReplySize == 16 || row.failureReplySize == 20 ||
                    row.failureReplySize == 28)
            << row.handlerName;
    }
}

TEST(CommandTable, FailureStatusesAreProtocolStatuses) {
    for (const CommandRow& row : vdsCommandTable()) {
        ASSERT_NE(row.failureStatuses[0], 0) << row.handlerName;
        for (int s : row.failureStatuses) {
            if (s == 0) break;
            EXPECT_TRUE(kStatuses.count(s)) << row.handlerName << " " << s;
        }
        EXPECT_EQ(std::string(row.handlerName).rfind("cmd", 0), 0u);
    }
}

TEST(CommandTable, LookupComparesExactNumbers) {
    struct Case {
        int code;
        const char* handler;  // null: not a command
    };
    const Case cases[] = {
        {0x0409, "cmdQueryDiskExtents"}, {0x0410, "cmdSetDiskFlags"},
        {0x040A, nullptr},               {0x040F, nullptr},
        {0x0209, "cmdQueryActiveControllers"}, {0x0210, "cmdAssociateControllers"},
        {0x0211, nullptr},               {0x0212, "cmdShrinkLun"},
        {0x0509, "cmdDeleteVolume"},     {0x050A, nullptr},
        {0x0510, "cmdShrinkVolume"},     {0x0600, nullptr},
        {0x000C, "cmdGetFileSystemProperties"}, {0x1001, "cmdGetFreeSpace"},
        {0x7FFF, nullptr},               {-1, nullptr},
    };
    for (const Case& c : cases) {
        const CommandRow* row = vdsFindCommand(static_cast<std::int16_t>(c.code));
        if (c.handler == nullptr) {
            EXPECT_EQ(row, nullptr) << std::hex << c.code;
        } else {
            ASSERT_NE(row, nullptr) << std::hex << c.code;
            EXPECT_STREQ(row->handlerName, c.handler);
        }
    }
}

}  // namespace
