package Ardelune.storage;

/** Partitioning scheme of a disk (VDS_PARTITION_STYLE). */
public enum PartitionStyle implements Coded {
    UNKNOWN(0),
    MBR(1),
    GPT(2);

    private final int code;

    PartitionStyle(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static PartitionStyle of(int code) {
        return Coded.of(PartitionStyle.class, code, UNKNOWN);
    }
}
