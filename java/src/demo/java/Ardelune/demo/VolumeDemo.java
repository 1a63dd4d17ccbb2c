package Ardelune.demo;

import Ardelune.Tolvane;
import Ardelune.demo.Records.PackRecord;
import Ardelune.demo.Records.ProviderRecord;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.util.ArrayList;
import java.util.HashSet;
import java.util.List;
import java.util.Set;

/**
 * A mirrored volume made on the first two disks of the dynamic pack, then
 * broken in two: the extents of the mirror's plexes, and of both volumes
 * afterwards.
 */
final class VolumeDemo {
    private static final int QUERY_SW_PROVIDERS = 0x0400;
    private static final int QUERY_PACKS = 0x0401;
    private static final int QUERY_PACK_DISKS = 0x0402;
    private static final int QUERY_VOLUMES = 0x0500;
    private static final int QUERY_VOLUME_PLEXES = 0x0501;
    private static final int QUERY_PLEX_EXTENTS = 0x0502;
    private static final int BREAK_PLEX = 0x0506;
    private static final int CREATE_VOLUME = 0x0508;
    private static final int PROVIDER_DYNAMIC = 0x1;
    private static final int MIRROR = 13;
    private static final int INPUT_DISK_RECORD = 48;
    private static final int DISK_RECORD = 68;
    private static final int PLEX_RECORD = 48;
    private static final int EXTENT_RECORD = 72;
    private static final int LONG_LIST_RECORDS = 16;
    private static final long MIRROR_BYTES = 1L << 30;

    private final Tolvane library;
    private final Tree tree;
    private ObjectId provider;
    private ObjectId pack;

    private VolumeDemo(Tolvane library, Tree tree) {
        this.library = library;
        this.tree = tree;
    }

    static void show(Tolvane library, Tree tree) {
        new VolumeDemo(library, tree).run();
    }

    private void run() {
        tree.line(0, "A mirrored volume, made and broken");
        List<ObjectId> disks = findDynamicPack();
        if (pack == null || disks.size() < 2) {
            tree.line(1, "(no dynamic pack with two disks: nothing to mirror)");
            return;
        }
        Set<ObjectId> before = new HashSet<>(volumes());
        Replies.Reply made = new Replies.Reply(call(createMirror(disks.get(0), disks.get(1))));
        tree.line(1, String.format("Create a %s mirror on {%s} and {%s}: status %d, addStatus 0x%08X",
                                   Sizes.format(MIRROR_BYTES), disks.get(0), disks.get(1), made.status(), made.addStatus()));
        ObjectId mirror = null;
        for (ObjectId v : volumes()) {
            if (!before.contains(v)) mirror = v;
        }
        if (made.isEmpty() || made.status() != 0 || mirror == null) return;
        List<ObjectId> plexes = showVolume("Mirror", mirror);
        if (plexes.size() < 2) return;

        Set<ObjectId> withMirror = new HashSet<>(volumes());
        byte[] split = Replies.request(BREAK_PLEX, provider, pack, mirror, plexes.get(1));
        Replies.Reply broken = new Replies.Reply(call(split));
        tree.line(1, String.format("Break off plex {%s}: status %d, addStatus 0x%08X", plexes.get(1),
                                   broken.status(), broken.addStatus()));
        showVolume("Volume kept", mirror);
        for (ObjectId v : volumes()) {
            if (!withMirror.contains(v)) showVolume("Volume made of the plex", v);
        }
    }

    /** The dynamic pack and its disks. */
    private List<ObjectId> findDynamicPack() {
        List<ObjectId> disks = new ArrayList<>();
        var providers = Replies.Listing.of(call(Replies.request(QUERY_SW_PROVIDERS)), QUERY_SW_PROVIDERS,
                                           ProviderRecord.LAYOUT);
        for (ProviderRecord p : providers.records()) {
            if ((p.flags() & PROVIDER_DYNAMIC) == 0) continue;
            var packs = Replies.Listing.of(call(Replies.request(QUERY_PACKS, p.id())), QUERY_PACKS, PackRecord.LAYOUT);
            for (PackRecord k : packs.records()) {
                byte[] list = call(Replies.request(QUERY_PACK_DISKS, p.id(), k.id()));
                int count = list.length >= 14 ? ByteBuffer.wrap(list).order(ByteOrder.LITTLE_ENDIAN).getShort(12) : 0;
                if (count < 2) continue;
                provider = p.id();
                pack = k.id();
                for (int i = 0; i < count; i++) disks.add(ObjectId.read(list, 14 + i * DISK_RECORD));
                return disks;
            }
        }
        return disks;
    }

    private List<ObjectId> volumes() {
        byte[] bytes = call(Replies.request(QUERY_VOLUMES, provider, pack));
        List<ObjectId> ids = new ArrayList<>();
        if (bytes.length < LONG_LIST_RECORDS) return ids;
        ByteBuffer b = ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
        int offset = LONG_LIST_RECORDS;
        for (int i = 0; i < b.getInt(12) && offset + 20 <= bytes.length; i++) {
            ids.add(ObjectId.read(bytes, offset + 4));
            offset += b.getInt(offset);
        }
        return ids;
    }

    /** Prints the volume's plexes with their extents; returns the plexes. */
    private List<ObjectId> showVolume(String title, ObjectId volume) {
        tree.line(1, title + " {" + volume + "}");
        byte[] bytes = call(Replies.request(QUERY_VOLUME_PLEXES, provider, pack, volume));
        List<ObjectId> plexes = new ArrayList<>();
        if (bytes.length < LONG_LIST_RECORDS) return plexes;
        ByteBuffer b = ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
        for (int i = 0; i < b.getInt(12); i++) {
            int at = LONG_LIST_RECORDS + i * PLEX_RECORD;
            ObjectId plex = ObjectId.read(bytes, at);
            plexes.add(plex);
            tree.line(2, String.format("Plex %s  {%s}", Sizes.format(b.getLong(at + 32)), plex));
            showExtents(volume, plex);
        }
        return plexes;
    }

    private void showExtents(ObjectId volume, ObjectId plex) {
        byte[] bytes = call(Replies.request(QUERY_PLEX_EXTENTS, provider, pack, volume, plex));
        if (bytes.length < LONG_LIST_RECORDS) return;
        ByteBuffer b = ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN);
        for (int i = 0; i < b.getInt(12); i++) {
            int at = LONG_LIST_RECORDS + i * EXTENT_RECORD;
            tree.line(3, String.format("Extent on disk {%s} at %s, %s", ObjectId.read(bytes, at),
                                       Sizes.format(b.getLong(at + 20)), Sizes.format(b.getLong(at + 28))));
        }
    }

    /** 0x0508: the pack at 20, the type at 36, the count at 40 and the disks from 44. */
    private byte[] createMirror(ObjectId first, ObjectId second) {
        byte[] request = new byte[44 + 2 * INPUT_DISK_RECORD];
        byte[] start = Replies.request(CREATE_VOLUME, provider, pack);
        System.arraycopy(start, 0, request, 0, Math.min(start.length, request.length));
        ByteBuffer b = ByteBuffer.wrap(request).order(ByteOrder.LITTLE_ENDIAN);
        b.putInt(36, MIRROR).putInt(40, 2);
        first.writeTo(request, 44);
        b.putLong(44 + 16, MIRROR_BYTES);
        second.writeTo(request, 44 + INPUT_DISK_RECORD);
        b.putLong(44 + INPUT_DISK_RECORD + 16, MIRROR_BYTES);
        return request;
    }

    private byte[] call(byte[] request) {
        return library.CmdHandler(request, request.length);
    }
}
