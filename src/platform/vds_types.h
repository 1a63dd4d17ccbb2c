// Virtual Disk Service data types, with the names, values and in-memory
// layouts of the VDS SDK (vds.h, vdshwprv.h, vdslun.h).
//
// No system header gives us usable VDS declarations, so we own them. The same
// declarations serve the real service on 32-bit Windows and the simulated one
// elsewhere; enumerations are fixed at 32 bits because their values cross the
// COM boundary and end up in wire records. vds_layout.cpp pins the layouts.
#pragma once

#include <cstdint>

#include "platform/com_types.h"

using VDS_OBJECT_ID = GUID;
using VDS_PATH_ID = ULONGLONG;

// ---------------------------------------------------------------------------
// Object identity
// ---------------------------------------------------------------------------

enum VDS_OBJECT_TYPE : std::int32_t {
    VDS_OT_UNKNOWN = 0,
    VDS_OT_PROVIDER = 1,
    VDS_OT_PACK = 10,
    VDS_OT_VOLUME = 11,
    VDS_OT_VOLUME_PLEX = 12,
    VDS_OT_DISK = 13,
    VDS_OT_SUB_SYSTEM = 30,
    VDS_OT_CONTROLLER = 31,
    VDS_OT_DRIVE = 32,
    VDS_OT_LUN = 33,
    VDS_OT_LUN_PLEX = 34,
    VDS_OT_PORT = 35,
    VDS_OT_PORTAL = 36,
    VDS_OT_TARGET = 37,
    VDS_OT_PORTAL_GROUP = 38,
    VDS_OT_STORAGE_POOL = 39,
    VDS_OT_HBAPORT = 90,
    VDS_OT_INIT_ADAPTER = 91,
    VDS_OT_INIT_PORTAL = 92,
    VDS_OT_ASYNC = 100,
    VDS_OT_ENUM = 101,
    VDS_OT_VDISK = 200,
    VDS_OT_OPEN_VDISK = 201,
};

// Masks of IVdsService::QueryProviders.
enum VDS_QUERY_PROVIDER_FLAG : std::int32_t {
    VDS_QUERY_SOFTWARE_PROVIDERS = 0x1,
    VDS_QUERY_HARDWARE_PROVIDERS = 0x2,
    VDS_QUERY_VIRTUALDISK_PROVIDERS = 0x4,
};

// ---------------------------------------------------------------------------
// Common state enumerations
// ---------------------------------------------------------------------------

enum VDS_HEALTH : std::int32_t {
    VDS_H_UNKNOWN = 0,
    VDS_H_HEALTHY = 1,
    VDS_H_REBUILDING = 2,
    VDS_H_STALE = 3,
    VDS_H_FAILING = 4,
    VDS_H_FAILING_REDUNDANCY = 5,
    VDS_H_FAILED_REDUNDANCY = 6,
    VDS_H_FAILED_REDUNDANCY_FAILING = 7,
    VDS_H_FAILED = 8,
    VDS_H_REPLACED = 9,
    VDS_H_PENDING_FAILURE = 10,
    VDS_H_DEGRADED = 11,
};

enum VDS_TRANSITION_STATE : std::int32_t {
    VDS_TS_UNKNOWN = 0,
    VDS_TS_STABLE = 1,
    VDS_TS_EXTENDING = 2,
    VDS_TS_SHRINKING = 3,
    VDS_TS_RECONFIGING = 4,
    VDS_TS_RESTRIPING = 5,
};

enum VDS_STORAGE_BUS_TYPE : std::int32_t {
    VDSBusTypeUnknown = 0x0,
    VDSBusTypeScsi = 0x1,
    VDSBusTypeAtapi = 0x2,
    VDSBusTypeAta = 0x3,
    VDSBusType1394 = 0x4,
    VDSBusTypeSsa = 0x5,
    VDSBusTypeFibre = 0x6,
    VDSBusTypeUsb = 0x7,
    VDSBusTypeRAID = 0x8,
    VDSBusTypeiScsi = 0x9,
    VDSBusTypeSas = 0xa,
    VDSBusTypeSata = 0xb,
    VDSBusTypeSd = 0xc,
    VDSBusTypeMmc = 0xd,
    VDSBusTypeMax = 0xe,
    VDSBusTypeVirtual = 0xe,
    VDSBusTypeFileBackedVirtual = 0xf,
    VDSBusTypeSpaces = 0x10,
    VDSBusTypeNVMe = 0x11,
    VDSBusTypeScm = 0x12,
    VDSBusTypeUfs = 0x13,
    VDSBusTypeMaxReserved = 0x7f,
};

// ---------------------------------------------------------------------------
// Providers and service
// ---------------------------------------------------------------------------

enum VDS_PROVIDER_TYPE : std::int32_t {
    VDS_PT_UNKNOWN = 0,
    VDS_PT_SOFTWARE = 1,
    VDS_PT_HARDWARE = 2,
    VDS_PT_VIRTUALDISK = 3,
    VDS_PT_MAX = 4,
};

enum VDS_PROVIDER_FLAG : std::int32_t {
    VDS_PF_DYNAMIC = 0x1,
    VDS_PF_INTERNAL_HARDWARE_PROVIDER = 0x2,
    VDS_PF_ONE_DISK_ONLY_PER_PACK = 0x4,
    VDS_PF_ONE_PACK_ONLINE_ONLY = 0x8,
    VDS_PF_VOLUME_SPACE_MUST_BE_CONTIGUOUS = 0x10,
    VDS_PF_SUPPORT_MIRROR = 0x20,
    VDS_PF_SUPPORT_RAID5 = 0x40,
    VDS_PF_SUPPORT_DYNAMIC_1394 = 0x20000000,
    VDS_PF_SUPPORT_FAULT_TOLERANT = 0x40000000,
    VDS_PF_SUPPORT_DYNAMIC = -0x7fffffff - 1,  // 0x80000000
};

enum VDS_SERVICE_FLAG : std::int32_t {
    VDS_SVF_SUPPORT_DYNAMIC = 0x1,
    VDS_SVF_SUPPORT_FAULT_TOLERANT = 0x2,
    VDS_SVF_SUPPORT_GPT = 0x4,
    VDS_SVF_SUPPORT_DYNAMIC_1394 = 0x8,
    VDS_SVF_CLUSTER_SERVICE_CONFIGURED = 0x10,
    VDS_SVF_AUTO_MOUNT_OFF = 0x20,
    VDS_SVF_OS_UNINSTALL_VALID = 0x40,
    VDS_SVF_EFI = 0x80,
    VDS_SVF_SUPPORT_MIRROR = 0x100,
    VDS_SVF_SUPPORT_RAID5 = 0x200,
    VDS_SVF_SUPPORT_REFS = 0x400,
};

enum VDS_RECOVER_ACTION : std::int32_t {
    VDS_RA_UNKNOWN = 0,
    VDS_RA_REFRESH = 1,
    VDS_RA_RESTART = 2,
};

inline constexpr ULONG VDS_REBUILD_PRIORITY_MIN = 0;
inline constexpr ULONG VDS_REBUILD_PRIORITY_MAX = 16;

struct VDS_PROVIDER_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszName;
    GUID guidVersionId;
    LPWSTR pwszVersion;
    VDS_PROVIDER_TYPE type;
    ULONG ulFlags;
    ULONG ulStripeSizeFlags;
    SHORT sRebuildPriority;
};

struct VDS_SERVICE_PROP {
    LPWSTR pwszVersion;
    ULONG ulFlags;
};

// ---------------------------------------------------------------------------
// Hardware side: subsystems, controllers, ports, drives, LUNs, LUN plexes
// ---------------------------------------------------------------------------

enum VDS_SUB_SYSTEM_STATUS : std::int32_t {
    VDS_SSS_UNKNOWN = 0,
    VDS_SSS_ONLINE = 1,
    VDS_SSS_NOT_READY = 2,
    VDS_SSS_OFFLINE = 4,
    VDS_SSS_FAILED = 5,
    VDS_SSS_PARTIALLY_MANAGED = 9,
};

enum VDS_SUB_SYSTEM_FLAG : std::int32_t {
    VDS_SF_LUN_MASKING_CAPABLE = 0x1,
    VDS_SF_LUN_PLEXING_CAPABLE = 0x2,
    VDS_SF_LUN_REMAPPING_CAPABLE = 0x4,
    VDS_SF_DRIVE_EXTENT_CAPABLE = 0x8,
    VDS_SF_HARDWARE_CHECKSUM_CAPABLE = 0x10,
    VDS_SF_RADIUS_CAPABLE = 0x20,
    VDS_SF_READ_BACK_VERIFY_CAPABLE = 0x40,
    VDS_SF_WRITE_THROUGH_CACHING_CAPABLE = 0x80,
    VDS_SF_SUPPORTS_FAULT_TOLERANT_LUNS = 0x200,
    VDS_SF_SUPPORTS_NON_FAULT_TOLERANT_LUNS = 0x400,
    VDS_SF_SUPPORTS_SIMPLE_LUNS = 0x800,
    VDS_SF_SUPPORTS_SPAN_LUNS = 0x1000,
    VDS_SF_SUPPORTS_STRIPE_LUNS = 0x2000,
    VDS_SF_SUPPORTS_MIRROR_LUNS = 0x4000,
    VDS_SF_SUPPORTS_PARITY_LUNS = 0x8000,
    VDS_SF_SUPPORTS_AUTH_CHAP = 0x10000,
    VDS_SF_SUPPORTS_AUTH_MUTUAL_CHAP = 0x20000,
    VDS_SF_SUPPORTS_SIMPLE_TARGET_CONFIG = 0x40000,
    VDS_SF_SUPPORTS_LUN_NUMBER = 0x80000,
    VDS_SF_SUPPORTS_MIRRORED_CACHE = 0x100000,
    VDS_SF_READ_CACHING_CAPABLE = 0x200000,
    VDS_SF_WRITE_CACHING_CAPABLE = 0x400000,
    VDS_SF_MEDIA_SCAN_CAPABLE = 0x800000,
    VDS_SF_CONSISTENCY_CHECK_CAPABLE = 0x1000000,
};

enum VDS_CONTROLLER_STATUS : std::int32_t {
    VDS_CS_UNKNOWN = 0,
    VDS_CS_ONLINE = 1,
    VDS_CS_NOT_READY = 2,
    VDS_CS_OFFLINE = 4,
    VDS_CS_FAILED = 5,
    VDS_CS_REMOVED = 8,
};

enum VDS_PORT_STATUS : std::int32_t {
    VDS_PRS_UNKNOWN = 0,
    VDS_PRS_ONLINE = 1,
    VDS_PRS_NOT_READY = 2,
    VDS_PRS_OFFLINE = 4,
    VDS_PRS_FAILED = 5,
    VDS_PRS_REMOVED = 8,
};

enum VDS_DRIVE_STATUS : std::int32_t {
    VDS_DRS_UNKNOWN = 0,
    VDS_DRS_ONLINE = 1,
    VDS_DRS_NOT_READY = 2,
    VDS_DRS_OFFLINE = 4,
    VDS_DRS_FAILED = 5,
    VDS_DRS_REMOVED = 8,
};

enum VDS_DRIVE_FLAG : std::int32_t {
    VDS_DRF_HOTSPARE = 0x1,
    VDS_DRF_ASSIGNED = 0x2,
    VDS_DRF_UNASSIGNED = 0x4,
    VDS_DRF_HOTSPARE_IN_USE = 0x8,
    VDS_DRF_HOTSPARE_STANDBY = 0x10,
};

