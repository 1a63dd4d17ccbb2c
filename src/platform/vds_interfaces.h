// Virtual Disk Service COM interfaces and their identifiers.
//
// Every interface lists all of its methods, also those that this library
// never calls, in the vtable order of the real service: a client calls by
// slot, so a missing or misplaced method would call the wrong code. The
// order follows the Win32 metadata and the VDS protocol's opnums.
//
// Text arguments that the service only reads are declared const and input
// arrays as pointers to const; that changes nothing in the calling sequence.
//
// With the Windows headers, GetObject is a macro (GetObjectA/GetObjectW) that
// renames IVdsService::GetObject in declaration and call alike; the slot
// stays the same.
#pragma once

#include "platform/com_types.h"
#include "platform/vds_types.h"

struct IVdsAdviseSink;
struct IVdsAsync;
struct IVdsController;
struct IVdsDrive;
struct IVdsLun;
struct IVdsPack;
struct IVdsProvider;
struct IVdsSubSystem;
struct IVdsVolume;

// ---------------------------------------------------------------------------
// Service, enumeration, asynchronous operations, notifications
// ---------------------------------------------------------------------------

struct IVdsServiceInitialization : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR pwszMachineName) = 0;
};

struct IEnumVdsObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IUnknown** ppObjectArray,
                                           ULONG* pcFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumVdsObject** ppEnum) = 0;
};

struct IVdsService : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE IsServiceReady() = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitForServiceReady() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_SERVICE_PROP* pServiceProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryProviders(DWORD masks, IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryMaskedDisks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryUnallocatedDisks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetObject(VDS_OBJECT_ID ObjectId, VDS_OBJECT_TYPE type,
                                                IUnknown** ppObjectUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDriveLetters(
        WCHAR wcFirstLetter, DWORD count, VDS_DRIVE_LETTER_PROP* pDriveLetterPropArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryFileSystemTypes(
        VDS_FILE_SYSTEM_TYPE_PROP** ppFileSystemTypeProps, LONG* plNumberOfFileSystems) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reenumerate() = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
    virtual HRESULT STDMETHODCALLTYPE CleanupObsoleteMountPoints() = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IVdsAdviseSink* pSink, DWORD* pdwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reboot() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
};

struct IVdsAsync : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Wait(HRESULT* pHrResult, VDS_ASYNC_OUTPUT* pAsyncOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryStatus(HRESULT* pHrResult,
                                                  ULONG* pulPercentCompleted) = 0;
};

struct IVdsAdviseSink : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnNotify(LONG lNumberOfNotifications,
                                               const VDS_NOTIFICATION* pNotificationArray) = 0;
};

// ---------------------------------------------------------------------------
// Providers
// ---------------------------------------------------------------------------

struct IVdsProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_PROVIDER_PROP* pProviderProp) = 0;
};

struct IVdsHwProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QuerySubSystems(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reenumerate() = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
};

struct IVdsSwProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryPacks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePack(IVdsPack** ppPack) = 0;
};

// ---------------------------------------------------------------------------
// Hardware objects
// ---------------------------------------------------------------------------

