package Ardelune.demo;

import Ardelune.storage.Disk;
import Ardelune.storage.Pack;
import Ardelune.storage.PartitionStyle;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageSession;
import java.util.Optional;
import java.util.UUID;

/**
 * The packs of the software providers with their disks and volumes; then a
 * new pack on the dynamic provider, the unallocated disk added to it, and the
 * packs once more.
 */
final class PackDemo {
    private PackDemo() {}

    static void show(StorageSession storage, Tree tree) {
        tree.line(0, "Packs");
        showPacks(storage, tree);
        Optional<Provider> dynamic = storage.softwareProviders().stream().filter(Machine::isDynamic).findFirst();
        Optional<Disk> unallocated = Machine.packs(storage, false).stream()
            .flatMap(p -> storage.packDisks(p.id()).stream())
            .filter(d -> d.partitionStyleValue() == PartitionStyle.UNKNOWN).findFirst();
        if (dynamic.isEmpty() || unallocated.isEmpty()) {
            tree.line(1, "(no dynamic provider, or no unallocated disk)");
            return;
        }
        UUID pack = storage.createPack(dynamic.get().id());
        tree.line(1, "New pack on " + Steps.quoted(dynamic.get().name()) + "  {" + pack + "}");
        tree.line(1, "Add the unallocated disk {" + unallocated.get().id() + "}: "
                  + Steps.attempt(() -> storage.addDisk(pack, unallocated.get().id(), PartitionStyle.GPT, false)));
        showPacks(storage, tree);
    }

    private static void showPacks(StorageSession storage, Tree tree) {
        for (Provider provider : storage.softwareProviders()) {
            for (Pack pack : storage.packs(provider.id())) {
                tree.line(1, "Pack " + Steps.quoted(pack.name()) + " of " + Steps.quoted(provider.name()) + ": "
                          + pack.statusValue() + ", " + storage.packDisks(pack.id()).size() + " disk(s), "
                          + storage.volumes(pack.id()).size() + " volume(s)");
            }
        }
    }
}
