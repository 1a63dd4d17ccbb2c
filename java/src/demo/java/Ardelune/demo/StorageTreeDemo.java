package Ardelune.demo;

import Ardelune.storage.Controller;
import Ardelune.storage.Drive;
import Ardelune.storage.DriveExtent;
import Ardelune.storage.Lun;
import Ardelune.storage.LunPlex;
import Ardelune.storage.NotConnectedException;
import Ardelune.storage.Notification;
import Ardelune.storage.Pack;
import Ardelune.storage.Provider;
import Ardelune.storage.StorageSession;
import Ardelune.storage.SubSystem;
import java.io.FileDescriptor;
import java.io.FileOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.UUID;
import java.util.concurrent.BlockingQueue;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.LinkedBlockingQueue;
import java.util.concurrent.TimeUnit;
import java.util.stream.Collectors;

/**
 * Walks everything the storage commands can show, from the providers down
 * to the extents of each LUN plex, runs the demos that change the machine,
 * then asks the service to rescan; the change notifications follow each part.
 * The one argument, optional, names a disk that was never initialised for
 * the new basic disk; by default the simulated machine's unallocated disk.
 */
public final class StorageTreeDemo {
    /** How long to wait for notifications, and for a quiet spell that ends the wait early. */
    private static final long WAIT_MS = 2000;
    private static final long QUIET_MS = 300;

    private static final String BANNER = "==================== Tolvane storage tree ====================";
    private static final String END = "==================== end of storage tree =====================";

    private StorageTreeDemo() {}

    public static void main(String[] args) throws InterruptedException {
        Tree tree = new Tree();
        BlockingQueue<Notification> changes = new LinkedBlockingQueue<>();
        ExecutorService listener = Executors.newSingleThreadExecutor();
        try (StorageSession storage = StorageSession.open()) {
            storage.subscribe(listener, changes::add);
            tree.line(0, "Connected");
            showHardware(storage, tree);
            showSoftware(storage, tree);
            NewDiskDemo.show(storage, tree, args.length > 0 ? UUID.fromString(args[0])
                                                            : NewDiskDemo.SIMULATED_UNALLOCATED_DISK);
            VolumeDemo.show(storage, tree);
            FileSystemDemo.show(storage, tree);
            showChanges(tree, "the pack, disk, volume and file-system changes", changes);
            LunDemo.show(storage, tree);
            showChanges(tree, "the LUN changes", changes);
            storage.reenumerate();
            showChanges(tree, "the rescan", changes);
            DriveRepairDemo.show(storage, tree, changes);
        } catch (NotConnectedException refused) {
            String machine = System.getenv("TOLVANE_SIM_TOPOLOGY");
            tree.line(0, "Cannot connect to the Virtual Disk Service: " + refused.resultName());
            if (machine != null && !machine.isEmpty()) tree.line(0, "Check the simulated machine " + machine);
            print("\n" + BANNER + "\n" + tree + END + "\n");
            System.exit(1);
        } finally {
            listener.shutdownNow();
        }
        print("\n" + BANNER + "\n" + tree + END + "\n");
    }

    private static void showHardware(StorageSession storage, Tree tree) {
        List<Provider> providers = storage.hardwareProviders();
        tree.heading(0, "Hardware providers", providers);
        for (Provider provider : providers) {
            tree.line(1, describe(provider));
            for (SubSystem s : storage.subsystems(provider.id())) {
                tree.line(2, "Subsystem " + Steps.quoted(s.friendlyName()) + " (" + s.identification() + "): "
                          + s.statusValue() + ", " + s.healthValue() + "; " + s.internalBuses() + " bus(es) x "
                          + s.slotsPerBus() + " slots, up to " + s.maxControllers() + " controller(s)");
                showSubsystem(storage, tree, s.id());
            }
        }
    }