struct IVdsSubSystem : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_SUB_SYSTEM_PROP* pSubSystemProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** ppProvider) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryControllers(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryLuns(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDrives(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDrive(SHORT sBusNumber, SHORT sSlotNumber,
                                               IVdsDrive** ppDrive) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reenumerate() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetControllerStatus(
        const VDS_OBJECT_ID* pOnlineControllerIdArray, LONG lNumberOfOnlineControllers,
        const VDS_OBJECT_ID* pOfflineControllerIdArray, LONG lNumberOfOfflineControllers) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateLun(VDS_LUN_TYPE type, ULONGLONG ullSizeInBytes,
                                                const VDS_OBJECT_ID* pDriveIdArray,
                                                LONG lNumberOfDrives, LPCWSTR pwszUnmaskingList,
                                                const VDS_HINTS* pHints, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReplaceDrive(VDS_OBJECT_ID DriveToBeReplaced,
                                                   VDS_OBJECT_ID ReplacementDrive) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStatus(VDS_SUB_SYSTEM_STATUS status) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryMaxLunCreateSize(VDS_LUN_TYPE type,
                                                            const VDS_OBJECT_ID* pDriveIdArray,
                                                            LONG lNumberOfDrives,
                                                            const VDS_HINTS* pHints,
                                                            ULONGLONG* pullMaxLunSize) = 0;
};

struct IVdsController : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_CONTROLLER_PROP* pControllerProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem** ppSubSystem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPortProperties(SHORT sPortNumber,
                                                        VDS_PORT_PROP* pPortProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE FlushCache() = 0;
    virtual HRESULT STDMETHODCALLTYPE InvalidateCache() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryAssociatedLuns(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStatus(VDS_CONTROLLER_STATUS status) = 0;
};

struct IVdsDrive : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_DRIVE_PROP* pDriveProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem** ppSubSystem) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DRIVE_EXTENT** ppExtentArray,
                                                   LONG* plNumberOfExtents) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStatus(VDS_DRIVE_STATUS status) = 0;
};

// Offered by subsystems, controllers and drives.
struct IVdsMaintenance : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StartMaintenance(VDS_MAINTENANCE_OPERATION operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopMaintenance(VDS_MAINTENANCE_OPERATION operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE PulseMaintenance(VDS_MAINTENANCE_OPERATION operation,
                                                       ULONG ulCount) = 0;
};

struct IVdsLun : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_LUN_PROP* pLunProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSubSystem(IVdsSubSystem** ppSubSystem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIdentificationData(VDS_LUN_INFORMATION* pLunInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryActiveControllers(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE Extend(ULONGLONG ullNumberOfBytesToAdd,
                                             const VDS_OBJECT_ID* pDriveIdArray,
                                             LONG lNumberOfDrives, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Shrink(ULONGLONG ullNumberOfBytesToRemove,
                                             IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPlexes(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPlex(VDS_OBJECT_ID lunId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePlex(VDS_OBJECT_ID plexId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Recover(IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMask(LPCWSTR pwszUnmaskingList) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete() = 0;
    virtual HRESULT STDMETHODCALLTYPE AssociateControllers(
        const VDS_OBJECT_ID* pActiveControllerIdArray, LONG lNumberOfActiveControllers,
        const VDS_OBJECT_ID* pInactiveControllerIdArray, LONG lNumberOfInactiveControllers) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryHints(VDS_HINTS* pHints) = 0;
    virtual HRESULT STDMETHODCALLTYPE ApplyHints(const VDS_HINTS* pHints) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetStatus(VDS_LUN_STATUS status) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryMaxLunExtendSize(const VDS_OBJECT_ID* pDriveIdArray,
                                                            LONG lNumberOfDrives,
                                                            ULONGLONG* pullMaxBytesToBeAdded) = 0;
};

struct IVdsLunPlex : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_LUN_PLEX_PROP* pPlexProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLun(IVdsLun** ppLun) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DRIVE_EXTENT** ppExtentArray,
                                                   LONG* plNumberOfExtents) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryHints(VDS_HINTS* pHints) = 0;
    virtual HRESULT STDMETHODCALLTYPE ApplyHints(const VDS_HINTS* pHints) = 0;
};

// ---------------------------------------------------------------------------
// Software objects
// ---------------------------------------------------------------------------

struct IVdsPack : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_PACK_PROP* pPackProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** ppProvider) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryVolumes(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDisks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVolume(VDS_VOLUME_TYPE type,
                                                   const VDS_INPUT_DISK* pInputDiskArray,
                                                   LONG lNumberOfDisks, ULONG ulStripeSize,
                                                   IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddDisk(VDS_OBJECT_ID DiskId,
                                              VDS_PARTITION_STYLE PartitionStyle,
                                              BOOL bAsHotSpare) = 0;
    virtual HRESULT STDMETHODCALLTYPE MigrateDisks(const VDS_OBJECT_ID* pDiskArray,
                                                   LONG lNumberOfDisks, VDS_OBJECT_ID TargetPack,
                                                   BOOL bForce, BOOL bQueryOnly,
                                                   HRESULT* pResults, BOOL* pbRebootNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReplaceDisk(VDS_OBJECT_ID OldDiskId, VDS_OBJECT_ID NewDiskId,
                                                  IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveMissingDisk(VDS_OBJECT_ID DiskId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Recover(IVdsAsync** ppAsync) = 0;
};

struct IVdsDisk : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_DISK_PROP* pDiskProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** ppPack) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIdentificationData(VDS_LUN_INFORMATION* pLunInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** ppExtentArray,
                                                   LONG* plNumberOfExtents) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertStyle(VDS_PARTITION_STYLE NewStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
};

struct IVdsAdvancedDisk : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPartitionProperties(ULONGLONG ullOffset,
                                                             VDS_PARTITION_PROP* pPartitionProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPartitions(VDS_PARTITION_PROP** ppPartitionPropArray,
                                                      LONG* plNumberOfPartitions) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePartition(ULONGLONG ullOffset, ULONGLONG ullSize,
                                                      const CREATE_PARTITION_PARAMETERS* para,
                                                      IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeletePartition(ULONGLONG ullOffset, BOOL bForce,
                                                      BOOL bForceProtected) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangeAttributes(ULONGLONG ullOffset,
                                                       const CHANGE_ATTRIBUTES_PARAMETERS* para) = 0;
    virtual HRESULT STDMETHODCALLTYPE AssignDriveLetter(ULONGLONG ullOffset, WCHAR wcLetter) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteDriveLetter(ULONGLONG ullOffset, WCHAR wcLetter) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriveLetter(ULONGLONG ullOffset, WCHAR* pwcLetter) = 0;
    virtual HRESULT STDMETHODCALLTYPE FormatPartition(ULONGLONG ullOffset, VDS_FILE_SYSTEM_TYPE type,
                                                      LPCWSTR pwszLabel,
                                                      DWORD dwUnitAllocationSize, BOOL bForce,
                                                      BOOL bQuickFormat, BOOL bEnableCompression,
                                                      IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clean(BOOL bForce, BOOL bForceOEM, BOOL bFullClean,
                                            IVdsAsync** ppAsync) = 0;
};

struct IVdsVolume : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PROP* pVolumeProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** ppPack) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPlexes(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE Extend(const VDS_INPUT_DISK* pInputDiskArray,
                                             LONG lNumberOfDisks, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Shrink(ULONGLONG ullNumberOfBytesToRemove,
                                             IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPlex(VDS_OBJECT_ID VolumeId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE BreakPlex(VDS_OBJECT_ID plexId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePlex(VDS_OBJECT_ID plexId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete(BOOL bForce) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags, BOOL bRevertOnClose) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
};

struct IVdsVolumePlex : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PLEX_PROP* pPlexProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVolume(IVdsVolume** ppVolume) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** ppExtentArray,
                                                   LONG* plNumberOfExtents) = 0;
    virtual HRESULT STDMETHODCALLTYPE Repair(const VDS_INPUT_DISK* pInputDiskArray,
                                             LONG lNumberOfDisks, IVdsAsync** ppAsync) = 0;
};

// The file-system face of a volume.
struct IVdsVolumeMF : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetFileSystemProperties(
        VDS_FILE_SYSTEM_PROP* pFileSystemProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE Format(VDS_FILE_SYSTEM_TYPE type, LPCWSTR pwszLabel,
                                             DWORD dwUnitAllocationSize, BOOL bForce,
                                             BOOL bQuickFormat, BOOL bEnableCompression,
                                             IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAccessPath(LPCWSTR pwszPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryAccessPaths(LPWSTR** pwszPathArray,
                                                       LONG* plNumberOfAccessPaths) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryReparsePoints(
        VDS_REPARSE_POINT_PROP** ppReparsePointProps, LONG* plNumberOfReparsePointProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAccessPath(LPCWSTR pwszPath, BOOL bForce) = 0;
    virtual HRESULT STDMETHODCALLTYPE Mount() = 0;
    virtual HRESULT STDMETHODCALLTYPE Dismount(BOOL bForce, BOOL bPermanent) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFileSystemFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFileSystemFlags(ULONG ulFlags) = 0;
};

// ---------------------------------------------------------------------------
// Class and interface identifiers
// ---------------------------------------------------------------------------

inline constexpr CLSID CLSID_VdsService = {
    0x7D1933CB, 0x86F6, 0x4A98, {0x86, 0x28, 0x01, 0xBE, 0x94, 0xC9, 0xA5, 0x75}};
inline constexpr CLSID CLSID_VdsLoader = {
    0x9C38ED61, 0xD565, 0x4728, {0xAE, 0xEE, 0xC8, 0x09, 0x52, 0xF0, 0xEC, 0xDE}};

inline constexpr IID IID_IVdsServiceLoader = {
    0xE0393303, 0x90D4, 0x4A97, {0xAB, 0x71, 0xE9, 0xB6, 0x71, 0xEE, 0x27, 0x29}};
inline constexpr IID IID_IVdsServiceInitialization = {
    0x4AFC3636, 0xDB01, 0x4052, {0x80, 0xC3, 0x03, 0xBB, 0xCB, 0x8D, 0x3C, 0x69}};
inline constexpr IID IID_IVdsService = {
    0x0818A8EF, 0x9BA9, 0x40D8, {0xA6, 0xF9, 0xE2, 0x28, 0x33, 0xCC, 0x77, 0x1E}};
inline constexpr IID IID_IEnumVdsObject = {
    0x118610B7, 0x8D94, 0x4030, {0xB5, 0xB8, 0x50, 0x08, 0x89, 0x78, 0x8E, 0x4E}};
inline constexpr IID IID_IVdsAsync = {
    0xD5D23B6D, 0x5A55, 0x4492, {0x98, 0x89, 0x39, 0x7A, 0x3C, 0x2D, 0x2D, 0xBC}};
inline constexpr IID IID_IVdsAdviseSink = {
    0x8326CD1D, 0xCF59, 0x4936, {0xB7, 0x86, 0x5E, 0xFC, 0x08, 0x79, 0x8E, 0x25}};
inline constexpr IID IID_IVdsProvider = {
    0x10C5E575, 0x7984, 0x4E81, {0xA5, 0x6B, 0x43, 0x1F, 0x5F, 0x92, 0xAE, 0x42}};
inline constexpr IID IID_IVdsHwProvider = {
    0xD99BDAAE, 0xB13A, 0x4178, {0x9F, 0xDB, 0xE2, 0x7F, 0x16, 0xB4, 0x60, 0x3E}};
inline constexpr IID IID_IVdsSwProvider = {
    0x9AA58360, 0xCE33, 0x4F92, {0xB6, 0x58, 0xED, 0x24, 0xB1, 0x44, 0x25, 0xB8}};
inline constexpr IID IID_IVdsSubSystem = {
    0x6FCEE2D3, 0x6D90, 0x4F91, {0x80, 0xE2, 0xA5, 0xC7, 0xCA, 0xAC, 0xA9, 0xD8}};
inline constexpr IID IID_IVdsController = {
    0xCB53D96E, 0xDFFB, 0x474A, {0xA0, 0x78, 0x79, 0x0D, 0x1E, 0x2B, 0xC0, 0x82}};
inline constexpr IID IID_IVdsDrive = {
    0xFF24EFA4, 0xAADE, 0x4B6B, {0x89, 0x8B, 0xEA, 0xA6, 0xA2, 0x08, 0x87, 0xC7}};
inline constexpr IID IID_IVdsMaintenance = {
    0xDAEBEEF3, 0x8523, 0x47ED, {0xA2, 0xB9, 0x05, 0xCE, 0xCC, 0xE2, 0xA1, 0xAE}};
inline constexpr IID IID_IVdsLun = {
    0x3540A9C7, 0xE60F, 0x4111, {0xA8, 0x40, 0x8B, 0xBA, 0x6C, 0x2C, 0x83, 0xD8}};
inline constexpr IID IID_IVdsLunPlex = {
    0x0EE1A790, 0x5D2E, 0x4ABB, {0x8C, 0x99, 0xC4, 0x81, 0xE8, 0xBE, 0x21, 0x38}};
inline constexpr IID IID_IVdsPack = {
    0x3B69D7F5, 0x9D94, 0x4648, {0x91, 0xCA, 0x79, 0x93, 0x9B, 0xA2, 0x63, 0xBF}};
inline constexpr IID IID_IVdsDisk = {
    0x07E5C822, 0xF00C, 0x47A1, {0x8F, 0xCE, 0xB2, 0x44, 0xDA, 0x56, 0xFD, 0x06}};
inline constexpr IID IID_IVdsAdvancedDisk = {
    0x6E6F6B40, 0x977C, 0x4069, {0xBD, 0xDD, 0xAC, 0x71, 0x00, 0x59, 0xF8, 0xC0}};
inline constexpr IID IID_IVdsVolume = {
    0x88306BB2, 0xE71F, 0x478C, {0x86, 0xA2, 0x79, 0xDA, 0x20, 0x0A, 0x0F, 0x11}};
inline constexpr IID IID_IVdsVolumePlex = {
    0x4DAA0135, 0xE1D1, 0x40F1, {0xAA, 0xA5, 0x3C, 0xC1, 0xE5, 0x32, 0x21, 0xC3}};
inline constexpr IID IID_IVdsVolumeMF = {
    0xEE2D5DED, 0x6236, 0x4169, {0x93, 0x1D, 0xB9, 0x77, 0x8C, 0xE0, 0x3D, 0xC6}};

// The identifier of an interface type, for typed QueryInterface helpers:
// vdsIidOf<IVdsLun>() is IID_IVdsLun.
template <typename I>
struct VdsInterfaceId;

#define TOLVANE_VDS_IID(I)                            \
    template <>                                       \
    struct VdsInterfaceId<I> {                        \
        static constexpr const IID& value = IID_##I;  \
    }
TOLVANE_VDS_IID(IVdsServiceInitialization);
TOLVANE_VDS_IID(IVdsService);
TOLVANE_VDS_IID(IEnumVdsObject);
TOLVANE_VDS_IID(IVdsAsync);
TOLVANE_VDS_IID(IVdsAdviseSink);
TOLVANE_VDS_IID(IVdsProvider);
TOLVANE_VDS_IID(IVdsHwProvider);
TOLVANE_VDS_IID(IVdsSwProvider);
TOLVANE_VDS_IID(IVdsSubSystem);
TOLVANE_VDS_IID(IVdsController);
TOLVANE_VDS_IID(IVdsDrive);
TOLVANE_VDS_IID(IVdsMaintenance);
TOLVANE_VDS_IID(IVdsLun);
TOLVANE_VDS_IID(IVdsLunPlex);
TOLVANE_VDS_IID(IVdsPack);
TOLVANE_VDS_IID(IVdsDisk);
TOLVANE_VDS_IID(IVdsAdvancedDisk);
TOLVANE_VDS_IID(IVdsVolume);
TOLVANE_VDS_IID(IVdsVolumePlex);
TOLVANE_VDS_IID(IVdsVolumeMF);
#undef TOLVANE_VDS_IID

template <typename I>
constexpr const IID& vdsIidOf() {
    return VdsInterfaceId<I>::value;
}
