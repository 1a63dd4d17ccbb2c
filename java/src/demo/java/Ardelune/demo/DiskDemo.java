package Ardelune.demo;

import Ardelune.Tolvane;
import Ardelune.demo.Records.PackRecord;
import Ardelune.demo.Records.ProviderRecord;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;

/**
 * Partitioning: the first basic disk with room gets a new partition, which
 * is formatted and given a drive letter; then the disk's partitions and
 * extents as they are afterwards.
 */
final class DiskDemo {
    private static final int QUERY_SW_PROVIDERS = 0x0400;
    private static final int QUERY_PACKS = 0x0401;
    private static final int QUERY_PACK_DISKS = 0x0402;
    private static final int QUERY_PARTITIONS = 0x0404;
    private static final int CREATE_PARTITION = 0x0405;
    private static final int FORMAT_PARTITION = 0x0407;
    private static final int QUERY_DISK_EXTENTS = 0x0409;
    private static final int GET_DRIVE_LETTER = 0x0417;
    private static final int ASSIGN_DRIVE_LETTER = 0x0418;

    private static final int PROVIDER_DYNAMIC = 0x1;
    private static final int EXTENT_FREE = 1;
    private static final int FILE_SYSTEM_FAT32 = 3;
    private static final long WANTED = 1L << 30;
    private static final String LABEL = "DEMO";
    private static final int LIST_RECORDS = 16;
    private static final int PARTITION_RECORD = 28;
    private static final int EXTENT_RECORD = 72;

    /** A disk and a free stretch on it. */
    private record Room(ObjectId disk, int style, long offset, long size) {}

    private final Tolvane library;
    private final Tree tree;

    private DiskDemo(Tolvane library, Tree tree) {
        this.library = library;
        this.tree = tree;
    }

    static void show(Tolvane library, Tree tree) {
        new DiskDemo(library, tree).run();
    }

    private void run() {
        tree.line(0, "Partitioning a basic disk");
        Room room = findRoom();
        if (room == null) {
            tree.line(1, "(no basic disk with a free gibibyte: nothing to partition)");
            return;
        }
        long size = Math.min(room.size(), WANTED);
        ByteBuffer create = request(CREATE_PARTITION, 40, room.disk(), 4);
        create.putLong(20, room.offset()).putLong(28, size).putInt(36, room.style());
        Replies.Reply created = send(create);
        tree.line(1, String.format("Create a %s partition at %s of {%s}: %s", Sizes.format(size),
                                   Sizes.format(room.offset()), room.disk(), outcome(created)));
        if (created.status() != 0) return;

        // The service may start the partition later than asked, at its alignment.
        long start = firstPartitionFrom(room.disk(), room.offset());
        ByteBuffer format = request(FORMAT_PARTITION, 76 + LABEL.length(), room.disk(), 36);
        format.putLong(52, start).putShort(64, (short) FILE_SYSTEM_FAT32).putShort(68, (short) 1)
              .putInt(72, LABEL.length());
        format.position(76);
        format.put(LABEL.getBytes(java.nio.charset.StandardCharsets.US_ASCII));
        tree.line(1, String.format("Format it FAT32 \"%s\": %s", LABEL, outcome(send(format))));

        Replies.Reply assigned = null;
        char letter = 'Z';
        for (; letter >= 'D'; letter--) {
            ByteBuffer assign = request(ASSIGN_DRIVE_LETTER, 29, room.disk(), 4);
            assign.putLong(20, start).put(28, (byte) letter);
            assigned = send(assign);
            if (assigned.status() == 0) break;
        }
        tree.line(1, String.format("Give it letter %c: %s", letter, outcome(assigned)));
        ByteBuffer get = request(GET_DRIVE_LETTER, 28, room.disk(), 4);
        get.putLong(20, start);
        byte[] got = library.CmdHandler(get.array(), get.capacity());
        if (got.length == 13) tree.line(1, "Its letter, read back: " + (char) got[12] + ":");

        showDisk(room.disk());
    }

