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

}  // namespace
