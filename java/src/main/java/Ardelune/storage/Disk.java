package Ardelune.storage;

import java.util.EnumSet;
import java.util.UUID;

/** A disk of a pack; {@code size} in bytes (unsigned). */
public record Disk(UUID id, int status, int reserveMode, int health, int deviceType, int mediaType, long size,
                   int bytesPerSector, int sectorsPerTrack, int tracksPerCylinder, int flags, int busType,
                   int partitionStyle) implements Healthy {
    static final RecordKind<Disk> KIND = RecordKind.fixed(68, r -> new Disk(
        r.id(0), r.int32(16), r.int32(20), r.int32(24), r.int32(28), r.int32(32), r.uint64(36), r.int32(44),
        r.int32(48), r.int32(52), r.int32(56), r.int32(60), r.int32(64)));

    public EnumSet<DiskFlag> flagSet() {
        return DiskFlag.of(flags);
    }

    public DiskStatus statusValue() {
        return DiskStatus.of(status);
    }


    public PartitionStyle partitionStyleValue() {
        return PartitionStyle.of(partitionStyle);
    }
}
