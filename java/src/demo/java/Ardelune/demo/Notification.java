package Ardelune.demo;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/**
 * One 48-byte change notification as onNotify hands it over: the target type
 * at 0, the event at 8, and after the event the object it concerns. Service
 * notifications carry a recovery action there instead, and drive-letter ones
 * the letter, with the volume's identifier after it at 16.
 */
public record Notification(int type, int event, ObjectId objectId, int action, char letter) {
    public static final int LENGTH = 48;

    private static final int SERVICE = 200;
    private static final int DRIVE_LETTER = 61;

    public static Notification read(byte[] record) {
        if (record == null || record.length != LENGTH) {
            throw new IllegalArgumentException(
                "a notification record of " + (record == null ? 0 : record.length) + " bytes, not " + LENGTH);
        }
        ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
        int type = b.getInt(0);
        int event = b.getInt(8);
        return switch (type) {
            case SERVICE -> new Notification(type, event, null, b.getInt(12), '\0');
            case DRIVE_LETTER -> new Notification(type, event, ObjectId.read(record, 16), 0, b.getChar(12));
            default -> new Notification(type, event, ObjectId.read(record, 12), 0, '\0');
        };
    }

    /** E.g. "service: out of sync (refresh)" or "LUN: modify 50000000-...". */
    public String describe() {
        String what = Names.notificationTarget(type) + ": " + Names.notificationEvent(event);
        return switch (type) {
            case SERVICE -> what + " (" + Names.recoverAction(action) + ")";
            case DRIVE_LETTER -> what + " " + letter + ": on volume " + objectId;
            default -> what + " " + objectId;
        };
    }
}
