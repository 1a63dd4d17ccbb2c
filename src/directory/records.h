// Writers that turn VDS property structures into the binary records of the
// replies. All fields are little-endian; identifiers are their 16 bytes in
// memory order; 64-bit values are unsigned, low half first.
//
// Records with texts start with their int32 total length and locate each
// narrow text by a TextRef. A text is stored without terminator; an absent or
// empty one has length 0 at the offset where it would have started. Texts too
// long for a TextRef are cut (see RecordBuilder).
//
// Each vdsMake*Record writer returns a block allocated with new[] that the
// caller copies into its reply and frees with delete[]; the record's length is
// stored through `length`. If the block cannot be allocated the writer
// returns null and stores 0.
//
// Text ownership: the writers that carry texts (provider, subsystem,
// controller, drive, LUN, pack, volume) free every text of the structure they
// are given with CoTaskMemFree, whether they carry it or not; the caller must
// not free them again. vdsMakeDiskRecord is the exception, see below.
#pragma once

#include "platform/com_types.h"
#include "platform/vds_types.h"

// Fixed parts (records with texts) and whole sizes (fixed-length records).
inline constexpr int kProviderRecordFixed = 60;
inline constexpr int kSubSystemRecordFixed = 48;
inline constexpr int kControllerRecordFixed = 36;
inline constexpr int kDriveRecordFixed = 48;
inline constexpr int kLunRecordFixed = 56;
inline constexpr int kLunPlexRecordSize = 44;
inline constexpr int kDriveExtentRecordSize = 44;
inline constexpr int kPackRecordFixed = 32;
inline constexpr int kDiskRecordSize = 68;
inline constexpr int kVolumeRecordFixed = 56;
inline constexpr int kVolumePlexRecordSize = 48;
inline constexpr int kDiskExtentRecordSize = 72;
inline constexpr int kPartitionRecordSize = 28;

// Hardware objects.
unsigned char* vdsMakeProviderRecord(VDS_PROVIDER_PROP prop, int* length);
unsigned char* vdsMakeSubSystemRecord(VDS_SUB_SYSTEM_PROP prop, int* length);
unsigned char* vdsMakeControllerRecord(VDS_CONTROLLER_PROP prop, int* length);
unsigned char* vdsMakeDriveRecord(VDS_DRIVE_PROP prop, int* length);
unsigned char* vdsMakeLunRecord(VDS_LUN_PROP prop, int* length);
unsigned char* vdsMakeLunPlexRecord(VDS_LUN_PLEX_PROP prop, int* length);

// Writes `count` DriveExtentRecords back to back into `dst`, which holds
// count * kDriveExtentRecordSize bytes. The extent array stays the caller's.
void vdsWriteDriveExtentRecords(const VDS_DRIVE_EXTENT* extents, LONG count, unsigned char* dst);

// Software objects.
unsigned char* vdsMakePackRecord(VDS_PACK_PROP prop, int* length);
// Carries none of the disk's five texts and does NOT free them: the caller
// that obtained the properties frees pwszDiskAddress, pwszName,
// pwszFriendlyName, pwszAdaptorName and pwszDevicePath itself.
unsigned char* vdsMakeDiskRecord(VDS_DISK_PROP prop, int* length);
unsigned char* vdsMakeVolumeRecord(VDS_VOLUME_PROP prop, int* length);
unsigned char* vdsMakeVolumePlexRecord(VDS_VOLUME_PLEX_PROP prop, int* length);
unsigned char* vdsMakeDiskExtentRecord(VDS_DISK_EXTENT extent, int* length);
// Also logs the partition's offset as one 16-digit hexadecimal number.
unsigned char* vdsMakePartitionRecord(VDS_PARTITION_PROP prop, int* length);
