// LUN growth on the pure layer: what QueryMaxLunExtendSize answers is exactly
// what Extend can add, for every LUN type, with drives named and with none;
// and a failed LUN or subsystem refuses every change of its shape but Delete.
#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <vector>

#include "change_steps.h"
#include "changes/lun_changes.h"
#include "changes/lun_growth.h"
#include "growth_machine.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

constexpr std::uint64_t kGiB = kGrowthGiB;

struct GrowthRow {
    const char* name;
    int lun;
    std::vector<int> named;
    std::uint64_t max;
    // What the growth took, besides the sizes every row checks.
    std::function<void(const LunPlex& firstPlex, std::size_t extentsBefore)> check = nullptr;
};

std::vector<GUID> drivesNo(const std::vector<int>& numbers) {
    std::vector<GUID> out;
    for (int n : numbers) out.push_back(driveNo(n));
    return out;
}

class LunGrowth : public ::testing::TestWithParam<GrowthRow> {};

TEST_P(LunGrowth, ExtendTakesExactlyTheMostItIsSaidToTake) {
    const GrowthRow& row = GetParam();
    Model m = growthMachine();
    const GUID lun = lunNo(row.lun);
    const std::vector<GUID> named = drivesNo(row.named);
    const std::uint64_t sizeBefore = m.luns.at(lun).size;
    const std::size_t extentsBefore = m.lunPlexes.at(m.luns.at(lun).plexes.front()).extents.size();

    std::uint64_t max = 0;
    ASSERT_EQ(maxLunExtendSize(m, lun, named, max), S_OK);
    EXPECT_EQ(max, row.max);
    run(m, {{"one byte more than the answer", [&] { return extendLun(lun, max + 1, named); }, VDS_E_NOT_ENOUGH_SPACE},
            {"the answer", [&] { return extendLun(lun, max, named); }, S_OK}});

    const Lun& after = m.luns.at(lun);
    EXPECT_EQ(after.size, sizeBefore + max);
    for (const auto& p : after.plexes) EXPECT_EQ(m.lunPlexes.at(p).size, after.size);
    if (row.check) row.check(m.lunPlexes.at(after.plexes.front()), extentsBefore);
}

// The growth begins on drive `n`.
auto firstOn(int n) {
    return [n](const LunPlex& plex, std::size_t before) {
        ASSERT_GT(plex.extents.size(), before);
        EXPECT_EQ(plex.extents[before].drive, driveNo(n));
    };
}

// A striped plex keeps its columns: each grew in place, no drive was added.
void columnsInPlace(const LunPlex& plex, std::size_t before) { EXPECT_EQ(plex.extents.size(), before); }

INSTANTIATE_TEST_SUITE_P(
    EachType, LunGrowth,
    ::testing::Values(
        // Every drive in service, the LUN's own first: all their free space.
        GrowthRow{"simple", 1, {}, 770 * kGiB},
        GrowthRow{"simpleOnANamedDrive", 1, {11}, 770 * kGiB, firstOn(11)},
        GrowthRow{"span", 2, {}, 770 * kGiB},
        GrowthRow{"spanOnANamedDrive", 2, {5}, 770 * kGiB, firstOn(5)},
        // Two columns, the smaller with 40 GiB free.
        GrowthRow{"stripe", 3, {}, 80 * kGiB, columnsInPlace},
        GrowthRow{"stripeWithADriveNamed", 3, {11}, 80 * kGiB, columnsInPlace},
        // Each copy keeps its own drive and is given the others by turns, to
        // the copy with less room: the first 6, 11, 5, 4 and 10 (390 GiB),
        // the second 7, 1, 2, 3, 8 and 9 (380 GiB).
        GrowthRow{"mirror", 4, {}, 380 * kGiB, firstOn(11)},
        GrowthRow{"mirrorOnANamedDrive", 4, {11}, 380 * kGiB, firstOn(11)},
        // Three columns of 30 GiB free, two of them data.
        GrowthRow{"parity", 5, {}, 60 * kGiB, columnsInPlace},
        GrowthRow{"parityWithADriveNamed", 5, {11}, 60 * kGiB, columnsInPlace}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalRow {
    const char* name;
    int lun;
    std::vector<int> named;
    HRESULT expected;
};

class LunGrowthRefusal : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(LunGrowthRefusal, QueryAndExtendAnswerAlike) {
    const RefusalRow& row = GetParam();
    Model m = growthMachine();
    std::uint64_t max = 1;
    EXPECT_EQ(maxLunExtendSize(m, lunNo(row.lun), drivesNo(row.named), max), row.expected);
    EXPECT_EQ(max, 0u);
    run(m, {{"extend", [&] { return extendLun(lunNo(row.lun), kGiB, drivesNo(row.named)); }, row.expected}});
}

INSTANTIATE_TEST_SUITE_P(
    Each, LunGrowthRefusal,
    ::testing::Values(RefusalRow{"driveOfAnotherSubsystem", 1, {20}, VDS_E_OBJECT_NOT_FOUND},
                      RefusalRow{"failedDrive", 1, {13}, VDS_E_OBJECT_STATUS_FAILED},
                      RefusalRow{"hotSpare", 1, {12}, VDS_E_INVALID_OPERATION},
                      RefusalRow{"driveNamedTwice", 1, {11, 11}, E_INVALIDARG},
                      RefusalRow{"failedLun", 6, {}, VDS_E_OBJECT_STATUS_FAILED},
                      RefusalRow{"lunOfAFailedSubsystem", 7, {}, VDS_E_OBJECT_STATUS_FAILED}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FailedLun, RefusesEveryChangeOfItsShapeButDelete) {
    Model m = growthMachine();
    const GUID failed = lunNo(6);
    run(m, {{"shrink", [&] { return shrinkLun(failed, kGiB); }, VDS_E_OBJECT_STATUS_FAILED},
            {"add it as a plex", [&] { return addLunPlex(lunNo(4), failed); }, VDS_E_OBJECT_STATUS_FAILED},
            {"add a plex to it", [&] { return addLunPlex(failed, lunNo(2)); }, VDS_E_OBJECT_STATUS_FAILED},
            {"remove its plex", [&] { return removeLunPlex(failed, lunPlexNo(6, 1)); }, VDS_E_OBJECT_STATUS_FAILED},
            {"shrink on a failed subsystem", [&] { return shrinkLun(lunNo(7), kGiB); }, VDS_E_OBJECT_STATUS_FAILED},
            {"delete", [&] { return deleteLun(failed); }, S_OK,
             std::vector<simtest::Notice>{{VDS_NF_LUN_DEPART, failed}, {VDS_NF_DRIVE_MODIFY, driveNo(13)}}}});
}

}  // namespace
