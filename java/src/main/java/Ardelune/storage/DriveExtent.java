package Ardelune.storage;

import java.util.UUID;

/** A stretch of a drive and the LUN that uses it; {@code size} in bytes (unsigned). */
public record DriveExtent(UUID drive, UUID lun, long size, boolean used) {
    static final RecordKind<DriveExtent> KIND = RecordKind.fixed(44, r -> new DriveExtent(
        r.id(0), r.id(16), r.uint64(32), r.uint8(40) != 0));
}
