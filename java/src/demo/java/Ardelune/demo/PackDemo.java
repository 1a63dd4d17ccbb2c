package Ardelune.demo;

import Ardelune.Tolvane;
import Ardelune.demo.Records.PackRecord;
import Ardelune.demo.Records.ProviderRecord;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.List;

/**
 * The packs of the software providers with their disks and volumes; then a
 * new pack on the dynamic provider, the unallocated disk added to it, and the
 * packs once more.
 */
final class PackDemo {
    private static final int QUERY_SW_PROVIDERS = 0x0400;
    private static final int QUERY_PACKS = 0x0401;
    private static final int QUERY_PACK_DISKS = 0x0402;
    private static final int ADD_DISK = 0x0412;
    private static final int CREATE_PACK = 0x0416;
    private static final int QUERY_VOLUMES = 0x0500;
    private static final int PROVIDER_DYNAMIC = 0x1;
    private static final int STYLE_UNKNOWN = 0;
    private static final int STYLE_MBR = 1;
    private static final int LONG_LIST_RECORDS = 16;

    record DiskRecord(ObjectId id, int status, long size, int style) {
        static final Records.Layout<DiskRecord> LAYOUT = Records.Layout.fixed("DiskRecord", 68, r ->
            new DiskRecord(r.id(0), r.int32(16), r.uint64(36), r.int32(64)));
    }

    record VolumeRecord(ObjectId id, int type, int status, long size, String name) {
        static final Records.Layout<VolumeRecord> LAYOUT = Records.Layout.withTexts("VolumeRecord", 56, r ->
            new VolumeRecord(r.id(4), r.int32(20), r.int32(24), r.uint64(36), r.text(52)));
    }

    private final Tolvane library;
    private final Tree tree;

    private PackDemo(Tolvane library, Tree tree) {
        this.library = library;
        this.tree = tree;
    }

    static void show(Tolvane library, Tree tree) {
        new PackDemo(library, tree).run();
    }

    private void run() {
        tree.line(0, "Packs with their disks and volumes");
        List<ProviderRecord> providers = listPacks();
        ProviderRecord dynamic = null;
        for (ProviderRecord p : providers) {
            if ((p.flags() & PROVIDER_DYNAMIC) != 0) dynamic = p;
        }
        DiskRecord unallocated = findUnallocatedDisk(providers);
        if (dynamic == null || unallocated == null) {
            tree.line(1, "(no dynamic provider or no unallocated disk: nothing to create)");
            return;
        }

        byte[] createRequest = command(CREATE_PACK, 20, dynamic.id());
        byte[] made = library.CmdHandler(createRequest, createRequest.length);
        Replies.Reply created = new Replies.Reply(made);
        if (created.isEmpty() || created.status() != 0) {
            tree.line(1, String.format("Create pack: status %d, addStatus 0x%08X", created.status(), created.addStatus()));
            return;
        }
        ObjectId pack = ObjectId.read(made, 12);
        tree.line(1, "Created pack {" + pack + "}");

        byte[] request = command(ADD_DISK, 44, pack, unallocated.id());
        ByteBuffer.wrap(request).order(ByteOrder.LITTLE_ENDIAN).putInt(36, STYLE_MBR).putInt(40, 0);
        Replies.Reply added = new Replies.Reply(library.CmdHandler(request, request.length));
        tree.line(1, String.format("Added disk {%s} as MBR: status %d, addStatus 0x%08X",
                                   unallocated.id(), added.status(), added.addStatus()));
        tree.line(0, "Packs after the change");
        listPacks();
    }

    private List<ProviderRecord> listPacks() {
        var providers = Replies.Listing.of(call(QUERY_SW_PROVIDERS), QUERY_SW_PROVIDERS, ProviderRecord.LAYOUT);
        for (ProviderRecord provider : providers.records()) {
            tree.line(1, "Provider \"" + provider.name() + "\"");
            var packs = Replies.Listing.of(call(QUERY_PACKS, provider.id()), QUERY_PACKS, PackRecord.LAYOUT);
            for (PackRecord pack : packs.records()) {
                tree.line(2, "Pack \"" + pack.name() + "\": " + Names.status(pack.status()) + "  {" + pack.id() + "}");
                var disks = disksOf(provider.id(), pack.id());
                tree.heading(3, "Disks", disks);
                for (DiskRecord d : disks.records()) {
                    tree.line(4, String.format("Disk %s, %s, style %s  {%s}", Sizes.format(d.size()),
                                               Names.status(d.status()), style(d.style()), d.id()));
                }
                List<VolumeRecord> volumes = volumesOf(provider.id(), pack.id());
                tree.line(3, "Volumes (" + volumes.size() + ")");
                for (VolumeRecord v : volumes) {
                    tree.line(4, String.format("Volume \"%s\", %s  {%s}", v.name(), Sizes.format(v.size()), v.id()));
                }
            }
        }
        return providers.records();
    }

    private DiskRecord findUnallocatedDisk(List<ProviderRecord> providers) {
        for (ProviderRecord provider : providers) {
            var packs = Replies.Listing.of(call(QUERY_PACKS, provider.id()), QUERY_PACKS, PackRecord.LAYOUT);
            for (PackRecord pack : packs.records()) {
                for (DiskRecord d : disksOf(provider.id(), pack.id()).records()) {
                    if (d.style() == STYLE_UNKNOWN) return d;
                }
            }
        }
        return null;
    }

    private Replies.Listing<DiskRecord> disksOf(ObjectId provider, ObjectId pack) {
        return Replies.Listing.of(call(QUERY_PACK_DISKS, provider, pack), QUERY_PACK_DISKS, DiskRecord.LAYOUT);
    }

    /** The volumes of a pack: a list with a 32-bit count, read record by record. */
    private List<VolumeRecord> volumesOf(ObjectId provider, ObjectId pack) {
        byte[] bytes = call(QUERY_VOLUMES, provider, pack);
        List<VolumeRecord> volumes = new ArrayList<>();
        Replies.Reply reply = new Replies.Reply(bytes);
        if (reply.isEmpty() || reply.status() != 0 || bytes.length < LONG_LIST_RECORDS) return volumes;
        int count = ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN).getInt(12);
        int offset = LONG_LIST_RECORDS;
        try {
            for (int i = 0; i < count; i++) {
                int length = VolumeRecord.LAYOUT.lengthAt(bytes, offset);
                volumes.add(VolumeRecord.LAYOUT.read(bytes, offset, length));
                offset += length;
            }
        } catch (IllegalArgumentException damaged) {
            tree.line(4, "(unreadable volume list: " + damaged.getMessage() + ")");
        }
        return volumes;
    }

    private static String style(int style) {
        return switch (style) {
            case 1 -> "MBR";
            case 2 -> "GPT";
            default -> "none";
        };
    }

    private byte[] call(int code, ObjectId... address) {
        byte[] request = Replies.request(code, address);
        return library.CmdHandler(request, request.length);
    }

    /** A request of `size` bytes with the identifiers from offset 4. */
    private static byte[] command(int code, int size, ObjectId... ids) {
        byte[] request = new byte[size];
        byte[] start = Replies.request(code, ids);
        System.arraycopy(start, 0, request, 0, Math.min(start.length, size));
        return request;
    }
}
