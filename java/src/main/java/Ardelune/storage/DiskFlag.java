package Ardelune.storage;

import java.util.EnumSet;

/** Flags of a disk (VDS_DISK_FLAG). */
public enum DiskFlag implements Coded {
    AUDIO_CD(0x1),
    HOTSPARE(0x2),
    RESERVE_CAPABLE(0x4),
    MASKED(0x8),
    STYLE_CONVERTIBLE(0x10),
    CLUSTERED(0x20),
    READ_ONLY(0x40),
    SYSTEM_DISK(0x80),
    BOOT_DISK(0x100),
    PAGEFILE_DISK(0x200),
    HIBERNATIONFILE_DISK(0x400),
    CRASHDUMP_DISK(0x800),
    HAS_ARC_PATH(0x1000),
    DYNAMIC(0x2000),
    BOOT_FROM_DISK(0x4000),
    CURRENT_READ_ONLY(0x8000),
    REFS_NOT_SUPPORTED(0x10000);

    private final int code;

    DiskFlag(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The flags set in {@code bits}. */
    public static EnumSet<DiskFlag> of(int bits) {
        return Coded.flags(DiskFlag.class, bits);
    }
}
