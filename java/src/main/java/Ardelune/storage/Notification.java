package Ardelune.storage;

import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.UUID;

/**
 * One change that the service reported. Every kind carries the target type
 * and the event number as VDS gives them; the records add the identifiers,
 * offsets and percentages that their kind of notification holds.
 */
public sealed interface Notification {
    /** The length of one notification as the library hands it over. */
    int LENGTH = 48;

    /** The VDS target type (VDS_NOTIFICATION_TARGET_TYPE). */
    int targetType();

    /** The VDS event number (VDS_NF_...). */
    int event();

    /** A pack arrived, departed or changed. */
    record PackChange(int event, UUID pack) implements Notification {
        public int targetType() {
            return 10;
        }
    }

    /** A volume changed; {@code percentCompleted} tells the progress of a rebuild. */
    record VolumeChange(int event, UUID volume, UUID plex, int percentCompleted) implements Notification {
        public int targetType() {
            return 11;
        }
    }

    /** A disk arrived, departed or changed. */
    record DiskChange(int event, UUID disk) implements Notification {
        public int targetType() {
            return 13;
        }
    }

    /** A partition at {@code offset} bytes on {@code disk} arrived, departed or changed. */
    record PartitionChange(int event, UUID disk, long offset) implements Notification {
        public int targetType() {
            return 60;
        }
    }

    /** A drive letter was assigned to or freed from {@code volume}. */
    record DriveLetterChange(int event, char letter, UUID volume) implements Notification {
        public int targetType() {
            return 61;
        }
    }

    /** A file system changed or is being formatted ({@code percentCompleted}). */
    record FileSystemChange(int event, UUID volume, int percentCompleted) implements Notification {
        public int targetType() {
            return 62;
        }
    }

    /** The folders that mount {@code volume} changed. */
    record MountPointChange(int event, UUID volume) implements Notification {
        public int targetType() {
            return 63;
        }
    }

    /**
     * A hardware object changed: a subsystem (30), controller (31), drive
     * (32), LUN (33), port (35), portal (36), target (37) or portal group (38).
     */
    record HardwareChange(int targetType, int event, UUID object) implements Notification {}

    /**
     * How far the rebuild of a LUN's {@code plex} has come. VDS has no event of
     * its own for it: the volume's rebuild event (7) is told with the LUN as target.
     */
    record LunRebuildProgress(int event, UUID lun, UUID plex, int percentCompleted) implements Notification {
        public int targetType() {
            return 33;
        }
    }

    /** The service itself: {@code action} says what a client should do (1 refresh, 2 restart). */
    record ServiceChange(int event, int action) implements Notification {
        public int targetType() {
            return 200;
        }
    }

    /** A notification of a kind this client does not know, kept whole. */
    record Unknown(int targetType, int event, byte[] bytes) implements Notification {}

    /** Decodes one 48-byte record; anything else is a {@link ProtocolException}. */
    static Notification read(byte[] record) {
        if (record == null || record.length != LENGTH) {
            throw new ProtocolException(null, 0, "a notification of " + (record == null ? 0 : record.length)
                + " bytes, not " + LENGTH);
        }
        ByteBuffer b = ByteBuffer.wrap(record).order(ByteOrder.LITTLE_ENDIAN);
        int type = b.getInt(0);
        int event = b.getInt(8);
        return switch (type) {
            case 10 -> new PackChange(event, Guids.read(record, 12));
            case 11 -> new VolumeChange(event, Guids.read(record, 12), Guids.read(record, 28), b.getInt(44));
            case 13 -> new DiskChange(event, Guids.read(record, 12));
            case 60 -> new PartitionChange(event, Guids.read(record, 12), b.getLong(32));
            case 61 -> new DriveLetterChange(event, b.getChar(12), Guids.read(record, 16));
            case 62 -> new FileSystemChange(event, Guids.read(record, 12), b.getInt(28));
            case 63 -> new MountPointChange(event, Guids.read(record, 12));
            case 33 -> event == 7
                ? new LunRebuildProgress(event, Guids.read(record, 12), Guids.read(record, 28), b.getInt(44))
                : new HardwareChange(type, event, Guids.read(record, 12));
            case 30, 31, 32, 35, 36, 37, 38 -> new HardwareChange(type, event, Guids.read(record, 12));
            case 200 -> new ServiceChange(event, b.getInt(12));
            default -> new Unknown(type, event, record.clone());
        };
    }
}