enum VDS_LUN_TYPE : std::int32_t {
    VDS_LT_UNKNOWN = 0,
    VDS_LT_DEFAULT = 1,
    VDS_LT_FAULT_TOLERANT = 2,
    VDS_LT_NON_FAULT_TOLERANT = 3,
    VDS_LT_SIMPLE = 10,
    VDS_LT_SPAN = 11,
    VDS_LT_STRIPE = 12,
    VDS_LT_MIRROR = 13,
    VDS_LT_PARITY = 14,
    VDS_LT_RAID2 = 15,
    VDS_LT_RAID3 = 16,
    VDS_LT_RAID4 = 17,
    VDS_LT_RAID5 = 18,
    VDS_LT_RAID6 = 19,
    VDS_LT_RAID01 = 20,
    VDS_LT_RAID03 = 21,
    VDS_LT_RAID05 = 22,
    VDS_LT_RAID10 = 23,
    VDS_LT_RAID15 = 24,
    VDS_LT_RAID30 = 25,
    VDS_LT_RAID50 = 26,
    VDS_LT_RAID51 = 27,
    VDS_LT_RAID53 = 28,
    VDS_LT_RAID60 = 29,
    VDS_LT_RAID61 = 30,
};

enum VDS_LUN_STATUS : std::int32_t {
    VDS_LS_UNKNOWN = 0,
    VDS_LS_ONLINE = 1,
    VDS_LS_NOT_READY = 2,
    VDS_LS_OFFLINE = 4,
    VDS_LS_FAILED = 5,
};

enum VDS_LUN_FLAG : std::int32_t {
    VDS_LF_LBN_REMAP_ENABLED = 0x1,
    VDS_LF_READ_BACK_VERIFY_ENABLED = 0x2,
    VDS_LF_WRITE_THROUGH_CACHING_ENABLED = 0x4,
    VDS_LF_HARDWARE_CHECKSUM_ENABLED = 0x8,
    VDS_LF_READ_CACHE_ENABLED = 0x10,
    VDS_LF_WRITE_CACHE_ENABLED = 0x20,
    VDS_LF_MEDIA_SCAN_ENABLED = 0x40,
    VDS_LF_CONSISTENCY_CHECK_ENABLED = 0x80,
    VDS_LF_SNAPSHOT = 0x100,
};

enum VDS_LUN_PLEX_TYPE : std::int32_t {
    VDS_LPT_UNKNOWN = 0,
    VDS_LPT_SIMPLE = 10,
    VDS_LPT_SPAN = 11,
    VDS_LPT_STRIPE = 12,
    VDS_LPT_PARITY = 14,
    VDS_LPT_RAID2 = 15,
    VDS_LPT_RAID3 = 16,
    VDS_LPT_RAID4 = 17,
    VDS_LPT_RAID5 = 18,
    VDS_LPT_RAID6 = 19,
    VDS_LPT_RAID03 = 21,
    VDS_LPT_RAID05 = 22,
    VDS_LPT_RAID10 = 23,
    VDS_LPT_RAID15 = 24,
    VDS_LPT_RAID30 = 25,
    VDS_LPT_RAID50 = 26,
    VDS_LPT_RAID53 = 28,
    VDS_LPT_RAID60 = 29,
};

enum VDS_LUN_PLEX_STATUS : std::int32_t {
    VDS_LPS_UNKNOWN = 0,
    VDS_LPS_ONLINE = 1,
    VDS_LPS_NOT_READY = 2,
    VDS_LPS_OFFLINE = 4,
    VDS_LPS_FAILED = 5,
};

enum VDS_LUN_PLEX_FLAG : std::int32_t {
    VDS_LPF_LBN_REMAP_ENABLED = 0x1,
};

enum VDS_MAINTENANCE_OPERATION : std::int32_t {
    BlinkLight = 1,
    BeepAlarm = 2,
    SpinDown = 3,
    SpinUp = 4,
    Ping = 5,
};

struct VDS_SUB_SYSTEM_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszIdentification;
    ULONG ulFlags;
    ULONG ulStripeSizeFlags;
    VDS_SUB_SYSTEM_STATUS status;
    VDS_HEALTH health;
    SHORT sNumberOfInternalBuses;
    SHORT sMaxNumberOfSlotsEachBus;
    SHORT sMaxNumberOfControllers;
    SHORT sRebuildPriority;
};

struct VDS_CONTROLLER_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszIdentification;
    VDS_CONTROLLER_STATUS status;
    VDS_HEALTH health;
    SHORT sNumberOfPorts;
};

struct VDS_PORT_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszIdentification;
    VDS_PORT_STATUS status;
};

struct VDS_DRIVE_PROP {
    VDS_OBJECT_ID id;
    ULONGLONG ullSize;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszIdentification;
    ULONG ulFlags;
    VDS_DRIVE_STATUS status;
    VDS_HEALTH health;
    SHORT sInternalBusNumber;
    SHORT sSlotNumber;
};

// One extent of a drive, as IVdsDrive::QueryExtents and
// IVdsLunPlex::QueryExtents hand them out.
struct VDS_DRIVE_EXTENT {
    VDS_OBJECT_ID id;
    VDS_OBJECT_ID LunId;
    ULONGLONG ullSize;
    BOOL bUsed;
};

struct VDS_LUN_PROP {
    VDS_OBJECT_ID id;
    ULONGLONG ullSize;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszIdentification;
    LPWSTR pwszUnmaskingList;
    ULONG ulFlags;
    VDS_LUN_TYPE type;
    VDS_LUN_STATUS status;
    VDS_HEALTH health;
    VDS_TRANSITION_STATE TransitionState;
    SHORT sRebuildPriority;
};

struct VDS_LUN_PLEX_PROP {
    VDS_OBJECT_ID id;
    ULONGLONG ullSize;
    VDS_LUN_PLEX_TYPE type;
    VDS_LUN_PLEX_STATUS status;
    VDS_HEALTH health;
    VDS_TRANSITION_STATE TransitionState;
    ULONG ulFlags;
    ULONG ulStripeSize;
    SHORT sRebuildPriority;
};

// Bits of VDS_HINTS::ullHintMask: which of the hint fields are meant.
inline constexpr ULONGLONG VDS_HINT_FASTCRASHRECOVERYREQUIRED = 0x1;
inline constexpr ULONGLONG VDS_HINT_MOSTLYREADS = 0x2;
inline constexpr ULONGLONG VDS_HINT_OPTIMIZEFORSEQUENTIALREADS = 0x4;
inline constexpr ULONGLONG VDS_HINT_OPTIMIZEFORSEQUENTIALWRITES = 0x8;
inline constexpr ULONGLONG VDS_HINT_READBACKVERIFYENABLED = 0x10;
inline constexpr ULONGLONG VDS_HINT_REMAPENABLED = 0x20;
inline constexpr ULONGLONG VDS_HINT_WRITETHROUGHCACHINGENABLED = 0x40;
inline constexpr ULONGLONG VDS_HINT_HARDWARECHECKSUMENABLED = 0x80;
inline constexpr ULONGLONG VDS_HINT_ISYANKABLE = 0x100;
inline constexpr ULONGLONG VDS_HINT_ALLOCATEHOTSPARE = 0x200;
inline constexpr ULONGLONG VDS_HINT_BUSTYPE = 0x400;
inline constexpr ULONGLONG VDS_HINT_USEMIRROREDCACHE = 0x800;
inline constexpr ULONGLONG VDS_HINT_READCACHINGENABLED = 0x1000;
inline constexpr ULONGLONG VDS_HINT_WRITECACHINGENABLED = 0x2000;
inline constexpr ULONGLONG VDS_HINT_MEDIASCANENABLED = 0x4000;
inline constexpr ULONGLONG VDS_HINT_CONSISTENCYCHECKENABLED = 0x8000;

struct VDS_HINTS {
    ULONGLONG ullHintMask;
    ULONGLONG ullExpectedMaximumSize;
    ULONG ulOptimalReadSize;
    ULONG ulOptimalReadAlignment;
    ULONG ulOptimalWriteSize;
    ULONG ulOptimalWriteAlignment;
    ULONG ulMaximumDriveCount;
    ULONG ulStripeSize;
    BOOL bFastCrashRecoveryRequired;
    BOOL bMostlyReads;
    BOOL bOptimizeForSequentialReads;
    BOOL bOptimizeForSequentialWrites;
    BOOL bRemapEnabled;
    BOOL bReadBackVerifyEnabled;
    BOOL bWriteThroughCachingEnabled;
    BOOL bHardwareChecksumEnabled;
    BOOL bIsYankable;
    SHORT sRebuildPriority;
};

// SCSI identification of a LUN or disk (IVdsLun::GetIdentificationData,
// IVdsDisk::GetIdentificationData).
enum VDS_STORAGE_IDENTIFIER_CODE_SET : std::int32_t {
    VDSStorageIdCodeSetReserved = 0,
    VDSStorageIdCodeSetBinary = 1,
    VDSStorageIdCodeSetAscii = 2,
    VDSStorageIdCodeSetUtf8 = 3,
};

enum VDS_STORAGE_IDENTIFIER_TYPE : std::int32_t {
    VDSStorageIdTypeVendorSpecific = 0,
    VDSStorageIdTypeVendorId = 1,
    VDSStorageIdTypeEUI64 = 2,
    VDSStorageIdTypeFCPHName = 3,
    VDSStorageIdTypePortRelative = 4,
    VDSStorageIdTypeTargetPortGroup = 5,
    VDSStorageIdTypeLogicalUnitGroup = 6,
    VDSStorageIdTypeMD5LogicalUnitIdentifier = 7,
    VDSStorageIdTypeScsiNameString = 8,
};

enum VDS_INTERCONNECT_ADDRESS_TYPE : std::int32_t {
    VDS_IA_UNKNOWN = 0,
    VDS_IA_FCFS = 1,
    VDS_IA_FCPH = 2,
    VDS_IA_FCPH3 = 3,
    VDS_IA_MAC = 4,
    VDS_IA_SCSI = 5,
};

struct VDS_STORAGE_IDENTIFIER {
    VDS_STORAGE_IDENTIFIER_CODE_SET m_CodeSet;
    VDS_STORAGE_IDENTIFIER_TYPE m_Type;
    ULONG m_cbIdentifier;
    BYTE* m_rgbIdentifier;
};

struct VDS_STORAGE_DEVICE_ID_DESCRIPTOR {
    ULONG m_version;
    ULONG m_cIdentifiers;
    VDS_STORAGE_IDENTIFIER* m_rgIdentifiers;
};

struct VDS_INTERCONNECT {
    VDS_INTERCONNECT_ADDRESS_TYPE m_addressType;
    ULONG m_cbPort;
    BYTE* m_pbPort;
    ULONG m_cbAddress;
    BYTE* m_pbAddress;
};

inline constexpr ULONG VER_VDS_LUN_INFORMATION = 1;

struct VDS_LUN_INFORMATION {
    ULONG m_version;
    BYTE m_DeviceType;
    BYTE m_DeviceTypeModifier;
    BOOL m_bCommandQueueing;
    VDS_STORAGE_BUS_TYPE m_BusType;
    char* m_szVendorId;
    char* m_szProductId;
    char* m_szProductRevision;
    char* m_szSerialNumber;
    GUID m_diskSignature;
    VDS_STORAGE_DEVICE_ID_DESCRIPTOR m_deviceIdDescriptor;
    ULONG m_cInterconnects;
    VDS_INTERCONNECT* m_rgInterconnects;
};

// ---------------------------------------------------------------------------
// Software side: packs, disks, partitions, volumes, plexes, file systems
// ---------------------------------------------------------------------------

enum VDS_PACK_STATUS : std::int32_t {
    VDS_PS_UNKNOWN = 0,
    VDS_PS_ONLINE = 1,
    VDS_PS_OFFLINE = 4,
};

enum VDS_PACK_FLAG : std::int32_t {
    VDS_PKF_FOREIGN = 0x1,
    VDS_PKF_NOQUORUM = 0x2,
    VDS_PKF_POLICY = 0x4,
    VDS_PKF_CORRUPTED = 0x8,
    VDS_PKF_ONLINE_ERROR = 0x10,
};

