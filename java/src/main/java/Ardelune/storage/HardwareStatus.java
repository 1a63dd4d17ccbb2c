package Ardelune.storage;

/** Status of a subsystem, controller, drive, LUN or LUN plex; they share these numbers. */
public enum HardwareStatus implements Coded {
    UNKNOWN(0),
    ONLINE(1),
    NOT_READY(2),
    OFFLINE(4),
    FAILED(5),
    REMOVED(8),
    PARTIALLY_MANAGED(9);

    private final int code;

    HardwareStatus(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static HardwareStatus of(int code) {
        return Coded.of(HardwareStatus.class, code, UNKNOWN);
    }
}
