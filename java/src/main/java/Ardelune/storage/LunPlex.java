package Ardelune.storage;

import java.util.UUID;

/** A plex of a LUN; {@code size} in bytes (unsigned). */
public record LunPlex(UUID id, long size, int stripeSize, int flags, int type, int status, int health,
                      int transitionState, int rebuildPriority) implements Healthy {
    static final RecordKind<LunPlex> KIND = RecordKind.fixed(44, r -> new LunPlex(
        r.id(0), r.uint64(16), r.int32(24), r.int32(28), r.int16(32), r.int16(36), r.int16(38), r.int16(40),
        r.int16(42)));

    public LunType typeValue() {
        return LunType.of(type);
    }

    public HardwareStatus statusValue() {
        return HardwareStatus.of(status);
    }
}
