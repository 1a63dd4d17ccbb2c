package Ardelune.storage;

/** Status of a volume or volume plex (VDS_VOLUME_STATUS). */
public enum VolumeStatus implements Coded {
    UNKNOWN(0),
    ONLINE(1),
    NO_MEDIA(3),
    OFFLINE(4),
    FAILED(5);

    private final int code;

    VolumeStatus(int code) {
        this.code = code;
    }

    @Override
    public int code() {
        return code;
    }

    /** The constant for {@code code}; {@link #UNKNOWN} for a value without a name here. */
    public static VolumeStatus of(int code) {
        return Coded.of(VolumeStatus.class, code, UNKNOWN);
    }
}