    /** The first disk of a basic provider with a free stretch of a gibibyte. */
    private Room findRoom() {
        var providers = Replies.Listing.of(call(QUERY_SW_PROVIDERS), QUERY_SW_PROVIDERS, ProviderRecord.LAYOUT);
        for (ProviderRecord provider : providers.records()) {
            if ((provider.flags() & PROVIDER_DYNAMIC) != 0) continue;
            var packs = Replies.Listing.of(call(QUERY_PACKS, provider.id()), QUERY_PACKS, PackRecord.LAYOUT);
            for (PackRecord pack : packs.records()) {
                var disks = Replies.Listing.of(call(QUERY_PACK_DISKS, provider.id(), pack.id()), QUERY_PACK_DISKS,
                                               PackDemo.DiskRecord.LAYOUT);
                for (PackDemo.DiskRecord disk : disks.records()) {
                    if (disk.style() == 0) continue;
                    ByteBuffer extents = list(QUERY_DISK_EXTENTS, disk.id());
                    for (int i = 0; extents != null && i < extents.getInt(12); i++) {
                        int at = LIST_RECORDS + i * EXTENT_RECORD;
                        if (extents.getInt(at + 16) == EXTENT_FREE && extents.getLong(at + 28) >= WANTED) {
                            return new Room(disk.id(), disk.style(), extents.getLong(at + 20), extents.getLong(at + 28));
                        }
                    }
                }
            }
        }
        return null;
    }

    private long firstPartitionFrom(ObjectId disk, long offset) {
        ByteBuffer parts = list(QUERY_PARTITIONS, disk);
        for (int i = 0; parts != null && i < parts.getInt(12); i++) {
            long start = parts.getLong(LIST_RECORDS + i * PARTITION_RECORD + 12);
            if (start >= offset) return start;
        }
        return offset;
    }

    private void showDisk(ObjectId disk) {
        ByteBuffer parts = list(QUERY_PARTITIONS, disk);
        if (parts == null) return;
        tree.line(1, "Partitions of {" + disk + "} (" + parts.getInt(12) + ")");
        for (int i = 0; i < parts.getInt(12); i++) {
            int at = LIST_RECORDS + i * PARTITION_RECORD;
            tree.line(2, String.format("#%d at %s, %s", parts.getInt(at + 8), Sizes.format(parts.getLong(at + 12)),
                                       Sizes.format(parts.getLong(at + 20))));
        }
    }

    /** A list reply with a 32-bit count, or null when the command failed. */
    private ByteBuffer list(int code, ObjectId disk) {
        ByteBuffer request = request(code, 52, disk, 36);
        byte[] reply = library.CmdHandler(request.array(), request.capacity());
        Replies.Reply r = new Replies.Reply(reply);
        if (r.isEmpty() || r.status() != 0 || reply.length < LIST_RECORDS) return null;
        return ByteBuffer.wrap(reply).order(ByteOrder.LITTLE_ENDIAN);
    }

    private static ByteBuffer request(int code, int size, ObjectId disk, int diskAt) {
        byte[] bytes = new byte[size];
        ByteBuffer b = ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
        b.putShort(2, (short) code);
        disk.writeTo(bytes, diskAt);
        return b;
    }

    private Replies.Reply send(ByteBuffer request) {
        return new Replies.Reply(library.CmdHandler(request.array(), request.capacity()));
    }

    private byte[] call(int code, ObjectId... address) {
        byte[] request = Replies.request(code, address);
        return library.CmdHandler(request, request.length);
    }

    private static String outcome(Replies.Reply reply) {
        if (reply == null || reply.isEmpty()) return "no answer";
        return String.format("status %d (%s), addStatus 0x%08X", reply.status(), Replies.statusName(reply.status()),
                             reply.addStatus());
    }
}
