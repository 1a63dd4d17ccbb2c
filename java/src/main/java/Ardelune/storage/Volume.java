package Ardelune.storage;

import java.util.EnumSet;
import java.util.UUID;

/** A volume of a pack; {@code size} in bytes (unsigned). */
public record Volume(UUID id, int type, int status, int health, int transitionState, long size, int flags,
                     int recommendedFileSystem, String name) implements Healthy {
    static final RecordKind<Volume> KIND = RecordKind.sized(56, r -> new Volume(
        r.id(4), r.int32(20), r.int32(24), r.int32(28), r.int32(32), r.uint64(36), r.int32(44), r.int32(48),
        r.text(52)));

    public EnumSet<VolumeFlag> flagSet() {
        return VolumeFlag.of(flags);
    }

    public VolumeType typeValue() {
        return VolumeType.of(type);
    }

    public VolumeStatus statusValue() {
        return VolumeStatus.of(status);
    }
}