enum VDS_DISK_STATUS : std::int32_t {
    VDS_DS_UNKNOWN = 0,
    VDS_DS_ONLINE = 1,
    VDS_DS_NOT_READY = 2,
    VDS_DS_NO_MEDIA = 3,
    VDS_DS_OFFLINE = 4,
    VDS_DS_FAILED = 5,
    VDS_DS_MISSING = 6,
};

enum VDS_DISK_FLAG : std::int32_t {
    VDS_DF_AUDIO_CD = 0x1,
    VDS_DF_HOTSPARE = 0x2,
    VDS_DF_RESERVE_CAPABLE = 0x4,
    VDS_DF_MASKED = 0x8,
    VDS_DF_STYLE_CONVERTIBLE = 0x10,
    VDS_DF_CLUSTERED = 0x20,
    VDS_DF_READ_ONLY = 0x40,
    VDS_DF_SYSTEM_DISK = 0x80,
    VDS_DF_BOOT_DISK = 0x100,
    VDS_DF_PAGEFILE_DISK = 0x200,
    VDS_DF_HIBERNATIONFILE_DISK = 0x400,
    VDS_DF_CRASHDUMP_DISK = 0x800,
    VDS_DF_HAS_ARC_PATH = 0x1000,
    VDS_DF_DYNAMIC = 0x2000,
    VDS_DF_BOOT_FROM_DISK = 0x4000,
    VDS_DF_CURRENT_READ_ONLY = 0x8000,
    VDS_DF_REFS_NOT_SUPPORTED = 0x10000,
};

enum VDS_LUN_RESERVE_MODE : std::int32_t {
    VDS_LRM_NONE = 0,
    VDS_LRM_EXCLUSIVE_RW = 1,
    VDS_LRM_EXCLUSIVE_RO = 2,
    VDS_LRM_SHARED_RO = 3,
    VDS_LRM_SHARED_RW = 4,
};

enum VDS_PARTITION_STYLE : std::int32_t {
    VDS_PST_UNKNOWN = 0,
    VDS_PST_MBR = 1,
    VDS_PST_GPT = 2,
};

enum VDS_PARTITION_FLAG : std::int32_t {
    VDS_PTF_SYSTEM = 0x1,
};

enum VDS_DISK_EXTENT_TYPE : std::int32_t {
    VDS_DET_UNKNOWN = 0,
    VDS_DET_FREE = 1,
    VDS_DET_DATA = 2,
    VDS_DET_OEM = 3,
    VDS_DET_ESP = 4,
    VDS_DET_MSR = 5,
    VDS_DET_LDM = 6,
    VDS_DET_CLUSTER = 7,
    VDS_DET_UNUSABLE = 0x7fff,
};

enum VDS_VOLUME_TYPE : std::int32_t {
    VDS_VT_UNKNOWN = 0,
    VDS_VT_SIMPLE = 10,
    VDS_VT_SPAN = 11,
    VDS_VT_STRIPE = 12,
    VDS_VT_MIRROR = 13,
    VDS_VT_PARITY = 14,
};

enum VDS_VOLUME_STATUS : std::int32_t {
    VDS_VS_UNKNOWN = 0,
    VDS_VS_ONLINE = 1,
    VDS_VS_NO_MEDIA = 3,
    VDS_VS_OFFLINE = 4,
    VDS_VS_FAILED = 5,
};

enum VDS_VOLUME_FLAG : std::int32_t {
    VDS_VF_SYSTEM_VOLUME = 0x1,
    VDS_VF_BOOT_VOLUME = 0x2,
    VDS_VF_ACTIVE = 0x4,
    VDS_VF_READONLY = 0x8,
    VDS_VF_HIDDEN = 0x10,
    VDS_VF_CAN_EXTEND = 0x20,
    VDS_VF_CAN_SHRINK = 0x40,
    VDS_VF_PAGEFILE = 0x80,
    VDS_VF_HIBERNATION = 0x100,
    VDS_VF_CRASHDUMP = 0x200,
    VDS_VF_INSTALLABLE = 0x400,
    VDS_VF_LBN_REMAP_ENABLED = 0x800,
    VDS_VF_FORMATTING = 0x1000,
    VDS_VF_NOT_FORMATTABLE = 0x2000,
    VDS_VF_NTFS_NOT_SUPPORTED = 0x4000,
    VDS_VF_FAT32_NOT_SUPPORTED = 0x8000,
    VDS_VF_FAT_NOT_SUPPORTED = 0x10000,
    VDS_VF_NO_DEFAULT_DRIVE_LETTER = 0x20000,
    VDS_VF_PERMANENTLY_DISMOUNTED = 0x40000,
    VDS_VF_PERMANENT_DISMOUNT_SUPPORTED = 0x80000,
    VDS_VF_SHADOW_COPY = 0x100000,
    VDS_VF_FVE_ENABLED = 0x200000,
    VDS_VF_DIRTY = 0x400000,
    VDS_VF_REFS_NOT_SUPPORTED = 0x800000,
    VDS_VF_BACKS_BOOT_VOLUME = 0x1000000,
    VDS_VF_BACKED_BY_WIM_IMAGE = 0x2000000,
};

enum VDS_VOLUME_PLEX_TYPE : std::int32_t {
    VDS_VPT_UNKNOWN = 0,
    VDS_VPT_SIMPLE = 10,
    VDS_VPT_SPAN = 11,
    VDS_VPT_STRIPE = 12,
    VDS_VPT_PARITY = 14,
};

enum VDS_VOLUME_PLEX_STATUS : std::int32_t {
    VDS_VPS_UNKNOWN = 0,
    VDS_VPS_ONLINE = 1,
    VDS_VPS_NO_MEDIA = 3,
    VDS_VPS_FAILED = 5,
};

enum VDS_FILE_SYSTEM_TYPE : std::int32_t {
    VDS_FST_UNKNOWN = 0,
    VDS_FST_RAW = 1,
    VDS_FST_FAT = 2,
    VDS_FST_FAT32 = 3,
    VDS_FST_NTFS = 4,
    VDS_FST_CDFS = 5,
    VDS_FST_UDF = 6,
    VDS_FST_EXFAT = 7,
    VDS_FST_CSVFS = 8,
    VDS_FST_REFS = 9,
};

enum VDS_FILE_SYSTEM_FLAG : std::int32_t {
    VDS_FSF_SUPPORT_FORMAT = 0x1,
    VDS_FSF_SUPPORT_QUICK_FORMAT = 0x2,
    VDS_FSF_SUPPORT_COMPRESS = 0x4,
    VDS_FSF_SUPPORT_SPECIFY_LABEL = 0x8,
    VDS_FSF_SUPPORT_MOUNT_POINT = 0x10,
    VDS_FSF_SUPPORT_REMOVABLE_MEDIA = 0x20,
    VDS_FSF_SUPPORT_EXTEND = 0x40,
    VDS_FSF_ALLOCATION_UNIT_512 = 0x10000,
    VDS_FSF_ALLOCATION_UNIT_1K = 0x20000,
    VDS_FSF_ALLOCATION_UNIT_2K = 0x40000,
    VDS_FSF_ALLOCATION_UNIT_4K = 0x80000,
    VDS_FSF_ALLOCATION_UNIT_8K = 0x100000,
    VDS_FSF_ALLOCATION_UNIT_16K = 0x200000,
    VDS_FSF_ALLOCATION_UNIT_32K = 0x400000,
    VDS_FSF_ALLOCATION_UNIT_64K = 0x800000,
    VDS_FSF_ALLOCATION_UNIT_128K = 0x1000000,
    VDS_FSF_ALLOCATION_UNIT_256K = 0x2000000,
};

enum VDS_FILE_SYSTEM_PROP_FLAG : std::int32_t {
    VDS_FPF_COMPRESSED = 0x1,
};

enum VDS_DRIVE_LETTER_FLAG : std::int32_t {
    VDS_DLF_NON_PERSISTENT = 0x1,
};

struct VDS_PACK_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszName;
    VDS_PACK_STATUS status;
    ULONG ulFlags;
};

struct VDS_DISK_PROP {
    VDS_OBJECT_ID id;
    VDS_DISK_STATUS status;
    VDS_LUN_RESERVE_MODE ReserveMode;
    VDS_HEALTH health;
    DWORD dwDeviceType;
    DWORD dwMediaType;
    ULONGLONG ullSize;
    ULONG ulBytesPerSector;
    ULONG ulSectorsPerTrack;
    ULONG ulTracksPerCylinder;
    ULONG ulFlags;
    VDS_STORAGE_BUS_TYPE BusType;
    VDS_PARTITION_STYLE PartitionStyle;
    union {
        DWORD dwSignature;  // VDS_PST_MBR
        GUID DiskGuid;      // VDS_PST_GPT
    };
    LPWSTR pwszDiskAddress;
    LPWSTR pwszName;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszAdaptorName;
    LPWSTR pwszDevicePath;
};

// One extent of a disk (IVdsDisk::QueryExtents, IVdsVolumePlex::QueryExtents).
struct VDS_DISK_EXTENT {
    VDS_OBJECT_ID diskId;
    VDS_DISK_EXTENT_TYPE type;
    ULONGLONG ullOffset;
    ULONGLONG ullSize;
    VDS_OBJECT_ID volumeId;
    VDS_OBJECT_ID plexId;
    ULONG memberIdx;
};

// One disk of a volume or plex being built (IVdsPack::CreateVolume,
// IVdsVolume::Extend, IVdsVolumePlex::Repair).
struct VDS_INPUT_DISK {
    VDS_OBJECT_ID diskId;
    ULONGLONG ullSize;
    VDS_OBJECT_ID plexId;
    ULONG memberIdx;
};

inline constexpr ULONG GPT_PARTITION_NAME_LENGTH = 36;

struct VDS_PARTITION_INFO_MBR {
    BYTE partitionType;
    BOOLEAN bootIndicator;
    BOOLEAN recognizedPartition;
    DWORD hiddenSectors;
};

struct VDS_PARTITION_INFO_GPT {
    GUID partitionType;
    GUID partitionId;
    ULONGLONG attributes;
    WCHAR name[GPT_PARTITION_NAME_LENGTH];
};

struct VDS_PARTITION_PROP {
    VDS_PARTITION_STYLE PartitionStyle;
    ULONG ulFlags;
    ULONG ulPartitionNumber;
    ULONGLONG ullOffset;
    ULONGLONG ullSize;
    union {
        VDS_PARTITION_INFO_MBR Mbr;  // VDS_PST_MBR
        VDS_PARTITION_INFO_GPT Gpt;  // VDS_PST_GPT
    };
};

// Parameters of IVdsAdvancedDisk::CreatePartition. The GPT name is declared
// with the 36 characters of the Windows SDK (the protocol document says 24):
// a larger block is harmless to a marshaller that reads fewer.
struct CREATE_PARTITION_PARAMETERS {
    struct MbrInfo {
        BYTE partitionType;
        BOOLEAN bootIndicator;
    };
    struct GptInfo {
        GUID partitionType;
        GUID partitionId;
        ULONGLONG attributes;
        WCHAR name[GPT_PARTITION_NAME_LENGTH];
    };
    VDS_PARTITION_STYLE style;
    union {
        MbrInfo MbrPartInfo;  // VDS_PST_MBR
        GptInfo GptPartInfo;  // VDS_PST_GPT
    };
};

// Parameters of IVdsAdvancedDisk::ChangeAttributes.
struct CHANGE_ATTRIBUTES_PARAMETERS {
    struct MbrInfo {
        BOOLEAN bootIndicator;
    };
    struct GptInfo {
        ULONGLONG attributes;
    };
    VDS_PARTITION_STYLE style;
    union {
        MbrInfo MbrPartInfo;  // VDS_PST_MBR
        GptInfo GptPartInfo;  // VDS_PST_GPT
    };
};

