#include "commands/command_table.h"

#include <iterator>

#include "commands/handlers.h"
#include "tolvane.h"

namespace {

namespace S = status;

// Codes are the exact numbers below: 0x0409 is followed by 0x0410, 0x0209 by
// 0x0210 and 0x0509 by 0x0510, so values such as 0x040A, 0x0211 or 0x050A are
// not commands. A row whose handler is null is answered as an unknown code.
constexpr CommandRow kCommands[] = {
    {0x000C, "cmdGetFileSystemProperties", {S::TargetNotFound, S::VdsError}, 12, cmdGetFileSystemProperties},
    {0x0091, "cmdQueryHwProviders", {S::ServiceNotReady, S::ProviderQueryFailed}, 14, cmdQueryHwProviders},
    {0x0092, "cmdQuerySubSystems", {S::TargetNotFound}, 14, cmdQuerySubSystems},
    {0x0093, "cmdQueryDrives", {S::TargetNotFound, S::MissingInterface}, 14, cmdQueryDrives},
    {0x0094, "cmdQuerySubSystemLuns", {S::TargetNotFound}, 14, cmdQuerySubSystemLuns},
    {0x0095, "cmdQueryDriveExtents", {S::TargetNotFound, S::VdsError}, 14, cmdQueryDriveExtents},
    {0x0096, "cmdQueryControllers", {S::TargetNotFound}, 14, cmdQueryControllers},
    {0x0097, "cmdQueryLunPlexes", {S::TargetNotFound, S::MissingInterface}, 14, cmdQueryLunPlexes},
    {0x0098, "cmdQueryLunPlexExtents", {S::TargetNotFound, S::VdsError}, 14, cmdQueryLunPlexExtents},
    {0x0099, "cmdQueryAssociatedLuns", {S::TargetNotFound}, 14, cmdQueryAssociatedLuns},
    {0x0120, "cmdCreateLun", {S::TargetNotFound, S::VdsError}, 12, cmdCreateLun},
    {0x0121, "cmdSetSubSystemStatus", {S::TargetNotFound, S::VdsError}, 12, cmdSetSubSystemStatus},
    {0x0122, "cmdSetDriveStatus", {S::TargetNotFound, S::VdsError}, 12, cmdSetDriveStatus},
    {0x0123, "cmdSetControllerStatus", {S::TargetNotFound, S::VdsError}, 12, cmdSetControllerStatus},
    {0x0124, "cmdReplaceDrive", {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::VdsError}, 12, cmdReplaceDrive},
    {0x0125, "cmdResetController", {S::TargetNotFound, S::VdsError}, 12, cmdResetController},
    {0x0126, "cmdMaintenance", {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::VdsError}, 12, cmdMaintenance},
    {0x0127, "cmdGetDrive", {S::TargetNotFound, S::VdsError}, 12, cmdGetDrive},
    {0x0200, "cmdDeleteLun", {S::TargetNotFound, S::VdsError}, 12, cmdDeleteLun},
    {0x0201, "cmdAddLunPlex", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12, cmdAddLunPlex},
    {0x0202, "cmdRemoveLunPlex", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12, cmdRemoveLunPlex},
    {0x0203, "cmdQueryMaxLunExtendSize", {S::TargetNotFound, S::VdsError}, 20, cmdQueryMaxLunExtendSize},
    {0x0204, "cmdExtendLun", {S::TargetNotFound, S::VdsError}, 12, cmdExtendLun},
    {0x0205, "cmdQueryLunHints", {S::TargetNotFound, S::VdsError}, 12, cmdQueryLunHints},
    {0x0206, "cmdApplyLunHints", {S::TargetNotFound, S::VdsError}, 12, cmdApplyLunHints},
    {0x0207, "cmdSetLunStatus", {S::TargetNotFound, S::VdsError}, 12, cmdSetLunStatus},
    {0x0208, "cmdSetLunMask", {S::TargetNotFound, S::VdsError}, 12, cmdSetLunMask},
    {0x0209, "cmdQueryActiveControllers", {S::TargetNotFound, S::VdsError}, 14, cmdQueryActiveControllers},
    {0x0210, "cmdAssociateControllers", {S::TargetNotFound, S::VdsError}, 12, cmdAssociateControllers},
    {0x0212, "cmdShrinkLun", {S::TargetNotFound, S::VdsError}, 12, cmdShrinkLun},
    {0x0213, "cmdRecoverLun", {S::TargetNotFound, S::VdsError}, 12, cmdRecoverLun},
    {0x0300, "cmdSetDriveFlags", {S::TargetNotFound, S::VdsError}, 12, cmdSetDriveFlags},
    {0x0301, "cmdClearDriveFlags", {S::TargetNotFound, S::VdsError}, 12, cmdClearDriveFlags},
    {0x0400, "cmdQuerySwProviders", {S::ServiceNotReady, S::ProviderQueryFailed}, 14, cmdQuerySwProviders},
    {0x0401, "cmdQueryPacks", {S::TargetNotFound}, 14, cmdQueryPacks},
    {0x0402, "cmdQueryPackDisks", {S::TargetNotFound, S::VdsError}, 14, cmdQueryPackDisks},
    {0x0403, "cmdConvertStyle", {S::TargetNotFound, S::VdsError}, 12, cmdConvertStyle},
    {0x0404, "cmdQueryPartitions", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 16, cmdQueryPartitions},
    {0x0405, "cmdCreatePartitions", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdCreatePartitions},
    {0x0406, "cmdDeletePartition", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdDeletePartition},
    {0x0407, "cmdFormatPartition", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdFormatPartition},
    {0x0408, "cmdCleanDisk", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdCleanDisk},
    {0x0409, "cmdQueryDiskExtents", {S::TargetNotFound, S::VdsError}, 16, cmdQueryDiskExtents},
    {0x0410, "cmdSetDiskFlags", {S::TargetNotFound, S::VdsError}, 12, cmdSetDiskFlags},
    {0x0411, "cmdClearDiskFlags", {S::TargetNotFound, S::VdsError}, 12, cmdClearDiskFlags},
    {0x0412, "cmdAddDisk", {S::TargetNotFound, S::VdsError}, 12, cmdAddDisk},
    {0x0413, "cmdMigrateDisks", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 20, cmdMigrateDisks},
    {0x0414, "cmdReplaceDisk", {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::VdsError}, 12, cmdReplaceDisk},
    {0x0415, "cmdRemoveMissingDisk", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12, cmdRemoveMissingDisk},
    {0x0416, "cmdCreatePack", {S::TargetNotFound, S::VdsError}, 28, cmdCreatePack},
    {0x0417, "cmdGetDriveLetter", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdGetDriveLetter},
    {0x0418, "cmdAssignDriveLetter", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdAssignDriveLetter},
    {0x0419, "cmdDeleteDriveLetter", {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12, cmdDeleteDriveLetter},
    {0x0500, "cmdQueryVolumes", {S::TargetNotFound, S::VdsError}, 16, cmdQueryVolumes},
    {0x0501, "cmdQueryVolumePlexes", {S::TargetNotFound, S::VdsError}, 16, cmdQueryVolumePlexes},
    {0x0502, "cmdQueryVolumePlexExtents", {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::FourthNotFound, S::VdsError}, 16, cmdQueryVolumePlexExtents},
    {0x0503, "cmdRepairVolumePlex", {S::TargetNotFound, S::VdsError}, 12, cmdRepairVolumePlex},
    {0x0504, "cmdExtendVolume", {S::TargetNotFound, S::VdsError}, 12, cmdExtendVolume},
    {0x0505, "cmdAddVolumePlex", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12, cmdAddVolumePlex},
    {0x0506, "cmdBreakVolumePlex", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12, cmdBreakVolumePlex},
    {0x0507, "cmdRemoveVolumePlex", {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12, cmdRemoveVolumePlex},
    {0x0508, "cmdCreateVolume", {S::TargetNotFound, S::VdsError}, 12, cmdCreateVolume},
    {0x0509, "cmdDeleteVolume", {S::TargetNotFound, S::VdsError}, 12, cmdDeleteVolume},
    {0x0510, "cmdShrinkVolume", {S::TargetNotFound, S::VdsError}, 12, cmdShrinkVolume},
    {0x0511, "cmdSetVolumeFlags", {S::TargetNotFound, S::VdsError}, 12, cmdSetVolumeFlags},
    {0x0512, "cmdClearVolumeFlags", {S::TargetNotFound, S::VdsError}, 12, cmdClearVolumeFlags},
    {0x0601, "cmdFormatVolume", {S::TargetNotFound, S::VdsError}, 12, cmdFormatVolume},
    {0x0602, "cmdAddAccessPath", {S::TargetNotFound, S::VdsError}, 12, cmdAddAccessPath},
    {0x0603, "cmdQueryAccessPaths", {S::TargetNotFound, S::VdsError}, 16, cmdQueryAccessPaths},
    {0x0604, "cmdQueryReparsePoints", {S::TargetNotFound, S::VdsError}, 16, cmdQueryReparsePoints},
    {0x0605, "cmdDeleteAccessPath", {S::TargetNotFound, S::VdsError}, 12, cmdDeleteAccessPath},
    {0x0606, "cmdMountVolume", {S::TargetNotFound, S::VdsError}, 12, cmdMountVolume},
    {0x0607, "cmdDismountVolume", {S::TargetNotFound, S::VdsError}, 12, cmdDismountVolume},
    {0x0608, "cmdSetFileSystemFlags", {S::TargetNotFound, S::VdsError}, 12, cmdSetFileSystemFlags},
    {0x1000, "cmdRefreshProvider", {S::TargetNotFound, S::VdsError}, 12, cmdRefreshProvider},
    {0x1001, "cmdGetFreeSpace", {S::SystemError}, 12, cmdGetFreeSpace},
    {0x1002, "cmdReenumerate", {S::VdsError}, 12, cmdReenumerate},
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

const CommandRow* vdsFindCommand(std::int16_t code) { return vdsFindRow(kCommands, code); }

unsigned char* vdsCmdHandler(unsigned char* request, int size, int* outSize) {
    return vdsDispatch(kCommands, request, size, outSize);
}
