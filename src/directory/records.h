// Writers that turn VDS property structures into the binary records of the
// replies. All fields are little-endian; identifiers are their 16 bytes in
// memory order; 64-bit values are unsigned, low half first.
//
// Records with texts start with their int32 total length and locate each
// narrow text by a TextRef. A text is stored without terminator; an absent or
// empty one has length 0 at the offset where it would have started. Texts too
// long for a TextRef are cut (see RecordBuilder).
//
// Each vdsWrite*Record writer writes its record once, into the room that the
// sink makes for it (a list appends it to its reply). vdsMakeRecord hands a
// record back in a block of its own instead.
//
// Text ownership: the writers that carry texts (provider, subsystem,
// controller, drive, LUN, pack, volume) free every text of the structure they
// are given with CoTaskMemFree, whether they carry it or not; the caller must
// not free them again. vdsWriteDiskRecord is the exception, see below.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "directory/record_builder.h"
#include "platform/com_types.h"
#include "platform/vds_types.h"
#include "protocol/framing.h"
#include "protocol/hex_dump.h"

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
void vdsWriteProviderRecord(VDS_PROVIDER_PROP prop, RecordSink& out);
void vdsWriteSubSystemRecord(VDS_SUB_SYSTEM_PROP prop, RecordSink& out);
void vdsWriteControllerRecord(VDS_CONTROLLER_PROP prop, RecordSink& out);
void vdsWriteDriveRecord(VDS_DRIVE_PROP prop, RecordSink& out);
void vdsWriteLunRecord(VDS_LUN_PROP prop, RecordSink& out);
void vdsWriteLunPlexRecord(VDS_LUN_PLEX_PROP prop, RecordSink& out);

// Writes one DriveExtentRecord at `at`, which holds kDriveExtentRecordSize
// bytes. Lists of extents run to many thousands: the record is written where
// it goes, field by field, its padding zeroed with the byte it follows.
inline void vdsWriteDriveExtentRecord(const VDS_DRIVE_EXTENT& extent, unsigned char* at) {
    static_assert(sizeof(GUID) == 16 && kDriveExtentRecordSize == 44);
    std::memcpy(at, &extent.id, sizeof(GUID));
    std::memcpy(at + 16, &extent.LunId, sizeof(GUID));
    vdsPutUInt64(at, extent.ullSize, 32);
    // The flag's one byte, then three zero bytes: one word, whole. (Built
    // as bytes in a scratch array, the word was read back before the byte
    // store had landed, a stall that cost more than the rest of the record.)
    vdsPutInt32(at, static_cast<int>(extent.bUsed & 0xFF), 40);
}

// Software objects.
void vdsWritePackRecord(VDS_PACK_PROP prop, RecordSink& out);
// Carries none of the disk's five texts and does NOT free them: the caller
// that obtained the properties frees pwszDiskAddress, pwszName,
// pwszFriendlyName, pwszAdaptorName and pwszDevicePath itself.
void vdsWriteDiskRecord(VDS_DISK_PROP prop, RecordSink& out);
void vdsWriteVolumeRecord(VDS_VOLUME_PROP prop, RecordSink& out);
void vdsWriteVolumePlexRecord(VDS_VOLUME_PLEX_PROP prop, RecordSink& out);
// Writes one DiskExtentRecord at `at`, which holds kDiskExtentRecordSize
// bytes: field by field, as the lists of a plex's extents run to many
// thousands.
inline void vdsWriteDiskExtentRecordAt(const VDS_DISK_EXTENT& extent, unsigned char* at) {
    static_assert(sizeof(GUID) == 16 && kDiskExtentRecordSize == 72);
    std::memcpy(at, &extent.diskId, sizeof(GUID));
    // Packed right after the type, without the structure's alignment gap.
    vdsPutInt32(at, extent.type, 16);
    vdsPutUInt64(at, extent.ullOffset, 20);
    vdsPutUInt64(at, extent.ullSize, 28);
    vdsPutInt32(at, static_cast<int>(extent.memberIdx), 68);
    std::memcpy(at + 36, &extent.volumeId, sizeof(GUID));
    std::memcpy(at + 52, &extent.plexId, sizeof(GUID));
}
// A partition's record and the line that logs its offset, for lists of
// partitions that run to many thousands: the record written where it goes
// (kPartitionRecordSize bytes at `at`), and the offset's log line
// "0x%08X%08X .............\n" (high half, then low half) formatted into
// `out`, kPartitionLineSize bytes without terminator.
inline void vdsWritePartitionRecordAt(const VDS_PARTITION_PROP& prop, unsigned char* at) {
    static_assert(kPartitionRecordSize == 28);
    vdsPutInt32(at, prop.PartitionStyle, 0);
    vdsPutInt32(at, static_cast<int>(prop.ulFlags), 4);
    vdsPutInt32(at, static_cast<int>(prop.ulPartitionNumber), 8);
    vdsPutUInt64(at, prop.ullOffset, 12);
    vdsPutUInt64(at, prop.ullSize, 20);
}

inline constexpr std::size_t kPartitionLineSize = 33;

inline void vdsFormatPartitionLine(std::uint64_t offset, char* out) {
    static constexpr char kLine[] = "0x0000000000000000 .............\n";
    static_assert(sizeof kLine - 1 == kPartitionLineSize);
    std::memcpy(out, kLine, kPartitionLineSize);
    vdsFormatHex64(offset, out + 2);
}

// The record that `write` makes of `prop`, in a new[] block that the caller
// frees with delete[]; its length is stored through `length`. Null (and
// length 0) if the block cannot be allocated.
template <typename Properties>
unsigned char* vdsMakeRecord(void (*write)(Properties, RecordSink&),
                             std::type_identity_t<Properties> prop, int* length) {
    struct Block final : RecordSink {
        unsigned char* block = nullptr;
        int length = 0;
        unsigned char* room(int n) override {
            block = new (std::nothrow) unsigned char[static_cast<std::size_t>(n)];
            length = block != nullptr ? n : 0;
            return block;
        }
    } out;
    write(prop, out);
    if (length != nullptr) *length = out.length;
    return out.block;
}
