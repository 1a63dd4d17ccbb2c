package Ardelune.demo;

import Ardelune.demo.Records.DriveExtentRecord;
import Ardelune.demo.Records.DriveRecord;
import Ardelune.demo.Records.LunPlexRecord;
import Ardelune.demo.Records.LunRecord;
import Ardelune.demo.Records.ProviderRecord;
import Ardelune.demo.Records.SubSystemRecord;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Comparator;
import java.util.HashSet;
import java.util.List;
import java.util.Set;

/**
 * The LUN section of the demo: a mirrored LUN built on the two drives with
 * the most free space, shown, grown by a gibibyte and deleted, with the
 * notifications each step brings.
 */
final class LunDemo {
    private static final int QUERY_HW_PROVIDERS = 0x0091;
    private static final int QUERY_SUBSYSTEMS = 0x0092;
    private static final int QUERY_DRIVES = 0x0093;
    private static final int QUERY_SUBSYSTEM_LUNS = 0x0094;
    private static final int QUERY_DRIVE_EXTENTS = 0x0095;
    private static final int QUERY_LUN_PLEXES = 0x0097;
    private static final int CREATE_LUN = 0x0120;
    private static final int DELETE_LUN = 0x0200;
    private static final int EXTEND_LUN = 0x0204;
    private static final int MIRROR = 13;
    private static final int DRIVE_ONLINE = 1;
    private static final int DRIVE_HOT_SPARE = 0x1;
    private static final long GIB = 1L << 30;

    /** The library's command entry. */
    interface Library {
        byte[] command(byte[] request);
    }

    /** Shows the notifications that arrived since the last call. */
    interface Notifications {
        void showArrived() throws InterruptedException;
    }

    private final Library library;
    private final Notifications notifications;
    private final Tree tree;

    private LunDemo(Library library, Notifications notifications, Tree tree) {
        this.library = library;
        this.notifications = notifications;
        this.tree = tree;
    }

    static void show(Library library, Notifications notifications, Tree tree) throws InterruptedException {
        new LunDemo(library, notifications, tree).run();
    }

    private void run() throws InterruptedException {
        tree.line(0, "Managing a LUN");
        var providers = list(QUERY_HW_PROVIDERS, ProviderRecord.LAYOUT);
        if (!providers.ok() || providers.records().isEmpty()) {
            tree.line(1, "No hardware provider to build a LUN on");
            return;
        }
        ObjectId provider = providers.records().get(0).id();
        var subsystems = list(QUERY_SUBSYSTEMS, SubSystemRecord.LAYOUT, provider);
        if (!subsystems.ok() || subsystems.records().isEmpty()) {
            tree.line(1, "No subsystem to build a LUN on");
            return;
        }
        ObjectId subsystem = subsystems.records().get(0).id();
        List<ObjectId> drives = roomiestDrives(provider, subsystem);
        if (drives.size() < 2) {
            tree.line(1, "Fewer than two usable drives: no mirror to build");
            return;
        }
        Set<ObjectId> before = new HashSet<>();
        list(QUERY_SUBSYSTEM_LUNS, LunRecord.LAYOUT, provider, subsystem).records().forEach(l -> before.add(l.id()));

        if (!step("Create a 1 GiB mirror on two drives", createMirror(subsystem, drives))) return;
        LunRecord lun = list(QUERY_SUBSYSTEM_LUNS, LunRecord.LAYOUT, provider, subsystem).records().stream()
            .filter(l -> !before.contains(l.id())).findFirst().orElse(null);
        if (lun == null) {
            tree.line(1, "The new LUN is not listed");
            return;
        }
        describe(provider, subsystem, lun);

        if (step("Extend it by 1 GiB", extend(lun.id(), GIB))) {
            list(QUERY_SUBSYSTEM_LUNS, LunRecord.LAYOUT, provider, subsystem).records().stream()
                .filter(l -> l.id().equals(lun.id())).findFirst()
                .ifPresent(l -> tree.line(2, "Now " + Sizes.format(l.size())));
        }
        step("Delete it", Replies.request(DELETE_LUN, provider, subsystem, lun.id()));
    }

    /** Runs one change and shows its answer and the notifications it brought. */
    private boolean step(String title, byte[] request) throws InterruptedException {
        Replies.Reply reply = new Replies.Reply(library.command(request));
        if (reply.length() < Replies.HEADER_LENGTH) {
            tree.line(1, title + ": no reply");
            return false;
        }
        boolean ok = reply.status() == 0;
        tree.line(1, title + ": " + (ok ? "done" : String.format("status %d %s, addStatus 0x%08X", reply.status(),
                                                                  Replies.statusName(reply.status()), reply.addStatus())));
        if (ok) notifications.showArrived();
        return ok;
    }

    private void describe(ObjectId provider, ObjectId subsystem, LunRecord lun) {
        tree.line(2, "LUN " + Names.lunType(lun.type()) + ", " + Sizes.format(lun.size()) + "  {" + lun.id() + "}");
        for (LunPlexRecord plex : list(QUERY_LUN_PLEXES, Records.LunPlexRecord.LAYOUT, provider, subsystem, lun.id()).records()) {
            tree.line(3, "Plex " + Names.lunType(plex.type()) + ", " + Sizes.format(plex.size()) + "  {" + plex.id() + "}");
        }
    }

    /** Online drives that are no hot spares, most free space first. */
    private List<ObjectId> roomiestDrives(ObjectId provider, ObjectId subsystem) {
        record Room(ObjectId drive, long free) {}
        List<Room> rooms = new ArrayList<>();
        for (DriveRecord drive : list(QUERY_DRIVES, DriveRecord.LAYOUT, provider, subsystem).records()) {
            if (drive.status() != DRIVE_ONLINE || (drive.flags() & DRIVE_HOT_SPARE) != 0) continue;
            long free = list(QUERY_DRIVE_EXTENTS, DriveExtentRecord.LAYOUT, provider, subsystem, drive.id()).records()
                .stream().filter(e -> !e.used()).mapToLong(DriveExtentRecord::size).max().orElse(0);
            if (free >= 2 * GIB) rooms.add(new Room(drive.id(), free));
        }
        rooms.sort(Comparator.comparingLong(Room::free).reversed());
        return rooms.stream().limit(2).map(Room::drive).toList();
    }

    private static byte[] createMirror(ObjectId subsystem, List<ObjectId> drives) {
        byte[] list = "*".getBytes(StandardCharsets.US_ASCII);
        byte[] request = new byte[108 + list.length + drives.size() * ObjectId.LENGTH];
        ByteBuffer b = ByteBuffer.wrap(request).order(ByteOrder.LITTLE_ENDIAN);
        b.putShort(2, (short) CREATE_LUN);
        subsystem.writeTo(request, 20);
        b.putShort(36, (short) MIRROR).putLong(40, GIB).putInt(48, list.length).putInt(52, drives.size());
        System.arraycopy(list, 0, request, 56, list.length);
        for (int i = 0; i < drives.size(); i++) drives.get(i).writeTo(request, 108 + list.length + i * ObjectId.LENGTH);
        return request;
    }

    private static byte[] extend(ObjectId lun, long bytes) {
        byte[] request = Arrays.copyOf(Replies.request(EXTEND_LUN, lun, lun, lun), 62);
        ByteBuffer.wrap(request).order(ByteOrder.LITTLE_ENDIAN).putLong(52, bytes).putShort(60, (short) 0);
        return request;
    }

    private <R> Replies.Listing<R> list(int code, Records.Layout<R> layout, ObjectId... address) {
        return Replies.Listing.of(library.command(Replies.request(code, address)), code, layout);
    }
}
