package Ardelune.storage;

import java.util.UUID;

/**
 * One disk that a volume is built or grown on: how many bytes (unsigned) to
 * take from it and, for a mirror, the plex and member it belongs to (the
 * all-zero identifier and 0 when there is none).
 */
public record InputDisk(UUID disk, long size, UUID plex, int memberIndex) {
    static final int LENGTH = 48;
    private static final UUID NONE = new UUID(0, 0);

    /** {@code size} bytes of {@code disk}, outside any plex. */
    public static InputDisk of(UUID disk, long size) {
        return new InputDisk(disk, size, NONE, 0);
    }

    void write(Request request, int at) {
        request.id(at, disk).int64(at + 16, size).id(at + 24, plex).int32(at + 40, memberIndex).int32(at + 44, 0);
    }
}
