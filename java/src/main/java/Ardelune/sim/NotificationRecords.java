package Ardelune.sim;

import Ardelune.storage.Notification;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.List;
import java.util.Objects;
import java.util.UUID;

/**
 * The client's notifications as the service's 48-byte VDS_NOTIFICATION
 * records: the target type at 0, the event at 8, then what the kind holds,
 * where the client reads it back.
 */
final class NotificationRecords {
    private NotificationRecords() {}

    static byte[] of(List<? extends Notification> notifications) {
        ByteBuffer all = ByteBuffer.allocate(notifications.size() * Notification.LENGTH);
        for (int i = 0; i < notifications.size(); i++) {
            all.put(i * Notification.LENGTH, of(Objects.requireNonNull(notifications.get(i), "notification")));
        }
        return all.array();
    }

    static byte[] of(Notification n) {
        if (n instanceof Notification.Unknown u) {
            if (u.bytes() == null || u.bytes().length != Notification.LENGTH) {
                throw new IllegalArgumentException("an unknown notification must hold " + Notification.LENGTH
                    + " bytes");
            }
            return u.bytes().clone();
        }
        ByteBuffer b = ByteBuffer.allocate(Notification.LENGTH).order(ByteOrder.LITTLE_ENDIAN);
        b.putInt(0, n.targetType()).putInt(8, n.event());
        if (n instanceof Notification.PackChange p) {
            GuidBytes.put(b, 12, p.pack());
        } else if (n instanceof Notification.VolumeChange v) {
            progress(b, v.volume(), v.plex(), v.percentCompleted());
        } else if (n instanceof Notification.DiskChange d) {
            GuidBytes.put(b, 12, d.disk());
        } else if (n instanceof Notification.PartitionChange p) {
            GuidBytes.put(b, 12, p.disk());
            b.putLong(32, p.offset());
        } else if (n instanceof Notification.DriveLetterChange l) {
            b.putChar(12, l.letter());
            GuidBytes.put(b, 16, l.volume());
        } else if (n instanceof Notification.FileSystemChange f) {
            GuidBytes.put(b, 12, f.volume());
            b.putInt(28, f.percentCompleted());
        } else if (n instanceof Notification.MountPointChange m) {
            GuidBytes.put(b, 12, m.volume());
        } else if (n instanceof Notification.HardwareChange h) {
            GuidBytes.put(b, 12, h.object());
        } else if (n instanceof Notification.LunRebuildProgress r) {
            progress(b, r.lun(), r.plex(), r.percentCompleted());
        } else if (n instanceof Notification.ServiceChange s) {
            b.putInt(12, s.action());
        }
        return b.array();
    }

    /** A volume's or LUN's rebuild: the object, its plex and how far it has come. */
    private static void progress(ByteBuffer b, UUID object, UUID plex, int percent) {
        GuidBytes.put(b, 12, object);
        GuidBytes.put(b, 28, plex);
        b.putInt(44, percent);
    }
}
