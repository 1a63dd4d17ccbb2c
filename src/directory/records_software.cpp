// Records of packs, disks, volumes, plexes, extents and partitions.

#include "directory/record_builder.h"
#include "directory/records.h"

using LengthField = RecordBuilder::LengthField;

void vdsWritePackRecord(VDS_PACK_PROP prop, RecordSink& out) {
    RecordBuilder record(kPackRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putInt32(20, prop.status);
    record.putUInt32(24, prop.ulFlags);
    record.takeText(28, prop.pwszName);
    record.writeInto(out);
}

void vdsWriteDiskRecord(VDS_DISK_PROP prop, RecordSink& out) {
    RecordBuilder record(kDiskRecordSize, LengthField::None);
    record.putGuid(0, prop.id);
    record.putInt32(16, prop.status);
    record.putInt32(20, prop.ReserveMode);
    record.putInt32(24, prop.health);
    record.putUInt32(28, prop.dwDeviceType);
    record.putUInt32(32, prop.dwMediaType);
    record.putUInt64(36, prop.ullSize);
    record.putUInt32(44, prop.ulBytesPerSector);
    record.putUInt32(48, prop.ulSectorsPerTrack);
    record.putUInt32(52, prop.ulTracksPerCylinder);
    record.putUInt32(56, prop.ulFlags);
    record.putInt32(60, prop.BusType);
    record.putInt32(64, prop.PartitionStyle);
    // The texts stay with the caller, which frees them after the record.
    record.writeInto(out);
}

void vdsWriteVolumeRecord(VDS_VOLUME_PROP prop, RecordSink& out) {
    RecordBuilder record(kVolumeRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putInt32(20, prop.type);
    record.putInt32(24, prop.status);
    record.putInt32(28, prop.health);
    record.putInt32(32, prop.TransitionState);
    record.putUInt64(36, prop.ullSize);
    record.putUInt32(44, prop.ulFlags);
    record.putInt32(48, prop.RecommendedFileSystemType);
    record.takeText(52, prop.pwszName);
    record.writeInto(out);
}

void vdsWriteVolumePlexRecord(VDS_VOLUME_PLEX_PROP prop, RecordSink& out) {
    RecordBuilder record(kVolumePlexRecordSize, LengthField::None);
    record.putGuid(0, prop.id);
    record.putInt32(16, prop.type);
    record.putInt32(20, prop.status);
    record.putInt32(24, prop.health);
    record.putInt32(28, prop.TransitionState);
    record.putUInt64(32, prop.ullSize);
    record.putUInt32(40, prop.ulStripeSize);
    record.putUInt32(44, prop.ulNumberOfMembers);
    record.writeInto(out);
}
