// Compile-time checks of the VDS layouts that the real service and the wire
// depend on. Structures without pointers have the same layout in every build;
// those with pointers are checked in their 32-bit Windows form, the one the
// real service exchanges with this library in a 32-bit JVM, and in their
// 64-bit form (64-bit Windows, and the simulated service off Windows).
#include <cstddef>
#include <type_traits>

#include "platform/vds_interfaces.h"
#include "platform/vds_types.h"

#define TOLVANE_AT(type, field, offset) \
    static_assert(offsetof(type, field) == (offset), #type "::" #field " at " #offset)

static_assert(sizeof(GUID) == 16);
static_assert(sizeof(VDS_OBJECT_ID) == 16);
static_assert(sizeof(WCHAR) == 2);
static_assert(sizeof(BOOL) == 4 && sizeof(ULONG) == 4 && sizeof(LONG) == 4);
static_assert(sizeof(HRESULT) == 4);

// Enumerations cross the COM boundary as 32-bit integers.
static_assert(sizeof(VDS_OBJECT_TYPE) == 4);
static_assert(sizeof(VDS_NOTIFICATION_TARGET_TYPE) == 4);
static_assert(sizeof(VDS_HEALTH) == 4);
static_assert(sizeof(VDS_PROVIDER_FLAG) == 4);
static_assert(sizeof(VDS_MAINTENANCE_OPERATION) == 4);
static_assert(VDS_PF_SUPPORT_DYNAMIC == static_cast<std::int32_t>(0x80000000u));

// Notification records: 48 bytes each, forwarded unchanged.
static_assert(sizeof(VDS_NOTIFICATION) == 48);
static_assert(alignof(VDS_NOTIFICATION) == 8);
TOLVANE_AT(VDS_NOTIFICATION, objectType, 0);
TOLVANE_AT(VDS_NOTIFICATION, Pack.ulEvent, 8);
TOLVANE_AT(VDS_NOTIFICATION, Pack.packId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Disk.diskId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Volume.volumeId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Volume.plexId, 28);
TOLVANE_AT(VDS_NOTIFICATION, Volume.ulPercentCompleted, 44);
TOLVANE_AT(VDS_NOTIFICATION, Partition.diskId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Partition.ullOffset, 32);
TOLVANE_AT(VDS_NOTIFICATION, Letter.wcLetter, 12);
TOLVANE_AT(VDS_NOTIFICATION, Letter.volumeId, 16);
TOLVANE_AT(VDS_NOTIFICATION, FileSystem.volumeId, 12);
TOLVANE_AT(VDS_NOTIFICATION, FileSystem.dwPercentCompleted, 28);
TOLVANE_AT(VDS_NOTIFICATION, MountPoint.volumeId, 12);
TOLVANE_AT(VDS_NOTIFICATION, SubSystem.subSystemId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Controller.controllerId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Drive.driveId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Lun.LunId, 12);
TOLVANE_AT(VDS_NOTIFICATION, Service.action, 12);
static_assert(sizeof(VDS_VOLUME_NOTIFICATION) == 40);
static_assert(sizeof(VDS_PARTITION_NOTIFICATION) == 32);

// Disk arrays handed to VDS in place, straight from requests.
static_assert(sizeof(VDS_INPUT_DISK) == 48);
TOLVANE_AT(VDS_INPUT_DISK, diskId, 0);
TOLVANE_AT(VDS_INPUT_DISK, ullSize, 16);
TOLVANE_AT(VDS_INPUT_DISK, plexId, 24);
TOLVANE_AT(VDS_INPUT_DISK, memberIdx, 40);

// Extent arrays returned by VDS and read element by element.
static_assert(sizeof(VDS_DISK_EXTENT) == 80);
TOLVANE_AT(VDS_DISK_EXTENT, diskId, 0);
TOLVANE_AT(VDS_DISK_EXTENT, type, 16);
TOLVANE_AT(VDS_DISK_EXTENT, ullOffset, 24);
TOLVANE_AT(VDS_DISK_EXTENT, ullSize, 32);
TOLVANE_AT(VDS_DISK_EXTENT, volumeId, 40);
TOLVANE_AT(VDS_DISK_EXTENT, plexId, 56);
TOLVANE_AT(VDS_DISK_EXTENT, memberIdx, 72);

static_assert(sizeof(VDS_DRIVE_EXTENT) == 48);
TOLVANE_AT(VDS_DRIVE_EXTENT, id, 0);
TOLVANE_AT(VDS_DRIVE_EXTENT, LunId, 16);
TOLVANE_AT(VDS_DRIVE_EXTENT, ullSize, 32);
TOLVANE_AT(VDS_DRIVE_EXTENT, bUsed, 40);

static_assert(sizeof(VDS_HINTS) == 80);
TOLVANE_AT(VDS_HINTS, ullHintMask, 0);
TOLVANE_AT(VDS_HINTS, ullExpectedMaximumSize, 8);
TOLVANE_AT(VDS_HINTS, ulOptimalReadSize, 16);
TOLVANE_AT(VDS_HINTS, ulOptimalReadAlignment, 20);
TOLVANE_AT(VDS_HINTS, ulOptimalWriteSize, 24);
TOLVANE_AT(VDS_HINTS, ulOptimalWriteAlignment, 28);
TOLVANE_AT(VDS_HINTS, ulMaximumDriveCount, 32);
TOLVANE_AT(VDS_HINTS, ulStripeSize, 36);
TOLVANE_AT(VDS_HINTS, bFastCrashRecoveryRequired, 40);
TOLVANE_AT(VDS_HINTS, bMostlyReads, 44);
TOLVANE_AT(VDS_HINTS, bOptimizeForSequentialReads, 48);
TOLVANE_AT(VDS_HINTS, bOptimizeForSequentialWrites, 52);
TOLVANE_AT(VDS_HINTS, bRemapEnabled, 56);
TOLVANE_AT(VDS_HINTS, bReadBackVerifyEnabled, 60);
TOLVANE_AT(VDS_HINTS, bWriteThroughCachingEnabled, 64);
TOLVANE_AT(VDS_HINTS, bHardwareChecksumEnabled, 68);
TOLVANE_AT(VDS_HINTS, bIsYankable, 72);
TOLVANE_AT(VDS_HINTS, sRebuildPriority, 76);

static_assert(sizeof(VDS_PARTITION_INFO_MBR) == 8);
TOLVANE_AT(VDS_PARTITION_INFO_MBR, hiddenSectors, 4);
static_assert(sizeof(VDS_PARTITION_INFO_GPT) == 112);
TOLVANE_AT(VDS_PARTITION_INFO_GPT, attributes, 32);
TOLVANE_AT(VDS_PARTITION_INFO_GPT, name, 40);
static_assert(sizeof(VDS_PARTITION_PROP) == 144);
TOLVANE_AT(VDS_PARTITION_PROP, PartitionStyle, 0);
TOLVANE_AT(VDS_PARTITION_PROP, ulFlags, 4);
TOLVANE_AT(VDS_PARTITION_PROP, ulPartitionNumber, 8);
TOLVANE_AT(VDS_PARTITION_PROP, ullOffset, 16);
TOLVANE_AT(VDS_PARTITION_PROP, ullSize, 24);
TOLVANE_AT(VDS_PARTITION_PROP, Mbr, 32);
TOLVANE_AT(VDS_PARTITION_PROP, Gpt, 32);

static_assert(sizeof(CREATE_PARTITION_PARAMETERS) == 120);
TOLVANE_AT(CREATE_PARTITION_PARAMETERS, MbrPartInfo.partitionType, 8);
TOLVANE_AT(CREATE_PARTITION_PARAMETERS, MbrPartInfo.bootIndicator, 9);
TOLVANE_AT(CREATE_PARTITION_PARAMETERS, GptPartInfo.partitionType, 8);
TOLVANE_AT(CREATE_PARTITION_PARAMETERS, GptPartInfo.attributes, 40);
static_assert(sizeof(CHANGE_ATTRIBUTES_PARAMETERS) == 16);
TOLVANE_AT(CHANGE_ATTRIBUTES_PARAMETERS, GptPartInfo.attributes, 8);

static_assert(sizeof(VDS_ASYNC_OUTPUT) == 32);
TOLVANE_AT(VDS_ASYNC_OUTPUT, cp.ullOffset, 8);
TOLVANE_AT(VDS_ASYNC_OUTPUT, cp.volumeId, 16);
TOLVANE_AT(VDS_ASYNC_OUTPUT, cv.pVolumeUnk, 8);
TOLVANE_AT(VDS_ASYNC_OUTPUT, cl.pLunUnk, 8);

static_assert(sizeof(VDS_VOLUME_PLEX_PROP) == 48);
TOLVANE_AT(VDS_VOLUME_PLEX_PROP, ullSize, 32);
TOLVANE_AT(VDS_VOLUME_PLEX_PROP, ulNumberOfMembers, 44);
static_assert(sizeof(VDS_LUN_PLEX_PROP) == 56);
TOLVANE_AT(VDS_LUN_PLEX_PROP, ulFlags, 40);
TOLVANE_AT(VDS_LUN_PLEX_PROP, ulStripeSize, 44);
TOLVANE_AT(VDS_LUN_PLEX_PROP, sRebuildPriority, 48);
static_assert(sizeof(VDS_DRIVE_LETTER_PROP) == 28);
TOLVANE_AT(VDS_DRIVE_LETTER_PROP, volumeId, 4);

// Property structures with text pointers: each size and offset in the 32-bit
// form the real service fills for a 32-bit JVM, then in the 64-bit form (a
// 64-bit service's, and the simulated service's off Windows).
#if defined(_WIN32) && !defined(_WIN64)
#define TOLVANE_SIZE_32_64(type, size32, size64) static_assert(sizeof(type) == (size32), #type " size")
#define TOLVANE_AT_32_64(type, field, at32, at64) TOLVANE_AT(type, field, at32)
#else
static_assert(sizeof(void*) == 8);
#define TOLVANE_SIZE_32_64(type, size32, size64) static_assert(sizeof(type) == (size64), #type " size")
#define TOLVANE_AT_32_64(type, field, at32, at64) TOLVANE_AT(type, field, at64)
#endif

TOLVANE_SIZE_32_64(VDS_PROVIDER_PROP, 56, 64);
TOLVANE_AT_32_64(VDS_PROVIDER_PROP, pwszName, 16, 16);
TOLVANE_AT_32_64(VDS_PROVIDER_PROP, guidVersionId, 20, 24);
TOLVANE_AT_32_64(VDS_PROVIDER_PROP, pwszVersion, 36, 40);
TOLVANE_AT_32_64(VDS_PROVIDER_PROP, type, 40, 48);
TOLVANE_AT_32_64(VDS_PROVIDER_PROP, sRebuildPriority, 52, 60);

TOLVANE_SIZE_32_64(VDS_SUB_SYSTEM_PROP, 48, 56);
TOLVANE_AT_32_64(VDS_SUB_SYSTEM_PROP, ulFlags, 24, 32);
TOLVANE_AT_32_64(VDS_SUB_SYSTEM_PROP, status, 32, 40);
TOLVANE_AT_32_64(VDS_SUB_SYSTEM_PROP, sRebuildPriority, 46, 54);

TOLVANE_SIZE_32_64(VDS_CONTROLLER_PROP, 36, 48);
TOLVANE_AT_32_64(VDS_CONTROLLER_PROP, status, 24, 32);
TOLVANE_AT_32_64(VDS_CONTROLLER_PROP, sNumberOfPorts, 32, 40);

TOLVANE_SIZE_32_64(VDS_DRIVE_PROP, 48, 56);
TOLVANE_AT_32_64(VDS_DRIVE_PROP, ullSize, 16, 16);
TOLVANE_AT_32_64(VDS_DRIVE_PROP, pwszFriendlyName, 24, 24);
TOLVANE_AT_32_64(VDS_DRIVE_PROP, ulFlags, 32, 40);
TOLVANE_AT_32_64(VDS_DRIVE_PROP, sSlotNumber, 46, 54);

TOLVANE_SIZE_32_64(VDS_LUN_PROP, 64, 72);
TOLVANE_AT_32_64(VDS_LUN_PROP, pwszUnmaskingList, 32, 40);
TOLVANE_AT_32_64(VDS_LUN_PROP, type, 40, 52);
TOLVANE_AT_32_64(VDS_LUN_PROP, sRebuildPriority, 56, 68);

TOLVANE_SIZE_32_64(VDS_PACK_PROP, 28, 32);
TOLVANE_AT_32_64(VDS_PACK_PROP, status, 20, 24);

TOLVANE_SIZE_32_64(VDS_DISK_PROP, 112, 128);
TOLVANE_AT_32_64(VDS_DISK_PROP, ullSize, 40, 40);
TOLVANE_AT_32_64(VDS_DISK_PROP, PartitionStyle, 68, 68);
TOLVANE_AT_32_64(VDS_DISK_PROP, DiskGuid, 72, 72);
TOLVANE_AT_32_64(VDS_DISK_PROP, pwszDiskAddress, 88, 88);
TOLVANE_AT_32_64(VDS_DISK_PROP, pwszDevicePath, 104, 120);

TOLVANE_SIZE_32_64(VDS_VOLUME_PROP, 56, 56);
TOLVANE_AT_32_64(VDS_VOLUME_PROP, ullSize, 32, 32);
TOLVANE_AT_32_64(VDS_VOLUME_PROP, pwszName, 48, 48);

TOLVANE_SIZE_32_64(VDS_FILE_SYSTEM_PROP, 48, 56);
TOLVANE_AT_32_64(VDS_FILE_SYSTEM_PROP, volumeId, 4, 4);
TOLVANE_AT_32_64(VDS_FILE_SYSTEM_PROP, ullTotalAllocationUnits, 24, 24);
TOLVANE_AT_32_64(VDS_FILE_SYSTEM_PROP, pwszLabel, 44, 48);

TOLVANE_SIZE_32_64(VDS_FILE_SYSTEM_TYPE_PROP, 36, 40);

TOLVANE_SIZE_32_64(VDS_REPARSE_POINT_PROP, 20, 24);

TOLVANE_SIZE_32_64(VDS_SERVICE_PROP, 8, 16);

TOLVANE_SIZE_32_64(VDS_PORT_PROP, 28, 40);

TOLVANE_SIZE_32_64(VDS_LUN_INFORMATION, 68, 96);
TOLVANE_AT_32_64(VDS_LUN_INFORMATION, m_bCommandQueueing, 8, 8);
TOLVANE_AT_32_64(VDS_LUN_INFORMATION, m_diskSignature, 32, 48);
TOLVANE_AT_32_64(VDS_LUN_INFORMATION, m_deviceIdDescriptor, 48, 64);
TOLVANE_AT_32_64(VDS_LUN_INFORMATION, m_rgInterconnects, 64, 88);

#undef TOLVANE_SIZE_32_64
#undef TOLVANE_AT_32_64

// An interface is one pointer to its method table, whose first three slots
// are IUnknown's: no data, and no second base that would add a table. The
// slot order itself is checked by the platform tests; the calling
// convention of every method where the tests list the slots.
template <typename Interface>
inline constexpr bool kOneTableAfterIUnknown =
    sizeof(Interface) == sizeof(void*) && std::is_polymorphic_v<Interface> &&
    std::is_base_of_v<IUnknown, Interface> && !std::has_virtual_destructor_v<Interface>;
static_assert(kOneTableAfterIUnknown<IUnknown>);
static_assert(kOneTableAfterIUnknown<IVdsServiceInitialization>);
static_assert(kOneTableAfterIUnknown<IEnumVdsObject>);
static_assert(kOneTableAfterIUnknown<IVdsService>);
static_assert(kOneTableAfterIUnknown<IVdsAsync>);
static_assert(kOneTableAfterIUnknown<IVdsAdviseSink>);
static_assert(kOneTableAfterIUnknown<IVdsProvider>);
static_assert(kOneTableAfterIUnknown<IVdsHwProvider>);
static_assert(kOneTableAfterIUnknown<IVdsSwProvider>);
static_assert(kOneTableAfterIUnknown<IVdsSubSystem>);
static_assert(kOneTableAfterIUnknown<IVdsController>);
static_assert(kOneTableAfterIUnknown<IVdsDrive>);
static_assert(kOneTableAfterIUnknown<IVdsMaintenance>);
static_assert(kOneTableAfterIUnknown<IVdsLun>);
static_assert(kOneTableAfterIUnknown<IVdsLunPlex>);
static_assert(kOneTableAfterIUnknown<IVdsPack>);
static_assert(kOneTableAfterIUnknown<IVdsDisk>);
static_assert(kOneTableAfterIUnknown<IVdsAdvancedDisk>);
static_assert(kOneTableAfterIUnknown<IVdsVolume>);
static_assert(kOneTableAfterIUnknown<IVdsVolumePlex>);
static_assert(kOneTableAfterIUnknown<IVdsVolumeMF>);

#undef TOLVANE_AT