    private static void showSubsystem(StorageSession storage, Tree tree, UUID subsystem) {
        List<Drive> drives = storage.drives(subsystem);
        List<Lun> luns = storage.luns(subsystem);
        // Extents name drives and LUNs by identifier; show their names instead.
        Map<UUID, String> driveNames = drives.stream().collect(Collectors.toMap(Drive::id, Drive::friendlyName));
        Map<UUID, String> lunNames = luns.stream().collect(Collectors.toMap(Lun::id, Lun::friendlyName));

        List<Controller> controllers = storage.controllers(subsystem);
        tree.heading(3, "Controllers", controllers);
        for (Controller c : controllers) {
            tree.line(4, Steps.quoted(c.friendlyName()) + " (" + c.identification() + "): " + c.statusValue() + ", "
                      + c.healthValue() + ", " + c.ports() + " port(s)");
            for (Lun l : storage.associatedLuns(c.id())) tree.line(5, "Associated LUN " + Steps.quoted(l.friendlyName()));
        }
        tree.heading(3, "Drives", drives);
        for (Drive d : drives) {
            tree.line(4, Steps.quoted(d.friendlyName()) + " (" + d.identification() + "): " + Sizes.format(d.size())
                      + ", " + d.statusValue() + ", " + d.healthValue() + ", bus " + d.bus() + " slot " + d.slot()
                      + (d.flagSet().isEmpty() ? "" : ", " + d.flagSet()));
            for (DriveExtent e : storage.driveExtents(d.id())) {
                tree.line(5, "Extent " + Sizes.format(e.size())
                          + (e.used() ? ", used by LUN " + nameOf(e.lun(), lunNames) : ", free"));
            }
        }
        tree.heading(3, "LUNs", luns);
        for (Lun l : luns) {
            tree.line(4, Steps.quoted(l.friendlyName()) + " (" + l.identification() + "): " + l.typeValue() + ", "
                      + Sizes.format(l.size()) + ", " + l.statusValue() + ", " + l.healthValue()
                      + (l.unmaskingList().isEmpty() ? "" : "; unmasked to " + l.unmaskingList()));
            for (LunPlex p : storage.lunPlexes(l.id())) {
                tree.line(5, "Plex {" + p.id() + "}: " + p.typeValue() + ", " + Sizes.format(p.size()) + ", "
                          + p.statusValue() + ", " + p.healthValue());
                for (DriveExtent e : storage.lunPlexExtents(p.id())) {
                    tree.line(6, "Extent " + Sizes.format(e.size()) + " on drive " + nameOf(e.drive(), driveNames));
                }
            }
        }
    }

    private static void showSoftware(StorageSession storage, Tree tree) {
        List<Provider> providers = storage.softwareProviders();
        tree.heading(0, "Software providers", providers);
        for (Provider provider : providers) {
            tree.line(1, describe(provider));
            List<Pack> packs = storage.packs(provider.id());
            tree.heading(2, "Packs", packs);
            for (Pack pack : packs) {
                tree.line(3, "Pack " + Steps.quoted(pack.name()) + ": " + pack.statusValue() + "  {" + pack.id() + "}");
            }
        }
    }

    /** The notifications that arrive within the wait, ending early once the service is quiet. */
    private static void showChanges(Tree tree, String after, BlockingQueue<Notification> changes)
            throws InterruptedException {
        List<Notification> arrived = new ArrayList<>();
        long deadline = System.nanoTime() + TimeUnit.MILLISECONDS.toNanos(WAIT_MS);
        for (long left; (left = TimeUnit.NANOSECONDS.toMillis(deadline - System.nanoTime())) > 0;) {
            Notification n = changes.poll(arrived.isEmpty() ? left : Math.min(left, QUIET_MS), TimeUnit.MILLISECONDS);
            if (n == null) break;
            arrived.add(n);
        }
        tree.heading(0, "Notifications after " + after, arrived);
        for (Notification n : arrived) tree.line(1, n.toString());
    }

    private static String describe(Provider p) {
        return Steps.quoted(p.name()) + " version " + Steps.quoted(p.version()) + ", " + p.providerType()
               + "  {" + p.id() + "}";
    }

    private static String nameOf(UUID id, Map<UUID, String> names) {
        return names.containsKey(id) ? Steps.quoted(names.get(id)) : "{" + id + "}";
    }

    /**
     * Writes straight to the process's standard output in one call: the
     * library's own diagnostic lines share that stream, and this keeps ours
     * in one block among them.
     */
    private static void print(String text) {
        try {
            @SuppressWarnings("resource")  // standard output stays open for the library's lines
            FileOutputStream out = new FileOutputStream(FileDescriptor.out);
            out.write(text.getBytes(StandardCharsets.UTF_8));
            out.flush();
        } catch (IOException e) {
            System.err.println("Cannot write the tree: " + e.getMessage());
        }
    }
}