struct VDS_VOLUME_PROP {
    VDS_OBJECT_ID id;
    VDS_VOLUME_TYPE type;
    VDS_VOLUME_STATUS status;
    VDS_HEALTH health;
    VDS_TRANSITION_STATE TransitionState;
    ULONGLONG ullSize;
    ULONG ulFlags;
    VDS_FILE_SYSTEM_TYPE RecommendedFileSystemType;
    LPWSTR pwszName;
};

struct VDS_VOLUME_PLEX_PROP {
    VDS_OBJECT_ID id;
    VDS_VOLUME_PLEX_TYPE type;
    VDS_VOLUME_PLEX_STATUS status;
    VDS_HEALTH health;
    VDS_TRANSITION_STATE TransitionState;
    ULONGLONG ullSize;
    ULONG ulStripeSize;
    ULONG ulNumberOfMembers;
};

struct VDS_FILE_SYSTEM_PROP {
    VDS_FILE_SYSTEM_TYPE type;
    VDS_OBJECT_ID volumeId;
    ULONG ulFlags;
    ULONGLONG ullTotalAllocationUnits;
    ULONGLONG ullAvailableAllocationUnits;
    ULONG ulAllocationUnitSize;
    LPWSTR pwszLabel;
};

inline constexpr ULONG MAX_FS_NAME_SIZE = 8;

// IVdsService::QueryFileSystemTypes. The misspelt field name is the SDK's.
struct VDS_FILE_SYSTEM_TYPE_PROP {
    VDS_FILE_SYSTEM_TYPE type;
    WCHAR wszName[MAX_FS_NAME_SIZE];
    ULONG ulFlags;
    ULONG ulCompressionFlags;
    ULONG ulMaxLableLength;
    LPWSTR pwszIllegalLabelCharSet;
};

struct VDS_REPARSE_POINT_PROP {
    VDS_OBJECT_ID SourceVolumeId;
    LPWSTR pwszPath;
};

struct VDS_DRIVE_LETTER_PROP {
    WCHAR wcLetter;
    VDS_OBJECT_ID volumeId;
    ULONG ulFlags;
    LONG bUsed;
};

// ---------------------------------------------------------------------------
// Asynchronous operations
// ---------------------------------------------------------------------------

enum VDS_ASYNC_OUTPUT_TYPE : std::int32_t {
    VDS_ASYNCOUT_UNKNOWN = 0,
    VDS_ASYNCOUT_CREATEVOLUME = 1,
    VDS_ASYNCOUT_EXTENDVOLUME = 2,
    VDS_ASYNCOUT_SHRINKVOLUME = 3,
    VDS_ASYNCOUT_ADDVOLUMEPLEX = 4,
    VDS_ASYNCOUT_BREAKVOLUMEPLEX = 5,
    VDS_ASYNCOUT_REMOVEVOLUMEPLEX = 6,
    VDS_ASYNCOUT_REPAIRVOLUMEPLEX = 7,
    VDS_ASYNCOUT_RECOVERPACK = 8,
    VDS_ASYNCOUT_REPLACEDISK = 9,
    VDS_ASYNCOUT_CREATEPARTITION = 10,
    VDS_ASYNCOUT_CLEAN = 11,
    VDS_ASYNCOUT_CREATELUN = 50,
    VDS_ASYNCOUT_ADDLUNPLEX = 52,
    VDS_ASYNCOUT_REMOVELUNPLEX = 53,
    VDS_ASYNCOUT_EXTENDLUN = 54,
    VDS_ASYNCOUT_SHRINKLUN = 55,
    VDS_ASYNCOUT_RECOVERLUN = 56,
    VDS_ASYNCOUT_LOGINTOTARGET = 60,
    VDS_ASYNCOUT_LOGOUTFROMTARGET = 61,
    VDS_ASYNCOUT_CREATETARGET = 62,
    VDS_ASYNCOUT_CREATEPORTALGROUP = 63,
    VDS_ASYNCOUT_DELETETARGET = 64,
    VDS_ASYNCOUT_ADDPORTAL = 65,
    VDS_ASYNCOUT_REMOVEPORTAL = 66,
    VDS_ASYNCOUT_DELETEPORTALGROUP = 67,
    VDS_ASYNCOUT_FORMAT = 101,
    VDS_ASYNCOUT_CREATE_VDISK = 200,
    VDS_ASYNCOUT_ATTACH_VDISK = 201,
    VDS_ASYNCOUT_COMPACT_VDISK = 202,
    VDS_ASYNCOUT_MERGE_VDISK = 203,
    VDS_ASYNCOUT_EXPAND_VDISK = 204,
};

// What IVdsAsync::Wait delivers besides the result code. The interface
// pointers in it (a new volume, a new LUN, ...) carry a reference that the
// receiver must release.
struct VDS_ASYNC_OUTPUT {
    struct CreatePartition {
        ULONGLONG ullOffset;
        VDS_OBJECT_ID volumeId;
    };
    struct CreateVolume {
        IUnknown* pVolumeUnk;
    };
    struct BreakVolumePlex {
        IUnknown* pVolumeUnk;
    };
    struct ShrinkVolume {
        ULONGLONG ullReclaimedBytes;
    };
    struct CreateLun {
        IUnknown* pLunUnk;
    };
    struct CreateTarget {
        IUnknown* pTargetUnk;
    };
    struct CreatePortalGroup {
        IUnknown* pPortalGroupUnk;
    };
    struct CreateVDisk {
        IUnknown* pVDiskUnk;
    };
    VDS_ASYNC_OUTPUT_TYPE type;
    union {
        CreatePartition cp;      // VDS_ASYNCOUT_CREATEPARTITION
        CreateVolume cv;         // VDS_ASYNCOUT_CREATEVOLUME
        BreakVolumePlex bvp;     // VDS_ASYNCOUT_BREAKVOLUMEPLEX
        ShrinkVolume sv;         // VDS_ASYNCOUT_SHRINKVOLUME
        CreateLun cl;            // VDS_ASYNCOUT_CREATELUN
        CreateTarget ct;         // VDS_ASYNCOUT_CREATETARGET
        CreatePortalGroup cpg;   // VDS_ASYNCOUT_CREATEPORTALGROUP
        CreateVDisk cvd;         // VDS_ASYNCOUT_CREATE_VDISK
    };
};

// ---------------------------------------------------------------------------
// Notifications (IVdsAdviseSink::OnNotify)
// ---------------------------------------------------------------------------

enum VDS_NOTIFICATION_TARGET_TYPE : std::int32_t {
    VDS_NTT_UNKNOWN = 0,
    VDS_NTT_PACK = 10,
    VDS_NTT_VOLUME = 11,
    VDS_NTT_DISK = 13,
    VDS_NTT_SUB_SYSTEM = 30,
    VDS_NTT_CONTROLLER = 31,
    VDS_NTT_DRIVE = 32,
    VDS_NTT_LUN = 33,
    VDS_NTT_PORT = 35,
    VDS_NTT_PORTAL = 36,
    VDS_NTT_TARGET = 37,
    VDS_NTT_PORTAL_GROUP = 38,
    VDS_NTT_PARTITION = 60,
    VDS_NTT_DRIVE_LETTER = 61,
    VDS_NTT_FILE_SYSTEM = 62,
    VDS_NTT_MOUNT_POINT = 63,
    VDS_NTT_SERVICE = 200,
};

// Event codes (ulEvent of the per-target notification structures).
inline constexpr ULONG VDS_NF_PACK_ARRIVE = 1;
inline constexpr ULONG VDS_NF_PACK_DEPART = 2;
inline constexpr ULONG VDS_NF_PACK_MODIFY = 3;
inline constexpr ULONG VDS_NF_VOLUME_ARRIVE = 4;
inline constexpr ULONG VDS_NF_VOLUME_DEPART = 5;
inline constexpr ULONG VDS_NF_VOLUME_MODIFY = 6;
inline constexpr ULONG VDS_NF_VOLUME_REBUILDING_PROGRESS = 7;
inline constexpr ULONG VDS_NF_DISK_ARRIVE = 8;
inline constexpr ULONG VDS_NF_DISK_DEPART = 9;
inline constexpr ULONG VDS_NF_DISK_MODIFY = 10;
inline constexpr ULONG VDS_NF_PARTITION_ARRIVE = 11;
inline constexpr ULONG VDS_NF_PARTITION_DEPART = 12;
inline constexpr ULONG VDS_NF_PARTITION_MODIFY = 13;
inline constexpr ULONG VDS_NF_SUB_SYSTEM_ARRIVE = 101;
inline constexpr ULONG VDS_NF_SUB_SYSTEM_DEPART = 102;
inline constexpr ULONG VDS_NF_SUB_SYSTEM_MODIFY = 151;
inline constexpr ULONG VDS_NF_CONTROLLER_ARRIVE = 103;
inline constexpr ULONG VDS_NF_CONTROLLER_DEPART = 104;
inline constexpr ULONG VDS_NF_CONTROLLER_MODIFY = 350;
inline constexpr ULONG VDS_NF_CONTROLLER_REMOVED = 351;
inline constexpr ULONG VDS_NF_DRIVE_ARRIVE = 105;
inline constexpr ULONG VDS_NF_DRIVE_DEPART = 106;
inline constexpr ULONG VDS_NF_DRIVE_MODIFY = 107;
inline constexpr ULONG VDS_NF_DRIVE_REMOVED = 354;
inline constexpr ULONG VDS_NF_LUN_ARRIVE = 108;
inline constexpr ULONG VDS_NF_LUN_DEPART = 109;
inline constexpr ULONG VDS_NF_LUN_MODIFY = 110;
inline constexpr ULONG VDS_NF_PORT_ARRIVE = 121;
inline constexpr ULONG VDS_NF_PORT_DEPART = 122;
inline constexpr ULONG VDS_NF_PORT_MODIFY = 352;
inline constexpr ULONG VDS_NF_PORT_REMOVED = 353;
inline constexpr ULONG VDS_NF_PORTAL_ARRIVE = 123;
inline constexpr ULONG VDS_NF_PORTAL_DEPART = 124;
inline constexpr ULONG VDS_NF_PORTAL_MODIFY = 125;
inline constexpr ULONG VDS_NF_TARGET_ARRIVE = 126;
inline constexpr ULONG VDS_NF_TARGET_DEPART = 127;
inline constexpr ULONG VDS_NF_TARGET_MODIFY = 128;
inline constexpr ULONG VDS_NF_PORTAL_GROUP_ARRIVE = 129;
inline constexpr ULONG VDS_NF_PORTAL_GROUP_DEPART = 130;
inline constexpr ULONG VDS_NF_PORTAL_GROUP_MODIFY = 131;
inline constexpr ULONG VDS_NF_DRIVE_LETTER_FREE = 201;
inline constexpr ULONG VDS_NF_DRIVE_LETTER_ASSIGN = 202;
inline constexpr ULONG VDS_NF_FILE_SYSTEM_MODIFY = 203;
inline constexpr ULONG VDS_NF_FILE_SYSTEM_FORMAT_PROGRESS = 204;
inline constexpr ULONG VDS_NF_MOUNT_POINTS_CHANGE = 205;
inline constexpr ULONG VDS_NF_FILE_SYSTEM_SHRINKING_PROGRESS = 206;
inline constexpr ULONG VDS_NF_SERVICE_OUT_OF_SYNC = 301;

struct VDS_PACK_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID packId;
};

struct VDS_DISK_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID diskId;
};

struct VDS_VOLUME_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID volumeId;
    VDS_OBJECT_ID plexId;
    ULONG ulPercentCompleted;
};

struct VDS_PARTITION_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID diskId;
    ULONGLONG ullOffset;
};

struct VDS_DRIVE_LETTER_NOTIFICATION {
    ULONG ulEvent;
    WCHAR wcLetter;
    VDS_OBJECT_ID volumeId;
};

struct VDS_FILE_SYSTEM_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID volumeId;
    DWORD dwPercentCompleted;
};

