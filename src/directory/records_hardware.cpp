// Records of providers and hardware objects.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "directory/record_builder.h"
#include "directory/records.h"
#include "protocol/framing.h"

using LengthField = RecordBuilder::LengthField;

void vdsWriteProviderRecord(VDS_PROVIDER_PROP prop, RecordSink& out) {
    RecordBuilder record(kProviderRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putGuid(20, prop.guidVersionId);
    record.putInt32(36, prop.type);
    record.putUInt32(40, prop.ulFlags);
    record.putUInt32(44, prop.ulStripeSizeFlags);
    // The only priority that the record widens: the reader expects -1 as
    // FF FF FF FF here.
    record.putInt32(48, prop.sRebuildPriority);
    record.takeText(52, prop.pwszName);
    record.takeText(56, prop.pwszVersion);
    record.writeInto(out);
}

void vdsWriteSubSystemRecord(VDS_SUB_SYSTEM_PROP prop, RecordSink& out) {
    RecordBuilder record(kSubSystemRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putUInt32(20, prop.ulFlags);
    record.putUInt32(24, prop.ulStripeSizeFlags);
    record.putInt16(28, prop.status);
    record.putInt16(30, prop.health);
    record.putInt16(32, prop.sNumberOfInternalBuses);
    record.putInt16(34, prop.sMaxNumberOfSlotsEachBus);
    record.putInt16(36, prop.sMaxNumberOfControllers);
    record.putInt16(38, prop.sRebuildPriority);
    record.takeText(40, prop.pwszFriendlyName);
    record.takeText(44, prop.pwszIdentification);
    record.writeInto(out);
}

void vdsWriteControllerRecord(VDS_CONTROLLER_PROP prop, RecordSink& out) {
    RecordBuilder record(kControllerRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putInt16(20, prop.status);
    record.putInt16(24, prop.health);
    record.putInt16(26, prop.sNumberOfPorts);
    record.takeText(28, prop.pwszFriendlyName);
    record.takeText(32, prop.pwszIdentification);
    record.writeInto(out);
}

void vdsWriteDriveRecord(VDS_DRIVE_PROP prop, RecordSink& out) {
    RecordBuilder record(kDriveRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putUInt64(20, prop.ullSize);
    record.putUInt32(28, prop.ulFlags);
    record.putInt16(32, prop.status);
    record.putInt16(34, prop.health);
    record.putInt16(36, prop.sInternalBusNumber);
    record.putInt16(38, prop.sSlotNumber);
    record.takeText(40, prop.pwszFriendlyName);
    record.takeText(44, prop.pwszIdentification);
    record.writeInto(out);
}

void vdsWriteLunRecord(VDS_LUN_PROP prop, RecordSink& out) {
    RecordBuilder record(kLunRecordFixed, LengthField::AtStart);
    record.putGuid(4, prop.id);
    record.putUInt64(20, prop.ullSize);
    record.putUInt32(28, prop.ulFlags);
    record.putInt16(32, prop.type);
    record.putInt16(36, prop.status);
    record.putInt16(38, prop.health);
    record.putInt16(40, prop.TransitionState);
    record.putInt16(42, prop.sRebuildPriority);
    record.takeText(44, prop.pwszFriendlyName);
    record.takeText(48, prop.pwszIdentification);
    record.takeText(52, prop.pwszUnmaskingList);
    record.writeInto(out);
}

void vdsWriteLunPlexRecord(VDS_LUN_PLEX_PROP prop, RecordSink& out) {
    RecordBuilder record(kLunPlexRecordSize, LengthField::None);
    record.putGuid(0, prop.id);
    record.putUInt64(16, prop.ullSize);
    // The reader expects the stripe size first, unlike the VDS structure.
    record.putUInt32(24, prop.ulStripeSize);
    record.putUInt32(28, prop.ulFlags);
    record.putInt16(32, prop.type);
    record.putInt16(36, prop.status);
    record.putInt16(38, prop.health);
    record.putInt16(40, prop.TransitionState);
    record.putInt16(42, prop.sRebuildPriority);
    record.writeInto(out);
}
