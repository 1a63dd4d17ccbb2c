package Ardelune.storage;

import java.util.UUID;

/**
 * A stretch of a disk; {@code offset} and {@code size} in bytes (unsigned).
 * Volume and plex are the all-zero identifier for free space.
 */
public record DiskExtent(UUID disk, int type, long offset, long size, UUID volume, UUID plex, int memberIndex) {
    static final RecordKind<DiskExtent> KIND = RecordKind.fixed(72, r -> new DiskExtent(
        r.id(0), r.int32(16), r.uint64(20), r.uint64(28), r.id(36), r.id(52), r.int32(68)));
}