struct VDS_MOUNT_POINT_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID volumeId;
};

struct VDS_SUB_SYSTEM_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID subSystemId;
};

struct VDS_CONTROLLER_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID controllerId;
};

struct VDS_DRIVE_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID driveId;
};

struct VDS_LUN_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID LunId;
};

struct VDS_PORT_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID portId;
};

struct VDS_PORTAL_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID portalId;
};

struct VDS_TARGET_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID targetId;
};

struct VDS_PORTAL_GROUP_NOTIFICATION {
    ULONG ulEvent;
    VDS_OBJECT_ID portalGroupId;
};

struct VDS_SERVICE_NOTIFICATION {
    ULONG ulEvent;
    VDS_RECOVER_ACTION action;
};

// One notification; the records travel to Java byte for byte, so this layout
// (48 bytes, event code at offset 8) is part of the wire format.
struct VDS_NOTIFICATION {
    VDS_NOTIFICATION_TARGET_TYPE objectType;
    union {
        VDS_PACK_NOTIFICATION Pack;
        VDS_DISK_NOTIFICATION Disk;
        VDS_VOLUME_NOTIFICATION Volume;
        VDS_PARTITION_NOTIFICATION Partition;
        VDS_DRIVE_LETTER_NOTIFICATION Letter;
        VDS_FILE_SYSTEM_NOTIFICATION FileSystem;
        VDS_MOUNT_POINT_NOTIFICATION MountPoint;
        VDS_SUB_SYSTEM_NOTIFICATION SubSystem;
        VDS_CONTROLLER_NOTIFICATION Controller;
        VDS_DRIVE_NOTIFICATION Drive;
        VDS_LUN_NOTIFICATION Lun;
        VDS_PORT_NOTIFICATION Port;
        VDS_PORTAL_NOTIFICATION Portal;
        VDS_TARGET_NOTIFICATION Target;
        VDS_PORTAL_GROUP_NOTIFICATION PortalGroup;
        VDS_SERVICE_NOTIFICATION Service;
    };
};

// ---------------------------------------------------------------------------
// Result codes (facility ITF, 0x0424xx to 0x042Bxx)
// ---------------------------------------------------------------------------

constexpr HRESULT vdsResult(std::uint32_t code) { return static_cast<HRESULT>(code); }

// Success codes.
inline constexpr HRESULT VDS_S_DISK_PARTIALLY_CLEANED = vdsResult(0x0004241A);
inline constexpr HRESULT VDS_S_PROVIDER_ERROR_LOADING_CACHE = vdsResult(0x00042421);
inline constexpr HRESULT VDS_S_UPDATE_BOOTFILE_FAILED = vdsResult(0x00042434);
inline constexpr HRESULT VDS_S_BOOT_PARTITION_NUMBER_CHANGE = vdsResult(0x00042436);
inline constexpr HRESULT VDS_S_VOLUME_COMPRESS_FAILED = vdsResult(0x00042443);
inline constexpr HRESULT VDS_S_IN_PROGRESS = vdsResult(0x0004244D);
inline constexpr HRESULT VDS_S_IA64_BOOT_MIRRORED_TO_MBR = vdsResult(0x0004245A);
inline constexpr HRESULT VDS_S_UNABLE_TO_GET_GPT_ATTRIBUTES = vdsResult(0x0004245B);
inline constexpr HRESULT VDS_S_EXTEND_FILE_SYSTEM_FAILED = vdsResult(0x00042465);
inline constexpr HRESULT VDS_S_MBR_BOOT_MIRRORED_TO_GPT = vdsResult(0x00042467);
inline constexpr HRESULT VDS_S_DISK_IS_MISSING = vdsResult(0x00042508);
inline constexpr HRESULT VDS_S_NONCONFORMANT_PARTITION_INFO = vdsResult(0x0004250A);
inline constexpr HRESULT VDS_S_SYSTEM_PARTITION = vdsResult(0x0004250E);
inline constexpr HRESULT VDS_S_NO_NOTIFICATION = vdsResult(0x00042517);
inline constexpr HRESULT VDS_S_DEFAULT_PLEX_MEMBER_IDS = vdsResult(0x00042518);
inline constexpr HRESULT VDS_S_DISMOUNT_FAILED = vdsResult(0x00042577);
inline constexpr HRESULT VDS_S_REMOUNT_FAILED = vdsResult(0x00042578);
inline constexpr HRESULT VDS_S_RESYNC_NOTIFICATION_TASK_FAILED = vdsResult(0x0004257A);
inline constexpr HRESULT VDS_S_VSS_FLUSH_AND_HOLD_WRITES = vdsResult(0x00042581);
inline constexpr HRESULT VDS_S_VSS_RELEASE_WRITES = vdsResult(0x00042582);
inline constexpr HRESULT VDS_S_FS_LOCK = vdsResult(0x00042583);
inline constexpr HRESULT VDS_S_PLEX_NOT_LOADED_TO_CACHE = vdsResult(0x0004258B);
inline constexpr HRESULT VDS_S_WINPE_BOOTENTRY = vdsResult(0x0004258E);
inline constexpr HRESULT VDS_S_NAME_TRUNCATED = vdsResult(0x00042700);
inline constexpr HRESULT VDS_S_STATUSES_INCOMPLETELY_SET = vdsResult(0x00042702);
inline constexpr HRESULT VDS_S_ALREADY_EXISTS = vdsResult(0x00042714);
inline constexpr HRESULT VDS_S_PROPERTIES_INCOMPLETE = vdsResult(0x00042715);
inline constexpr HRESULT VDS_S_ISCSI_SESSION_NOT_FOUND_PERSISTENT_LOGIN_REMOVED =
    vdsResult(0x00042800);
inline constexpr HRESULT VDS_S_ISCSI_PERSISTENT_LOGIN_MAY_NOT_BE_REMOVED = vdsResult(0x00042801);
inline constexpr HRESULT VDS_S_ISCSI_LOGIN_ALREAD_EXISTS = vdsResult(0x00042802);
inline constexpr HRESULT VDS_S_DISK_MOUNT_FAILED = vdsResult(0x00042808);
inline constexpr HRESULT VDS_S_DISK_DISMOUNT_FAILED = vdsResult(0x00042809);
inline constexpr HRESULT VDS_S_ACCESS_PATH_NOT_DELETED = vdsResult(0x00044244);
// Named as a success code by the SDK although its severity bit is set.
inline constexpr HRESULT VDS_S_GPT_BOOT_MIRRORED_TO_MBR = vdsResult(0x80042469);

