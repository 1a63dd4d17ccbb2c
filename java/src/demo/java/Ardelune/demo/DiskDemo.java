package Ardelune.demo;

import Ardelune.storage.Disk;
import Ardelune.storage.DiskExtent;
import Ardelune.storage.FileSystemType;
import Ardelune.storage.Partition;
import Ardelune.storage.PartitionStyle;
import Ardelune.storage.StorageSession;
import java.util.Optional;

/**
 * Partitioning: the first basic disk with room gets a new partition, which
 * is formatted and given a drive letter; then the disk's partitions and
 * extents as they are afterwards.
 */
final class DiskDemo {
    private static final long GIB = 1L << 30;
    /** VDS_DET_FREE: an extent that no partition uses. */
    private static final int FREE = 1;
    private static final char LETTER = 'S';

    private DiskDemo() {}

    static void show(StorageSession storage, Tree tree) {
        tree.line(0, "Partitioning");
        for (Disk disk : Machine.packs(storage, false).stream().flatMap(p -> storage.packDisks(p.id()).stream()).toList()) {
            if (disk.partitionStyleValue() == PartitionStyle.UNKNOWN) continue;
            Optional<DiskExtent> room = storage.diskExtents(disk.id()).stream()
                .filter(e -> e.type() == FREE && Long.compareUnsigned(e.size(), GIB) >= 0).findFirst();
            if (room.isEmpty()) continue;
            partition(storage, tree, disk, room.get().offset());
            return;
        }
        tree.line(1, "(no basic disk with a free gibibyte)");
    }

    private static void partition(StorageSession storage, Tree tree, Disk disk, long offset) {
        tree.line(1, "Disk {" + disk.id() + "}, " + disk.partitionStyleValue() + ", "
                  + Sizes.format(disk.size()));
        Optional<Partition> created = storage.createPartition(disk.id(), offset, GIB, disk.partitionStyleValue());
        tree.line(1, "New partition at " + Sizes.format(offset) + ": "
                  + created.map(p -> "number " + p.number() + ", " + Sizes.format(p.size())).orElse("not found"));
        tree.line(1, "Format as NTFS: " + Steps.attempt(() ->
            storage.formatPartition(disk.id(), offset, FileSystemType.NTFS, "Demo", 0, true, true, false)));
        tree.line(1, "Assign " + LETTER + ": " + Steps.attempt(() -> storage.assignDriveLetter(disk.id(), offset, LETTER)));
        tree.line(1, "Its letter now: " + storage.driveLetter(disk.id(), offset));
        for (Partition p : storage.partitions(disk.id())) {
            tree.line(2, "Partition " + p.number() + " at " + Sizes.format(p.offset()) + ", " + Sizes.format(p.size()));
        }
        for (DiskExtent e : storage.diskExtents(disk.id())) {
            tree.line(2, "Extent at " + Sizes.format(e.offset()) + ", " + Sizes.format(e.size())
                      + (e.type() == FREE ? ", free" : ", type " + e.type()));
        }
    }
}
