package Ardelune.storage;

/** Kind of a VDS provider (VDS_PROVIDER_TYPE). */
public enum ProviderType implements Coded {
    UNKNOWN(0),
    SOFTWARE(1),
    HARDWARE(2),
    VIRTUAL_DISK(3);

    private final int code;

    ProviderType(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static ProviderType of(int code) {
        return Coded.of(ProviderType.class, code, UNKNOWN);
    }
}
