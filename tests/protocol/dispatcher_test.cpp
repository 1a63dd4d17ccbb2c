#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "commands/command_table.h"
#include "protocol/command_row.h"
#include "protocol/framing.h"
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

TEST(Dispatcher, EveryCodeWithoutARowIsAnsweredAsUnknown) {
    for (int code = 0; code <= 0xFFFF; ++code) {
        if (vdsFindCommand(static_cast<std::int16_t>(code)) != nullptr) continue;
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

// A table of stand-in handlers, one per way a handler can answer.
struct NoArguments {
    static NoArguments read(RequestReader&) { return {}; }
};
struct IdentifierAt4 {
    GUID id;
    static IdentifierAt4 read(RequestReader& in) { return {in.guid(4)}; }
};

Answer answersNotFound(const NoArguments&, IVdsService*) { return Outcome::failed(status::SecondNotFound); }
Answer answersVdsError(const NoArguments&, IVdsService*) {
    return Outcome::vds(static_cast<std::int32_t>(0x80042405u));
}
Answer answersEmptySuccess(const NoArguments&, IVdsService*) { return Outcome::ok(); }
Answer answersWithAPayload(const NoArguments&, IVdsService*) {
    ReplyBody body = ReplyBody::withPayload(8);
    body.data()[19] = 0x5A;
    return body;
}
Answer readsAnIdentifier(const IdentifierAt4&, IVdsService*) { return Outcome::ok(); }
Answer runsOutOfMemory(const NoArguments&, IVdsService*) { throw std::bad_alloc(); }
Answer throwsSomethingElse(const NoArguments&, IVdsService*) { throw std::runtime_error("unexpected"); }

constexpr CommandRow kStandIns[] = {
    vdsCommand<answersNotFound>(0x0001, {status::SecondNotFound}, 16),
    vdsCommand<answersVdsError>(0x0002, {status::VdsError}, 28),
    vdsCommand<answersEmptySuccess>(0x0003, {status::TargetNotFound}, 14),
    vdsCommand<answersWithAPayload>(0x0004, {status::TargetNotFound}, 12),
    vdsCommand<readsAnIdentifier>(0x0005, {status::TargetNotFound}, 12),
    vdsCommand<runsOutOfMemory>(0x0006, {status::TargetNotFound}, 12),
    vdsCommand<throwsSomethingElse>(0x0007, {status::TargetNotFound}, 12),
    vdsCommand<answersNotFound>(0x0008, {status::SecondNotFound}, 12, 0x0600),
    vdsCommand<answersWithAPayload>(0x0009, {status::TargetNotFound}, 12, 0x0600),
};

// Every reply is made in the dispatcher: from an outcome at the row's size,
// logged, or from a body, unlogged; under the row's reply code either way.
TEST(Dispatch, OutcomesBecomeRepliesOfTheRowsSizeAndNothingThrownLeaves) {
    struct Case {
        int code;
        bool null;
        int size;
        std::int32_t status;
        std::uint32_t addStatus;
        int replyCode;
        const char* printed;
    };
    const Case cases[] = {
        {1, false, 16, -2, 0, 1, "Output size:16, cmd: 1, status:-2, addStatus:0x0\n"},
        {2, false, 28, -100, 0x80042405u, 2, "Output size:28, cmd: 2, status:-100, addStatus:0x80042405\n"},
        {3, false, 14, 0, 0, 3, "Output size:14, cmd: 3, status:0, addStatus:0x0\n"},
        {4, false, 20, 0, 0, 4, ""},
        {5, true, 0, 0, 0, 0, ""},  // the request ends before the identifier
        {6, true, 0, 0, 0, 0, ""},
        {7, true, 0, 0, 0, 0, ""},
        {8, false, 12, -2, 0, 0x0600, "Output size:12, cmd: 600, status:-2, addStatus:0x0\n"},
        {9, false, 20, 0, 0, 0x0600, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        auto r = request(c.code, 8);
        int outSize = -7;
        unsigned char* reply = nullptr;
        const std::string printed = capturedStdout(
            [&] { reply = vdsDispatch(kStandIns, nullptr, r.data(), static_cast<int>(r.size()), &outSize); });
        EXPECT_EQ(reply == nullptr, c.null);
        EXPECT_EQ(outSize, c.size);
        EXPECT_EQ(printed, c.printed);
        if (reply != nullptr) {
            std::int32_t status = 0;
            std::uint32_t addStatus = 0;
            std::uint16_t code = 0;
            std::memcpy(&code, reply + 2, 2);
            std::memcpy(&status, reply + 4, 4);
            std::memcpy(&addStatus, reply + 8, 4);
            EXPECT_EQ(reply[0], 0);
            EXPECT_EQ(reply[1], 1);
            EXPECT_EQ(code, c.replyCode);
            EXPECT_EQ(status, c.status);
            EXPECT_EQ(addStatus, c.addStatus);
            const bool payload = c.code == 4 || c.code == 9;
            for (int i = 12; i < outSize - (payload ? 1 : 0); ++i) EXPECT_EQ(reply[i], 0) << i;
            if (payload) {
                EXPECT_EQ(reply[19], 0x5A);
            }
        }
        vdsFreeOutput(reply);
    }
}

}  // namespace
