package Ardelune.storage;

/** Status of a disk (VDS_DISK_STATUS). */
public enum DiskStatus implements Coded {
    UNKNOWN(0),
    ONLINE(1),
    NOT_READY(2),
    NO_MEDIA(3),
    OFFLINE(4),
    FAILED(5),
    MISSING(6);

    private final int code;

    DiskStatus(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static DiskStatus of(int code) {
        return Coded.of(DiskStatus.class, code, UNKNOWN);
    }
}
