package Ardelune.storage;

import java.util.EnumSet;

/**
 * How a LUN is meant to be used (VDS_HINTS): which hints apply
 * ({@code hintMask}), sizes in bytes, and the boolean hints as flags.
 */
public record LunHints(long hintMask, long expectedMaximumSize, int optimalReadSize, int optimalReadAlignment,
                       int optimalWriteSize, int optimalWriteAlignment, int maximumDriveCount, int stripeSize,
                       int rebuildPriority, EnumSet<Flag> flags) {
    static final int LENGTH = 52;
    private static final int FLAGS_AT = 42;

    /** The boolean hints, in their order on the wire. */
    public enum Flag {
        FAST_CRASH_RECOVERY_REQUIRED,
        MOSTLY_READS,
        OPTIMIZE_FOR_SEQUENTIAL_READS,
        OPTIMIZE_FOR_SEQUENTIAL_WRITES,
        REMAP_ENABLED,
        READ_BACK_VERIFY_ENABLED,
        WRITE_THROUGH_CACHING_ENABLED,
        HARDWARE_CHECKSUM_ENABLED,
        IS_YANKABLE
    }

    /** Hints that ask for nothing: an empty mask. */
    public static LunHints none() {
        return new LunHints(0, 0, 0, 0, 0, 0, 0, 0, 0, EnumSet.noneOf(Flag.class));
    }

    public LunHints {
        flags = EnumSet.copyOf(flags);
    }

    @Override
    public EnumSet<Flag> flags() {
        return EnumSet.copyOf(flags);
    }

    static LunHints read(RecordReader r) {
        EnumSet<Flag> set = EnumSet.noneOf(Flag.class);
        for (Flag f : Flag.values()) {
            if (r.uint8(FLAGS_AT + f.ordinal()) != 0) set.add(f);
        }
        return new LunHints(r.uint64(0), r.uint64(8), r.int32(16), r.int32(20), r.int32(24), r.int32(28),
            r.int32(32), r.int32(36), r.int16(40), set);
    }

    void write(Request request, int at) {
        request.int64(at, hintMask).int64(at + 8, expectedMaximumSize).int32(at + 16, optimalReadSize)
            .int32(at + 20, optimalReadAlignment).int32(at + 24, optimalWriteSize)
            .int32(at + 28, optimalWriteAlignment).int32(at + 32, maximumDriveCount).int32(at + 36, stripeSize)
            .int16(at + 40, rebuildPriority);
        for (Flag f : Flag.values()) request.int8(at + FLAGS_AT + f.ordinal(), flags.contains(f) ? 1 : 0);
        request.int8(at + LENGTH - 1, 0);
    }
}