// Failure codes, 0x800424xx: service and software provider.
inline constexpr HRESULT VDS_E_NOT_SUPPORTED = vdsResult(0x80042400);
inline constexpr HRESULT VDS_E_INITIALIZED_FAILED = vdsResult(0x80042401);
inline constexpr HRESULT VDS_E_INITIALIZE_NOT_CALLED = vdsResult(0x80042402);
inline constexpr HRESULT VDS_E_ALREADY_REGISTERED = vdsResult(0x80042403);
inline constexpr HRESULT VDS_E_ANOTHER_CALL_IN_PROGRESS = vdsResult(0x80042404);
inline constexpr HRESULT VDS_E_OBJECT_NOT_FOUND = vdsResult(0x80042405);
inline constexpr HRESULT VDS_E_INVALID_SPACE = vdsResult(0x80042406);
inline constexpr HRESULT VDS_E_PARTITION_LIMIT_REACHED = vdsResult(0x80042407);
inline constexpr HRESULT VDS_E_PARTITION_NOT_EMPTY = vdsResult(0x80042408);
inline constexpr HRESULT VDS_E_OPERATION_PENDING = vdsResult(0x80042409);
inline constexpr HRESULT VDS_E_OPERATION_DENIED = vdsResult(0x8004240A);
inline constexpr HRESULT VDS_E_OBJECT_DELETED = vdsResult(0x8004240B);
inline constexpr HRESULT VDS_E_CANCEL_TOO_LATE = vdsResult(0x8004240C);
inline constexpr HRESULT VDS_E_OPERATION_CANCELED = vdsResult(0x8004240D);
inline constexpr HRESULT VDS_E_CANNOT_EXTEND = vdsResult(0x8004240E);
inline constexpr HRESULT VDS_E_NOT_ENOUGH_SPACE = vdsResult(0x8004240F);
inline constexpr HRESULT VDS_E_NOT_ENOUGH_DRIVE = vdsResult(0x80042410);
inline constexpr HRESULT VDS_E_BAD_COOKIE = vdsResult(0x80042411);
inline constexpr HRESULT VDS_E_NO_MEDIA = vdsResult(0x80042412);
inline constexpr HRESULT VDS_E_DEVICE_IN_USE = vdsResult(0x80042413);
inline constexpr HRESULT VDS_E_DISK_NOT_EMPTY = vdsResult(0x80042414);
inline constexpr HRESULT VDS_E_INVALID_OPERATION = vdsResult(0x80042415);
inline constexpr HRESULT VDS_E_PATH_NOT_FOUND = vdsResult(0x80042416);
inline constexpr HRESULT VDS_E_DISK_NOT_INITIALIZED = vdsResult(0x80042417);
inline constexpr HRESULT VDS_E_NOT_AN_UNALLOCATED_DISK = vdsResult(0x80042418);
inline constexpr HRESULT VDS_E_UNRECOVERABLE_ERROR = vdsResult(0x80042419);
inline constexpr HRESULT VDS_E_DMADMIN_SERVICE_CONNECTION_FAILED = vdsResult(0x8004241B);
inline constexpr HRESULT VDS_E_PROVIDER_INITIALIZATION_FAILED = vdsResult(0x8004241C);
inline constexpr HRESULT VDS_E_OBJECT_EXISTS = vdsResult(0x8004241D);
inline constexpr HRESULT VDS_E_NO_DISKS_FOUND = vdsResult(0x8004241E);
inline constexpr HRESULT VDS_E_PROVIDER_CACHE_CORRUPT = vdsResult(0x8004241F);
inline constexpr HRESULT VDS_E_DMADMIN_METHOD_CALL_FAILED = vdsResult(0x80042420);
inline constexpr HRESULT VDS_E_PROVIDER_VOL_DEVICE_NAME_NOT_FOUND = vdsResult(0x80042422);
inline constexpr HRESULT VDS_E_PROVIDER_VOL_OPEN = vdsResult(0x80042423);
inline constexpr HRESULT VDS_E_DMADMIN_CORRUPT_NOTIFICATION = vdsResult(0x80042424);
inline constexpr HRESULT VDS_E_INCOMPATIBLE_FILE_SYSTEM = vdsResult(0x80042425);
inline constexpr HRESULT VDS_E_INCOMPATIBLE_MEDIA = vdsResult(0x80042426);
inline constexpr HRESULT VDS_E_ACCESS_DENIED = vdsResult(0x80042427);
inline constexpr HRESULT VDS_E_MEDIA_WRITE_PROTECTED = vdsResult(0x80042428);
inline constexpr HRESULT VDS_E_BAD_LABEL = vdsResult(0x80042429);
inline constexpr HRESULT VDS_E_CANT_QUICK_FORMAT = vdsResult(0x8004242A);
inline constexpr HRESULT VDS_E_IO_ERROR = vdsResult(0x8004242B);
inline constexpr HRESULT VDS_E_VOLUME_TOO_SMALL = vdsResult(0x8004242C);
inline constexpr HRESULT VDS_E_VOLUME_TOO_BIG = vdsResult(0x8004242D);
inline constexpr HRESULT VDS_E_CLUSTER_SIZE_TOO_SMALL = vdsResult(0x8004242E);
inline constexpr HRESULT VDS_E_CLUSTER_SIZE_TOO_BIG = vdsResult(0x8004242F);
inline constexpr HRESULT VDS_E_CLUSTER_COUNT_BEYOND_32BITS = vdsResult(0x80042430);
inline constexpr HRESULT VDS_E_OBJECT_STATUS_FAILED = vdsResult(0x80042431);
inline constexpr HRESULT VDS_E_VOLUME_INCOMPLETE = vdsResult(0x80042432);
inline constexpr HRESULT VDS_E_EXTENT_SIZE_LESS_THAN_MIN = vdsResult(0x80042433);
inline constexpr HRESULT VDS_E_BOOT_PARTITION_NUMBER_CHANGE = vdsResult(0x80042436);
inline constexpr HRESULT VDS_E_NO_FREE_SPACE = vdsResult(0x80042437);
inline constexpr HRESULT VDS_E_ACTIVE_PARTITION = vdsResult(0x80042438);
inline constexpr HRESULT VDS_E_PARTITION_OF_UNKNOWN_TYPE = vdsResult(0x80042439);
inline constexpr HRESULT VDS_E_LEGACY_VOLUME_FORMAT = vdsResult(0x8004243A);
inline constexpr HRESULT VDS_E_NON_CONTIGUOUS_DATA_PARTITIONS = vdsResult(0x8004243B);
inline constexpr HRESULT VDS_E_MIGRATE_OPEN_VOLUME = vdsResult(0x8004243C);
inline constexpr HRESULT VDS_E_VOLUME_NOT_ONLINE = vdsResult(0x8004243D);
inline constexpr HRESULT VDS_E_VOLUME_NOT_HEALTHY = vdsResult(0x8004243E);
inline constexpr HRESULT VDS_E_VOLUME_SPANS_DISKS = vdsResult(0x8004243F);
inline constexpr HRESULT VDS_E_REQUIRES_CONTIGUOUS_DISK_SPACE = vdsResult(0x80042440);
inline constexpr HRESULT VDS_E_BAD_PROVIDER_DATA = vdsResult(0x80042441);
inline constexpr HRESULT VDS_E_PROVIDER_FAILURE = vdsResult(0x80042442);
inline constexpr HRESULT VDS_E_PACK_OFFLINE = vdsResult(0x80042444);
inline constexpr HRESULT VDS_E_VOLUME_NOT_A_MIRROR = vdsResult(0x80042445);
inline constexpr HRESULT VDS_E_NO_EXTENTS_FOR_VOLUME = vdsResult(0x80042446);
inline constexpr HRESULT VDS_E_DISK_NOT_LOADED_TO_CACHE = vdsResult(0x80042447);
inline constexpr HRESULT VDS_E_INTERNAL_ERROR = vdsResult(0x80042448);
inline constexpr HRESULT VDS_E_PROVIDER_TYPE_NOT_SUPPORTED = vdsResult(0x8004244A);
inline constexpr HRESULT VDS_E_DISK_NOT_ONLINE = vdsResult(0x8004244B);
inline constexpr HRESULT VDS_E_DISK_IN_USE_BY_VOLUME = vdsResult(0x8004244C);
inline constexpr HRESULT VDS_E_ASYNC_OBJECT_FAILURE = vdsResult(0x8004244E);
inline constexpr HRESULT VDS_E_VOLUME_NOT_MOUNTED = vdsResult(0x8004244F);
inline constexpr HRESULT VDS_E_PACK_NOT_FOUND = vdsResult(0x80042450);
inline constexpr HRESULT VDS_E_IMPORT_SET_INCOMPLETE = vdsResult(0x80042451);
inline constexpr HRESULT VDS_E_DISK_NOT_IMPORTED = vdsResult(0x80042452);
inline constexpr HRESULT VDS_E_OBJECT_OUT_OF_SYNC = vdsResult(0x80042453);
inline constexpr HRESULT VDS_E_MISSING_DISK = vdsResult(0x80042454);
inline constexpr HRESULT VDS_E_DISK_PNP_REG_CORRUPT = vdsResult(0x80042455);
inline constexpr HRESULT VDS_E_LBN_REMAP_ENABLED_FLAG = vdsResult(0x80042456);
inline constexpr HRESULT VDS_E_NO_DRIVELETTER_FLAG = vdsResult(0x80042457);
inline constexpr HRESULT VDS_E_REVERT_ON_CLOSE = vdsResult(0x80042458);
inline constexpr HRESULT VDS_E_REVERT_ON_CLOSE_SET = vdsResult(0x80042459);
inline constexpr HRESULT VDS_E_IA64_BOOT_MIRRORED_TO_MBR = vdsResult(0x8004245A);
inline constexpr HRESULT VDS_E_VOLUME_TEMPORARILY_DISMOUNTED = vdsResult(0x8004245C);
inline constexpr HRESULT VDS_E_VOLUME_PERMANENTLY_DISMOUNTED = vdsResult(0x8004245D);
inline constexpr HRESULT VDS_E_VOLUME_HAS_PATH = vdsResult(0x8004245E);
inline constexpr HRESULT VDS_E_TIMEOUT = vdsResult(0x8004245F);
inline constexpr HRESULT VDS_E_REPAIR_VOLUMESTATE = vdsResult(0x80042460);
inline constexpr HRESULT VDS_E_LDM_TIMEOUT = vdsResult(0x80042461);
inline constexpr HRESULT VDS_E_REVERT_ON_CLOSE_MISMATCH = vdsResult(0x80042462);
inline constexpr HRESULT VDS_E_RETRY = vdsResult(0x80042463);
inline constexpr HRESULT VDS_E_ONLINE_PACK_EXISTS = vdsResult(0x80042464);
inline constexpr HRESULT VDS_E_EXTEND_FILE_SYSTEM_FAILED = vdsResult(0x80042466);
inline constexpr HRESULT VDS_E_MAX_USABLE_MBR = vdsResult(0x80042468);

