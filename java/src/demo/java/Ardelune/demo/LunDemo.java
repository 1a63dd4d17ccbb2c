package Ardelune.demo;

import Ardelune.storage.Drive;
import Ardelune.storage.DriveExtent;
import Ardelune.storage.DriveFlag;
import Ardelune.storage.Lun;
import Ardelune.storage.LunHints;
import Ardelune.storage.LunPlex;
import Ardelune.storage.LunType;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import java.util.Comparator;
import java.util.List;
import java.util.Optional;

/**
 * A mirrored LUN built on the two drives with the most free space, shown,
 * grown by a gibibyte and deleted.
 */
final class LunDemo {
    private static final long GIB = 1L << 30;

    private LunDemo() {}

    static void show(StorageSession storage, Tree tree) {
        tree.line(0, "LUNs");
        for (SubSystem subsystem : Machine.subsystems(storage)) {
            List<Drive> roomiest = storage.drives(subsystem.id()).stream()
                .filter(d -> !d.flagSet().contains(DriveFlag.HOT_SPARE))
                .sorted(Comparator.comparingLong((Drive d) -> free(storage, d)).reversed()).limit(2).toList();
            if (roomiest.size() < 2) continue;
            Optional<Lun> created = storage.createLun(subsystem.id(), LunType.MIRROR, GIB, "*", LunHints.none(),
                roomiest.stream().map(Drive::id).toList());
            if (created.isEmpty()) {
                tree.line(1, "(the new LUN cannot be told apart)");
                return;
            }
            Lun lun = created.get();
            tree.line(1, "Mirrored LUN of " + Sizes.format(lun.size()) + " on " + Steps.quoted(roomiest.get(0).friendlyName())
                      + " and " + Steps.quoted(roomiest.get(1).friendlyName()) + "  {" + lun.id() + "}");
            for (LunPlex plex : storage.lunPlexes(lun.id())) {
                tree.line(2, "Plex " + plex.typeValue() + ", " + Sizes.format(plex.size()) + ", " + plex.healthValue());
            }
            tree.line(1, "Grow by 1 GiB: " + Steps.attempt(() -> storage.extendLun(lun.id(), GIB, List.of())));
            storage.luns(subsystem.id()).stream().filter(l -> l.id().equals(lun.id()))
                .forEach(l -> tree.line(1, "Now " + Sizes.format(l.size())));
            tree.line(1, "Delete it: " + Steps.attempt(() -> storage.deleteLun(lun.id())));
            return;
        }
        tree.line(1, "(no subsystem with two drives)");
    }

    /** Bytes of the drive that no LUN uses. */
    private static long free(StorageSession storage, Drive drive) {
        return storage.driveExtents(drive.id()).stream().filter(e -> !e.used()).mapToLong(DriveExtent::size).sum();
    }
}
