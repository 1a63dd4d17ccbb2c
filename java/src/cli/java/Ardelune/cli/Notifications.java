package Ardelune.cli;

import Ardelune.storage.Notification;
import java.util.HexFormat;
import java.util.LinkedHashMap;
import java.util.Map;

/** A notification as fields: what it is about, what happened, and what it carries. */
final class Notifications {
    private Notifications() {}

    private static final Map<Integer, String> TARGETS = Map.ofEntries(
        Map.entry(10, "pack"), Map.entry(11, "volume"), Map.entry(13, "disk"), Map.entry(30, "subsystem"),
        Map.entry(31, "controller"), Map.entry(32, "drive"), Map.entry(33, "lun"), Map.entry(35, "port"),
        Map.entry(36, "portal"), Map.entry(37, "target"), Map.entry(38, "portal-group"),
        Map.entry(60, "partition"), Map.entry(61, "drive-letter"), Map.entry(62, "file-system"),
        Map.entry(63, "mount-point"), Map.entry(200, "service"));

    // The VDS_NF_ event numbers; the target already says what arrived or changed.
    private static final Map<Integer, String> EVENTS = Map.ofEntries(
        Map.entry(1, "arrive"), Map.entry(2, "depart"), Map.entry(3, "modify"),
        Map.entry(4, "arrive"), Map.entry(5, "depart"), Map.entry(6, "modify"), Map.entry(7, "rebuilding-progress"),
        Map.entry(8, "arrive"), Map.entry(9, "depart"), Map.entry(10, "modify"),
        Map.entry(11, "arrive"), Map.entry(12, "depart"), Map.entry(13, "modify"),
        Map.entry(101, "arrive"), Map.entry(102, "depart"), Map.entry(151, "modify"),
        Map.entry(103, "arrive"), Map.entry(104, "depart"), Map.entry(350, "modify"), Map.entry(351, "removed"),
        Map.entry(105, "arrive"), Map.entry(106, "depart"), Map.entry(107, "modify"), Map.entry(354, "removed"),
        Map.entry(108, "arrive"), Map.entry(109, "depart"), Map.entry(110, "modify"),
        Map.entry(121, "arrive"), Map.entry(122, "depart"), Map.entry(352, "modify"), Map.entry(353, "removed"),
        Map.entry(123, "arrive"), Map.entry(124, "depart"), Map.entry(125, "modify"),
        Map.entry(126, "arrive"), Map.entry(127, "depart"), Map.entry(128, "modify"),
        Map.entry(129, "arrive"), Map.entry(130, "depart"), Map.entry(131, "modify"),
        Map.entry(201, "free"), Map.entry(202, "assign"), Map.entry(203, "modify"),
        Map.entry(204, "format-progress"), Map.entry(205, "change"), Map.entry(206, "shrinking-progress"),
        Map.entry(301, "out-of-sync"));

    static Map<String, Object> fields(Notification n) {
        Map<String, Object> f = new LinkedHashMap<>();
        f.put("target", TARGETS.getOrDefault(n.targetType(), Integer.toString(n.targetType())));
        f.put("event", EVENTS.getOrDefault(n.event(), Integer.toString(n.event())));
        f.put("targetType", n.targetType());
        f.put("eventCode", n.event());
        if (n instanceof Notification.PackChange c) {
            f.put("pack", c.pack());
        } else if (n instanceof Notification.VolumeChange c) {
            f.put("volume", c.volume());
            f.put("plex", c.plex());
            f.put("percentCompleted", c.percentCompleted());
        } else if (n instanceof Notification.DiskChange c) {
            f.put("disk", c.disk());
        } else if (n instanceof Notification.PartitionChange c) {
            f.put("disk", c.disk());
            f.put("offset", new Values.Size(c.offset()));
        } else if (n instanceof Notification.DriveLetterChange c) {
            f.put("letter", Character.toString(c.letter()));
            f.put("volume", c.volume());
        } else if (n instanceof Notification.FileSystemChange c) {
            f.put("volume", c.volume());
            f.put("percentCompleted", c.percentCompleted());
        } else if (n instanceof Notification.MountPointChange c) {
            f.put("volume", c.volume());
        } else if (n instanceof Notification.HardwareChange c) {
            f.put("object", c.object());
        } else if (n instanceof Notification.LunRebuildProgress c) {
            f.put("lun", c.lun());
            f.put("plex", c.plex());
            f.put("percentCompleted", c.percentCompleted());
        } else if (n instanceof Notification.ServiceChange c) {
            f.put("action", c.action());
        } else if (n instanceof Notification.Unknown u) {
            f.put("bytes", HexFormat.of().formatHex(u.bytes()));
        }
        return f;
    }
}
