package Ardelune.demo;

import Ardelune.Tolvane;
import Ardelune.demo.PackDemo.VolumeRecord;
import Ardelune.demo.Records.PackRecord;
import Ardelune.demo.Records.ProviderRecord;
import java.nio.ByteBuffer;
import java.nio.ByteOrder;
import java.nio.charset.Charset;
import java.util.ArrayList;
import java.util.List;

/**
 * A volume that nothing reaches yet is formatted, mounted in a folder of the
 * first NTFS volume with a drive letter, and shown with its access paths and
 * the reparse points of the volume it is mounted in. Off Windows the library
 * talks to the simulated service; on a real machine only an unformatted
 * volume is formatted, so that the demo never destroys data.
 */
final class FileSystemDemo {
    private static final int QUERY_SW_PROVIDERS = 0x0400;
    private static final int QUERY_PACKS = 0x0401;
    private static final int QUERY_VOLUMES = 0x0500;
    private static final int FILE_SYSTEM_PROPERTIES = 0x000C;
    private static final int FORMAT = 0x0601;
    private static final int ADD_ACCESS_PATH = 0x0602;
    private static final int QUERY_ACCESS_PATHS = 0x0603;
    private static final int QUERY_REPARSE_POINTS = 0x0604;
    private static final int RAW = 1;
    private static final int NTFS = 4;
    private static final int LIST_ENTRIES = 16;
    private static final String LABEL = "Demo";

    private final Tolvane library;
    private final Tree tree;
    private final Charset narrow = Charset.defaultCharset();

    private FileSystemDemo(Tolvane library, Tree tree) {
        this.library = library;
        this.tree = tree;
    }

    static void show(Tolvane library, Tree tree) {
        new FileSystemDemo(library, tree).run();
    }

    private void run() {
        tree.line(0, "File systems");
        boolean simulated = !System.getProperty("os.name").startsWith("Windows");
        VolumeRecord unreached = null;
        String host = null;
        for (VolumeRecord v : volumes()) {
            List<String> paths = accessPaths(v.id());
            if (paths.isEmpty() && unreached == null && (simulated || fileSystemType(v.id()) == RAW)) unreached = v;
            if (host == null && !paths.isEmpty() && paths.get(0).length() == 3 && fileSystemType(v.id()) == NTFS) {
                host = paths.get(0);
            }
        }
        if (unreached == null || host == null) {
            tree.line(1, "(no volume that may be formatted, or no NTFS drive to mount it in)");
            return;
        }
        tree.line(1, "Volume \"" + unreached.name() + "\" has no access path  {" + unreached.id() + "}");

        byte[] label = LABEL.getBytes(narrow);
        ByteBuffer format = request(FORMAT, unreached.id(), 36 + label.length);
        format.putInt(20, NTFS).putInt(24, 0).putShort(28, (short) 0).putShort(30, (short) 1)
              .putShort(32, (short) 0).putShort(34, (short) label.length).put(36, label);
        report("Format as NTFS \"" + LABEL + "\"", format);
        showFileSystem(unreached.id());

        byte[] folder = (host + LABEL).getBytes(narrow);
        ByteBuffer add = request(ADD_ACCESS_PATH, unreached.id(), 24 + folder.length);
        add.putInt(20, folder.length).put(24, folder);
        report("Mount in " + host + LABEL, add);

        tree.line(1, "Access paths: " + accessPaths(unreached.id()));
        ObjectId hostVolume = volumeWithPath(host);
        if (hostVolume != null) showReparsePoints(host, hostVolume);
    }

    private void report(String what, ByteBuffer request) {
        Replies.Reply r = new Replies.Reply(library.CmdHandler(request.array(), request.capacity()));
        tree.line(1, String.format("%s: %s, addStatus 0x%08X", what, Replies.statusName(r.status()), r.addStatus()));
    }

