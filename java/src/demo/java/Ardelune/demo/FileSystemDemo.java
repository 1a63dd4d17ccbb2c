package Ardelune.demo;

import Ardelune.storage.AccessPath;
import Ardelune.storage.FileSystem;
import Ardelune.storage.FileSystemType;
import Ardelune.storage.ReparsePoint;
import Ardelune.storage.StorageException;
import Ardelune.storage.StorageSession;
import Ardelune.storage.Volume;
import java.util.List;
import java.util.Optional;

/**
 * A volume that nothing reaches yet, and that plays no part in starting the
 * system, is formatted, mounted in a folder of the first NTFS volume with a
 * drive letter, and shown with its access paths and the reparse points of
 * the volume it is mounted in. Off Windows the library
 * talks to the simulated service; on a real machine only an unformatted
 * volume is formatted, so that the demo never destroys data.
 */
final class FileSystemDemo {
    private static final String LABEL = "Demo";

    private FileSystemDemo() {}

    static void show(StorageSession storage, Tree tree) {
        tree.line(0, "File systems");
        boolean simulated = !System.getProperty("os.name").startsWith("Windows");
        Volume unreached = null;
        Volume host = null;
        String hostRoot = null;
        for (Volume v : Machine.volumes(storage)) {
            List<AccessPath> paths = storage.accessPaths(v.id());
            Optional<FileSystemType> type = type(storage, v);
            boolean formattable = !Machine.startsTheSystem(v)
                                  && (simulated || type.equals(Optional.of(FileSystemType.RAW)));
            if (paths.isEmpty() && unreached == null && formattable) {
                unreached = v;
            }
            if (host == null && !paths.isEmpty() && paths.get(0).path().length() == 3
                    && type.equals(Optional.of(FileSystemType.NTFS))) {
                host = v;
                hostRoot = paths.get(0).path();
            }
        }
        if (unreached == null || host == null) {
            tree.line(1, "(no volume that may be formatted, or no NTFS drive to mount it in)");
            return;
        }
        Volume target = unreached;
        tree.line(1, "Volume " + Steps.quoted(target.name()) + " has no access path  {" + target.id() + "}");
        tree.line(1, "Format as NTFS \"" + LABEL + "\": " + Steps.attempt(() ->
            storage.formatVolume(target.id(), FileSystemType.NTFS, LABEL, 0, false, true, false)));
        FileSystem fs = storage.fileSystem(target.id());
        tree.line(1, String.format("File system %s, label \"%s\", %s of %s units of %d bytes free", fs.typeValue(),
                                   fs.label(), Long.toUnsignedString(fs.availableAllocationUnits()),
                                   Long.toUnsignedString(fs.totalAllocationUnits()), fs.allocationUnitSize()));
        String folder = hostRoot + LABEL;
        tree.line(1, "Mount in " + folder + ": " + Steps.attempt(() -> storage.addAccessPath(target.id(), folder)));
        tree.line(1, "Access paths: " + storage.accessPaths(target.id()).stream().map(AccessPath::path).toList());
        List<ReparsePoint> mounted = storage.reparsePoints(host.id());
        tree.heading(1, "Volumes mounted in " + hostRoot, mounted);
        for (ReparsePoint r : mounted) tree.line(2, r.path() + "  {" + r.sourceVolume() + "}");
    }

    private static Optional<FileSystemType> type(StorageSession storage, Volume volume) {
        try {
            return Optional.of(storage.fileSystem(volume.id()).typeValue());
        } catch (StorageException none) {
            return Optional.empty();
        }
    }
}