// Failure codes, 0x800425xx: software provider and volume manager.
inline constexpr HRESULT VDS_E_NO_SOFTWARE_PROVIDERS_LOADED = vdsResult(0x80042500);
inline constexpr HRESULT VDS_E_DISK_NOT_MISSING = vdsResult(0x80042501);
inline constexpr HRESULT VDS_E_NO_VOLUME_LAYOUT = vdsResult(0x80042502);
inline constexpr HRESULT VDS_E_CORRUPT_VOLUME_INFO = vdsResult(0x80042503);
inline constexpr HRESULT VDS_E_INVALID_ENUMERATOR = vdsResult(0x80042504);
inline constexpr HRESULT VDS_E_DRIVER_INTERNAL_ERROR = vdsResult(0x80042505);
inline constexpr HRESULT VDS_E_VOLUME_INVALID_NAME = vdsResult(0x80042507);
inline constexpr HRESULT VDS_E_CORRUPT_PARTITION_INFO = vdsResult(0x80042509);
inline constexpr HRESULT VDS_E_CORRUPT_EXTENT_INFO = vdsResult(0x8004250B);
inline constexpr HRESULT VDS_E_DUP_EMPTY_PACK_GUID = vdsResult(0x8004250C);
inline constexpr HRESULT VDS_E_DRIVER_NO_PACK_NAME = vdsResult(0x8004250D);
inline constexpr HRESULT VDS_E_BAD_PNP_MESSAGE = vdsResult(0x8004250F);
inline constexpr HRESULT VDS_E_NO_PNP_DISK_ARRIVE = vdsResult(0x80042510);
inline constexpr HRESULT VDS_E_NO_PNP_VOLUME_ARRIVE = vdsResult(0x80042511);
inline constexpr HRESULT VDS_E_NO_PNP_DISK_REMOVE = vdsResult(0x80042512);
inline constexpr HRESULT VDS_E_NO_PNP_VOLUME_REMOVE = vdsResult(0x80042513);
inline constexpr HRESULT VDS_E_PROVIDER_EXITING = vdsResult(0x80042514);
inline constexpr HRESULT VDS_E_EXTENT_EXCEEDS_DISK_FREE_SPACE = vdsResult(0x80042515);
inline constexpr HRESULT VDS_E_MEMBER_SIZE_INVALID = vdsResult(0x80042516);
inline constexpr HRESULT VDS_E_INVALID_DISK = vdsResult(0x80042519);
inline constexpr HRESULT VDS_E_INVALID_PACK = vdsResult(0x8004251A);
inline constexpr HRESULT VDS_E_VOLUME_ON_DISK = vdsResult(0x8004251B);
inline constexpr HRESULT VDS_E_DRIVER_INVALID_PARAM = vdsResult(0x8004251C);
inline constexpr HRESULT VDS_E_TARGET_PACK_NOT_EMPTY = vdsResult(0x8004251D);
inline constexpr HRESULT VDS_E_CANNOT_SHRINK = vdsResult(0x8004251E);
inline constexpr HRESULT VDS_E_MULTIPLE_PACKS = vdsResult(0x8004251F);
inline constexpr HRESULT VDS_E_PACK_ONLINE = vdsResult(0x80042520);
inline constexpr HRESULT VDS_E_INVALID_PLEX_COUNT = vdsResult(0x80042521);
inline constexpr HRESULT VDS_E_INVALID_MEMBER_COUNT = vdsResult(0x80042522);
inline constexpr HRESULT VDS_E_INVALID_PLEX_ORDER = vdsResult(0x80042523);
inline constexpr HRESULT VDS_E_INVALID_MEMBER_ORDER = vdsResult(0x80042524);
inline constexpr HRESULT VDS_E_INVALID_STRIPE_SIZE = vdsResult(0x80042525);
inline constexpr HRESULT VDS_E_INVALID_DISK_COUNT = vdsResult(0x80042526);
inline constexpr HRESULT VDS_E_INVALID_EXTENT_COUNT = vdsResult(0x80042527);
inline constexpr HRESULT VDS_E_SOURCE_IS_TARGET_PACK = vdsResult(0x80042528);
inline constexpr HRESULT VDS_E_VOLUME_DISK_COUNT_MAX_EXCEEDED = vdsResult(0x80042529);
inline constexpr HRESULT VDS_E_CORRUPT_NOTIFICATION_INFO = vdsResult(0x8004252A);
inline constexpr HRESULT VDS_E_INVALID_PLEX_GUID = vdsResult(0x8004252C);
inline constexpr HRESULT VDS_E_DISK_NOT_FOUND_IN_PACK = vdsResult(0x8004252D);
inline constexpr HRESULT VDS_E_DUPLICATE_DISK = vdsResult(0x8004252E);
inline constexpr HRESULT VDS_E_LAST_VALID_DISK = vdsResult(0x8004252F);
inline constexpr HRESULT VDS_E_INVALID_SECTOR_SIZE = vdsResult(0x80042530);
inline constexpr HRESULT VDS_E_ONE_EXTENT_PER_DISK = vdsResult(0x80042531);
inline constexpr HRESULT VDS_E_INVALID_BLOCK_SIZE = vdsResult(0x80042532);
inline constexpr HRESULT VDS_E_PLEX_SIZE_INVALID = vdsResult(0x80042533);
inline constexpr HRESULT VDS_E_NO_EXTENTS_FOR_PLEX = vdsResult(0x80042534);
inline constexpr HRESULT VDS_E_INVALID_PLEX_TYPE = vdsResult(0x80042535);
inline constexpr HRESULT VDS_E_INVALID_PLEX_BLOCK_SIZE = vdsResult(0x80042536);
inline constexpr HRESULT VDS_E_NO_HEALTHY_DISKS = vdsResult(0x80042537);
inline constexpr HRESULT VDS_E_CONFIG_LIMIT = vdsResult(0x80042538);
inline constexpr HRESULT VDS_E_DISK_CONFIGURATION_CORRUPTED = vdsResult(0x80042539);
inline constexpr HRESULT VDS_E_DISK_CONFIGURATION_NOT_IN_SYNC = vdsResult(0x8004253A);
inline constexpr HRESULT VDS_E_DISK_CONFIGURATION_UPDATE_FAILED = vdsResult(0x8004253B);
inline constexpr HRESULT VDS_E_DISK_DYNAMIC = vdsResult(0x8004253C);
inline constexpr HRESULT VDS_E_DRIVER_OBJECT_NOT_FOUND = vdsResult(0x8004253D);
inline constexpr HRESULT VDS_E_PARTITION_NOT_CYLINDER_ALIGNED = vdsResult(0x8004253E);
inline constexpr HRESULT VDS_E_DISK_LAYOUT_PARTITIONS_TOO_SMALL = vdsResult(0x8004253F);
inline constexpr HRESULT VDS_E_DISK_IO_FAILING = vdsResult(0x80042540);
inline constexpr HRESULT VDS_E_DYNAMIC_DISKS_NOT_SUPPORTED = vdsResult(0x80042541);
inline constexpr HRESULT VDS_E_FAULT_TOLERANT_DISKS_NOT_SUPPORTED = vdsResult(0x80042542);
inline constexpr HRESULT VDS_E_GPT_ATTRIBUTES_INVALID = vdsResult(0x80042543);
inline constexpr HRESULT VDS_E_MEMBER_IS_HEALTHY = vdsResult(0x80042544);
inline constexpr HRESULT VDS_E_MEMBER_REGENERATING = vdsResult(0x80042545);
inline constexpr HRESULT VDS_E_PACK_NAME_INVALID = vdsResult(0x80042546);
inline constexpr HRESULT VDS_E_PLEX_IS_HEALTHY = vdsResult(0x80042547);
inline constexpr HRESULT VDS_E_PLEX_LAST_ACTIVE = vdsResult(0x80042548);
inline constexpr HRESULT VDS_E_PLEX_MISSING = vdsResult(0x80042549);
inline constexpr HRESULT VDS_E_MEMBER_MISSING = vdsResult(0x8004254A);
inline constexpr HRESULT VDS_E_PLEX_REGENERATING = vdsResult(0x8004254B);
inline constexpr HRESULT VDS_E_UNEXPECTED_DISK_LAYOUT_CHANGE = vdsResult(0x8004254D);
inline constexpr HRESULT VDS_E_INVALID_VOLUME_LENGTH = vdsResult(0x8004254E);
inline constexpr HRESULT VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE = vdsResult(0x8004254F);
inline constexpr HRESULT VDS_E_VOLUME_NOT_RETAINED = vdsResult(0x80042550);
inline constexpr HRESULT VDS_E_VOLUME_RETAINED = vdsResult(0x80042551);
inline constexpr HRESULT VDS_E_ALIGN_BEYOND_FIRST_CYLINDER = vdsResult(0x80042553);
inline constexpr HRESULT VDS_E_ALIGN_NOT_SECTOR_SIZE_MULTIPLE = vdsResult(0x80042554);
inline constexpr HRESULT VDS_E_ALIGN_NOT_ZERO = vdsResult(0x80042555);
inline constexpr HRESULT VDS_E_CACHE_CORRUPT = vdsResult(0x80042556);
inline constexpr HRESULT VDS_E_CANNOT_CLEAR_VOLUME_FLAG = vdsResult(0x80042557);
inline constexpr HRESULT VDS_E_DISK_BEING_CLEANED = vdsResult(0x80042558);
inline constexpr HRESULT VDS_E_DISK_NOT_CONVERTIBLE = vdsResult(0x80042559);
inline constexpr HRESULT VDS_E_DISK_REMOVEABLE = vdsResult(0x8004255A);
inline constexpr HRESULT VDS_E_DISK_REMOVEABLE_NOT_EMPTY = vdsResult(0x8004255B);
inline constexpr HRESULT VDS_E_DRIVE_LETTER_NOT_FREE = vdsResult(0x8004255C);
inline constexpr HRESULT VDS_E_EXTEND_MULTIPLE_DISKS_NOT_SUPPORTED = vdsResult(0x8004255D);
inline constexpr HRESULT VDS_E_INVALID_DRIVE_LETTER = vdsResult(0x8004255E);
inline constexpr HRESULT VDS_E_INVALID_DRIVE_LETTER_COUNT = vdsResult(0x8004255F);
inline constexpr HRESULT VDS_E_INVALID_FS_FLAG = vdsResult(0x80042560);
inline constexpr HRESULT VDS_E_INVALID_FS_TYPE = vdsResult(0x80042561);
inline constexpr HRESULT VDS_E_INVALID_OBJECT_TYPE = vdsResult(0x80042562);
inline constexpr HRESULT VDS_E_INVALID_PARTITION_LAYOUT = vdsResult(0x80042563);
inline constexpr HRESULT VDS_E_INVALID_PARTITION_STYLE = vdsResult(0x80042564);
inline constexpr HRESULT VDS_E_INVALID_PARTITION_TYPE = vdsResult(0x80042565);
inline constexpr HRESULT VDS_E_INVALID_PROVIDER_CLSID = vdsResult(0x80042566);
inline constexpr HRESULT VDS_E_INVALID_PROVIDER_ID = vdsResult(0x80042567);
inline constexpr HRESULT VDS_E_INVALID_PROVIDER_NAME = vdsResult(0x80042568);
inline constexpr HRESULT VDS_E_INVALID_PROVIDER_TYPE = vdsResult(0x80042569);
inline constexpr HRESULT VDS_E_INVALID_PROVIDER_VERSION_GUID = vdsResult(0x8004256A);
inline constexpr HRESULT VDS_E_INVALID_PROVIDER_VERSION_STRING = vdsResult(0x8004256B);
inline constexpr HRESULT VDS_E_INVALID_QUERY_PROVIDER_FLAG = vdsResult(0x8004256C);
inline constexpr HRESULT VDS_E_INVALID_SERVICE_FLAG = vdsResult(0x8004256D);
inline constexpr HRESULT VDS_E_INVALID_VOLUME_FLAG = vdsResult(0x8004256E);
inline constexpr HRESULT VDS_E_PARTITION_NOT_OEM = vdsResult(0x8004256F);
inline constexpr HRESULT VDS_E_PARTITION_PROTECTED = vdsResult(0x80042570);
inline constexpr HRESULT VDS_E_PARTITION_STYLE_MISMATCH = vdsResult(0x80042571);
inline constexpr HRESULT VDS_E_PROVIDER_INTERNAL_ERROR = vdsResult(0x80042572);
inline constexpr HRESULT VDS_E_SHRINK_SIZE_LESS_THAN_MIN = vdsResult(0x80042573);
inline constexpr HRESULT VDS_E_SHRINK_SIZE_TOO_BIG = vdsResult(0x80042574);
inline constexpr HRESULT VDS_E_UNRECOVERABLE_PROVIDER_ERROR = vdsResult(0x80042575);
inline constexpr HRESULT VDS_E_VOLUME_HIDDEN = vdsResult(0x80042576);
inline constexpr HRESULT VDS_E_FLAG_ALREADY_SET = vdsResult(0x80042579);
inline constexpr HRESULT VDS_E_DISTINCT_VOLUME = vdsResult(0x8004257B);
inline constexpr HRESULT VDS_E_VOLUME_NOT_FOUND_IN_PACK = vdsResult(0x8004257C);
inline constexpr HRESULT VDS_E_PARTITION_NON_DATA = vdsResult(0x8004257D);
inline constexpr HRESULT VDS_E_CRITICAL_PLEX = vdsResult(0x8004257E);
inline constexpr HRESULT VDS_E_VOLUME_SYNCHRONIZING = vdsResult(0x8004257F);
inline constexpr HRESULT VDS_E_VOLUME_REGENERATING = vdsResult(0x80042580);
inline constexpr HRESULT VDS_E_READONLY = vdsResult(0x80042584);
inline constexpr HRESULT VDS_E_INVALID_VOLUME_TYPE = vdsResult(0x80042585);
inline constexpr HRESULT VDS_E_BAD_BOOT_DISK = vdsResult(0x80042586);
inline constexpr HRESULT VDS_E_LOG_UPDATE = vdsResult(0x80042587);
inline constexpr HRESULT VDS_E_VOLUME_MIRRORED = vdsResult(0x80042588);
inline constexpr HRESULT VDS_E_VOLUME_SIMPLE_SPANNED = vdsResult(0x80042589);
inline constexpr HRESULT VDS_E_NO_VALID_LOG_COPIES = vdsResult(0x8004258A);
inline constexpr HRESULT VDS_E_PLEX_NOT_LOADED_TO_CACHE = vdsResult(0x8004258B);
inline constexpr HRESULT VDS_E_PARTITION_MSR = vdsResult(0x8004258C);
inline constexpr HRESULT VDS_E_PARTITION_LDM = vdsResult(0x8004258D);
inline constexpr HRESULT VDS_E_ALIGN_NOT_A_POWER_OF_TWO = vdsResult(0x8004258F);
inline constexpr HRESULT VDS_E_ALIGN_IS_ZERO = vdsResult(0x80042590);
inline constexpr HRESULT VDS_E_SHRINK_IN_PROGRESS = vdsResult(0x80042591);
inline constexpr HRESULT VDS_E_CANT_INVALIDATE_FVE = vdsResult(0x80042592);
inline constexpr HRESULT VDS_E_FS_NOT_DETERMINED = vdsResult(0x80042593);
inline constexpr HRESULT VDS_E_DISK_NOT_OFFLINE = vdsResult(0x80042595);
inline constexpr HRESULT VDS_E_FAILED_TO_ONLINE_DISK = vdsResult(0x80042596);
inline constexpr HRESULT VDS_E_FAILED_TO_OFFLINE_DISK = vdsResult(0x80042597);
inline constexpr HRESULT VDS_E_BAD_REVISION_NUMBER = vdsResult(0x80042598);
inline constexpr HRESULT VDS_E_SHRINK_USER_CANCELLED = vdsResult(0x80042599);
inline constexpr HRESULT VDS_E_SHRINK_DIRTY_VOLUME = vdsResult(0x8004259A);

