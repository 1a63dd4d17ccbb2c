package Ardelune.storage;

import java.util.EnumSet;
import java.util.UUID;

/** A physical drive of a subsystem; {@code size} in bytes (unsigned). */
public record Drive(UUID id, long size, int flags, int status, int health, int bus, int slot,
                    String friendlyName, String identification) implements Healthy {
    static final int FIXED_PART = 48;
    static final RecordKind<Drive> KIND = RecordKind.sized(FIXED_PART, r -> new Drive(
        r.id(4), r.uint64(20), r.int32(28), r.int16(32), r.int16(34), r.int16(36), r.int16(38), r.text(40),
        r.text(44)));

    public EnumSet<DriveFlag> flagSet() {
        return DriveFlag.of(flags);
    }

    public HardwareStatus statusValue() {
        return HardwareStatus.of(status);
    }
}
