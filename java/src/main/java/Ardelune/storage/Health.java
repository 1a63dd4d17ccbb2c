package Ardelune.storage;

/** Health of a VDS object (VDS_HEALTH). */
public enum Health implements Coded {
    UNKNOWN(0),
    HEALTHY(1),
    REBUILDING(2),
    STALE(3),
    FAILING(4),
    FAILING_REDUNDANCY(5),
    FAILED_REDUNDANCY(6),
    FAILED_REDUNDANCY_FAILING(7),
    FAILED(8),
    REPLACED(9),
    PENDING_FAILURE(10),
    DEGRADED(11);

    private final int code;

    Health(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static Health of(int code) {
        return Coded.of(Health.class, code, UNKNOWN);
    }
}