// Failure codes, 0x800427xx to 0x80042Bxx: hardware providers, iSCSI, LUNs
// surfaced as disks, virtual disks.
inline constexpr HRESULT VDS_E_NAME_NOT_UNIQUE = vdsResult(0x80042701);
inline constexpr HRESULT VDS_E_ADDRESSES_INCOMPLETELY_SET = vdsResult(0x80042703);
inline constexpr HRESULT VDS_E_SECURITY_INCOMPLETELY_SET = vdsResult(0x80042705);
inline constexpr HRESULT VDS_E_TARGET_SPECIFIC_NOT_SUPPORTED = vdsResult(0x80042706);
inline constexpr HRESULT VDS_E_INITIATOR_SPECIFIC_NOT_SUPPORTED = vdsResult(0x80042707);
inline constexpr HRESULT VDS_E_ISCSI_LOGIN_FAILED = vdsResult(0x80042708);
inline constexpr HRESULT VDS_E_ISCSI_LOGOUT_FAILED = vdsResult(0x80042709);
inline constexpr HRESULT VDS_E_ISCSI_SESSION_NOT_FOUND = vdsResult(0x8004270A);
inline constexpr HRESULT VDS_E_ASSOCIATED_LUNS_EXIST = vdsResult(0x8004270B);
inline constexpr HRESULT VDS_E_ASSOCIATED_PORTALS_EXIST = vdsResult(0x8004270C);
inline constexpr HRESULT VDS_E_NO_DISCOVERY_DOMAIN = vdsResult(0x8004270D);
inline constexpr HRESULT VDS_E_MULTIPLE_DISCOVERY_DOMAINS = vdsResult(0x8004270E);
inline constexpr HRESULT VDS_E_NO_DISK_PATHNAME = vdsResult(0x8004270F);
inline constexpr HRESULT VDS_E_ISCSI_LOGOUT_INCOMPLETE = vdsResult(0x80042710);
inline constexpr HRESULT VDS_E_NO_VOLUME_PATHNAME = vdsResult(0x80042711);
inline constexpr HRESULT VDS_E_PROVIDER_CACHE_OUTOFSYNC = vdsResult(0x80042712);
inline constexpr HRESULT VDS_E_NO_IMPORT_TARGET = vdsResult(0x80042713);
inline constexpr HRESULT VDS_E_UNABLE_TO_FIND_BOOT_DISK = vdsResult(0x80042803);
inline constexpr HRESULT VDS_E_INCORRECT_BOOT_VOLUME_EXTENT_INFO = vdsResult(0x80042804);
inline constexpr HRESULT VDS_E_GET_SAN_POLICY = vdsResult(0x80042805);
inline constexpr HRESULT VDS_E_SET_SAN_POLICY = vdsResult(0x80042806);
inline constexpr HRESULT VDS_E_BOOT_DISK = vdsResult(0x80042807);
inline constexpr HRESULT VDS_E_DISK_IS_OFFLINE = vdsResult(0x8004280A);
inline constexpr HRESULT VDS_E_DISK_IS_READ_ONLY = vdsResult(0x8004280B);
inline constexpr HRESULT VDS_E_PAGEFILE_DISK = vdsResult(0x8004280C);
inline constexpr HRESULT VDS_E_HIBERNATION_FILE_DISK = vdsResult(0x8004280D);
inline constexpr HRESULT VDS_E_CRASHDUMP_DISK = vdsResult(0x8004280E);
inline constexpr HRESULT VDS_E_UNABLE_TO_FIND_SYSTEM_DISK = vdsResult(0x8004280F);
inline constexpr HRESULT VDS_E_INCORRECT_SYSTEM_VOLUME_EXTENT_INFO = vdsResult(0x80042810);
inline constexpr HRESULT VDS_E_SYSTEM_DISK = vdsResult(0x80042811);
inline constexpr HRESULT VDS_E_VOLUME_SHRINK_FVE_LOCKED = vdsResult(0x80042812);
inline constexpr HRESULT VDS_E_VOLUME_SHRINK_FVE_CORRUPT = vdsResult(0x80042813);
inline constexpr HRESULT VDS_E_VOLUME_SHRINK_FVE_RECOVERY = vdsResult(0x80042814);
inline constexpr HRESULT VDS_E_VOLUME_SHRINK_FVE = vdsResult(0x80042815);
inline constexpr HRESULT VDS_E_SHRINK_OVER_DATA = vdsResult(0x80042816);
inline constexpr HRESULT VDS_E_INVALID_SHRINK_SIZE = vdsResult(0x80042817);
inline constexpr HRESULT VDS_E_LUN_DISK_MISSING = vdsResult(0x80042818);
inline constexpr HRESULT VDS_E_LUN_DISK_FAILED = vdsResult(0x80042819);
inline constexpr HRESULT VDS_E_LUN_DISK_NOT_READY = vdsResult(0x8004281A);
inline constexpr HRESULT VDS_E_LUN_DISK_NO_MEDIA = vdsResult(0x8004281B);
inline constexpr HRESULT VDS_E_LUN_NOT_READY = vdsResult(0x8004281C);
inline constexpr HRESULT VDS_E_LUN_OFFLINE = vdsResult(0x8004281D);
inline constexpr HRESULT VDS_E_LUN_FAILED = vdsResult(0x8004281E);
inline constexpr HRESULT VDS_E_VOLUME_EXTEND_FVE_LOCKED = vdsResult(0x8004281F);
inline constexpr HRESULT VDS_E_VOLUME_EXTEND_FVE_CORRUPT = vdsResult(0x80042820);
inline constexpr HRESULT VDS_E_VOLUME_EXTEND_FVE_RECOVERY = vdsResult(0x80042821);
inline constexpr HRESULT VDS_E_VOLUME_EXTEND_FVE = vdsResult(0x80042822);
inline constexpr HRESULT VDS_E_SECTOR_SIZE_ERROR = vdsResult(0x80042823);
inline constexpr HRESULT VDS_E_INITIATOR_ADAPTER_NOT_FOUND = vdsResult(0x80042900);
inline constexpr HRESULT VDS_E_TARGET_PORTAL_NOT_FOUND = vdsResult(0x80042901);
inline constexpr HRESULT VDS_E_INVALID_PORT_PATH = vdsResult(0x80042902);
inline constexpr HRESULT VDS_E_INVALID_ISCSI_TARGET_NAME = vdsResult(0x80042903);
inline constexpr HRESULT VDS_E_SET_TUNNEL_MODE_OUTER_ADDRESS = vdsResult(0x80042904);
inline constexpr HRESULT VDS_E_ISCSI_GET_IKE_INFO = vdsResult(0x80042905);
inline constexpr HRESULT VDS_E_ISCSI_SET_IKE_INFO = vdsResult(0x80042906);
inline constexpr HRESULT VDS_E_SUBSYSTEM_ID_IS_NULL = vdsResult(0x80042907);
inline constexpr HRESULT VDS_E_ISCSI_INITIATOR_NODE_NAME = vdsResult(0x80042908);
inline constexpr HRESULT VDS_E_ISCSI_GROUP_PRESHARE_KEY = vdsResult(0x80042909);
inline constexpr HRESULT VDS_E_ISCSI_CHAP_SECRET = vdsResult(0x8004290A);
inline constexpr HRESULT VDS_E_INVALID_IP_ADDRESS = vdsResult(0x8004290B);
inline constexpr HRESULT VDS_E_REBOOT_REQUIRED = vdsResult(0x8004290C);
inline constexpr HRESULT VDS_E_VOLUME_GUID_PATHNAME_NOT_ALLOWED = vdsResult(0x8004290D);
inline constexpr HRESULT VDS_E_BOOT_PAGEFILE_DRIVE_LETTER = vdsResult(0x8004290E);
inline constexpr HRESULT VDS_E_DELETE_WITH_CRITICAL = vdsResult(0x8004290F);
inline constexpr HRESULT VDS_E_CLEAN_WITH_DATA = vdsResult(0x80042910);
inline constexpr HRESULT VDS_E_CLEAN_WITH_OEM = vdsResult(0x80042911);
inline constexpr HRESULT VDS_E_CLEAN_WITH_CRITICAL = vdsResult(0x80042912);
inline constexpr HRESULT VDS_E_FORMAT_CRITICAL = vdsResult(0x80042913);
inline constexpr HRESULT VDS_E_NTFS_FORMAT_NOT_SUPPORTED = vdsResult(0x80042914);
inline constexpr HRESULT VDS_E_FAT32_FORMAT_NOT_SUPPORTED = vdsResult(0x80042915);
inline constexpr HRESULT VDS_E_FAT_FORMAT_NOT_SUPPORTED = vdsResult(0x80042916);
inline constexpr HRESULT VDS_E_FORMAT_NOT_SUPPORTED = vdsResult(0x80042917);
inline constexpr HRESULT VDS_E_COMPRESSION_NOT_SUPPORTED = vdsResult(0x80042918);
inline constexpr HRESULT VDS_E_VDISK_NOT_OPEN = vdsResult(0x80042919);
inline constexpr HRESULT VDS_E_VDISK_INVALID_OP_STATE = vdsResult(0x8004291A);
inline constexpr HRESULT VDS_E_INVALID_PATH = vdsResult(0x8004291B);
inline constexpr HRESULT VDS_E_INVALID_ISCSI_PATH = vdsResult(0x8004291C);
inline constexpr HRESULT VDS_E_SHRINK_LUN_NOT_UNMASKED = vdsResult(0x8004291D);
inline constexpr HRESULT VDS_E_LUN_DISK_READ_ONLY = vdsResult(0x8004291E);
inline constexpr HRESULT VDS_E_LUN_UPDATE_DISK = vdsResult(0x8004291F);
inline constexpr HRESULT VDS_E_LUN_DYNAMIC = vdsResult(0x80042920);
inline constexpr HRESULT VDS_E_LUN_DYNAMIC_OFFLINE = vdsResult(0x80042921);
inline constexpr HRESULT VDS_E_LUN_SHRINK_GPT_HEADER = vdsResult(0x80042922);
inline constexpr HRESULT VDS_E_MIRROR_NOT_SUPPORTED = vdsResult(0x80042923);
inline constexpr HRESULT VDS_E_RAID5_NOT_SUPPORTED = vdsResult(0x80042924);
inline constexpr HRESULT VDS_E_DISK_NOT_CONVERTIBLE_SIZE = vdsResult(0x80042925);
inline constexpr HRESULT VDS_E_OFFLINE_NOT_SUPPORTED = vdsResult(0x80042926);
inline constexpr HRESULT VDS_E_VDISK_PATHNAME_INVALID = vdsResult(0x80042927);
inline constexpr HRESULT VDS_E_EXTEND_TOO_MANY_CLUSTERS = vdsResult(0x80042928);
inline constexpr HRESULT VDS_E_EXTEND_UNKNOWN_FILESYSTEM = vdsResult(0x80042929);
inline constexpr HRESULT VDS_E_SHRINK_UNKNOWN_FILESYSTEM = vdsResult(0x8004292A);
inline constexpr HRESULT VDS_E_VD_DISK_NOT_OPEN = vdsResult(0x8004292B);
inline constexpr HRESULT VDS_E_VD_DISK_IS_EXPANDING = vdsResult(0x8004292C);
inline constexpr HRESULT VDS_E_VD_DISK_IS_COMPACTING = vdsResult(0x8004292D);
inline constexpr HRESULT VDS_E_VD_DISK_IS_MERGING = vdsResult(0x8004292E);
inline constexpr HRESULT VDS_E_VD_IS_ATTACHED = vdsResult(0x8004292F);
inline constexpr HRESULT VDS_E_VD_DISK_ALREADY_OPEN = vdsResult(0x80042930);
inline constexpr HRESULT VDS_E_VD_DISK_ALREADY_EXPANDING = vdsResult(0x80042931);
inline constexpr HRESULT VDS_E_VD_ALREADY_COMPACTING = vdsResult(0x80042932);
inline constexpr HRESULT VDS_E_VD_ALREADY_MERGING = vdsResult(0x80042933);
inline constexpr HRESULT VDS_E_VD_ALREADY_ATTACHED = vdsResult(0x80042934);
inline constexpr HRESULT VDS_E_VD_ALREADY_DETACHED = vdsResult(0x80042935);
inline constexpr HRESULT VDS_E_VD_NOT_ATTACHED_READONLY = vdsResult(0x80042936);
inline constexpr HRESULT VDS_E_VD_IS_BEING_ATTACHED = vdsResult(0x80042937);
inline constexpr HRESULT VDS_E_VD_IS_BEING_DETACHED = vdsResult(0x80042938);
inline constexpr HRESULT VDS_E_NO_POOL = vdsResult(0x80042A00);
inline constexpr HRESULT VDS_E_NO_POOL_CREATED = vdsResult(0x80042A01);
inline constexpr HRESULT VDS_E_NO_MAINTENANCE_MODE = vdsResult(0x80042A02);
inline constexpr HRESULT VDS_E_BLOCK_CLUSTERED = vdsResult(0x80042A03);
inline constexpr HRESULT VDS_E_DISK_HAS_BANDS = vdsResult(0x80042A04);
inline constexpr HRESULT VDS_E_INVALID_STATE = vdsResult(0x80042A05);
inline constexpr HRESULT VDS_E_REFS_FORMAT_NOT_SUPPORTED = vdsResult(0x80042A06);
inline constexpr HRESULT VDS_E_DELETE_WITH_BOOTBACKING = vdsResult(0x80042A07);
inline constexpr HRESULT VDS_E_FORMAT_WITH_BOOTBACKING = vdsResult(0x80042A08);
inline constexpr HRESULT VDS_E_CLEAN_WITH_BOOTBACKING = vdsResult(0x80042A09);
inline constexpr HRESULT VDS_E_SHRINK_EXTEND_UNALIGNED = vdsResult(0x80042B00);
