#include "commands/command_table.h"

#include <iterator>

#include "commands/disk_requests.h"
#include "commands/file_system_requests.h"
#include "commands/hardware_management_requests.h"
#include "commands/hardware_query_requests.h"
#include "commands/lun_requests.h"
#include "commands/pack_requests.h"
#include "commands/provider_requests.h"
#include "commands/volume_requests.h"

namespace {

namespace S = status;

// Codes are the exact numbers below: 0x0409 is followed by 0x0410, 0x0209 by
// 0x0210 and 0x0509 by 0x0510, so values such as 0x040A, 0x0211 or 0x050A are
// not commands. Each row: the handler (whose parameter is the request it
// reads), the code, the failure statuses, the size of a reply built from an
// outcome, and the reply code where it is not the command's own.
constexpr CommandRow kCommands[] = {
    vdsCommand<cmdGetFileSystemProperties>(0x000C, {S::TargetNotFound, S::VdsError}, 12, 0x0600),
    vdsCommand<cmdQueryHwProviders>(0x0091, {S::ServiceNotReady, S::ProviderQueryFailed}, 14),
    vdsCommand<cmdQuerySubSystems>(0x0092, {S::TargetNotFound}, 14),
    vdsCommand<cmdQueryDrives>(0x0093, {S::TargetNotFound, S::MissingInterface}, 14),
    vdsCommand<cmdQuerySubSystemLuns>(0x0094, {S::TargetNotFound}, 14),
    vdsCommand<cmdQueryDriveExtents>(0x0095, {S::TargetNotFound, S::VdsError}, 14),
    vdsCommand<cmdQueryControllers>(0x0096, {S::TargetNotFound}, 14),
    vdsCommand<cmdQueryLunPlexes>(0x0097, {S::TargetNotFound, S::MissingInterface}, 14),
    vdsCommand<cmdQueryLunPlexExtents>(0x0098, {S::TargetNotFound, S::VdsError}, 14),
    vdsCommand<cmdQueryAssociatedLuns>(0x0099, {S::TargetNotFound}, 14),
    vdsCommand<cmdCreateLun>(0x0120, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetSubSystemStatus>(0x0121, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetDriveStatus>(0x0122, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetControllerStatus>(0x0123, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdReplaceDrive>(0x0124, {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::VdsError}, 12),
    vdsCommand<cmdResetController>(0x0125, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdMaintenance>(0x0126, {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::VdsError}, 12),
    vdsCommand<cmdGetDrive>(0x0127, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdDeleteLun>(0x0200, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdAddLunPlex>(0x0201, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12),
    vdsCommand<cmdRemoveLunPlex>(0x0202, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12),
    vdsCommand<cmdQueryMaxLunExtendSize>(0x0203, {S::TargetNotFound, S::VdsError}, 20),
    vdsCommand<cmdExtendLun>(0x0204, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdQueryLunHints>(0x0205, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdApplyLunHints>(0x0206, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetLunStatus>(0x0207, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetLunMask>(0x0208, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdQueryActiveControllers>(0x0209, {S::TargetNotFound, S::VdsError}, 14),
    vdsCommand<cmdAssociateControllers>(0x0210, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdShrinkLun>(0x0212, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdRecoverLun>(0x0213, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetDriveFlags>(0x0300, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdClearDriveFlags>(0x0301, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdQuerySwProviders>(0x0400, {S::ServiceNotReady, S::ProviderQueryFailed}, 14),
    vdsCommand<cmdQueryPacks>(0x0401, {S::TargetNotFound}, 14),
    vdsCommand<cmdQueryPackDisks>(0x0402, {S::TargetNotFound, S::VdsError}, 14),
    vdsCommand<cmdConvertStyle>(0x0403, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdQueryPartitions>(0x0404, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 16),
    vdsCommand<cmdCreatePartitions>(0x0405, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdDeletePartition>(0x0406, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdFormatPartition>(0x0407, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdCleanDisk>(0x0408, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdQueryDiskExtents>(0x0409, {S::TargetNotFound, S::VdsError}, 16),
    vdsCommand<cmdSetDiskFlags>(0x0410, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdClearDiskFlags>(0x0411, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdAddDisk>(0x0412, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdMigrateDisks>(0x0413, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 20),
    vdsCommand<cmdReplaceDisk>(0x0414, {S::TargetNotFound, S::SecondNotFound, S::ThirdNotFound, S::VdsError}, 12),
    vdsCommand<cmdRemoveMissingDisk>(0x0415, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12),
    vdsCommand<cmdCreatePack>(0x0416, {S::TargetNotFound, S::VdsError}, 28),
    vdsCommand<cmdGetDriveLetter>(0x0417, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdAssignDriveLetter>(0x0418, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdDeleteDriveLetter>(0x0419, {S::TargetNotFound, S::NoAdvancedDisk, S::VdsError}, 12),
    vdsCommand<cmdQueryVolumes>(0x0500, {S::TargetNotFound, S::VdsError}, 16),
    vdsCommand<cmdQueryVolumePlexes>(0x0501, {S::TargetNotFound, S::VdsError}, 16),
    vdsCommand<cmdQueryVolumePlexExtents>(0x0502, {S::TargetNotFound, S::SecondNotFound,
                                                   S::ThirdNotFound, S::FourthNotFound, S::VdsError}, 16),
    vdsCommand<cmdRepairVolumePlex>(0x0503, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdExtendVolume>(0x0504, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdAddVolumePlex>(0x0505, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12),
    vdsCommand<cmdBreakVolumePlex>(0x0506, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12),
    vdsCommand<cmdRemoveVolumePlex>(0x0507, {S::TargetNotFound, S::SecondNotFound, S::VdsError}, 12),
    vdsCommand<cmdCreateVolume>(0x0508, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdDeleteVolume>(0x0509, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdShrinkVolume>(0x0510, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetVolumeFlags>(0x0511, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdClearVolumeFlags>(0x0512, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdFormatVolume>(0x0601, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdAddAccessPath>(0x0602, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdQueryAccessPaths>(0x0603, {S::TargetNotFound, S::VdsError}, 16),
    vdsCommand<cmdQueryReparsePoints>(0x0604, {S::TargetNotFound, S::VdsError}, 16),
    vdsCommand<cmdDeleteAccessPath>(0x0605, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdMountVolume>(0x0606, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdDismountVolume>(0x0607, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdSetFileSystemFlags>(0x0608, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdRefreshProvider>(0x1000, {S::TargetNotFound, S::VdsError}, 12),
    vdsCommand<cmdGetFreeSpace>(0x1001, {S::SystemError}, 12),
    vdsCommand<cmdReenumerate>(0x1002, {S::VdsError}, 12),
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
