#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "protocol/request_reader.h"

namespace {

TEST(RequestReader, ReadsLittleEndianFieldsInsideTheRequest) {
    const std::vector<unsigned char> data = {0x01, 0x02, 0x93, 0x00, 0xFE, 0xFF, 0xFF, 0xFF,
                                             0x02, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00};
    RequestReader r(data.data(), static_cast<int>(data.size()));
    EXPECT_EQ(r.int16(2), 0x0093);
    EXPECT_EQ(r.int32(4), -2);
    EXPECT_EQ(r.uint32(4), 0xFFFFFFFEu);
    EXPECT_EQ(r.uint64(8), 0x0000000180000002ull);
    EXPECT_EQ(r.text(0, 2), std::string("\x01\x02", 2));
    EXPECT_TRUE(r.complete());
}

TEST(RequestReader, ReadsPastTheEndGiveZeroAndMarkTheRequestShort) {
    std::vector<unsigned char> data(36, 0xAB);
    struct Case {
        const char* what;
        std::size_t offset;
    };
    // The vector is larger than the size we declare, so reading its tail would
    // go unnoticed without the check.
    const Case cases[] = {{"guid straddling the end", 20}, {"guid after the end", 36},
                          {"huge offset", std::numeric_limits<std::size_t>::max() - 4}};
    for (const Case& c : cases) {
        RequestReader r(data.data(), 24);
        GUID id = r.guid(c.offset);
        EXPECT_EQ(id.Data1, 0u) << c.what;
        EXPECT_FALSE(r.complete()) << c.what;
    }
    RequestReader r(data.data(), 24);
    EXPECT_EQ(r.int32(22), 0);
    EXPECT_EQ(r.text(20, 5), "");
    EXPECT_EQ(r.bytes(8, 17), nullptr);
    EXPECT_FALSE(r.complete());
}

TEST(RequestReader, NegativeSizeHoldsNothing) {
    unsigned char data[8] = {};
    RequestReader r(data, -5);
    EXPECT_EQ(r.size(), 0u);
    r.byte(0);
    EXPECT_FALSE(r.complete());
}

// Counted reads take their count from the request, so every count a caller
// can send must be refused unless its bytes are all there.
TEST(RequestReader, CountedReadsRefuseNegativeOverflowingAndOverlongCounts) {
    std::vector<unsigned char> data(4 + 2 * 48, 0x11);
    const int size = static_cast<int>(data.size());
    struct Case {
        const char* what;
        std::int64_t count;
        std::size_t expected;  // 0 with the request refused, unless `accepted`
        bool accepted;
    };
    const Case cases[] = {
        {"zero", 0, 0, true},
        {"all that fit", 2, 2, true},
        {"one past the end", 3, 0, false},
        {"negative", -1, 0, false},
        {"most negative int32", std::numeric_limits<std::int32_t>::min(), 0, false},
        {"count whose size overflows", std::int64_t{1} << 60, 0, false},
        {"largest int64", std::numeric_limits<std::int64_t>::max(), 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RequestReader disks(data.data(), size);
        EXPECT_EQ(disks.inputDisks(4, c.count).size(), c.expected);
        EXPECT_EQ(disks.complete(), c.accepted);
        RequestReader text(data.data(), size);
        if (c.count < (std::int64_t{1} << 40)) text.countedText(4, c.count * 48);
        else text.countedText(4, c.count);
        EXPECT_EQ(text.complete(), c.accepted);
    }
    // Identifiers: 96 bytes hold six.
    for (const auto& [count, accepted] : {std::pair<std::int64_t, bool>{6, true}, {7, false},
                                          {-6, false}, {std::int64_t{1} << 62, false}}) {
        RequestReader ids(data.data(), size);
        EXPECT_EQ(ids.guids(4, count).size(), accepted ? 6u : 0u) << count;
        EXPECT_EQ(ids.complete(), accepted) << count;
    }
}

TEST(RequestReader, InputDisksAreReadFieldByFieldFromTheirWireLayout) {
    std::vector<unsigned char> data(8 + 2 * 48, 0);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i);
    RequestReader r(data.data(), static_cast<int>(data.size()));
    const std::vector<VDS_INPUT_DISK> disks = r.inputDisks(8, 2);
    ASSERT_EQ(disks.size(), 2u);
    ASSERT_TRUE(r.complete());
    EXPECT_EQ(disks[1].diskId.Data1, 0x3B3A3938u);           // 8 + 48
    EXPECT_EQ(disks[1].ullSize, 0x4F4E4D4C4B4A4948ull);     // + 16
    EXPECT_EQ(disks[1].plexId.Data4[7], 0x5F);               // + 24 + 15
    EXPECT_EQ(disks[1].memberIdx, 0x63626160u);              // + 40
    const std::vector<GUID> ids = r.guids(4, 2);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[1].Data1, 0x17161514u);
}

TEST(RequestReader, LengthPrefixedTextsTakeTheirLengthFromJustBefore) {
    struct Case {
        std::vector<unsigned char> bytes;
        bool int16Length;
        std::string text;
        bool complete;
    };
    const Case cases[] = {
        {{3, 0, 'a', 'b', 'c'}, true, "abc", true},
        {{0, 0}, true, "", true},
        {{4, 0, 'a', 'b', 'c'}, true, "", false},
        {{0xFF, 0xFF, 'a'}, true, "", false},  // -1
        {{2, 0, 0, 0, 'x', 'y'}, false, "xy", true},
        {{0xFE, 0xFF, 0xFF, 0xFF, 'x'}, false, "", false},
        {{1, 0}, false, "", false},  // the length itself is cut
    };
    for (const Case& c : cases) {
        RequestReader r(c.bytes.data(), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(c.int16Length ? r.textAfterInt16(0) : r.textAfterInt32(0), c.text);
        EXPECT_EQ(r.complete(), c.complete) << c.text;
    }
}

}  // namespace
