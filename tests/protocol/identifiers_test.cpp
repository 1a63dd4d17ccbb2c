#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "protocol/guid_text.h"
#include "protocol/identifiers.h"
#include "stdout_capture.h"

namespace {

std::string textOf(const GUID& id) {
    GuidText text = vdsGuidText(id);
    return text.get();
}

TEST(Identifier, TextFormIsUpperCaseWithoutBraces) {
    struct Case {
        GUID id;
        const char* text;
    };
    const Case cases[] = {
        {{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}}, "00000000-0000-0000-0000-000000000000"},
        {{0x6C9FEAEE, 0x8193, 0x400B, {0x88, 0x2C, 0x49, 0xA8, 0x3B, 0x50, 0xF8, 0x62}},
         "6C9FEAEE-8193-400B-882C-49A83B50F862"},
        {{0x1, 0x2, 0x3, {0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x00, 0x01}},
         "00000001-0002-0003-0A0B-0C0D0E0F0001"},
        {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
         "FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"},
    };
    for (const Case& c : cases) {
        char* text = getGUID(c.id);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(std::strlen(text), 36u);
        vdsFreeOutput(reinterpret_cast<unsigned char*>(text));

        GUID parsed{};
        parseGUID(c.text, &parsed);
        EXPECT_EQ(compareGUID(parsed, c.id), 1) << c.text;
    }
}

TEST(Identifier, WireBytesAreTheMemoryLayout) {
    GUID id{};
    parseGUID("6C9FEAEE-8193-400B-882C-49A83B50F862", &id);
    const unsigned char expected[16] = {0xEE, 0xEA, 0x9F, 0x6C, 0x93, 0x81, 0x0B, 0x40,
                                        0x88, 0x2C, 0x49, 0xA8, 0x3B, 0x50, 0xF8, 0x62};
    EXPECT_EQ(std::memcmp(&id, expected, 16), 0);
    EXPECT_EQ(compareGUID(id, g_guidMsHwProviderSample), 1);
}

TEST(Identifier, ComparisonSeesEveryByte) {
    const GUID base = g_guidMsSwProviderSample;
    EXPECT_EQ(compareGUID(base, base), 1);
    for (std::size_t i = 0; i < 16; ++i) {
        GUID other = base;
        reinterpret_cast<unsigned char*>(&other)[i] ^= 0x01;
        EXPECT_EQ(compareGUID(base, other), 0) << "byte " << i;
    }
}

TEST(Identifier, ParsingBadOrShortTextNeverReadsPastIt) {
    GUID id{};
    parseGUID("6C9FEAEE-8193-400B-88", &id);  // cut inside the fourth group
    EXPECT_EQ(id.Data1, 0x6C9FEAEEu);
    EXPECT_EQ(id.Data4[0], 0x88);
    EXPECT_EQ(id.Data4[1], 0x00);
    parseGUID("6C9FEAEE-8193-400B-ZZ2C-49A83B50F862", &id);
    EXPECT_EQ(id.Data4[0], 0x00);
    EXPECT_EQ(id.Data4[1], 0x2C);
}

TEST(Identifier, ExportedConstantsAreDistinct) {
    const GUID ids[] = {g_guidMsHwProviderSample, g_guidMsSwProviderSample, g_guidADN,
                        g_guidTstHwPrvProviderVersion};
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j) EXPECT_EQ(compareGUID(ids[i], ids[j]), 0);
    EXPECT_EQ(textOf(g_guidMsSwProviderSample), "F96544E6-5C8D-47B9-AA6E-FD19AB278629");
}

TEST(Identifier, LogIdPrintsTheTextAndReleasesIt) {
    const std::string out = capturedStdout(
        [] { vdsLogId("VDS: SubSystem ID: %s\n", g_guidMsHwProviderSample); });
    EXPECT_EQ(out, "VDS: SubSystem ID: 6C9FEAEE-8193-400B-882C-49A83B50F862\n");
}

TEST(HexDump, RowsOfSixteenAfterTheHeaderLine) {
    std::vector<unsigned char> data(20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 17);
    struct Case {
        int count;
        const char* expected;
    };
    const Case cases[] = {
        {0, "head 7\n\n"},
        {4, "head 7\n00 11 22 33 \n"},
        {16, "head 7\n00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF \n"},
        {20, "head 7\n00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF \n10 21 32 43 \n"},
    };
    for (const Case& c : cases) {
        const std::string out =
            capturedStdout([&] { printMemory(data.data(), c.count, "head %d", 7); });
        EXPECT_EQ(out, c.expected) << c.count;
    }
}

// The strict text form that the simulated service's machine files and the
// tests use: exactly 36 characters, dashes in place, hexadecimal elsewhere.
TEST(GuidText, AcceptsOnlyTheWholeTextForm) {
    struct Case {
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {"6C9FEAEE-8193-400B-882C-49A83B50F862", true},
        {"6c9feaee-8193-400b-882c-49a83b50f862", true},
        {"6C9FEAEE-8193-400B-882C-49A83B50F86", false},
        {"6C9FEAEE-8193-400B-882C-49A83B50F8620", false},
        {"6C9FEAEE 8193-400B-882C-49A83B50F862", false},
        {"6C9FEAEG-8193-400B-882C-49A83B50F862", false},
        {"{6C9FEAEE-8193-400B-882C-49A83B50F86}", false},
        {"", false},
    };
    for (const Case& c : cases) {
        const std::optional<GUID> id = vdsGuidFromText(c.text);
        EXPECT_EQ(id.has_value(), c.accepted) << c.text;
        if (!id) continue;
        char text[kGuidTextLength + 1];
        vdsFormatGuid(*id, text);
        EXPECT_STREQ(text, "6C9FEAEE-8193-400B-882C-49A83B50F862");
        EXPECT_EQ(compareGUID(*id, g_guidMsHwProviderSample), 1);
    }
}

}  // namespace
