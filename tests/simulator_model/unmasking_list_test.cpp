// Unmasking lists: the text a caller gives, checked and brought to the one
// form the LUN keeps and GetProperties shows; and the changes that take one.
#include <gmock/gmock.h>

#include <optional>
#include <string>

#include "built_in_model.h"
#include "change_steps.h"
#include "changes/lun_changes.h"
#include "model/unmasking_list.h"
#include "notice.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

struct ListRow {
    const char* name;
    std::u16string given;
    std::optional<std::u16string> effective;  // nullopt: refused
};

class UnmaskingList : public ::testing::TestWithParam<ListRow> {};

TEST_P(UnmaskingList, GivesTheEffectiveListOrRefuses) {
    const ListRow& row = GetParam();
    EXPECT_EQ(effectiveUnmaskingList(row.given), row.effective);
}

const std::nullopt_t kRefused = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Each, UnmaskingList,
    ::testing::Values(
        ListRow{"nobody", u"", u""},
        ListRow{"everyHost", u"*", u"*"},
        ListRow{"emptyEntriesAndBlanksIgnored", u" * ;", u"*"},
        ListRow{"onlySeparators", u";;", u""},
        ListRow{"everyHostWithAName", u"*;iqn.1991-05.com.microsoft:host1", kRefused},
        ListRow{"aNameWithEveryHost", u"2100000e1e30ac5a;*", kRefused},
        ListRow{"wwnUpperCase", u"2100000e1e30ac5a", u"2100000E1E30AC5A"},
        ListRow{"wwnTooShort", u"2100000e1e30ac5", kRefused},
        ListRow{"wwnNotHex", u"2100000e1e30ac5g", kRefused},
        ListRow{"iqnLowerCase", u"IQN.1991-05.COM.Microsoft:Host1", u"iqn.1991-05.com.microsoft:host1"},
        ListRow{"euiHexUpperCase", u"EUI.02004567a425678d", u"eui.02004567A425678D"},
        ListRow{"euiTooLong", u"eui.02004567A425678D0", kRefused},
        ListRow{"naaShortAndLong", u"naa.52004567ba64678d;naa.6001405ab12cd34ef56a7b8c9d0e1f23",
                u"naa.52004567BA64678D;naa.6001405AB12CD34EF56A7B8C9D0E1F23"},
        ListRow{"naaOfTwentyDigits", u"naa.52004567BA64678D0000", kRefused},
        ListRow{"iqnWithoutADate", u"iqn.a;iqn.b", kRefused},
        ListRow{"iqnInMonthThirteen", u"iqn.2026-13.example:host1", kRefused},
        ListRow{"iqnWithoutAnAuthority", u"iqn.2026-12.:host1", kRefused},
        ListRow{"iqnEndingInAColon", u"iqn.2026-12.example:", kRefused},
        ListRow{"iqnWithABlankInside", u"iqn.2026-12.example:host 1", kRefused},
        ListRow{"plainHostName", u"host1", kRefused},
        // Duplicates go, however spelt; the first keeps its place.
        ListRow{"duplicatesDropped",
                u"iqn.2026-12.example:b;2100000E1E30AC5A;;iqn.2026-12.example:a;IQN.2026-12.EXAMPLE:B;"
                u"2100000e1e30ac5a;",
                u"iqn.2026-12.example:b;2100000E1E30AC5A;iqn.2026-12.example:a"},
        // The same hex as a port WWN and as an EUI-64 name: two initiators.
        ListRow{"wwnAndEuiOfTheSameDigits", u"eui.02004567A425678D;02004567A425678D",
                u"eui.02004567A425678D;02004567A425678D"}),
    [](const auto& info) { return std::string(info.param.name); });

// The boot LUN is unmasked to iqn.1991-05.com.microsoft:host1.
TEST(UnmaskingListChanges, SetMaskAndCreateLunKeepTheEffectiveListAndRefuseAMalformedOne) {
    Model m = defaultMachine();
    const GUID boot = id(kBootLun);
    const auto listIs = [&](const std::u16string& expected) {
        return [boot, expected](const Model& model, const ChangeOutput&) {
            EXPECT_EQ(model.luns.at(boot).unmaskingList, expected);
        };
    };
    constexpr GUID kMadeLun{0x52000000, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
    run(m, {{"the same hosts spelt otherwise", [&] { return setLunMask(boot, u"IQN.1991-05.COM.MICROSOFT:HOST1;"); },
             S_OK, std::vector<simtest::Notice>{}},
            {"a name beside every host", [&] { return setLunMask(boot, u"*;2100000E1E30AC5A"); }, E_INVALIDARG},
            {"two names, one twice",
             [&] { return setLunMask(boot, u"2100000e1e30ac5a;iqn.2026-12.example:h;2100000E1E30AC5A"); },
             S_OK, std::vector<simtest::Notice>{{VDS_NF_LUN_MODIFY, boot}}, {},
             listIs(u"2100000E1E30AC5A;iqn.2026-12.example:h")},
            {"revoked", [&] { return setLunMask(boot, u""); }, S_OK,
             std::vector<simtest::Notice>{{VDS_NF_LUN_MODIFY, boot}}, {}, listIs(u"")},
            {"a LUN for a malformed list",
             [] {
                 return createLun(NewLun{id(kSubSystem), VDS_LT_SIMPLE, 1ull << 30, {}, u"host1", {}});
             },
             E_INVALIDARG},
            {"a LUN for a list with a duplicate",
             [] {
                 return createLun(NewLun{id(kSubSystem), VDS_LT_SIMPLE, 1ull << 30, {}, u"*;*", {}});
             },
             S_OK, std::nullopt, {},
             [&](const Model& model, const ChangeOutput& o) {
                 EXPECT_EQ(o.made, kMadeLun);
                 EXPECT_EQ(model.luns.at(o.made).unmaskingList, u"*");
             }}});
}

}  // namespace