    private void showFileSystem(ObjectId volume) {
        ByteBuffer r = reply(call(FILE_SYSTEM_PROPERTIES, volume));
        if (r.capacity() < 60 || r.getInt(4) != 0) {
            tree.line(1, "(file system unreadable)");
            return;
        }
        int labelLength = r.getShort(56);
        String text = new String(r.array(), 60, labelLength, narrow);
        tree.line(1, String.format("File system type %d, label \"%s\", %d of %d units of %d bytes free",
                                   r.getInt(28), text, r.getLong(44), r.getLong(36), r.getInt(52)));
    }

    private void showReparsePoints(String host, ObjectId volume) {
        ByteBuffer r = reply(call(QUERY_REPARSE_POINTS, volume));
        if (r.capacity() < LIST_ENTRIES || r.getInt(4) != 0) return;
        int count = r.getInt(12);
        tree.line(1, "Volumes mounted in " + host + " (" + count + ")");
        int at = LIST_ENTRIES;
        for (int i = 0; i < count; i++) {
            ObjectId source = ObjectId.read(r.array(), at);
            int length = r.getShort(at + 16) & 0xFFFF;
            tree.line(2, new String(r.array(), at + 18, length, narrow) + "  {" + source + "}");
            at += 18 + length;
        }
    }

    private List<String> accessPaths(ObjectId volume) {
        ByteBuffer r = reply(call(QUERY_ACCESS_PATHS, volume));
        List<String> paths = new ArrayList<>();
        if (r.capacity() < LIST_ENTRIES || r.getInt(4) != 0) return paths;
        int at = LIST_ENTRIES;
        for (int i = 0; i < r.getInt(12); i++) {
            int length = r.getInt(at);
            paths.add(new String(r.array(), at + 4, length, narrow));
            at += 4 + length;
        }
        return paths;
    }

    private int fileSystemType(ObjectId volume) {
        ByteBuffer r = reply(call(FILE_SYSTEM_PROPERTIES, volume));
        return r.capacity() >= 60 && r.getInt(4) == 0 ? r.getInt(28) : -1;
    }

    private ObjectId volumeWithPath(String path) {
        for (VolumeRecord v : volumes()) {
            if (accessPaths(v.id()).contains(path)) return v.id();
        }
        return null;
    }

    /** Every volume of every pack of the software providers. */
    private List<VolumeRecord> volumes() {
        List<VolumeRecord> out = new ArrayList<>();
        var providers = Replies.Listing.of(call(QUERY_SW_PROVIDERS), QUERY_SW_PROVIDERS, ProviderRecord.LAYOUT);
        for (ProviderRecord provider : providers.records()) {
            var packs = Replies.Listing.of(call(QUERY_PACKS, provider.id()), QUERY_PACKS, PackRecord.LAYOUT);
            for (PackRecord pack : packs.records()) {
                byte[] bytes = call(QUERY_VOLUMES, provider.id(), pack.id());
                ByteBuffer r = reply(bytes);
                if (bytes.length < LIST_ENTRIES || r.getInt(4) != 0) continue;
                int at = LIST_ENTRIES;
                for (int i = 0; i < r.getInt(12); i++) {
                    int length = VolumeRecord.LAYOUT.lengthAt(bytes, at);
                    out.add(VolumeRecord.LAYOUT.read(bytes, at, length));
                    at += length;
                }
            }
        }
        return out;
    }

    private static ByteBuffer request(int code, ObjectId volume, int size) {
        byte[] bytes = new byte[size];
        volume.writeTo(bytes, 4);
        return ByteBuffer.wrap(bytes).order(ByteOrder.LITTLE_ENDIAN).putShort(2, (short) code);
    }

    private static ByteBuffer reply(byte[] bytes) {
        return ByteBuffer.wrap(bytes == null ? new byte[0] : bytes).order(ByteOrder.LITTLE_ENDIAN);
    }

    private byte[] call(int code, ObjectId... address) {
        byte[] request = Replies.request(code, address);
        return library.CmdHandler(request, request.length);
    }
}
