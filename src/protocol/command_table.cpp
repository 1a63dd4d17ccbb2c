#include "protocol/command_table.h"

#include <algorithm>
#include <iterator>

#include "commands/handlers.h"

namespace {

// Codes are the exact numbers below: 0x0409 is followed by 0x0410, 0x0209 by
// 0x0210 and 0x0509 by 0x0510, so values such as 0x040A, 0x0211 or 0x050A are
// not commands. A row whose handler is null is answered as an unknown code.
constexpr CommandRow kCommands[] = {
    {0x000C, "cmdGetFileSystemProperties", {-1, -100}, 12, nullptr},
    {0x0091, "cmdQueryHwProviders", {-1, -2}, 14, cmdQueryHwProviders},
    {0x0092, "cmdQuerySubSystems", {-1}, 14, cmdQuerySubSystems},
    {0x0093, "cmdQueryDrives", {-1, -3}, 14, cmdQueryDrives},
    {0x0094, "cmdQuerySubSystemLuns", {-1}, 14, cmdQuerySubSystemLuns},
    {0x0095, "cmdQueryDriveExtents", {-1, -100}, 14, cmdQueryDriveExtents},
    {0x0096, "cmdQueryControllers", {-1}, 14, cmdQueryControllers},
    {0x0097, "cmdQueryLunPlexes", {-1, -3}, 14, cmdQueryLunPlexes},
    {0x0098, "cmdQueryLunPlexExtents", {-1, -100}, 14, cmdQueryLunPlexExtents},
    {0x0099, "cmdQueryAssociatedLuns", {-1}, 14, cmdQueryAssociatedLuns},
    {0x0120, "cmdCreateLun", {-1, -100}, 12, nullptr},
    {0x0121, "cmdSetSubSystemStatus", {-1, -100}, 12, nullptr},
    {0x0122, "cmdSetDriveStatus", {-1, -100}, 12, nullptr},
    {0x0123, "cmdSetControllerStatus", {-1, -100}, 12, nullptr},
    {0x0124, "cmdReplaceDrive", {-1, -2, -3, -100}, 12, nullptr},
    {0x0125, "cmdResetController", {-1, -100}, 12, nullptr},
    {0x0126, "cmdMaintenance", {-1, -2, -3, -100}, 12, nullptr},
    {0x0127, "cmdGetDrive", {-1, -100}, 12, nullptr},
    {0x0200, "cmdDeleteLun", {-1, -100}, 12, nullptr},
    {0x0201, "cmdAddLunPlex", {-1, -2, -100}, 12, nullptr},
    {0x0202, "cmdRemoveLunPlex", {-1, -2, -100}, 12, nullptr},
    {0x0203, "cmdQueryMaxLunExtendSize", {-1, -100}, 20, nullptr},
    {0x0204, "cmdExtendLun", {-1, -100}, 12, nullptr},
    {0x0205, "cmdQueryLunHints", {-1, -100}, 12, nullptr},
    {0x0206, "cmdApplyLunHints", {-1, -100}, 12, nullptr},
    {0x0207, "cmdSetLunStatus", {-1, -100}, 12, nullptr},
    {0x0208, "cmdSetLunMask", {-1, -100}, 12, nullptr},
    {0x0209, "cmdQueryActiveControllers", {-1}, 14, nullptr},
    {0x0210, "cmdAssociateControllers", {-1, -100}, 12, nullptr},
    {0x0212, "cmdShrinkLun", {-1, -100}, 12, nullptr},
    {0x0213, "cmdRecoverLun", {-1, -100}, 12, nullptr},
    {0x0300, "cmdSetDriveFlags", {-1, -100}, 12, nullptr},
    {0x0301, "cmdClearDriveFlags", {-1, -100}, 12, nullptr},
    {0x0400, "cmdQuerySwProviders", {-1, -2}, 14, cmdQuerySwProviders},
    {0x0401, "cmdQueryPacks", {-1}, 14, cmdQueryPacks},
    {0x0402, "cmdQueryPackDisks", {-1}, 14, nullptr},
    {0x0403, "cmdConvertStyle", {-1, -100}, 12, nullptr},
    {0x0404, "cmdQueryPartitions", {-1, -10, -100}, 16, nullptr},
    {0x0405, "cmdCreatePartitions", {-1, -10, -100}, 12, nullptr},
    {0x0406, "cmdDeletePartition", {-1, -10, -100}, 12, nullptr},
    {0x0407, "cmdFormatPartition", {-1, -10, -100}, 12, nullptr},
    {0x0408, "cmdCleanDisk", {-1, -10, -100}, 12, nullptr},
    {0x0409, "cmdQueryDiskExtents", {-1, -100}, 16, nullptr},
    {0x0410, "cmdSetDiskFlags", {-1, -100}, 12, nullptr},
    {0x0411, "cmdClearDiskFlags", {-1, -100}, 12, nullptr},
    {0x0412, "cmdAddDisk", {-1, -100}, 12, nullptr},
    {0x0413, "cmdMigrateDisks", {-1, -2, -100}, 20, nullptr},
    {0x0414, "cmdReplaceDisk", {-1, -2, -3, -100}, 12, nullptr},
    {0x0415, "cmdRemoveMissingDisk", {-1, -2, -100}, 12, nullptr},
    {0x0416, "cmdCreatePack", {-1, -100}, 28, nullptr},
    {0x0417, "cmdGetDriveLetter", {-1, -10, -100}, 12, nullptr},
    {0x0418, "cmdAssignDriveLetter", {-1, -10, -100}, 12, nullptr},
    {0x0419, "cmdDeleteDriveLetter", {-1, -10, -100}, 12, nullptr},
    {0x0500, "cmdQueryVolumes", {-1}, 16, nullptr},
    {0x0501, "cmdQueryVolumePlexes", {-1}, 16, nullptr},
    {0x0502, "cmdQueryVolumePlexExtents", {-1, -2, -3, -4, -100}, 16, nullptr},
    {0x0503, "cmdRepairVolumePlex", {-1, -100}, 12, nullptr},
    {0x0504, "cmdExtendVolume", {-1, -100}, 12, nullptr},
    {0x0505, "cmdAddVolumePlex", {-1, -2, -100}, 12, nullptr},
    {0x0506, "cmdBreakVolumePlex", {-1, -2, -100}, 12, nullptr},
    {0x0507, "cmdRemoveVolumePlex", {-1, -2, -100}, 12, nullptr},
    {0x0508, "cmdCreateVolume", {-1, -100}, 12, nullptr},
    {0x0509, "cmdDeleteVolume", {-1, -100}, 12, nullptr},
    {0x0510, "cmdShrinkVolume", {-1, -100}, 12, nullptr},
    {0x0511, "cmdSetVolumeFlags", {-1, -100}, 12, nullptr},
    {0x0512, "cmdClearVolumeFlags", {-1, -100}, 12, nullptr},
    {0x0601, "cmdFormatVolume", {-1, -100}, 12, nullptr},
    {0x0602, "cmdAddAccessPath", {-1, -100}, 12, nullptr},
    {0x0603, "cmdQueryAccessPaths", {-1, -100}, 16, nullptr},
    {0x0604, "cmdQueryReparsePoints", {-1, -100}, 16, nullptr},
    {0x0605, "cmdDeleteAccessPath", {-1, -100}, 12, nullptr},
    {0x0606, "cmdMountVolume", {-1, -100}, 12, nullptr},
    {0x0607, "cmdDismountVolume", {-1, -100}, 12, nullptr},
    {0x0608, "cmdSetFileSystemFlags", {-1, -100}, 12, nullptr},
    {0x1000, "cmdRefreshProvider", {-1, -100}, 12, cmdRefreshProvider},
    {0x1001, "cmdGetFreeSpace", {-101}, 12, cmdGetFreeSpace},
    {0x1002, "cmdReenumerate", {-100}, 12, cmdReenumerate},
};

constexpr bool sortedByCode() {
    for (std::size_t i = 1; i < std::size(kCommands); ++i)
        if (kCommands[i - 1].code >= kCommands[i].code) return false;
    return true;
}
static_assert(std::size(kCommands) == 77, "the protocol has 77 commands");
static_assert(sortedByCode(), "rows stay sorted by code for the binary search");

}  // namespace

std::span<const CommandRow> vdsCommandTable() { return kCommands; }

const CommandRow* vdsFindCommand(std::int16_t code) {
    const auto* end = std::end(kCommands);
    const auto* row = std::lower_bound(std::begin(kCommands), end, code,
                                       [](const CommandRow& r, std::int16_t c) { return r.code < c; });
    return (row != end && row->code == code) ? row : nullptr;
}
