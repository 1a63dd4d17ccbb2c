package Ardelune.storage;

import java.util.EnumSet;

/** Flags of a drive (VDS_DRIVE_FLAG). */
public enum DriveFlag implements Coded {
    HOT_SPARE(0x1),
    ASSIGNED(0x2),
    UNASSIGNED(0x4),
    HOT_SPARE_IN_USE(0x8),
    HOT_SPARE_STANDBY(0x10);

    private final int code;

    DriveFlag(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The flags set in {@code bits}. */
    public static EnumSet<DriveFlag> of(int bits) {
        return Coded.flags(DriveFlag.class, bits);
    }
}
