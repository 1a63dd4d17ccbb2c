package Ardelune.storage;

/** Status of a pack (VDS_PACK_STATUS). */
public enum PackStatus implements Coded {
    UNKNOWN(0),
    ONLINE(1),
    OFFLINE(4);

    private final int code;

    PackStatus(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static PackStatus of(int code) {
        return Coded.of(PackStatus.class, code, UNKNOWN);
    }
}
