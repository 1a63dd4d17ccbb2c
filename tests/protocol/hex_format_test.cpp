// The hexadecimal formatters against printf's "%08X" (and "%08X%08X" of a
// 64-bit value's halves): the digit boundaries (9/A, F/0), every nibble
// position, and a sweep of values.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "protocol/hex_dump.h"

namespace {

std::string formatted(std::uint32_t value) {
    char out[8];
    vdsFormatHex32(value, out);
    return std::string(out, 8);
}

std::string printed(std::uint32_t value) {
    char out[9];
    std::snprintf(out, sizeof out, "%08X", static_cast<unsigned>(value));
    return out;
}

std::string formatted64(std::uint64_t value) {
    char out[16];
    vdsFormatHex64(value, out);
    return std::string(out, 16);
}

std::string printed64(std::uint64_t value) {
    return printed(static_cast<std::uint32_t>(value >> 32)) + printed(static_cast<std::uint32_t>(value));
}

TEST(HexFormat, MatchesPrintfAtEveryDigitBoundary) {
    for (const std::uint32_t value : {0x0u, 0xFFFFFFFFu, 0x99999999u, 0xAAAAAAAAu, 0x9A9A9A9Au, 0xF0F0F0F0u,
                                      0x12345678u, 0x89ABCDEFu, 0x80000000u, 0x00000001u})
        EXPECT_EQ(formatted(value), printed(value));
    for (const std::uint64_t value : {0x0ull, ~0ull, 0x9999999999999999ull, 0xAAAAAAAAAAAAAAAAull,
                                      0xFEDCBA9876543210ull, 0x0000000100000000ull, 0x00000000FFFFFFFFull})
        EXPECT_EQ(formatted64(value), printed64(value));
    // Each nibble position holding each digit, the others zero.
    for (int position = 0; position < 16; ++position)
        for (std::uint64_t digit = 0; digit < 16; ++digit) {
            const std::uint64_t value = digit << (4 * position);
            EXPECT_EQ(formatted64(value), printed64(value)) << std::hex << value;
            if (position < 8) {
                const auto narrow = static_cast<std::uint32_t>(value);
                EXPECT_EQ(formatted(narrow), printed(narrow)) << std::hex << narrow;
            }
        }
}

TEST(HexFormat, MatchesPrintfOverASweepOfValues) {
    std::uint64_t value = 0x2545F4914F6CDD1Dull;
    for (int i = 0; i < 200000; ++i) {
        value = value * 6364136223846793005ull + 1442695040888963407ull;
        ASSERT_EQ(formatted64(value), printed64(value)) << std::hex << value;
        const auto narrow = static_cast<std::uint32_t>(value >> 21);
        ASSERT_EQ(formatted(narrow), printed(narrow)) << std::hex << narrow;
    }
}

}  // namespace
