// Command handlers, one family per file in this folder; the command table
// refers to them by name. Each reads its request through its family's
// request layout and reports an outcome or a reply with a payload.
#pragma once

#include "protocol/command_row.h"

// Subsystem, controller, drive and LUN queries.
HandlerResult cmdQueryDrives(const CommandRow& row, RequestReader& request);
HandlerResult cmdQuerySubSystemLuns(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryDriveExtents(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryControllers(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryLunPlexes(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryLunPlexExtents(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryAssociatedLuns(const CommandRow& row, RequestReader& request);

// Provider and service commands.
HandlerResult cmdQueryHwProviders(const CommandRow& row, RequestReader& request);
HandlerResult cmdQuerySubSystems(const CommandRow& row, RequestReader& request);
HandlerResult cmdQuerySwProviders(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryPacks(const CommandRow& row, RequestReader& request);
HandlerResult cmdRefreshProvider(const CommandRow& row, RequestReader& request);
HandlerResult cmdGetFreeSpace(const CommandRow& row, RequestReader& request);
HandlerResult cmdReenumerate(const CommandRow& row, RequestReader& request);

// Pack commands.
HandlerResult cmdQueryPackDisks(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryVolumes(const CommandRow& row, RequestReader& request);
HandlerResult cmdAddDisk(const CommandRow& row, RequestReader& request);
HandlerResult cmdMigrateDisks(const CommandRow& row, RequestReader& request);
HandlerResult cmdReplaceDisk(const CommandRow& row, RequestReader& request);
HandlerResult cmdRemoveMissingDisk(const CommandRow& row, RequestReader& request);
HandlerResult cmdCreatePack(const CommandRow& row, RequestReader& request);

// LUN management.
HandlerResult cmdCreateLun(const CommandRow& row, RequestReader& request);
HandlerResult cmdDeleteLun(const CommandRow& row, RequestReader& request);
HandlerResult cmdAddLunPlex(const CommandRow& row, RequestReader& request);
HandlerResult cmdRemoveLunPlex(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryMaxLunExtendSize(const CommandRow& row, RequestReader& request);
HandlerResult cmdExtendLun(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryLunHints(const CommandRow& row, RequestReader& request);
HandlerResult cmdApplyLunHints(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetLunStatus(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetLunMask(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryActiveControllers(const CommandRow& row, RequestReader& request);
HandlerResult cmdAssociateControllers(const CommandRow& row, RequestReader& request);
HandlerResult cmdShrinkLun(const CommandRow& row, RequestReader& request);
HandlerResult cmdRecoverLun(const CommandRow& row, RequestReader& request);

// Subsystem, controller and drive management.
HandlerResult cmdSetSubSystemStatus(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetDriveStatus(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetControllerStatus(const CommandRow& row, RequestReader& request);
HandlerResult cmdReplaceDrive(const CommandRow& row, RequestReader& request);
HandlerResult cmdResetController(const CommandRow& row, RequestReader& request);
HandlerResult cmdMaintenance(const CommandRow& row, RequestReader& request);
HandlerResult cmdGetDrive(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetDriveFlags(const CommandRow& row, RequestReader& request);
HandlerResult cmdClearDriveFlags(const CommandRow& row, RequestReader& request);

// Disk and partition commands.
HandlerResult cmdConvertStyle(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryPartitions(const CommandRow& row, RequestReader& request);
HandlerResult cmdCreatePartitions(const CommandRow& row, RequestReader& request);
HandlerResult cmdDeletePartition(const CommandRow& row, RequestReader& request);
HandlerResult cmdFormatPartition(const CommandRow& row, RequestReader& request);
HandlerResult cmdCleanDisk(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryDiskExtents(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetDiskFlags(const CommandRow& row, RequestReader& request);
HandlerResult cmdClearDiskFlags(const CommandRow& row, RequestReader& request);
HandlerResult cmdGetDriveLetter(const CommandRow& row, RequestReader& request);
HandlerResult cmdAssignDriveLetter(const CommandRow& row, RequestReader& request);
HandlerResult cmdDeleteDriveLetter(const CommandRow& row, RequestReader& request);
// Volume file systems.
HandlerResult cmdGetFileSystemProperties(const CommandRow& row, RequestReader& request);
HandlerResult cmdFormatVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdAddAccessPath(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryAccessPaths(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryReparsePoints(const CommandRow& row, RequestReader& request);
HandlerResult cmdDeleteAccessPath(const CommandRow& row, RequestReader& request);
HandlerResult cmdMountVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdDismountVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetFileSystemFlags(const CommandRow& row, RequestReader& request);
// Volume commands.
HandlerResult cmdQueryVolumePlexes(const CommandRow& row, RequestReader& request);
HandlerResult cmdQueryVolumePlexExtents(const CommandRow& row, RequestReader& request);
HandlerResult cmdRepairVolumePlex(const CommandRow& row, RequestReader& request);
HandlerResult cmdExtendVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdAddVolumePlex(const CommandRow& row, RequestReader& request);
HandlerResult cmdBreakVolumePlex(const CommandRow& row, RequestReader& request);
HandlerResult cmdRemoveVolumePlex(const CommandRow& row, RequestReader& request);
HandlerResult cmdCreateVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdDeleteVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdShrinkVolume(const CommandRow& row, RequestReader& request);
HandlerResult cmdSetVolumeFlags(const CommandRow& row, RequestReader& request);
HandlerResult cmdClearVolumeFlags(const CommandRow& row, RequestReader& request);
