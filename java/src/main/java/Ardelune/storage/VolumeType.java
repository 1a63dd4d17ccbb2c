package Ardelune.storage;

/** Layout of a volume (VDS_VOLUME_TYPE). */
public enum VolumeType implements Coded {
    UNKNOWN(0),
    SIMPLE(10),
    SPAN(11),
    STRIPE(12),
    MIRROR(13),
    PARITY(14);

    private final int code;

    VolumeType(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static VolumeType of(int code) {
        return Coded.of(VolumeType.class, code, UNKNOWN);
    }
}
