// Records of providers and hardware objects, byte for byte.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "directory/records.h"
#include "ansi_text.h"
#include "record_test_support.h"

namespace {

TEST(HardwareRecords, ProviderLayoutWithNameThenVersion) {
    VDS_PROVIDER_PROP prop{};
    prop.id = kIdA;
    prop.guidVersionId = kIdB;
    prop.pwszName = comText(u"Array HW");
    prop.pwszVersion = comText(u"2.1");
    prop.type = VDS_PT_HARDWARE;
    prop.ulFlags = 0x80000021u;
    prop.ulStripeSizeFlags = 0x0001F000u;
    prop.sRebuildPriority = 7;
    const Record r = makeRecord(vdsWriteProviderRecord, prop);
    expectLayout(r, 71,
                 {i32At(0, 71), guidAt(4, kIdABytes), guidAt(20, kIdBBytes), i32At(36, 2),
                  i32At(40, 0x80000021u), i32At(44, 0x0001F000u), i32At(48, 7),
                  refAt(52, 8, 60), refAt(56, 3, 68), textAt(60, "Array HW"), textAt(68, "2.1")});
}

TEST(HardwareRecords, ProviderRebuildPriorityIsSignExtended) {
    VDS_PROVIDER_PROP prop{};
    prop.sRebuildPriority = -1;
    const Record r = makeRecord(vdsWriteProviderRecord, prop);
    ASSERT_EQ(r.length, kProviderRecordFixed);
    EXPECT_EQ(r.u32(48), 0xFFFFFFFFu);
    // Absent texts: both start right after the fixed part.
    EXPECT_EQ(r.u32(52), 60u << 16);
    EXPECT_EQ(r.u32(56), 60u << 16);
}

TEST(HardwareRecords, SubSystemLayout) {
    VDS_SUB_SYSTEM_PROP prop{};
    prop.id = kIdA;
    prop.pwszFriendlyName = comText(u"Box");
    prop.pwszIdentification = comText(u"SN-7");
    prop.ulFlags = 0x11;
    prop.ulStripeSizeFlags = 0x22;
    prop.status = static_cast<VDS_SUB_SYSTEM_STATUS>(0x10003);  // only the low half travels
    prop.health = VDS_H_FAILING;
    prop.sNumberOfInternalBuses = 2;
    prop.sMaxNumberOfSlotsEachBus = 16;
    prop.sMaxNumberOfControllers = 4;
    prop.sRebuildPriority = -2;
    const Record r = makeRecord(vdsWriteSubSystemRecord, prop);
    expectLayout(r, 55,
                 {i32At(0, 55), guidAt(4, kIdABytes), i32At(20, 0x11), i32At(24, 0x22),
                  i16At(28, 3), i16At(30, 4), i16At(32, 2), i16At(34, 16), i16At(36, 4),
                  i16At(38, -2), refAt(40, 3, 48), refAt(44, 4, 51), textAt(48, "Box"),
                  textAt(51, "SN-7")});
}

TEST(HardwareRecords, ControllerLayoutKeepsBytes22And23Zero) {
    VDS_CONTROLLER_PROP prop{};
    prop.id = kIdB;
    prop.pwszFriendlyName = comText(u"Ctl A");
    prop.pwszIdentification = nullptr;
    prop.status = static_cast<VDS_CONTROLLER_STATUS>(0x7FFF0001);
    prop.health = VDS_H_HEALTHY;
    prop.sNumberOfPorts = 8;
    const Record r = makeRecord(vdsWriteControllerRecord, prop);
    expectLayout(r, 41,
                 {i32At(0, 41), guidAt(4, kIdBBytes), i16At(20, 1), i16At(24, 1), i16At(26, 8),
                  refAt(28, 5, 36), refAt(32, 0, 41), textAt(36, "Ctl A")});
}

TEST(HardwareRecords, DriveWithoutFriendlyName) {
    VDS_DRIVE_PROP prop{};
    prop.id = kIdA;
    prop.ullSize = 0x0000000500000100ull;
    prop.pwszFriendlyName = nullptr;
    prop.pwszIdentification = comText(u"ABC");
    prop.ulFlags = 0x4;
    prop.status = static_cast<VDS_DRIVE_STATUS>(2);
    prop.health = VDS_H_HEALTHY;
    prop.sInternalBusNumber = 1;
    prop.sSlotNumber = -1;
    const Record r = makeRecord(vdsWriteDriveRecord, prop);
    expectLayout(r, 51,
                 {i32At(0, 51), guidAt(4, kIdABytes), u64At(20, 0x0000000500000100ull),
                  i32At(28, 4), i16At(32, 2), i16At(34, 1), i16At(36, 1), i16At(38, -1),
                  refAt(40, 0, 48), refAt(44, 3, 48), textAt(48, "ABC")});
}

TEST(HardwareRecords, LunWithoutTextsIsTheFixedPartOnly) {
    VDS_LUN_PROP prop{};
    prop.id = kIdB;
    prop.ullSize = 1ull << 40;
    prop.ulFlags = 0x9;
    prop.type = static_cast<VDS_LUN_TYPE>(0x0001000B);
    prop.status = static_cast<VDS_LUN_STATUS>(1);
    prop.health = VDS_H_DEGRADED;
    prop.TransitionState = VDS_TS_RESTRIPING;
    prop.sRebuildPriority = -3;
    const Record r = makeRecord(vdsWriteLunRecord, prop);
    expectLayout(r, 56,
                 {i32At(0, 56), guidAt(4, kIdBBytes), u64At(20, 1ull << 40), i32At(28, 9),
                  i16At(32, 0x0B), i16At(36, 1), i16At(38, 11), i16At(40, 5), i16At(42, -3),
                  refAt(44, 0, 56), refAt(48, 0, 56), refAt(52, 0, 56)});
}

TEST(HardwareRecords, LunTextsFollowEachOtherInRecordOrder) {
    VDS_LUN_PROP prop{};
    prop.pwszFriendlyName = comText(u"");
    prop.pwszIdentification = comText(u"LUN-1");
    prop.pwszUnmaskingList = comText(u"iqn.a;iqn.b");
    const Record r = makeRecord(vdsWriteLunRecord, prop);
    expectLayout(r, 72,
                 {i32At(0, 72), refAt(44, 0, 56), refAt(48, 5, 56), refAt(52, 11, 61),
                  textAt(56, "LUN-1"), textAt(61, "iqn.a;iqn.b")});
}

// The three records with a friendly name and an identification share one
// pattern: a length field, two TextRefs, the texts after the fixed part.
struct TwoTextCase {
    const char* name;
    int fixed;
    int friendlyRef;
    std::function<Record(LPWSTR, LPWSTR)> make;
};

std::vector<TwoTextCase> twoTextCases() {
    return {
        {"subsystem", kSubSystemRecordFixed, 40,
         [](LPWSTR f, LPWSTR i) {
             VDS_SUB_SYSTEM_PROP p{};
             p.pwszFriendlyName = f;
             p.pwszIdentification = i;
             return makeRecord(vdsWriteSubSystemRecord, p);
         }},
        {"controller", kControllerRecordFixed, 28,
         [](LPWSTR f, LPWSTR i) {
             VDS_CONTROLLER_PROP p{};
             p.pwszFriendlyName = f;
             p.pwszIdentification = i;
             return makeRecord(vdsWriteControllerRecord, p);
         }},
        {"drive", kDriveRecordFixed, 40,
         [](LPWSTR f, LPWSTR i) {
             VDS_DRIVE_PROP p{};
             p.pwszFriendlyName = f;
             p.pwszIdentification = i;
             return makeRecord(vdsWriteDriveRecord, p);
         }},
    };
}

TEST(HardwareRecords, FriendlyNameThenIdentification) {
    struct Texts {
        const char16_t* friendly;  // null: absent
        const char16_t* identification;
        PinnedBytes friendlyNarrow;
        PinnedBytes identificationNarrow;
    };
    const Texts texts[] = {
        {nullptr, nullptr, {"", ""}, {"", ""}},
        {u"Front", nullptr, {"Front", "Front"}, {"", ""}},
        {u"", u"X1", {"", ""}, {"X1", "X1"}},
        {u"Caf\u00e9", u"\u65e5", {"Caf\xc3\xa9", "Caf\xe9"}, {"\xe6\x97\xa5", "?"}},
    };
    for (const TwoTextCase& c : twoTextCases()) {
        for (const Texts& t : texts) {
            SCOPED_TRACE(c.name);
            const Record r = c.make(t.friendly ? comText(t.friendly) : nullptr,
                                    t.identification ? comText(t.identification) : nullptr);
            const std::u16string friendly = t.friendly ? t.friendly : u"";
            const std::u16string identification = t.identification ? t.identification : u"";
            const int f = static_cast<int>(ansiBytes(friendly).size());
            const int i = static_cast<int>(ansiBytes(identification).size());
            ASSERT_EQ(r.length, c.fixed + f + i);
            EXPECT_EQ(static_cast<int>(r.u32(0)), r.length);
            EXPECT_EQ(r.i16(c.friendlyRef), f);
            EXPECT_EQ(r.i16(c.friendlyRef + 2), c.fixed);
            EXPECT_EQ(r.i16(c.friendlyRef + 4), i);
            EXPECT_EQ(r.i16(c.friendlyRef + 6), c.fixed + f);
            expectAnsiBytes(r.text(c.fixed, f), friendly, t.friendlyNarrow);
            expectAnsiBytes(r.text(c.fixed + f, i), identification, t.identificationNarrow);
        }
    }
}

TEST(HardwareRecords, LunPlexHasNoLengthFieldAndStripeSizeBeforeFlags) {
    VDS_LUN_PLEX_PROP prop{};
    prop.id = kIdA;
    prop.ullSize = 0x123456789ull;
    prop.type = static_cast<VDS_LUN_PLEX_TYPE>(0x00020003);
    prop.status = static_cast<VDS_LUN_PLEX_STATUS>(4);
    prop.health = VDS_H_STALE;
    prop.TransitionState = VDS_TS_EXTENDING;
    prop.ulFlags = 0xA0;
    prop.ulStripeSize = 0x10000;
    prop.sRebuildPriority = -1;
    const Record r = makeRecord(vdsWriteLunPlexRecord, prop);
    expectLayout(r, 44,
                 {guidAt(0, kIdABytes), u64At(16, 0x123456789ull), i32At(24, 0x10000),
                  i32At(28, 0xA0), i16At(32, 3), i16At(36, 4), i16At(38, 3), i16At(40, 2),
                  i16At(42, -1)});
}

TEST(HardwareRecords, DriveExtentsAreWrittenBackToBackOverAnyOldBytes) {
    const VDS_DRIVE_EXTENT extents[] = {
        {kIdA, kIdB, 0xFFFFFFFF00000001ull, 0x1FF},
        {kIdB, GUID{}, 512, 0x100},  // low byte 0: not in use
    };
    std::vector<unsigned char> out(2 * kDriveExtentRecordSize + 1, 0xCC);
    for (std::size_t i = 0; i < 2; ++i) vdsWriteDriveExtentRecord(extents[i], out.data() + i * kDriveExtentRecordSize);

    const std::vector<std::vector<Field>> expected = {
        {guidAt(0, kIdABytes), guidAt(16, kIdBBytes), u64At(32, 0xFFFFFFFF00000001ull),
         bytesAt(40, {0xFF})},
        {guidAt(0, kIdBBytes), u64At(32, 512)},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        Record r;
        r.length = kDriveExtentRecordSize;
        r.bytes.reset(new unsigned char[kDriveExtentRecordSize]);
        std::memcpy(r.bytes.get(), out.data() + i * kDriveExtentRecordSize, kDriveExtentRecordSize);
        expectLayout(r, kDriveExtentRecordSize, expected[i]);
    }
    EXPECT_EQ(out.back(), 0xCC) << "wrote past the last record";
}

}  // namespace
