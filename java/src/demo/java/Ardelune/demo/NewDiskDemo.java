package Ardelune.demo;

import Ardelune.storage.AccessPath;
import Ardelune.storage.DiskExtent;
import Ardelune.storage.FileSystem;
import Ardelune.storage.FileSystemType;
import Ardelune.storage.InputDisk;
import Ardelune.storage.Partition;
import Ardelune.storage.PartitionStyle;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageException;
import Ardelune.storage.StorageSession;
import Ardelune.storage.Volume;
import Ardelune.storage.VolumeType;
import java.util.List;
import java.util.Map;
import java.util.Optional;
import java.util.Set;
import java.util.UUID;
import java.util.stream.Collectors;

/**
 * A disk that is in no pack yet becomes a GPT basic disk in a new pack of
 * the basic provider; a data volume made on it is formatted and given the
 * first free drive letter. The library lists no unallocated disks, so the
 * disk is named: only a disk that was never initialised is touched.
 */
final class NewDiskDemo {
    /** The unallocated disk of the simulated service's built-in machine. */
    static final UUID SIMULATED_UNALLOCATED_DISK = UUID.fromString("80000000-0000-4000-8000-000000000003");

    private static final long VOLUME_SIZE = 4L << 30;
    private static final String LABEL = "Projects";
    /** VDS_DET_FREE: an extent that no partition uses. */
    private static final int FREE = 1;
    /** The kinds of extent (VDS_DISK_EXTENT_TYPE) a basic GPT disk shows. */
    private static final Map<Integer, String> EXTENT_KINDS =
        Map.of(FREE, "free", 2, "data", 3, "OEM", 4, "EFI system", 5, "Microsoft reserved");

    private NewDiskDemo() {}

    static void show(StorageSession storage, Tree tree, UUID disk) {
        tree.line(0, "A new basic disk");
        Optional<Provider> basic = storage.softwareProviders().stream().filter(p -> !Machine.isDynamic(p)).findFirst();
        if (basic.isEmpty() || !neverInitialised(storage, disk)) {
            tree.line(1, "(no basic provider, or no uninitialised disk {" + disk + "})");
            return;
        }
        tree.line(1, "Disk {" + disk + "}: " + Sizes.format(free(storage, disk)) + ", not initialised");
        Optional<UUID> pack = initialise(storage, tree, basic.get(), disk);
        pack.flatMap(p -> makeVolume(storage, tree, p, disk)).ifPresent(v -> formatAndLetter(storage, tree, v));
        showDisk(storage, tree, disk);
    }

    private static boolean neverInitialised(StorageSession storage, UUID disk) {
        try {
            storage.partitions(disk);
            return false;
        } catch (StorageException e) {
            return "VDS_E_DISK_NOT_INITIALIZED".equals(e.resultName());
        }
    }

    /** A new pack of the basic provider with the disk in it as GPT; empty when the disk could not be added. */
    private static Optional<UUID> initialise(StorageSession storage, Tree tree, Provider basic, UUID disk) {
        UUID pack = storage.createPack(basic.id());
        tree.line(1, "New pack on " + Steps.quoted(basic.name()) + "  {" + pack + "}");
        String added = Steps.attempt(() -> storage.addDisk(pack, disk, PartitionStyle.GPT, false));
        tree.line(1, "Add the disk as GPT: " + added);
        return added.equals(Steps.DONE) ? Optional.of(pack) : Optional.empty();
    }

    private static Optional<Volume> makeVolume(StorageSession storage, Tree tree, UUID pack, UUID disk) {
        Optional<Volume> made = storage.createVolume(pack, VolumeType.SIMPLE, List.of(InputDisk.of(disk, VOLUME_SIZE)));
        tree.line(1, "New volume: " + made.map(v -> Sizes.format(v.size()) + "  {" + v.id() + "}")
                  .orElse("(cannot be told apart)"));
        return made;
    }

    private static void formatAndLetter(StorageSession storage, Tree tree, Volume volume) {
        tree.line(1, "Format as NTFS \"" + LABEL + "\": " + Steps.attempt(() ->
            storage.formatVolume(volume.id(), FileSystemType.NTFS, LABEL, 0, false, true, false)));
        FileSystem fs = storage.fileSystem(volume.id());
        tree.line(1, "File system " + fs.typeValue() + ", label " + Steps.quoted(fs.label()));
        Optional<Character> letter = freeLetter(storage);
        if (letter.isEmpty()) {
            tree.line(1, "(no free drive letter)");
            return;
        }
        String root = letter.get() + ":\\";
        tree.line(1, "Mount at " + root + ": " + Steps.attempt(() -> storage.addAccessPath(volume.id(), root)));
        tree.line(1, "Access paths: " + storage.accessPaths(volume.id()).stream().map(AccessPath::path).toList());
    }

    /** The first letter from E on that no volume's root uses: A and B are the floppies', C and D the usual disks'. */
    private static Optional<Character> freeLetter(StorageSession storage) {
        Set<Character> used = Machine.volumes(storage).stream()
            .flatMap(v -> storage.accessPaths(v.id()).stream()).map(AccessPath::path)
            .filter(p -> p.length() == 3 && p.endsWith(":\\")).map(p -> Character.toUpperCase(p.charAt(0)))
            .collect(Collectors.toSet());
        for (char c = 'E'; c <= 'Z'; ++c) {
            if (!used.contains(c)) return Optional.of(c);
        }
        return Optional.empty();
    }

    private static void showDisk(StorageSession storage, Tree tree, UUID disk) {
        for (Partition p : storage.partitions(disk)) {
            tree.line(2, "Partition " + p.number() + " at " + Sizes.format(p.offset()) + ", " + Sizes.format(p.size()));
        }
        for (DiskExtent e : storage.diskExtents(disk)) {
            tree.line(2, "Extent at " + Sizes.format(e.offset()) + ", " + Sizes.format(e.size())
                      + ", " + EXTENT_KINDS.getOrDefault(e.type(), "type " + e.type()));
        }
    }

    private static long free(StorageSession storage, UUID disk) {
        return storage.diskExtents(disk).stream().filter(e -> e.type() == FREE).mapToLong(DiskExtent::size).sum();
    }
}
