// VDS_NF_DRIVE_MODIFY means an extent on the drive changed: each LUN change
// that moves, adds or frees drive extents tells it for exactly the drives
// whose extents changed, besides what it tells of the LUNs.
#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <vector>

#include "change_steps.h"
#include "changes/lun_changes.h"
#include "changes/lun_growth.h"
#include "growth_machine.h"
#include "notice.h"

using namespace simmodel;
using namespace tolvane::sim;

namespace {

using Told = simtest::Notice;
constexpr std::uint64_t kGiB = kGrowthGiB;

struct NoticeRow {
    const char* name;
    std::function<ChangeFunction()> call;
    std::vector<Told> told;
};

class LunDriveNotices : public ::testing::TestWithParam<NoticeRow> {};

TEST_P(LunDriveNotices, TellTheDrivesWhoseExtentsChanged) {
    const NoticeRow& row = GetParam();
    Model m = growthMachine();
    judge(m, {row.name, row.call, S_OK, row.told});
}

Told driveModify(int n) { return {VDS_NF_DRIVE_MODIFY, driveNo(n)}; }
Told lunModify(int n) { return {VDS_NF_LUN_MODIFY, lunNo(n)}; }
Told lunDepart(int n) { return {VDS_NF_LUN_DEPART, lunNo(n)}; }

INSTANTIATE_TEST_SUITE_P(
    Each, LunDriveNotices,
    ::testing::Values(
        // Drive 1's 90 GiB, then 5 of drive 11, the most free.
        NoticeRow{"extendSimpleOntoASecondDrive", [] { return extendLun(lunNo(1), 95 * kGiB, {}); },
                  {driveModify(1), driveModify(11), lunModify(1)}},
        // Each copy on its own drive and then on others apart: 6 and 11, 7 and 1.
        NoticeRow{"extendMirror", [] { return extendLun(lunNo(4), 75 * kGiB, {}); },
                  {driveModify(1), driveModify(6), driveModify(7), driveModify(11), lunModify(4)}},
        NoticeRow{"extendParity", [] { return extendLun(lunNo(5), 2 * kGiB, {}); },
                  {driveModify(8), driveModify(9), driveModify(10), lunModify(5)}},
        // All of drive 3's extent and 5 GiB of drive 2's.
        NoticeRow{"shrinkSpan", [] { return shrinkLun(lunNo(2), 25 * kGiB); },
                  {driveModify(2), driveModify(3), lunModify(2)}},
        NoticeRow{"shrinkStripe", [] { return shrinkLun(lunNo(3), 2 * kGiB); },
                  {driveModify(4), driveModify(5), lunModify(3)}},
        // Less than a byte for each column: no extent changes.
        NoticeRow{"shrinkStripeByOneByte", [] { return shrinkLun(lunNo(3), 1); }, {lunModify(3)}},
        NoticeRow{"deleteParity", [] { return deleteLun(lunNo(5)); },
                  {lunDepart(5), driveModify(8), driveModify(9), driveModify(10)}},
        // The absorbed LUN's extents now belong to the target; the target's own stay.
        NoticeRow{"addASpanAsAPlex", [] { return addLunPlex(lunNo(1), lunNo(2)); },
                  {lunDepart(2), driveModify(2), driveModify(3), lunModify(1)}},
        NoticeRow{"addAMirrorAsPlexes", [] { return addLunPlex(lunNo(1), lunNo(4)); },
                  {lunDepart(4), driveModify(6), driveModify(7), lunModify(1)}},
        NoticeRow{"removeAMirrorCopy", [] { return removeLunPlex(lunNo(4), lunPlexNo(4, 2)); },
                  {driveModify(7), lunModify(4)}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
