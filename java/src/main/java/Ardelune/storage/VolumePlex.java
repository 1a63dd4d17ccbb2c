package Ardelune.storage;

import java.util.UUID;

/** A plex of a volume; {@code size} in bytes (unsigned). */
public record VolumePlex(UUID id, int type, int status, int health, int transitionState, long size,
                         int stripeSize, int members) implements Healthy {
    static final RecordKind<VolumePlex> KIND = RecordKind.fixed(48, r -> new VolumePlex(
        r.id(0), r.int32(16), r.int32(20), r.int32(24), r.int32(28), r.uint64(32), r.int32(40), r.int32(44)));

    public VolumeType typeValue() {
        return VolumeType.of(type);
    }

    public VolumeStatus statusValue() {
        return VolumeStatus.of(status);
    }
}
