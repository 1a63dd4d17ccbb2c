package Ardelune.storage;

import java.util.UUID;

/** A LUN of a subsystem; {@code size} in bytes (unsigned). */
public record Lun(UUID id, long size, int flags, int type, int status, int health, int transitionState,
                  int rebuildPriority, String friendlyName, String identification, String unmaskingList) implements Healthy {
    static final RecordKind<Lun> KIND = RecordKind.sized(56, r -> new Lun(
        r.id(4), r.uint64(20), r.int32(28), r.int16(32), r.int16(36), r.int16(38), r.int16(40), r.int16(42),
        r.text(44), r.text(48), r.text(52)));

    public LunType typeValue() {
        return LunType.of(type);
    }

    public HardwareStatus statusValue() {
        return HardwareStatus.of(status);
    }
}
