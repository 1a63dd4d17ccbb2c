// A list's reply carries its records back to back after the header, whatever
// the records' lengths do against the room the first one promised: alike,
// growing past it (the block grows), or far shorter (the reply is moved to
// a block of its exact size), in the short and the long form.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "commands/list_reply.h"
#include "protocol/framing.h"
#include "tolvane.h"

namespace {

// Record i: `length(i)` bytes, each (i + j) & 0xFF.
std::vector<unsigned char> record(int i, int length) {
    std::vector<unsigned char> r(static_cast<std::size_t>(length));
    for (int j = 0; j < length; ++j) r[static_cast<std::size_t>(j)] = static_cast<unsigned char>(i + j);
    return r;
}

// What a record writer does: asks the list for room, then fills it.
void append(RecordList& list, const std::vector<unsigned char>& bytes) {
    unsigned char* at = list.room(static_cast<int>(bytes.size()));
    ASSERT_NE(at, nullptr);
    std::memcpy(at, bytes.data(), bytes.size());
}

TEST(ListReply, RecordsFollowTheHeaderBackToBackInBothForms) {
    struct Case {
        const char* name;
        int count;
        int (*length)(int i);
    };
    const Case cases[] = {
        {"alike", 50, [](int) { return 40; }},
        {"growing past the first one's promise", 300, [](int i) { return 10 + i / 3; }},
        {"far shorter than the first", 200, [](int i) { return i == 0 ? 900 : 3; }},
        {"one record", 1, [](int) { return 7; }},
        {"none", 0, [](int) { return 1; }},
    };
    for (const Case& c : cases) {
        for (const ListForm form : {ListForm::Short, ListForm::Long}) {
            SCOPED_TRACE(c.name);
            SCOPED_TRACE(form == ListForm::Short ? "short" : "long");
            RecordList list(form);
            list.reserve(c.count);
            std::vector<unsigned char> expected;
            for (int i = 0; i < c.count; ++i) {
                const auto r = record(i, c.length(i));
                append(list, r);
                expected.insert(expected.end(), r.begin(), r.end());
            }
            Answer result = list.reply();
            ASSERT_TRUE(result.hasBody());
            ReplyBody body = result.takeBody();
            const int header = vdsListHeaderSize(form);
            ASSERT_EQ(body.size(), header + expected.size());
            unsigned char* reply = body.release();
            const int count = form == ListForm::Short ? (reply[12] | (reply[13] << 8))
                                                      : (reply[12] | (reply[13] << 8) | (reply[14] << 16));
            EXPECT_EQ(count, c.count);
            EXPECT_EQ(std::vector<unsigned char>(reply + header, reply + header + expected.size()), expected);
            vdsFreeOutput(reply);
        }
    }
}

TEST(ListReply, FixedRecordsAfterVariableOnesKeepTheirOrder) {
    RecordList list(ListForm::Short);
    list.reserve(2);
    const auto first = record(1, 5);
    append(list, first);
    list.addFixed(3, 4, [](int i, unsigned char* at) { std::memset(at, 0xA0 + i, 4); });
    Answer result = list.reply();
    ASSERT_TRUE(result.hasBody());
    ReplyBody body = result.takeBody();
    ASSERT_EQ(body.size(), 14u + 5 + 12);
    unsigned char* reply = body.release();
    EXPECT_EQ(reply[12], 4);
    EXPECT_EQ(std::memcmp(reply + 14, first.data(), 5), 0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_EQ(reply[14 + 5 + 4 * i + j], 0xA0 + i);
    vdsFreeOutput(reply);
}

TEST(ListReply, RoomForNothingIsRefusedAndNotCounted) {
    RecordList list(ListForm::Short);
    const auto r = record(0, 8);
    append(list, r);
    EXPECT_EQ(list.room(0), nullptr);
    EXPECT_EQ(list.room(-1), nullptr);
    append(list, r);
    EXPECT_EQ(list.count(), 2);
    Answer result = list.reply();
    ASSERT_TRUE(result.hasBody());
    ReplyBody body = result.takeBody();
    EXPECT_EQ(body.size(), 14u + 16);
}

}  // namespace
