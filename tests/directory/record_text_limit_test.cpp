// Texts too long for a TextRef's 16-bit length or offset are cut so that
// every TextRef and the record's length field still describe the bytes.

#include <gtest/gtest.h>

#include <string>

#include "directory/records.h"
#include "ansi_text.h"
#include "record_test_support.h"

namespace {

TEST(RecordTextLimit, ALoneTextIsCutTo32767Bytes) {
    for (const std::size_t wide : {std::size_t{32767}, std::size_t{32768}, std::size_t{100000}}) {
        SCOPED_TRACE(wide);
        VDS_PACK_PROP prop{};
        prop.pwszName = comText(wide, u'n');
        const Record r = makeRecord(vdsWritePackRecord, prop);
        ASSERT_EQ(r.length, 32 + 32767);
        EXPECT_EQ(r.u32(0), 32u + 32767u);
        EXPECT_EQ(r.i16(28), 32767);
        EXPECT_EQ(r.i16(30), 32);
        EXPECT_EQ(r.text(32, 32767), std::string(32767, 'n'));
    }
}

// Whole characters that fit in `room` bytes, each `width` bytes wide.
int wholeCharacters(int room, std::size_t width) {
    return room / static_cast<int>(width) * static_cast<int>(width);
}

// A cut that falls inside a character ends before it: the record then holds
// whole characters only, one or two bytes short of the limit in UTF-8 (in
// 1252 these characters take one byte each, or become "?").
TEST(RecordTextLimit, MultibyteTextIsCutByBytesOnACharacterBoundary) {
    struct Case {
        char16_t character;
        int keptInUtf8;
    };
    const Case cases[] = {
        {u'\u00e9', 32766},  // 40,000 "é": 80,000 bytes in UTF-8
        {u'\u65e5', 32766},  // 40,000 "日": 120,000 bytes in UTF-8
        {u'\u0436', 32766},  // Cyrillic, two bytes each in UTF-8
    };
    for (const Case& c : cases) {
        const std::string unit = ansiBytes(std::u16string(1, c.character));
        SCOPED_TRACE(unit);
        const int kept = wholeCharacters(32767, unit.size());
        if (ansiCodePage() == CP_UTF8) {
            EXPECT_EQ(kept, c.keptInUtf8);
        }
        VDS_VOLUME_PROP prop{};
        prop.pwszName = comText(40000, c.character);
        const Record r = makeRecord(vdsWriteVolumeRecord, prop);
        ASSERT_EQ(r.length, 56 + kept);
        EXPECT_EQ(r.i16(52), kept);
        std::string whole;
        while (whole.size() < static_cast<std::size_t>(kept)) whole += unit;
        EXPECT_EQ(r.text(56, kept), whole);
    }
}

TEST(RecordTextLimit, AnEarlierTextLeavesRoomForTheNextOffset) {
    VDS_PROVIDER_PROP prop{};
    prop.pwszName = comText(40000, u'a');
    prop.pwszVersion = comText(u"1.0");
    const Record r = makeRecord(vdsWriteProviderRecord, prop);
    const int name = 32767 - 60;
    ASSERT_EQ(r.length, 32767 + 3);
    EXPECT_EQ(static_cast<int>(r.u32(0)), r.length);
    EXPECT_EQ(r.i16(52), name);
    EXPECT_EQ(r.i16(54), 60);
    EXPECT_EQ(r.i16(56), 3);
    EXPECT_EQ(r.i16(58), 32767);
    EXPECT_EQ(r.text(60, name), std::string(static_cast<std::size_t>(name), 'a'));
    EXPECT_EQ(r.text(32767, 3), "1.0");
}

TEST(RecordTextLimit, AnEarlierTextCutForTheNextOffsetKeepsWholeCharacters) {
    VDS_PROVIDER_PROP prop{};
    prop.pwszName = comText(40000, u'\u00e9');
    prop.pwszVersion = comText(u"1.0");
    const Record r = makeRecord(vdsWriteProviderRecord, prop);
    // The room is odd: in UTF-8, where each "é" takes two bytes, one is left.
    const int name = wholeCharacters(32767 - 60, ansiBytes(u"\u00e9").size());
    if (ansiCodePage() == CP_UTF8) {
        EXPECT_EQ(name, 32767 - 60 - 1);
    }
    EXPECT_EQ(r.i16(52), name);
    EXPECT_EQ(r.i16(58), 60 + name);
    EXPECT_EQ(r.text(60 + name, 3), "1.0");
    EXPECT_EQ(static_cast<int>(r.u32(0)), r.length);
}

TEST(RecordTextLimit, EveryLunTextRefStaysTrue) {
    VDS_LUN_PROP prop{};
    prop.pwszFriendlyName = comText(40000, u'f');
    prop.pwszIdentification = comText(40000, u'i');
    prop.pwszUnmaskingList = comText(40000, u'u');
    const Record r = makeRecord(vdsWriteLunRecord, prop);
    // The first text takes all the room that offsets can address, the second
    // is left empty at the last addressable offset, the last one is cut only
    // to its own limit.
    ASSERT_EQ(r.length, 32767 + 32767);
    EXPECT_EQ(static_cast<int>(r.u32(0)), r.length);
    EXPECT_EQ(r.i16(44), 32767 - 56);
    EXPECT_EQ(r.i16(46), 56);
    EXPECT_EQ(r.i16(48), 0);
    EXPECT_EQ(r.i16(50), 32767);
    EXPECT_EQ(r.i16(52), 32767);
    EXPECT_EQ(r.i16(54), 32767);
    EXPECT_EQ(r.text(32766, 2), "fu");
    EXPECT_EQ(r.text(r.length - 1, 1), "u");
}

}  // namespace
