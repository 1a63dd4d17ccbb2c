package Ardelune.demo;

import java.util.Map;

/** Readable names for the VDS values that the tree shows; unknown values show as numbers. */
final class Names {
    private Names() {}

    // Subsystems, controllers, drives, LUNs, LUN plexes and packs share these numbers.
    private static final Map<Integer, String> STATUS = Map.of(
        0, "unknown", 1, "online", 2, "not ready", 4, "offline", 5, "failed", 8, "removed",
        9, "partially managed");

    private static final Map<Integer, String> HEALTH = Map.ofEntries(
        Map.entry(0, "health unknown"), Map.entry(1, "healthy"), Map.entry(2, "rebuilding"),
        Map.entry(3, "stale"), Map.entry(4, "failing"), Map.entry(5, "failing redundancy"),
        Map.entry(6, "failed redundancy"), Map.entry(7, "failed redundancy, failing"),
        Map.entry(8, "failed"), Map.entry(9, "replaced"), Map.entry(10, "pending failure"),
        Map.entry(11, "degraded"));

    private static final Map<Integer, String> PROVIDER_TYPE = Map.of(
        0, "unknown type", 1, "software", 2, "hardware", 3, "virtual disk");

    // LUN and LUN plex types share these numbers; plexes use a subset.
    private static final Map<Integer, String> LUN_TYPE = Map.ofEntries(
        Map.entry(0, "unknown type"), Map.entry(1, "default"), Map.entry(2, "fault tolerant"),
        Map.entry(3, "non fault tolerant"), Map.entry(10, "simple"), Map.entry(11, "span"),
        Map.entry(12, "stripe"), Map.entry(13, "mirror"), Map.entry(14, "parity"),
        Map.entry(15, "RAID 2"), Map.entry(16, "RAID 3"), Map.entry(17, "RAID 4"), Map.entry(18, "RAID 5"),
        Map.entry(19, "RAID 6"), Map.entry(20, "RAID 0+1"), Map.entry(21, "RAID 0+3"),
        Map.entry(22, "RAID 0+5"), Map.entry(23, "RAID 1+0"), Map.entry(24, "RAID 1+5"),
        Map.entry(25, "RAID 3+0"), Map.entry(26, "RAID 5+0"), Map.entry(27, "RAID 5+1"),
        Map.entry(28, "RAID 5+3"), Map.entry(29, "RAID 6+0"), Map.entry(30, "RAID 6+1"));

    private static final Map<Integer, String> NOTIFICATION_TARGET = Map.ofEntries(
        Map.entry(0, "unknown"), Map.entry(10, "pack"), Map.entry(11, "volume"), Map.entry(13, "disk"),
        Map.entry(30, "subsystem"), Map.entry(31, "controller"), Map.entry(32, "drive"), Map.entry(33, "LUN"),
        Map.entry(35, "port"), Map.entry(36, "portal"), Map.entry(37, "target"),
        Map.entry(38, "portal group"), Map.entry(60, "partition"), Map.entry(61, "drive letter"),
        Map.entry(62, "file system"), Map.entry(63, "mount point"), Map.entry(200, "service"));

    private static final Map<Integer, String> NOTIFICATION_EVENT = Map.ofEntries(
        Map.entry(1, "arrive"), Map.entry(2, "depart"), Map.entry(3, "modify"),
        Map.entry(4, "arrive"), Map.entry(5, "depart"), Map.entry(6, "modify"),
        Map.entry(7, "rebuilding progress"),
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
        Map.entry(201, "letter freed"), Map.entry(202, "letter assigned"),
        Map.entry(203, "modify"), Map.entry(204, "format progress"), Map.entry(205, "mount points changed"),
        Map.entry(206, "shrinking progress"), Map.entry(301, "out of sync"));

    private static final Map<Integer, String> RECOVER_ACTION = Map.of(
        0, "unknown action", 1, "refresh", 2, "restart");

    // Drive flag bits, in the order they are listed.
    private static final String[] DRIVE_FLAGS = {
        "hot spare", "assigned", "unassigned", "hot spare in use", "hot spare standby"};

    static String driveFlags(int flags) {
        StringBuilder text = new StringBuilder();
        for (int bit = 0; bit < DRIVE_FLAGS.length; bit++) {
            if ((flags & (1 << bit)) != 0) text.append(", ").append(DRIVE_FLAGS[bit]);
        }
        int unknown = flags & ~((1 << DRIVE_FLAGS.length) - 1);
        if (unknown != 0) text.append(String.format(", flags 0x%X", unknown));
        return text.toString();
    }

    static String status(int value) {
        return name(STATUS, value, "status");
    }

    static String health(int value) {
        return name(HEALTH, value, "health");
    }

    static String providerType(int value) {
        return name(PROVIDER_TYPE, value, "type");
    }

    static String lunType(int value) {
        return name(LUN_TYPE, value, "type");
    }

    static String notificationTarget(int value) {
        return name(NOTIFICATION_TARGET, value, "target");
    }

    static String notificationEvent(int value) {
        return name(NOTIFICATION_EVENT, value, "event");
    }

    static String recoverAction(int value) {
        return name(RECOVER_ACTION, value, "action");
    }

    private static String name(Map<Integer, String> names, int value, String what) {
        String name = names.get(value);
        return name != null ? name : what + " " + value;
    }
}
