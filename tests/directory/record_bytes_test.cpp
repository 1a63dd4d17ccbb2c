// Whole records, byte for byte, with texts of every UTF-8 width and texts cut
// at the TextRef limit inside a four-byte character; and whole list replies
// of the default machine, pinned by length and digest, with what they print.
// However records are assembled, these bytes must not move.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "directory/records.h"
#include "ansi_text.h"
#include "record_test_support.h"
#include "sample_requests.h"
#include "service_fixture.h"

namespace {

std::string le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string le32(std::uint32_t v) { return le16(static_cast<int>(v & 0xFFFF)) + le16(static_cast<int>(v >> 16)); }

TEST(RecordBytes, DriveRecordWithMixedWidthTexts) {
    VDS_DRIVE_PROP prop{};
    prop.id = GUID{0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    prop.ullSize = 0x1122334455667788ull;
    prop.ulFlags = 0xA0B0C0D0;
    prop.status = VDS_DRS_ONLINE;
    prop.health = VDS_H_HEALTHY;
    prop.sInternalBusNumber = -2;
    prop.sSlotNumber = 7;
    prop.pwszFriendlyName = comText(u"Drive \u00e9\u2713\U0001D11E");
    prop.pwszIdentification = comText(u"SN-1");
    const Record r = makeRecord(vdsWriteDriveRecord, prop);

    const std::u16string wideName = u"Drive \u00e9\u2713\U0001D11E";
    const std::string name = ansiBytes(wideName);
    expectAnsiBytes(name, wideName, {"Drive \xc3\xa9\xe2\x9c\x93\xf0\x9d\x84\x9e"});
    std::string expected = le32(48 + static_cast<std::uint32_t>(name.size()) + 4);
    expected += std::string("\x04\x03\x02\x01\x06\x05\x08\x07\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10", 16);
    expected += le32(0x55667788) + le32(0x11223344) + le32(0xA0B0C0D0);
    expected += le16(VDS_DRS_ONLINE) + le16(VDS_H_HEALTHY) + le16(-2) + le16(7);
    expected += le16(static_cast<int>(name.size())) + le16(48);
    expected += le16(4) + le16(48 + static_cast<int>(name.size()));
    expected += name + "SN-1";
    ASSERT_EQ(r.length, static_cast<int>(expected.size()));
    EXPECT_EQ(r.text(0, r.length), expected);
}

// 10,000 four-byte characters are 40,000 bytes in UTF-8: the text keeps 8,191
// whole characters (32,764 bytes), and nothing of the character the limit
// splits. (In 1252 each becomes "??", and the text fits whole.)
TEST(RecordBytes, FourByteTextCutAtTheLimitKeepsWholeCharacters) {
    for (const char16_t* lead : {u"", u"a", u"ab", u"abc"}) {
        const std::u16string prefix(lead);
        SCOPED_TRACE(prefix.size());
        std::u16string text = prefix;
        std::string narrow(prefix.begin(), prefix.end());
        for (int i = 0; i < 10000; ++i) text += u"\U0001D11E";
        const std::string unit = ansiBytes(u"\U0001D11E");
        if (ansiCodePage() == CP_UTF8) {
            EXPECT_EQ(unit, "\xf0\x9d\x84\x9e");
        }
        std::string whole = narrow;
        for (int i = 0; i < 10000 && whole.size() + unit.size() <= 32767; ++i) whole += unit;
        VDS_PACK_PROP prop{};
        prop.pwszName = comText(text);
        const Record r = makeRecord(vdsWritePackRecord, prop);
        ASSERT_EQ(r.length, 32 + static_cast<int>(whole.size()));
        EXPECT_EQ(r.i16(28), static_cast<int>(whole.size()));
        EXPECT_EQ(r.text(32, static_cast<int>(whole.size())), whole);
    }
}

// FNV-1a, enough to notice any byte of a reply moving.
std::uint64_t digest(const std::vector<unsigned char>& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char b : bytes) h = (h ^ b) * 0x100000001b3ull;
    return h;
}

class ListReplyBytes : public ServiceTest {};

TEST_F(ListReplyBytes, DefaultMachineListsKeepTheirBytesAndLines) {
    struct Case {
        int code;
        int size;
        std::uint64_t digest;
        const char* printed;
    };
    const Case cases[] = {
        {0x0093, 558, 0xb03cdfdead337d60,
         "VDS: SubSystem ID: 20000000-0000-4000-8000-000000000001\n"},
        {0x0094, 281, 0x67d0d49395348820,
         "VDS: SubSystem ID: 20000000-0000-4000-8000-000000000001\n"
         "vdsGetLunCount(IVdsSubSystem *)vdsGetLuns(IVdsSubSystem *, IVdsLun **, int )"},
        {0x0095, 102, 0xa5a187d0bd05147d,
         "VDS: Drive ID: 40000000-0000-4000-8000-000000000004\n"},
        {0x0097, 102, 0x5c13f83647ef9c48,
         "VDS: LUN ID: 50000000-0000-4000-8000-000000000002\n"},
        {0x0098, 102, 0x75646cc286ef46f7,
         "VDS: LUN Plex ID: 51000000-0000-4000-8000-000000000004\n"},
        {0x0401, 57, 0x23ab50b9fdacd4d6,
         "VDS: Provider ID: 60000000-0000-4000-8000-000000000002\n"},
        {0x0402, 150, 0x3f422cbf29684ce9,
         "VDS: Pack ID: 70000000-0000-4000-8000-000000000002\n"},
        {0x0500, 246, 0x87c358fe3de264f3,
         "VDS: Pack ID 70000000-0000-4000-8000-000000000002\n"},
    };
    connect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto request = sampleRequest(c.code);
        ASSERT_TRUE(request);
        const Reply reply = runCommand(*request);
        ASSERT_FALSE(reply.null);
        EXPECT_EQ(reply.status(), 0);
        EXPECT_EQ(reply.outSize, c.size);
        EXPECT_EQ(digest(reply.bytes), c.digest) << std::hex << "0x" << digest(reply.bytes);
        EXPECT_EQ(reply.printed, c.printed);
    }
}

}  // namespace
